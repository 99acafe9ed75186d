// The window's wiring: which control holds what, which handler commits, what each
// button does. The operations themselves are tested in core.
#include "editing/question_navigator.h"
#include "fake_dialogs.h"
#include "pages/quiz_screen.h"
#include "preguntas.h"
#include "preview_box.h"
#include "quiz_session.h"
#include "window_controls.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <cstdlib>
#include <memory>

using namespace vireta;

class WindowTest : public QObject {
    Q_OBJECT

    FakeDialogs dialogs;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<WindowControls> ui;

    QString statement(int k) const {
        return QString::fromStdString(form->session().model().questions.record(k)[FieldSlot::enunciado]);
    }
    // Types a statement into the question on screen.
    void type(const QString& text) { ui->txtpreg->setText(text); }
    // Builds a quiz whose statements are the given texts, question 1 current.
    void makeQuestions(const QStringList& statements) {
        form->btpregClick();
        for (int i = 0; i < statements.size(); ++i) {
            if (i > 0)
                ui->btinserir->click();
            type(statements[i]);
        }
        ui->SpeedButton21->click();
    }

private slots:
    void init() {
        dialogs = FakeDialogs();
        form = std::make_unique<TForm1>(dialogs);
        ui = std::make_unique<WindowControls>(*form);
    }
    void cleanup() { form.reset(); }

    void startsOnTheAboutPageWithOneBlankQuestion() {
        QCOMPARE(ui->nota->currentWidget(), ui->page6);
        QCOMPARE(ui->seccion->text(), QString());
        QCOMPARE(ui->npreg->text(), QStringLiteral("1"));
        QCOMPARE(form->session().model().count, 1);
        QCOMPARE(form->windowTitle(), QStringLiteral("Sen título[*] — Vireta"));
        QCOMPARE(ui->introtx->toPlainText(), QString());
        QVERIFY(!ui->ordech->isChecked());
    }

    void everyControlCarriesItsOwnName() {
        const char* names[] = {
            "Panel1", "Panel2", "Panel3", "Panel4", "btinicio", "btpreg", "btfinal", "btnovo",
            "btabrir", "btexportar", "btaxuda", "seccion", "nota", "page1", "page2", "page3",
            "page4", "page5", "page6", "page7", "panelb", "panelpr", "Panel17", "Panel18",
            "titulotx", "subtitulotx", "tempotx", "ordech", "axudatx", "autortx", "introtx",
            "sontx", "txtcorcomun", "txtincorcomun", "txtsoncorcomun", "txtsonincorcomun",
            "txtpreg", "txtresp1", "txtresp2", "txtresp3", "txtresp4", "txtimaxe", "txtson",
            "txtcor", "txtsoncor", "txtincor", "txtsonincor", "txtenlace", "imaxe", "btmostra",
            "SpeedButton20", "SpeedButton21", "SpeedButton22", "btinserir", "SpeedButton24",
            "SpeedButton25", "npreg", "btira", "SpeedButton14", "bentx", "sonbentx", "maltx",
            "sonmaltx", "flvimax", "novale", "btabrson1", "btponson1", "btabrson2", "btponson2",
            "btabrson3", "btponson3", "btabrson4", "btponson5", "btabrson5", "btponson6",
            "btabrson6", "btponson4", "btabrson7", "btponson7", "btabrson8", "btponson8",
            "btabrson9"};
        for (const char* name : names)
            QVERIFY2(form->findChild<QObject*>(QLatin1String(name)) != nullptr, name);
    }

    void sectionButtonsCommitAndShowTheirPageAndCaption() {
        struct Case {
            QToolButton* button;
            QWidget* page;
            QString caption;
        };
        const Case cases[] = {
            {ui->btinicio, ui->page1, "Inicio"},
            {ui->btfinal, ui->page3, "Final"},
            {ui->btexportar, ui->page5, "Gardar"},
            {ui->btpreg, ui->page2, "Preguntas"},
        };
        int n = 0;
        for (const auto& c : cases) {
            const QString edit = QStringLiteral("edición %1").arg(++n);
            type(edit);
            c.button->click();
            QCOMPARE(ui->nota->currentWidget(), c.page);
            QCOMPARE(ui->seccion->text(), c.caption);
            QCOMPARE(statement(1), edit);
        }
    }

