// The question page's media controls and the ordering page, driven as a user would.
#include "fake_dialogs.h"
#include "preguntas.h"
#include "preview_box.h"
#include "sound_player.h"

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
    QTemporaryDir dir;

    QToolButton* button(const char* name) { return form->findChild<QToolButton*>(name); }
    void makeQuestions(const QStringList& statements) {
        form->btpregClick();
        for (int i = 0; i < statements.size(); ++i) {
            if (i > 0)
                form->btinserir->click();
            form->txtpreg->setText(statements[i]);
        }
        form->SpeedButton21->click();
    }
    QStringList listed() const {
        QStringList out;
        for (int i = 0; i < form->listapreguntas->count(); ++i)
            out << form->listapreguntas->item(i)->text();
        return out;
    }
    QPoint centreOf(int row) const {
        return form->listapreguntas->visualItemRect(form->listapreguntas->item(row)).center();
    }
    PreviewBox::State previewFor(const QString& path) {
        form->txtimaxe->setText(path);
        form->SpeedButton14->click();
        return form->imaxe->state();
    }

private slots:
    void init() {
        dialogs = FakeDialogs();
        form = std::make_unique<TForm1>(dialogs);
        form->show();
    }
    void cleanup() { form.reset(); }

    void soundPickersUseTheirFilterAndTitle() {
        dialogs.fileAnswers = {QStringLiteral("/sons/intro.mp3"), std::nullopt};
        button("btabrson1")->click();
        QCOMPARE(form->sontx->text(), QStringLiteral("/sons/intro.mp3"));
        QCOMPARE(dialogs.shown[0].kind, QStringLiteral("open"));
        QCOMPARE(dialogs.shown[0].title, QStringLiteral("Abrir un archivo existente"));
        QCOMPARE(dialogs.shown[0].text, QStringLiteral("Sons mp3|*.mp3;*.MP3|*.*|*.*"));
        button("btabrson1")->click(); // cancelled: the box keeps its path
        QCOMPARE(form->sontx->text(), QStringLiteral("/sons/intro.mp3"));
    }

    void everyOpenButtonFillsItsOwnBox() {
        const std::pair<const char*, QLineEdit*> pairs[] = {
            {"btabrson2", form->txtsoncorcomun}, {"btabrson3", form->txtsonincorcomun},
            {"btabrson6", form->txtson},         {"btabrson4", form->txtsoncor},
            {"btabrson5", form->txtsonincor},    {"btabrson7", form->sonbentx},
            {"btabrson8", form->sonmaltx}};
        for (const auto& [name, box] : pairs) {
            dialogs.fileAnswers = {QStringLiteral("/x/") + QLatin1String(name) + ".mp3"};
            button(name)->click();
            QCOMPARE(box->text(), QStringLiteral("/x/") + QLatin1String(name) + ".mp3");
        }
        QVERIFY(!form->soundPlayer().started());
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
        QCOMPARE(form->txtimaxe->text(), png);
        QCOMPARE(form->imaxe->state(), PreviewBox::State::Picture);
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
        form->txtimaxe->setText(png);
        QCOMPARE(form->imaxe->state(), PreviewBox::State::Empty);
        form->pasa();
        form->mostra();
        QCOMPARE(form->imaxe->state(), PreviewBox::State::Picture);
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
        QVERIFY(form->imaxe->image().width() >= 196 && form->imaxe->image().width() < 1600);
        QCOMPARE(previewFor(dir.filePath("foto.bmp")), PreviewBox::State::Picture);
        QCOMPARE(previewFor(dir.filePath("png-disfrazado.jpg")), PreviewBox::State::InvalidImage);
        QCOMPARE(previewFor(dir.filePath("debuxo.emf")), PreviewBox::State::InvalidImage);

        QImage small(40, 30, QImage::Format_RGB32);
        small.fill(Qt::red);
        QVERIFY(small.save(dir.filePath("pequena.png")));
        QCOMPARE(previewFor(dir.filePath("pequena.png")), PreviewBox::State::Picture);
        QCOMPARE(form->imaxe->image().size(), QSize(40, 30)); // never enlarged
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

        form->LoadItem(quizShowing("foto.jpg"));
        QVERIFY(dialogs.shown.empty());
        QCOMPARE(form->nota->currentWidget(), form->page1);
        QCOMPARE(form->txtimaxe->text(), dir.filePath("foto.jpg"));
        // Nothing was decoded on the way: the box waits, and fills by itself.
        QCOMPARE(form->imaxe->state(), PreviewBox::State::Empty);
        QTRY_COMPARE(form->imaxe->state(), PreviewBox::State::Picture);
        QCOMPARE(form->nota->currentWidget(), form->page1);

        // The questions page shown before the decode ends shows the picture with it.
        form->LoadItem(quizShowing("outra.jpg"));
        QCOMPARE(form->imaxe->state(), PreviewBox::State::Empty);
        form->btpregClick();
        QCOMPARE(form->imaxe->state(), PreviewBox::State::Picture);

        // Decoded before: shown at once.
        form->LoadItem(quizShowing("foto.jpg"));
        QCOMPARE(form->imaxe->state(), PreviewBox::State::Picture);
        // Moving on works as ever, with and without a picture.
        form->SpeedButton24->click();
        QCOMPARE(form->imaxe->state(), PreviewBox::State::Empty);
        form->SpeedButton22->click();
        QCOMPARE(form->imaxe->state(), PreviewBox::State::Picture);
        QVERIFY(dialogs.shown.empty());
    }

    void anEmptyOrMissingSoundIsIgnored() {
        button("btponson1")->click();
        form->sona(dir.filePath("falta.mp3"));
        QVERIFY(!form->soundPlayer().started());
        QVERIFY(dialogs.shown.empty());
    }

    void aSoundStartsOnlyWhenPlayedAndANewOneReplacesIt() {
        QVERIFY(!form->soundPlayer().started()); // no media back end at start-up
        const QString first = QStringLiteral(VIRETA_TEST_DATA "/../../examples/xeografia-galicia/intro.mp3");
        const QString second = QStringLiteral(VIRETA_TEST_DATA "/../../examples/xeografia-galicia/ben.mp3");
        QVERIFY(QFile::exists(first) && QFile::exists(second));
        form->sona(first);
        QVERIFY(form->soundPlayer().started());
        QCOMPARE(QFileInfo(form->soundPlayer().source()), QFileInfo(first));
        form->sona(second);
        QCOMPARE(QFileInfo(form->soundPlayer().source()), QFileInfo(second));
        QVERIFY(dialogs.shown.empty());
    }

    void orderingPageListsTheQuestions() {
        makeQuestions({"Uno", "", "Tres"});
        form->txtpreg->setText(QStringLiteral("Uno!")); // committed by the ordering button
        form->btmostra->click();
        QCOMPARE(form->nota->currentWidget(), form->page4);
        QCOMPARE(form->seccion->text(), QStringLiteral("Ordear preguntas"));
        QCOMPARE(listed(), (QStringList{"01 -- Uno!", "02 -- ", "03 -- Tres"}));
    }

    void dropTakesThePlaceAndOrdearAppliesIt() {
        makeQuestions({"Uno", "Dous", "Tres"});
        form->SpeedButton24->click(); // question 2 is current
        form->btmostra->click();
        QCoreApplication::processEvents();
        form->listapreguntas->setCurrentRow(2);
        form->listapreguntasDragDrop(centreOf(0));
        QCOMPARE(listed(), (QStringList{"03 -- Tres", "01 -- Uno", "02 -- Dous"}));
        QCOMPARE(form->model().questions.record(1)[FieldSlot::enunciado], "Uno"); // not yet

        form->btordea->click();
        QCOMPARE(listed(), (QStringList{"01 -- Tres", "02 -- Uno", "03 -- Dous"}));
        QCOMPARE(form->nota->currentWidget(), form->page4);
        form->btpreg->click();
        QCOMPARE(form->npreg->text(), QStringLiteral("2"));
        QCOMPARE(form->txtpreg->text(), QStringLiteral("Uno"));
        QCOMPARE(form->model().questions.record(1)[FieldSlot::enunciado], "Tres");
        QCOMPARE(form->model().questions.record(3)[FieldSlot::enunciado], "Dous");
    }

    void dropBelowTheLastEntryMovesToTheEnd() {
        makeQuestions({"a", "b", "c"});
        form->btmostra->click();
        QCoreApplication::processEvents();
        form->listapreguntas->setCurrentRow(0);
        form->listapreguntasDragDrop(QPoint(10, form->listapreguntas->viewport()->height() - 2));
        QCOMPARE(listed(), (QStringList{"02 -- b", "03 -- c", "01 -- a"}));
    }

    void leavingWithoutOrdearDiscardsTheNewOrder() {
        makeQuestions({"a", "b"});
        form->btmostra->click();
        QCoreApplication::processEvents();
        form->listapreguntas->setCurrentRow(1);
        form->listapreguntasDragDrop(centreOf(0));
        form->btinicio->click();
        form->btpreg->click();
        form->btmostra->click();
        QCOMPARE(listed(), (QStringList{"01 -- a", "02 -- b"}));
    }

    void onlyTheListItselfMayBeDropped() {
        QVERIFY(form->listapreguntasDragOver(form->listapreguntas));
        QVERIFY(!form->listapreguntasDragOver(form->txtpreg));
        QVERIFY(!form->listapreguntasDragOver(nullptr));
    }
};

QTEST_MAIN(MediaOrderTest)
#include "media_order_test.moc"
