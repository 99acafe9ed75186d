// The example quiz in examples/ opened in the editor, as "Abrir" (or `vireta QUIZ`)
// opens it: its texts reach the controls and every picture shows in the preview.
#include "fake_dialogs.h"
#include "preguntas.h"
#include "preview_box.h"

#include <QFileInfo>
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
        form.show();
        const QString folder = QStringLiteral(VIRETA_EXAMPLE_DIR "/");
        form.LoadItem(folder + QStringLiteral("xeografia.xml"));
        QVERIFY2(dialogs.shown.empty(), "opening the example showed a dialog");
        QCOMPARE(form.model().count, 10);
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
};

QTEST_MAIN(ExampleTest)
#include "example_test.moc"
