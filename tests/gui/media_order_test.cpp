// The question page's media controls and the ordering page, driven as a user would.
#include "actions/file_actions.h"
#include "editing/question_navigator.h"
#include "fake_dialogs.h"
#include "media/sound_actions.h"
#include "pages/ordering_page.h"
#include "preguntas.h"
#include "preview_box.h"
#include "quiz_session.h"
#include "sound_player.h"
#include "window_controls.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace vireta;

class MediaOrderTest : public QObject {
    Q_OBJECT

    FakeDialogs dialogs;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<WindowControls> ui;
    QTemporaryDir dir;

    QToolButton* button(const char* name) { return form->findChild<QToolButton*>(name); }
    void makeQuestions(const QStringList& statements) {
        form->btpregClick();
        for (int i = 0; i < statements.size(); ++i) {
            if (i > 0)
                ui->btinserir->click();
            ui->txtpreg->setText(statements[i]);
        }
        ui->SpeedButton21->click();
    }
    QStringList listed() const {
        QStringList out;
        for (int i = 0; i < ui->listapreguntas->count(); ++i)
            out << ui->listapreguntas->item(i)->text();
        return out;
    }
    QPoint centreOf(int row) const {
        return ui->listapreguntas->visualItemRect(ui->listapreguntas->item(row)).center();
    }
    PreviewBox::State previewFor(const QString& path) {
        ui->txtimaxe->setText(path);
        ui->SpeedButton14->click();
        return ui->imaxe->state();
    }

private slots:
    void init() {
        dialogs = FakeDialogs();
        form = std::make_unique<TForm1>(dialogs);
        ui = std::make_unique<WindowControls>(*form);
        form->show();
    }
    void cleanup() { form.reset(); }

    void soundPickersUseTheirFilterAndTitle() {
        dialogs.fileAnswers = {QStringLiteral("/sons/intro.mp3"), std::nullopt};
        button("btabrson1")->click();
        QCOMPARE(ui->sontx->text(), QStringLiteral("/sons/intro.mp3"));
        QCOMPARE(dialogs.shown[0].kind, QStringLiteral("open"));
        QCOMPARE(dialogs.shown[0].title, QStringLiteral("Abrir un arquivo existente"));
        QCOMPARE(dialogs.shown[0].text, QStringLiteral("Sons mp3|*.mp3;*.MP3|*.*|*.*"));
        button("btabrson1")->click(); // cancelled: the box keeps its path
        QCOMPARE(ui->sontx->text(), QStringLiteral("/sons/intro.mp3"));
    }

    void everyOpenButtonFillsItsOwnBox() {
        const std::pair<const char*, QLineEdit*> pairs[] = {
            {"btabrson2", ui->txtsoncorcomun}, {"btabrson3", ui->txtsonincorcomun},
            {"btabrson6", ui->txtson},         {"btabrson4", ui->txtsoncor},
            {"btabrson5", ui->txtsonincor},    {"btabrson7", ui->sonbentx},
            {"btabrson8", ui->sonmaltx}};
        for (const auto& [name, box] : pairs) {
            dialogs.fileAnswers = {QStringLiteral("/x/") + QLatin1String(name) + ".mp3"};
            button(name)->click();
            QCOMPARE(box->text(), QStringLiteral("/x/") + QLatin1String(name) + ".mp3");
        }
        QVERIFY(!form->soundActions().soundPlayer().started());
    }

