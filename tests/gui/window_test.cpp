// The window's wiring: which control holds what, which handler commits, what each
// button does. The operations themselves are tested in core.
#include "fake_dialogs.h"
#include "preguntas.h"
#include "preview_box.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace vireta;

class WindowTest : public QObject {
    Q_OBJECT

    FakeDialogs dialogs;
    std::unique_ptr<TForm1> form;

    QString statement(int k) const {
        return QString::fromStdString(form->model().questions.record(k)[FieldSlot::enunciado]);
    }
    // Types a statement into the question on screen.
    void type(const QString& text) { form->txtpreg->setText(text); }
    // Builds a quiz whose statements are the given texts, question 1 current.
    void makeQuestions(const QStringList& statements) {
        form->btpregClick();
        for (int i = 0; i < statements.size(); ++i) {
            if (i > 0)
                form->btinserir->click();
            type(statements[i]);
        }
        form->SpeedButton21->click();
    }

private slots:
    void init() {
        dialogs = FakeDialogs();
        form = std::make_unique<TForm1>(dialogs);
    }
    void cleanup() { form.reset(); }

    void startsOnTheAboutPageWithOneBlankQuestion() {
        QCOMPARE(form->nota->currentWidget(), form->page6);
        QCOMPARE(form->seccion->text(), QString());
        QCOMPARE(form->npreg->text(), QStringLiteral("1"));
        QCOMPARE(form->model().count, 1);
        QCOMPARE(form->windowTitle(), QStringLiteral("Sen título[*] — Vireta"));
        QCOMPARE(form->introtx->toPlainText(), QString());
        QVERIFY(!form->ordech->isChecked());
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
            {form->btinicio, form->page1, "Inicio"},
            {form->btfinal, form->page3, "Final"},
            {form->btexportar, form->page5, "Gardar"},
            {form->btpreg, form->page2, "Preguntas"},
        };
        int n = 0;
        for (const auto& c : cases) {
            const QString edit = QStringLiteral("edición %1").arg(++n);
            type(edit);
            c.button->click();
            QCOMPARE(form->nota->currentWidget(), c.page);
            QCOMPARE(form->seccion->text(), c.caption);
            QCOMPARE(statement(1), edit);
        }
    }

    void anEditSurvivesLeavingAndComingBack() {
        form->btpregClick();
        type(QStringLiteral("Capital de Galicia?"));
        form->txtresp1->setText(QStringLiteral("Santiago"));
        form->btfinal->click();
        form->txtpreg->clear(); // nothing on screen should be trusted: the table holds it
        form->mostra();
        form->btpreg->click();
        QCOMPARE(form->txtpreg->text(), QStringLiteral("Capital de Galicia?"));
        QCOMPARE(form->txtresp1->text(), QStringLiteral("Santiago"));
    }

    void navigationKeepsEditsAndShowsTheNumber() {
        makeQuestions({"Uno", "Dous", "Tres"});
        QCOMPARE(form->txtpreg->text(), QStringLiteral("Uno"));
        type(QStringLiteral("Uno editado"));
        form->SpeedButton24->click(); // next
        QCOMPARE(form->npreg->text(), QStringLiteral("2"));
        QCOMPARE(form->txtpreg->text(), QStringLiteral("Dous"));
        form->txtresp2->setText(QStringLiteral("mal"));
        form->SpeedButton25->click(); // last
        QCOMPARE(form->npreg->text(), QStringLiteral("3"));
        form->SpeedButton24->click(); // next on the last does nothing
        QCOMPARE(form->model().count, 3);
        QCOMPARE(form->npreg->text(), QStringLiteral("3"));
        form->SpeedButton22->click(); // previous
        QCOMPARE(form->txtresp2->text(), QStringLiteral("mal"));
        form->SpeedButton21->click(); // first
        QCOMPARE(form->txtpreg->text(), QStringLiteral("Uno editado"));
        form->SpeedButton22->click(); // previous on the first does nothing
        QCOMPARE(form->npreg->text(), QStringLiteral("1"));
        QVERIFY(dialogs.shown.empty());
    }

    void insertMakesABlankQuestionWithTheCommonValues() {
        form->txtcorcomun->setText(QStringLiteral("Moi ben!"));
        form->txtincorcomun->setText(QStringLiteral("Non"));
        form->txtsoncorcomun->setText(QStringLiteral("/sons/ben.mp3"));
        form->txtsonincorcomun->setText(QStringLiteral("/sons/mal.mp3"));
        makeQuestions({"1", "2", "3", "4"});
        form->SpeedButton24->click();
        form->btinserir->click();
        QCOMPARE(form->npreg->text(), QStringLiteral("3"));
        QCOMPARE(form->txtpreg->text(), QString());
        QCOMPARE(form->txtcor->text(), QStringLiteral("Moi ben!"));
        QCOMPARE(form->txtincor->text(), QStringLiteral("Non"));
        QCOMPARE(form->txtsoncor->text(), QStringLiteral("/sons/ben.mp3"));
        QCOMPARE(form->txtsonincor->text(), QStringLiteral("/sons/mal.mp3"));
        QCOMPARE(form->model().count, 5);
        QCOMPARE(statement(4), QStringLiteral("3"));
    }

    void insertIntoAFullQuizIsRefusedWithAMessage() {
        form->btpregClick();
        for (int k = 2; k <= kQuestionCapacity; ++k)
            form->btinserir->click();
        QVERIFY(dialogs.shown.empty());
        form->btinserir->click();
        QCOMPARE(form->model().count, kQuestionCapacity);
        QCOMPARE(dialogs.kinds(), QStringList{"inform"});
        QCOMPARE(dialogs.shown[0].text, QStringLiteral("Non se poden engadir máis de 200 preguntas."));
    }

    void deleteAsksWithTheNumberAndShowsThePreviousQuestion() {
        makeQuestions({"1", "2", "3", "4", "5"});
        form->npreg->setText(QStringLiteral("3"));
        form->btira->click();
        dialogs.confirmAnswer = false;
        form->SpeedButton20->click();
        QCOMPARE(form->model().count, 5);
        dialogs.confirmAnswer = true;
        form->SpeedButton20->click();
        QCOMPARE(dialogs.shown.size(), std::size_t(2));
        QCOMPARE(dialogs.shown[1].kind, QStringLiteral("confirm"));
        QCOMPARE(dialogs.shown[1].text, QStringLiteral("Borrar pregunta 3?"));
        QCOMPARE(form->model().count, 4);
        QCOMPARE(form->npreg->text(), QStringLiteral("2"));
        QCOMPARE(form->txtpreg->text(), QStringLiteral("2"));
        QCOMPARE(statement(3), QStringLiteral("4"));
    }

    void theOnlyQuestionIsAskedAboutButKept() {
        form->btpregClick();
        type(QStringLiteral("única"));
        form->SpeedButton20->click();
        QCOMPARE(dialogs.shown.size(), std::size_t(1));
        QCOMPARE(dialogs.shown[0].text, QStringLiteral("Borrar pregunta 1?"));
        QCOMPARE(form->model().count, 1);
        QCOMPARE(form->txtpreg->text(), QStringLiteral("única"));
    }

    void goToTakesOnlyExistingNumbers() {
        makeQuestions({"1", "2", "3"});
        for (const char* typed : {"0", "-1", "4", "99999999999"}) {
            form->npreg->setText(QLatin1String(typed));
            form->btira->click();
            QCOMPARE(form->model().current, 1);
            if (QLatin1String(typed) != QLatin1String("99999999999"))
                QCOMPARE(form->npreg->text(), QLatin1String(typed));
        }
        form->npreg->setText(QStringLiteral("3"));
        form->btira->click();
        QCOMPARE(form->txtpreg->text(), QStringLiteral("3"));
    }

    void goToReportsTextThatIsNoNumber() {
        makeQuestions({"1", "2"});
        type(QStringLiteral("kept"));
        form->npreg->setText(QStringLiteral("dous"));
        form->btira->click();
        QCOMPARE(dialogs.kinds(), QStringList{"error"});
        QCOMPARE(dialogs.shown[0].text, QStringLiteral("'dous' is not a valid integer value."));
        QCOMPARE(form->model().current, 1);
        QCOMPARE(statement(1), QStringLiteral("kept")); // the commit came first
    }

    void firstVisitPrefillsOnceOnly() {
        form->txtcorcomun->setText(QStringLiteral("Ben"));
        form->txtsonincorcomun->setText(QStringLiteral("mal.mp3"));
        form->btpreg->click();
        QCOMPARE(form->txtcor->text(), QStringLiteral("Ben"));
        QCOMPARE(form->txtsonincor->text(), QStringLiteral("mal.mp3"));
        form->btinicio->click();
        form->txtcorcomun->setText(QStringLiteral("Outro"));
        form->btpreg->click();
        QCOMPARE(form->txtcor->text(), QStringLiteral("Ben"));
    }

    void novoAsksThenResetsTheQuestionsOnly() {
        form->titulotx->setText(QStringLiteral("Xeografía"));
        form->txtcorcomun->setText(QStringLiteral("Ben"));
        makeQuestions({"1", "2"});
        form->btfinal->click();

        // With unsaved work "Novo" asks the three-way question.
        dialogs.saveAnswer = Dialogs::SaveAnswer::Cancel;
        form->btnovo->click();
        QCOMPARE(form->model().count, 2);
        QCOMPARE(form->nota->currentWidget(), form->page3);

        dialogs.saveAnswer = Dialogs::SaveAnswer::Discard;
        form->btnovo->click();
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("askToSave"));
        QCOMPARE(form->model().count, 1);
        QCOMPARE(form->nota->currentWidget(), form->page1);
        QCOMPARE(form->seccion->text(), QStringLiteral("Inicio")); // the strip names the page
        QCOMPARE(form->titulotx->text(), QStringLiteral("Xeografía"));
        QCOMPARE(form->txtcorcomun->text(), QStringLiteral("Ben"));
        QCOMPARE(form->txtpreg->text(), QString());
        form->btpreg->click(); // a new quiz prefills again
        QCOMPARE(form->txtcor->text(), QStringLiteral("Ben"));
    }

    void resizeCentresTheSectionPanels() {
        QCOMPARE(TForm1::centredLeft(684 + 16, 684), 8);
        QCOMPARE(TForm1::centredLeft(684 + 17, 684), 8);
        QCOMPARE(TForm1::centredLeft(684 + 18, 684), 9);
        QCOMPARE(TForm1::centredLeft(684 + 19, 684), 10);
        QCOMPARE(TForm1::centredLeft(684 - 100, 684), -50);

        form->show();
        for (int width : {900, 701, 500}) {
            form->resize(width, 500);
            QCoreApplication::processEvents();
            const int outer = form->frameGeometry().width();
            QCOMPARE(form->panelb->x(), TForm1::centredLeft(outer, 684));
            QCOMPARE(form->panelpr->x(), TForm1::centredLeft(outer, 684));
            QCOMPARE(form->Panel17->x(), TForm1::centredLeft(outer, 619));
            QCOMPARE(form->Panel17->y(), 70);
        }
    }

    void helpIsReportedWhenTheFileIsMissing() {
        for (const QString& folder : TForm1::helpFolders())
            QVERIFY(!QFile::exists(folder + "/vireta.html"));
        form->btfinal->click();
        form->btaxuda->click();
        QCOMPARE(dialogs.kinds(), QStringList{"warn"});
        QCOMPARE(dialogs.shown[0].title, QStringLiteral("Vireta"));
        QCOMPARE(dialogs.shown[0].text,
                 QStringLiteral("A axuda non está dispoñible. Trate de buscar vireta.html"));
        QCOMPARE(form->nota->currentWidget(), form->page3);
    }

    void helpIsHandedToTheDesktopWhenPresent() {
        const QString path = QCoreApplication::applicationDirPath() + "/vireta.html";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        form->btaxuda->click();
        QFile::remove(path);
        QCOMPARE(dialogs.kinds(), QStringList{"desktop"});
        QCOMPARE(dialogs.shown[0].text, path);
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
        form->setGeneralData(g);
        QCOMPARE(form->introtx->toPlainText(), QStringLiteral("liña 1\nliña 2"));
        QVERIFY(form->generalData() == g);
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