    void anEditSurvivesLeavingAndComingBack() {
        form->btpregClick();
        type(QStringLiteral("Capital de Galicia?"));
        ui->txtresp1->setText(QStringLiteral("Santiago"));
        ui->btfinal->click();
        ui->txtpreg->clear(); // nothing on screen should be trusted: the table holds it
        form->navigator().mostra();
        ui->btpreg->click();
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("Capital de Galicia?"));
        QCOMPARE(ui->txtresp1->text(), QStringLiteral("Santiago"));
    }

    void navigationKeepsEditsAndShowsTheNumber() {
        makeQuestions({"Uno", "Dous", "Tres"});
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("Uno"));
        type(QStringLiteral("Uno editado"));
        ui->SpeedButton24->click(); // next
        QCOMPARE(ui->npreg->text(), QStringLiteral("2"));
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("Dous"));
        ui->txtresp2->setText(QStringLiteral("mal"));
        ui->SpeedButton25->click(); // last
        QCOMPARE(ui->npreg->text(), QStringLiteral("3"));
        ui->SpeedButton24->click(); // next on the last does nothing
        QCOMPARE(form->session().model().count, 3);
        QCOMPARE(ui->npreg->text(), QStringLiteral("3"));
        ui->SpeedButton22->click(); // previous
        QCOMPARE(ui->txtresp2->text(), QStringLiteral("mal"));
        ui->SpeedButton21->click(); // first
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("Uno editado"));
        ui->SpeedButton22->click(); // previous on the first does nothing
        QCOMPARE(ui->npreg->text(), QStringLiteral("1"));
        QVERIFY(dialogs.shown.empty());
    }

    void insertMakesABlankQuestionWithTheCommonValues() {
        ui->txtcorcomun->setText(QStringLiteral("Moi ben!"));
        ui->txtincorcomun->setText(QStringLiteral("Non"));
        ui->txtsoncorcomun->setText(QStringLiteral("/sons/ben.mp3"));
        ui->txtsonincorcomun->setText(QStringLiteral("/sons/mal.mp3"));
        makeQuestions({"1", "2", "3", "4"});
        ui->SpeedButton24->click();
        ui->btinserir->click();
        QCOMPARE(ui->npreg->text(), QStringLiteral("3"));
        QCOMPARE(ui->txtpreg->text(), QString());
        QCOMPARE(ui->txtcor->text(), QStringLiteral("Moi ben!"));
        QCOMPARE(ui->txtincor->text(), QStringLiteral("Non"));
        QCOMPARE(ui->txtsoncor->text(), QStringLiteral("/sons/ben.mp3"));
        QCOMPARE(ui->txtsonincor->text(), QStringLiteral("/sons/mal.mp3"));
        QCOMPARE(form->session().model().count, 5);
        QCOMPARE(statement(4), QStringLiteral("3"));
    }

    void insertIntoAFullQuizIsRefusedWithAMessage() {
        form->btpregClick();
        for (int k = 2; k <= kQuestionCapacity; ++k)
            ui->btinserir->click();
        QVERIFY(dialogs.shown.empty());
        ui->btinserir->click();
        QCOMPARE(form->session().model().count, kQuestionCapacity);
        QCOMPARE(dialogs.kinds(), QStringList{"inform"});
        QCOMPARE(dialogs.shown[0].text, QStringLiteral("Non se poden engadir máis de 200 preguntas."));
    }

    void deleteAsksWithTheNumberAndShowsThePreviousQuestion() {
        makeQuestions({"1", "2", "3", "4", "5"});
        ui->npreg->setText(QStringLiteral("3"));
        ui->btira->click();
        dialogs.confirmAnswer = false;
        ui->SpeedButton20->click();
        QCOMPARE(form->session().model().count, 5);
        dialogs.confirmAnswer = true;
        ui->SpeedButton20->click();
        QCOMPARE(dialogs.shown.size(), std::size_t(2));
        QCOMPARE(dialogs.shown[1].kind, QStringLiteral("confirm"));
        QCOMPARE(dialogs.shown[1].text, QStringLiteral("Borrar pregunta 3?"));
        QCOMPARE(form->session().model().count, 4);
        QCOMPARE(ui->npreg->text(), QStringLiteral("2"));
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("2"));
        QCOMPARE(statement(3), QStringLiteral("4"));
    }

    void theOnlyQuestionIsAskedAboutButKept() {
        form->btpregClick();
        type(QStringLiteral("única"));
        ui->SpeedButton20->click();
        QCOMPARE(dialogs.shown.size(), std::size_t(1));
        QCOMPARE(dialogs.shown[0].text, QStringLiteral("Borrar pregunta 1?"));
        QCOMPARE(form->session().model().count, 1);
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("única"));
    }

    void goToTakesOnlyExistingNumbers() {
        makeQuestions({"1", "2", "3"});
        for (const char* typed : {"0", "-1", "4", "99999999999"}) {
            ui->npreg->setText(QLatin1String(typed));
            ui->btira->click();
            QCOMPARE(form->session().model().current, 1);
            if (QLatin1String(typed) != QLatin1String("99999999999"))
                QCOMPARE(ui->npreg->text(), QLatin1String(typed));
        }
        ui->npreg->setText(QStringLiteral("3"));
        ui->btira->click();
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("3"));
    }

    void goToReportsTextThatIsNoNumber() {
        makeQuestions({"1", "2"});
        type(QStringLiteral("kept"));
        ui->npreg->setText(QStringLiteral("dous"));
        ui->btira->click();
        QCOMPARE(dialogs.kinds(), QStringList{"error"});
        QCOMPARE(dialogs.shown[0].text, QStringLiteral("'dous' is not a valid integer value."));
        QCOMPARE(form->session().model().current, 1);
        QCOMPARE(statement(1), QStringLiteral("kept")); // the commit came first
    }

    void firstVisitPrefillsOnceOnly() {
        ui->txtcorcomun->setText(QStringLiteral("Ben"));
        ui->txtsonincorcomun->setText(QStringLiteral("mal.mp3"));
        ui->btpreg->click();
        QCOMPARE(ui->txtcor->text(), QStringLiteral("Ben"));
        QCOMPARE(ui->txtsonincor->text(), QStringLiteral("mal.mp3"));
        ui->btinicio->click();
        ui->txtcorcomun->setText(QStringLiteral("Outro"));
        ui->btpreg->click();
        QCOMPARE(ui->txtcor->text(), QStringLiteral("Ben"));
    }

    void novoAsksThenResetsTheQuestionsOnly() {
        ui->titulotx->setText(QStringLiteral("Xeografía"));
        ui->txtcorcomun->setText(QStringLiteral("Ben"));
        makeQuestions({"1", "2"});
        ui->btfinal->click();

        // With unsaved work "Novo" asks the three-way question.
        dialogs.saveAnswer = Dialogs::SaveAnswer::Cancel;
        ui->btnovo->click();
        QCOMPARE(form->session().model().count, 2);
        QCOMPARE(ui->nota->currentWidget(), ui->page3);

        dialogs.saveAnswer = Dialogs::SaveAnswer::Discard;
        ui->btnovo->click();
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("askToSave"));
        QCOMPARE(form->session().model().count, 1);
        QCOMPARE(ui->nota->currentWidget(), ui->page1);
        QCOMPARE(ui->seccion->text(), QStringLiteral("Inicio")); // the strip names the page
        QCOMPARE(ui->titulotx->text(), QStringLiteral("Xeografía"));
        QCOMPARE(ui->txtcorcomun->text(), QStringLiteral("Ben"));
        QCOMPARE(ui->txtpreg->text(), QString());
        ui->btpreg->click(); // a new quiz prefills again
        QCOMPARE(ui->txtcor->text(), QStringLiteral("Ben"));
    }

    // The pages grow with the window from its design size, which is also the least it
    // takes: the boxes widen by their shares of the spare width, the introduction takes
    // the spare height, the picture's box grows with its column as far as the height
    // lets it, keeping its proportions, and no control leaves its page.
    void thePagesGrowWithTheWindowFromTheirDesignSize() {
        const QSize design(TForm1::kDesignWidth - 16, TForm1::kDesignHeight - 39);
        const QSize large(1200 - 16, 800 - 39); // 1200 x 800 with the design's frame
        const struct {
            QSize asked, got;
            bool pictureHasTheHeight; // the page has the room the picture's proportions ask
        } cases[] = {
            {design, design, true},
            {{300, 200}, design, true}, // never below the design size
            {large, large, true},
            {{large.width(), design.height()}, {large.width(), design.height()}, false},
            {{design.width(), large.height()}, {design.width(), large.height()}, true},
        };
        form->show();
        for (const auto& c : cases) {
            const QString size = QStringLiteral("%1x%2").arg(c.asked.width()).arg(c.asked.height());
            form->resize(c.asked);
            QCOMPARE(form->size(), c.got);
            const int wider = c.got.width() - design.width(), taller = c.got.height() - design.height();
            for (QWidget* page : {ui->page1, ui->page2, ui->page3, ui->page4, ui->page5, ui->page6}) {
                ui->nota->setCurrentWidget(page);
                ui->ctformatos->setCurrentIndex(1);
                // The picture's place asks for its height once it knows its width.
                for (int pass = 0; pass < 3; ++pass)
                    QCoreApplication::processEvents();
                for (QWidget* w : page->findChildren<QWidget*>()) {
                    if (w->isVisibleTo(page) && !w->isWindow())
                        QVERIFY2(page->rect().contains(QRect(w->mapTo(page, QPoint(0, 0)), w->size())),
                                 qPrintable(size + QLatin1Char(' ') + w->objectName()));
                }
            }
            // The general data's column takes 330 parts of the spare width for 224 of its
            // sound's; the statement and the end message have the spare width to themselves.
            QCOMPARE(ui->titulotx->width(), 330 + qRound(wider * 330 / 554.0));
            QCOMPARE(ui->txtpreg->width(), 570 + wider);
            QCOMPARE(ui->bentx->width(), 400 + wider);
            QCOMPARE(ui->introtx->height(), 104 + taller);
            QCOMPARE(ui->estilo->width() > 220, wider > 0);

            // The picture's column takes 200 parts of the spare width for the answers' 438;
            // the box inside a 2-pixel bevel keeps the proportions of 196 x 150.
            const QSize box = ui->imaxe->size() - QSize(4, 4);
            QVERIFY2(std::abs(box.width() * 150 - box.height() * 196) <= 196, qPrintable(size));
            const int column = 200 + qRound(wider * 200 / 638.0);
            if (c.pictureHasTheHeight)
                QVERIFY2(std::abs(ui->imaxe->width() - column) <= 1, qPrintable(size));
            else // as tall as the rows under it leave room for
                QVERIFY2(ui->imaxe->width() < column && ui->imaxe->height() >= 154, qPrintable(size));
            if (c.got == design)
                QCOMPARE(ui->imaxe->size(), QSize(200, 154));

            // A picture half the design box's size keeps that share of the grown box.
            QImage half(98, 75, QImage::Format_RGB32);
            half.fill(Qt::red);
            ui->imaxe->showPicture(half);
            const QImage shown = ui->imaxe->grab().toImage();
            QRect red;
            for (int y = 0; y < shown.height(); ++y) {
                for (int x = 0; x < shown.width(); ++x) {
                    const QColor colour = shown.pixelColor(x, y);
                    if (colour.red() > 200 && colour.green() < 60)
                        red |= QRect(x, y, 1, 1);
                }
            }
            const double growth = std::min(box.width() / 196.0, box.height() / 150.0);
            QVERIFY2(std::abs(red.width() - 98 * growth) <= 1.5, qPrintable(size));
            QVERIFY2(std::abs(red.height() - 75 * growth) <= 1.5, qPrintable(size));
            QVERIFY2(std::abs(red.center().x() - ui->imaxe->width() / 2) <= 1, qPrintable(size));
        }
    }

    // "Axuda" looks in folders of the test's own, so no other test can put a help file
    // where this one expects none.
    void helpIsReportedWhenTheFileIsMissing() {
        QTemporaryDir dir;
        form->setHelpFolders({dir.path()});
        QVERIFY(!QFile::exists(dir.filePath("vireta.html")));
        ui->btfinal->click();
        ui->btaxuda->click();
        QCOMPARE(dialogs.kinds(), QStringList{"warn"});
        QCOMPARE(dialogs.shown[0].title, QStringLiteral("Vireta"));
        QCOMPARE(dialogs.shown[0].text,
                 QStringLiteral("A axuda non está dispoñible. Trate de buscar vireta.html"));
        QCOMPARE(ui->nota->currentWidget(), ui->page3);
    }

    void helpOpensInTheBrowserWhenPresent() {
        QTemporaryDir empty, installed;
        form->setHelpFolders({empty.path(), installed.path()});
        const QString path = installed.filePath("vireta.html");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        ui->btaxuda->click();
        QCOMPARE(dialogs.kinds(), QStringList{"url"});
        QCOMPARE(dialogs.shown[0].text, QUrl::fromLocalFile(path).toString());

        // Without a browser, the teacher learns where the page is.
        dialogs.shown.clear();
        dialogs.browserStarts = false;
        ui->btaxuda->click();
        QCOMPARE(dialogs.kinds(), (QStringList{"url", "error"}));
        QCOMPARE(dialogs.shown[1].text, QStringLiteral("Non se puido abrir o navegador.\n") + path);
    }

    void helpIsLookedForBesideTheProgramThenInTheInstalledFolder() {
        const QString program = QCoreApplication::applicationDirPath();
        QCOMPARE(TForm1::helpFolders(),
                 (QStringList{program, QDir::cleanPath(program + QStringLiteral("/../share/vireta"))}));
    }

    void filtersTakeTheFileDialogsSyntax() {
        QCOMPARE(qtFilter(QStringLiteral("Sons mp3|*.mp3;*.MP3|*.*|*.*")),
                 QStringLiteral("Sons mp3 (*.mp3 *.MP3);;*.* (*)"));
        QCOMPARE(qtFilter(QStringLiteral(" *.htm|*.htm;*.html;*.HTM;*.HTML")),
                 QStringLiteral("*.htm (*.htm *.html *.HTM *.HTML)"));
        QCOMPARE(qtFilter(QStringLiteral(" *.ebk|*.ebk;*.EBK|*.xml|*.xml;*.XML")),
                 QStringLiteral("*.ebk (*.ebk *.EBK);;*.xml (*.xml *.XML)"));
        QCOMPARE(qtFilter(QStringLiteral("Imaxes *.jpeg,*.png|*.jpg;*.JPG;*.jpeg;*.JPEG;*.png;*.PNG|*.*|*.*")),
                 QStringLiteral("Imaxes *.jpeg,*.png (*.jpg *.JPG *.jpeg *.JPEG *.png *.PNG);;*.* (*)"));
    }

    void generalDataRoundTripsThroughTheControls() {
        GeneralData g;
        g.title = "Título";
        g.subtitle = "Sub";
        g.time = "10";
        g.inOrder = true;
        g.help = "Axuda";
        g.author = "Ana";
        g.intro = "liña 1\r\nliña 2";
        g.introSound = "/s/intro.mp3";
        g.endWell = "Ben";
        g.endWellSound = "/s/ben.mp3";
        g.endBad = "Mal";
        g.endBadSound = "/s/mal.mp3";
        form->quizScreen().setGeneralData(g);
        QCOMPARE(ui->introtx->toPlainText(), QStringLiteral("liña 1\nliña 2"));
        QVERIFY(form->quizScreen().generalData() == g);
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