    void imagePickerPreviewsAtOnce() {
        const QString png = dir.filePath("mapa.png");
        QImage picture(400, 100, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QVERIFY(picture.save(png));
        dialogs.fileAnswers = {png};
        button("btabrson9")->click();
        QCOMPARE(dialogs.shown[0].kind, QStringLiteral("image"));
        QCOMPARE(dialogs.shown[0].text,
                 QStringLiteral("Imaxes *.jpeg,*.png|*.jpg;*.JPG;*.jpeg;*.JPEG;*.png;*.PNG|*.*|*.*"));
        QCOMPARE(ui->txtimaxe->text(), png);
        QCOMPARE(ui->imaxe->state(), PreviewBox::State::Picture);
    }

    void previewStates() {
        const QString png = dir.filePath("foto.PNG");
        QImage(10, 10, QImage::Format_RGB32).save(png, "PNG");
        QCOMPARE(previewFor(png), PreviewBox::State::Picture);
        QCOMPARE(previewFor(dir.filePath("falta.png")), PreviewBox::State::InvalidImage);
        QCOMPARE(previewFor("/videos/clip.swf"), PreviewBox::State::VideoPlaceholder);
        QCOMPARE(previewFor("/videos/clip.FLV"), PreviewBox::State::VideoPlaceholder);
        QCOMPARE(previewFor("/videos/clip.Swf"), PreviewBox::State::InvalidImage);
        QCOMPARE(previewFor(""), PreviewBox::State::Empty);
        // Typing alone does not refresh; showing the question does.
        ui->txtimaxe->setText(png);
        QCOMPARE(ui->imaxe->state(), PreviewBox::State::Empty);
        form->navigator().pasa();
        form->navigator().mostra();
        QCOMPARE(ui->imaxe->state(), PreviewBox::State::Picture);
    }

    void previewDecodesByExtension() {
        QImage photo(1600, 1200, QImage::Format_RGB32);
        photo.fill(Qt::darkGreen);
        QVERIFY(photo.save(dir.filePath("foto.JPG"), "JPEG"));
        QVERIFY(photo.save(dir.filePath("foto.bmp"), "BMP"));
        QVERIFY(photo.save(dir.filePath("png-disfrazado.jpg"), "PNG"));
        QFile emf(dir.filePath("debuxo.emf"));
        QVERIFY(emf.open(QIODevice::WriteOnly));
        emf.write(QByteArray(64, '\1'));
        emf.close();

        QCOMPARE(previewFor(dir.filePath("foto.JPG")), PreviewBox::State::Picture);
        // Reduced while decoding, and never below the box it is fitted into.
        QVERIFY(ui->imaxe->image().width() >= 196 && ui->imaxe->image().width() < 1600);
        QCOMPARE(previewFor(dir.filePath("foto.bmp")), PreviewBox::State::Picture);
        QCOMPARE(previewFor(dir.filePath("png-disfrazado.jpg")), PreviewBox::State::InvalidImage);
        QCOMPARE(previewFor(dir.filePath("debuxo.emf")), PreviewBox::State::InvalidImage);

        QImage small(40, 30, QImage::Format_RGB32);
        small.fill(Qt::red);
        QVERIFY(small.save(dir.filePath("pequena.png")));
        QCOMPARE(previewFor(dir.filePath("pequena.png")), PreviewBox::State::Picture);
        QCOMPARE(ui->imaxe->image().size(), QSize(40, 30)); // never enlarged
    }

    // Opening a quiz shows its general page without waiting for the first question's
    // picture: the preview comes from the background decode, or from the questions
    // page when it is shown first, or at once when it is in the cache already.
    void openingDoesNotWaitForTheFirstPicture() {
        QImage photo(3000, 2000, QImage::Format_RGB32);
        photo.fill(Qt::darkCyan);
        QVERIFY(photo.save(dir.filePath("foto.jpg"), "JPEG"));
        QVERIFY(photo.save(dir.filePath("outra.jpg"), "JPEG"));
        auto quizShowing = [&](const QString& picture) {
            const QString path = dir.filePath(picture + ".xml");
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly))
                return QString();
            f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?><xogo version=\"1.0\">"
                    "<titulo>Fotos</titulo><preguntas><pregunta><enunciado>Con foto</enunciado>"
                    "<imaxe>" + picture.toUtf8() + "</imaxe></pregunta><pregunta>"
                    "<enunciado>Sen foto</enunciado></pregunta></preguntas></xogo>");
            return path;
        };

        form->fileActions().LoadItem(quizShowing("foto.jpg"));
        QVERIFY(dialogs.shown.empty());
        QCOMPARE(ui->nota->currentWidget(), ui->page1);
        QCOMPARE(ui->txtimaxe->text(), dir.filePath("foto.jpg"));
        // Nothing was decoded on the way: the box waits, and fills by itself.
        QCOMPARE(ui->imaxe->state(), PreviewBox::State::Empty);
        QTRY_COMPARE(ui->imaxe->state(), PreviewBox::State::Picture);
        QCOMPARE(ui->nota->currentWidget(), ui->page1);

        // The questions page shown before the decode ends shows the picture with it.
        form->fileActions().LoadItem(quizShowing("outra.jpg"));
        QCOMPARE(ui->imaxe->state(), PreviewBox::State::Empty);
        form->btpregClick();
        QCOMPARE(ui->imaxe->state(), PreviewBox::State::Picture);

        // Decoded before: shown at once.
        form->fileActions().LoadItem(quizShowing("foto.jpg"));
        QCOMPARE(ui->imaxe->state(), PreviewBox::State::Picture);
        // Moving on works as ever, with and without a picture.
        ui->SpeedButton24->click();
        QCOMPARE(ui->imaxe->state(), PreviewBox::State::Empty);
        ui->SpeedButton22->click();
        QCOMPARE(ui->imaxe->state(), PreviewBox::State::Picture);
        QVERIFY(dialogs.shown.empty());
    }

    void anEmptyOrMissingSoundIsIgnored() {
        button("btponson1")->click();
        form->soundActions().sona(dir.filePath("falta.mp3"));
        QVERIFY(!form->soundActions().soundPlayer().started());
        QVERIFY(dialogs.shown.empty());
    }

    void aSoundStartsOnlyWhenPlayedAndANewOneReplacesIt() {
        QVERIFY(!form->soundActions().soundPlayer().started()); // no media back end at start-up
        const QString first = QStringLiteral(VIRETA_TEST_DATA "/../../examples/xeografia-galicia/intro.mp3");
        const QString second = QStringLiteral(VIRETA_TEST_DATA "/../../examples/xeografia-galicia/ben.mp3");
        QVERIFY(QFile::exists(first) && QFile::exists(second));
        form->soundActions().sona(first);
        QVERIFY(form->soundActions().soundPlayer().started());
        QCOMPARE(QFileInfo(form->soundActions().soundPlayer().source()), QFileInfo(first));
        form->soundActions().sona(second);
        QCOMPARE(QFileInfo(form->soundActions().soundPlayer().source()), QFileInfo(second));
        QVERIFY(dialogs.shown.empty());
    }

    void orderingPageListsTheQuestions() {
        makeQuestions({"Uno", "", "Tres"});
        ui->txtpreg->setText(QStringLiteral("Uno!")); // committed by the ordering button
        ui->btmostra->click();
        QCOMPARE(ui->nota->currentWidget(), ui->page4);
        QCOMPARE(ui->seccion->text(), QStringLiteral("Ordear preguntas"));
        QCOMPARE(listed(), (QStringList{"01 -- Uno!", "02 -- ", "03 -- Tres"}));
    }

    void dropTakesThePlaceAndOrdearAppliesIt() {
        makeQuestions({"Uno", "Dous", "Tres"});
        ui->SpeedButton24->click(); // question 2 is current
        ui->btmostra->click();
        QCoreApplication::processEvents();
        ui->listapreguntas->setCurrentRow(2);
        form->orderingPage().listapreguntasDragDrop(centreOf(0));
        QCOMPARE(listed(), (QStringList{"03 -- Tres", "01 -- Uno", "02 -- Dous"}));
        QCOMPARE(form->session().model().questions.record(1)[FieldSlot::enunciado], "Uno"); // not yet

        ui->btordea->click();
        QCOMPARE(listed(), (QStringList{"01 -- Tres", "02 -- Uno", "03 -- Dous"}));
        QCOMPARE(ui->nota->currentWidget(), ui->page4);
        ui->btpreg->click();
        QCOMPARE(ui->npreg->text(), QStringLiteral("2"));
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("Uno"));
        QCOMPARE(form->session().model().questions.record(1)[FieldSlot::enunciado], "Tres");
        QCOMPARE(form->session().model().questions.record(3)[FieldSlot::enunciado], "Dous");
    }

    void dropBelowTheLastEntryMovesToTheEnd() {
        makeQuestions({"a", "b", "c"});
        ui->btmostra->click();
        QCoreApplication::processEvents();
        ui->listapreguntas->setCurrentRow(0);
        form->orderingPage().listapreguntasDragDrop(QPoint(10, ui->listapreguntas->viewport()->height() - 2));
        QCOMPARE(listed(), (QStringList{"02 -- b", "03 -- c", "01 -- a"}));
    }

    void leavingWithoutOrdearDiscardsTheNewOrder() {
        makeQuestions({"a", "b"});
        ui->btmostra->click();
        QCoreApplication::processEvents();
        ui->listapreguntas->setCurrentRow(1);
        form->orderingPage().listapreguntasDragDrop(centreOf(0));
        ui->btinicio->click();
        ui->btpreg->click();
        ui->btmostra->click();
        QCOMPARE(listed(), (QStringList{"01 -- a", "02 -- b"}));
    }

    void onlyTheListItselfMayBeDropped() {
        QVERIFY(form->orderingPage().listapreguntasDragOver(ui->listapreguntas));
        QVERIFY(!form->orderingPage().listapreguntasDragOver(ui->txtpreg));
        QVERIFY(!form->orderingPage().listapreguntasDragOver(nullptr));
    }
};

QTEST_MAIN(MediaOrderTest)
#include "media_order_test.moc"
