// The example quiz in examples/ opened in the editor, as "Abrir" (or `vireta QUIZ`)
// opens it: its texts reach the controls and every picture shows in the preview.
#include "actions/file_actions.h"
#include "fake_dialogs.h"
#include "pages/ordering_page.h"
#include "preguntas.h"
#include "preview_box.h"
#include "quiz_session.h"
#include "window_controls.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QListWidget>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

using namespace vireta;

class ExampleTest : public QObject {
    Q_OBJECT

private slots:
    void opensWithEveryPictureShown() {
        FakeDialogs dialogs;
        TForm1 form(dialogs);
        WindowControls ui(form);
        form.show();
        const QString folder = QStringLiteral(VIRETA_EXAMPLE_DIR "/");
        form.fileActions().LoadItem(folder + QStringLiteral("xeografia.xml"));
        QVERIFY2(dialogs.shown.empty(), "opening the example showed a dialog");
        QCOMPARE(form.session().model().count, 10);
        QCOMPARE(form.findChild<QLineEdit*>("titulotx")->text(), QStringLiteral("Xeografía de Galicia"));
        QCOMPARE(form.findChild<QLineEdit*>("sontx")->text(), folder + QStringLiteral("intro.mp3"));

        form.findChild<QToolButton*>("btpreg")->click();
        auto* statement = form.findChild<QLineEdit*>("txtpreg");
        auto* imagePath = form.findChild<QLineEdit*>("txtimaxe");
        auto* preview = form.findChild<PreviewBox*>("imaxe");
        QVERIFY(statement && imagePath && preview);
        int pictures = 0;
        for (int k = 1; k <= 10; ++k) {
            QVERIFY2(!statement->text().isEmpty(), qPrintable(QString::number(k)));
            if (!imagePath->text().isEmpty()) {
                QVERIFY2(QFileInfo::exists(imagePath->text()), qPrintable(imagePath->text()));
                QVERIFY2(preview->state() == PreviewBox::State::Picture, qPrintable(imagePath->text()));
                ++pictures;
            }
            form.findChild<QToolButton*>("SpeedButton24")->click(); // next
        }
        QCOMPARE(pictures, 6);
        QVERIFY(dialogs.shown.empty());
    }

    // A whole session on the example, as a teacher would go through it: open, edit,
    // move around, insert, delete, reorder, then save in every format with the media
    // copied and packed. Run under the sanitizers by scripts/run-checks.sh.
    void aWholeSessionOnTheExample() {
        QTemporaryDir out;
        FakeDialogs dialogs;
        TForm1 form(dialogs);
        WindowControls ui(form);
        form.show();
        form.fileActions().LoadItem(QStringLiteral(VIRETA_EXAMPLE_DIR "/xeografia.xml"));
        ui.btpreg->click();
        ui.txtpreg->setText(ui.txtpreg->text() + QStringLiteral(" (revisada)"));
        ui.SpeedButton25->click(); // last
        ui.btinserir->click();
        ui.txtpreg->setText(QStringLiteral("Nova pregunta & <máis>"));
        ui.txtresp1->setText(QStringLiteral("Si"));
        ui.SpeedButton22->click(); // previous
        ui.SpeedButton20->click(); // delete, confirmed
        QCOMPARE(form.session().model().count, 10);

        ui.btmostra->click();
        QCoreApplication::processEvents();
        ui.listapreguntas->setCurrentRow(9);
        form.orderingPage().listapreguntasDragDrop(
            ui.listapreguntas->visualItemRect(ui.listapreguntas->item(0)).center());
        ui.btordea->click();
        QCOMPARE(QString::fromStdString(form.session().model().questions.record(1)[FieldSlot::enunciado]),
                 QStringLiteral("Nova pregunta & <máis>"));

        ui.btexportar->click();
        const char* names[] = {"xogo", "formulario", "marcar", "libro"};
        for (int tab = 0; tab < 4; ++tab) {
            ui.ctformatos->setCurrentIndex(tab);
            dialogs.fileAnswers = {out.filePath(QLatin1String(names[tab]))};
            ui.btgarda->click();
        }
        for (const char* file : {"xogo.xml", "formulario.html", "marcar.html", "libro.ebk",
                                 "xogo.tar", "formulario.tar", "marcar.tar", "libro.tar",
                                 "intro.mp3"})
            QVERIFY2(QFileInfo::exists(out.filePath(QLatin1String(file))), file);
        QCOMPARE(dialogs.kinds().count("inform"), 0); // nothing failed to copy

        // The saved quiz opens again with the edits and the new order.
        dialogs.fileAnswers = {out.filePath("xogo.xml")};
        ui.btabrir->click();
        QCOMPARE(form.session().model().count, 10);
        QCOMPARE(ui.txtpreg->text(), QStringLiteral("Nova pregunta & <máis>"));
        QVERIFY(QFileInfo(ui.txtimaxe->text()).path() == out.path() || ui.txtimaxe->text().isEmpty());
    }
};

QTEST_MAIN(ExampleTest)
#include "example_test.moc"
