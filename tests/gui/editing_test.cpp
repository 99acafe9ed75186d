// What a desktop editor has: the title bar, the counter, Ctrl+S, the keyboard, undo and
// redo, the question about unsaved work and the safe default buttons.
#include "actions/file_actions.h"
#include "editing/undo_controller.h"
#include "fake_dialogs.h"
#include "image_dialog.h"
#include "pages/ordering_page.h"
#include "pages/save_page.h"
#include "preguntas.h"
#include "preview_box.h"
#include "quiz_session.h"
#include "window_controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

#include <memory>

using namespace vireta;

class EditingTest : public QObject {
    Q_OBJECT

    FakeDialogs dialogs;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<WindowControls> ui;
    std::unique_ptr<QTemporaryDir> dir;

    // The title as the window manager shows it.
    QString shownTitle() const {
        QString t = form->windowTitle();
        return t.replace(QStringLiteral("[*]"),
                         form->isWindowModified() ? QStringLiteral("*") : QString());
    }
    QStringList statements() const {
        QStringList out;
        for (int k = 1; k <= form->session().model().count; ++k)
            out << QString::fromStdString(form->session().model().questions.record(k)[FieldSlot::enunciado]);
        return out;
    }
    void makeQuestions(const QStringList& texts) {
        form->btpregClick();
        for (int i = 0; i < texts.size(); ++i) {
            if (i > 0)
                ui->btinserir->click();
            ui->txtpreg->setText(texts[i]);
        }
        ui->SpeedButton21->click();
    }
    void showActive() {
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    QByteArray readFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void noMedia() {
        ui->chkcopia->setChecked(false);
        ui->chkempaqueta->setChecked(false);
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        dialogs = FakeDialogs();
        form = std::make_unique<TForm1>(dialogs);
        ui = std::make_unique<WindowControls>(*form);
    }
    void cleanup() {
        if (form)
            form->session().undoStack().clear();
        form.reset();
    }

    void theTitleNamesTheFileAndMarksChanges() {
        QCOMPARE(shownTitle(), QStringLiteral("Sen título — Vireta"));
        ui->titulotx->setText(QStringLiteral("Ríos"));
        QCOMPARE(shownTitle(), QStringLiteral("Sen título* — Vireta"));
        ui->titulotx->clear(); // back as it was: nothing to save
        QCOMPARE(shownTitle(), QStringLiteral("Sen título — Vireta"));

        ui->btpreg->click();
        ui->txtpreg->setText(QStringLiteral("Río máis longo?"));
        QVERIFY(form->isWindowModified()); // typing alone marks it
        noMedia();
        dialogs.fileAnswers = {dir->filePath("xeografia")};
        QVERIFY(form->fileActions().saveQuiz());
        QCOMPARE(shownTitle(), QStringLiteral("xeografia.xml — Vireta"));
        QCOMPARE(form->windowFilePath(), dir->filePath("xeografia.xml"));

        ui->btinserir->click();
        QCOMPARE(shownTitle(), QStringLiteral("xeografia.xml* — Vireta"));

        form = std::make_unique<TForm1>(dialogs);

        ui = std::make_unique<WindowControls>(*form);
        form->fileActions().LoadItem(dir->filePath("xeografia.xml"));
        QCOMPARE(shownTitle(), QStringLiteral("xeografia.xml — Vireta"));
        ui->txtresp1->setText(QStringLiteral("Miño"));
        QCOMPARE(shownTitle(), QStringLiteral("xeografia.xml* — Vireta"));

        dialogs.saveAnswer = Dialogs::SaveAnswer::Discard;
        ui->btnovo->click();
        QCOMPARE(shownTitle(), QStringLiteral("Sen título — Vireta"));
    }

    void theCounterFollowsEveryOperation() {
        auto total = [this] { return ui->lbtotal->text(); };
        QCOMPARE(total(), QStringLiteral("de 1"));
        makeQuestions({"1", "2", "3"});
        QCOMPARE(total(), QStringLiteral("de 3"));
        ui->SpeedButton20->click();
        QCOMPARE(total(), QStringLiteral("de 2"));
        form->undoController().undo();
        QCOMPARE(total(), QStringLiteral("de 3"));
        form->undoController().redo();
        QCOMPARE(total(), QStringLiteral("de 2"));
        dialogs.saveAnswer = Dialogs::SaveAnswer::Discard;
        ui->btnovo->click();
        QCOMPARE(total(), QStringLiteral("de 1"));
    }

    void ctrlSAsksForANameOnceThenWritesThere() {
        showActive();
        ui->btpreg->click();
        ui->txtpreg->setText(QStringLiteral("Primeira"));
        noMedia();
        ui->ctformatos->setCurrentIndex(1); // the save page's tab does not matter
        dialogs.fileAnswers = {dir->filePath("cuestionario.xml")};
        ui->txtpreg->setFocus();
        QTest::keyClick(ui->txtpreg, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs.kinds(), QStringList{"save"});
        QVERIFY(readFile(dir->filePath("cuestionario.xml")).contains("Primeira"));
        QVERIFY(!form->isWindowModified());

        ui->txtpreg->setText(QStringLiteral("Segunda"));
        QTest::keyClick(ui->txtpreg, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs.kinds(), QStringList{"save"}); // no second dialog
        QVERIFY(readFile(dir->filePath("cuestionario.xml")).contains("Segunda"));
        QCOMPARE(form->savePage().chosenFormat(), Format::Html);
    }

    void ctrlSReportsAFailureAsGardarDoes() {
        dialogs.fileAnswers = {dir->filePath("non-hai/cartafol.xml")};
        noMedia();
        QVERIFY(!form->fileActions().saveQuiz());
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("inform"));
        QVERIFY(dialogs.shown.back().text.startsWith(
            QStringLiteral("Non se puido gardar o arquivo :") + dir->filePath("non-hai/cartafol.xml")));
        QCOMPARE(form->session().quizPath(), QString());
        dialogs.shown.clear();
        QVERIFY(!form->fileActions().saveQuiz()); // a cancelled dialog saves nothing
        QCOMPARE(dialogs.kinds(), QStringList{"save"});
    }

    void everyShortcutRunsItsCommand() {
        showActive();
        const QString help = QCoreApplication::applicationDirPath() + "/vireta.html";
        QFile file(help);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        ui->btpreg->click();
        ui->txtpreg->setFocus();

        QTest::keyClick(ui->txtpreg, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(ui->nota->currentWidget(), ui->page5);
        ui->btpreg->click();
        QTest::keyClick(form.get(), Qt::Key_F1);
        QCOMPARE(dialogs.kinds(), QStringList{"url"});
        QFile::remove(help);
        QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("open"));
        QTest::keyClick(form.get(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(dialogs.shown.back().text,
                 QStringLiteral("Novo arquivo de preguntas (Se preme Aceptar perderá os datos) ?"));
        QCOMPARE(ui->nota->currentWidget(), ui->page1);

        // The Alt mnemonics of the top bar press their buttons.
        const struct {
            Qt::Key key;
            QWidget* page;
        } mnemonics[] = {{Qt::Key_P, ui->page2}, {Qt::Key_F, ui->page3},
                         {Qt::Key_I, ui->page1}, {Qt::Key_E, ui->page5}};
        for (const auto& m : mnemonics) {
            QTest::keyClick(form.get(), m.key, Qt::AltModifier);
            QTRY_COMPARE(ui->nota->currentWidget(), m.page);
        }
        for (QToolButton* b : {ui->btinicio, ui->btpreg, ui->btfinal, ui->btnovo,
                               ui->btabrir, ui->btexportar, ui->btaxuda})
            QVERIFY2(b->toolTip().contains(QLatin1Char('(')), qPrintable(b->objectName()));
        QCOMPARE(ui->btaxuda->accessibleName(), QStringLiteral("Axuda"));
    }

    void anAltLetterThatIsNoShortcutTypesNothing() {
        showActive();
        ui->btpreg->click();
        ui->txtpreg->setText(QStringLiteral("Capital"));
        ui->txtpreg->setFocus();
        QTest::keyClick(ui->txtpreg, Qt::Key_Q, Qt::AltModifier, 1);
        QTest::keyClicks(ui->txtpreg, QStringLiteral("w"), Qt::AltModifier);
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("Capital"));
        ui->btinicio->click();
        ui->introtx->setFocus();
        QTest::keyClicks(ui->introtx, QStringLiteral("k"), Qt::AltModifier);
        QCOMPARE(ui->introtx->toPlainText(), QString());
        QTest::keyClicks(ui->introtx, QStringLiteral("ok"));
        QCOMPARE(ui->introtx->toPlainText(), QStringLiteral("ok"));
        // Alt+I is a shortcut: it shows "Inicio" and types nothing either.
        ui->btpreg->click();
        ui->txtpreg->setFocus();
        QTest::keyClick(ui->txtpreg, Qt::Key_I, Qt::AltModifier);
        QTRY_COMPARE(ui->nota->currentWidget(), ui->page1);
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("Capital"));
    }

    void undoAndRedoRestoreQuestionsAndNumber() {
        makeQuestions({"1", "2", "3"});
        ui->npreg->setText(QStringLiteral("2"));
        ui->btira->click();
        struct Case {
            const char* name;
            std::function<void()> run;
        };
        const Case cases[] = {
            {"insert", [this] { ui->btinserir->click(); }},
            {"delete", [this] { ui->SpeedButton20->click(); }},
            {"order",
             [this] {
                 ui->btmostra->click();
                 ui->listapreguntas->setCurrentRow(0);
                 form->orderingPage().moveSelectedEntry(+1);
                 ui->btordea->click();
             }},
            {"new", [this] { ui->btnovo->click(); }},
        };
        for (const auto& c : cases) {
            const QStringList before = statements();
            const int current = form->session().model().current;
            c.run();
            const QStringList after = statements();
            const int currentAfter = form->session().model().current;
            QVERIFY2(after != before, c.name);
            form->undoController().undo();
            QCOMPARE(statements(), before);
            QCOMPARE(form->session().model().current, current);
            QCOMPARE(ui->npreg->text(), QString::number(current));
            QCOMPARE(ui->txtpreg->text(), before[current - 1]);
            form->undoController().redo();
            QCOMPARE(statements(), after);
            QCOMPARE(form->session().model().current, currentAfter);
            form->undoController().undo();
            ui->btpreg->click();
        }
        QCOMPARE(statements(), (QStringList{"1", "2", "3"}));
    }

    void aTextEditIsOneStepOnceCommitted() {
        makeQuestions({"1", "2"});
        form->session().undoStack().clear();
        ui->txtpreg->setText(QStringLiteral("un"));
        ui->SpeedButton24->click(); // leaving commits it
        QCOMPARE(form->session().undoStack().count(), 1);
        ui->SpeedButton22->click(); // navigation alone is no step
        QCOMPARE(form->session().undoStack().count(), 1);
        ui->btdesfacer->click();
        QCOMPARE(statements(), (QStringList{"1", "2"}));
        QCOMPARE(form->session().model().current, 1);
        QVERIFY(!ui->btdesfacer->isEnabled());
        QVERIFY(ui->btrefacer->isEnabled());
        ui->btrefacer->click();
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("un"));

        // Ctrl+Z undoes the box's own typing first, then the steps.
        showActive();
        ui->btpreg->click();
        ui->txtpreg->setFocus();
        QTest::keyClicks(ui->txtpreg, QStringLiteral("x"));
        QTest::keyClick(ui->txtpreg, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("un"));
        QTest::keyClick(ui->txtpreg, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("1"));
        QTest::keyClick(ui->txtpreg, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("un"));
    }

    void openingStartsANewHistory() {
        makeQuestions({"1", "2"});
        noMedia();
        dialogs.fileAnswers = {dir->filePath("dous.xml")};
        QVERIFY(form->fileActions().saveQuiz());
        QVERIFY(form->session().undoStack().canUndo());
        form->fileActions().LoadItem(dir->filePath("dous.xml"));
        QVERIFY(!form->session().undoStack().canUndo());
        QCOMPARE(ui->nota->currentWidget(), ui->page1);
        QCOMPARE(ui->seccion->text(), QStringLiteral("Inicio"));
    }

    void theThreeWayQuestionAndItsAnswers() {
        struct Case {
            Dialogs::SaveAnswer answer;
            bool closes;
            bool written;
        };
        const Case cases[] = {
            {Dialogs::SaveAnswer::Save, true, true},
            {Dialogs::SaveAnswer::Discard, true, false},
            {Dialogs::SaveAnswer::Cancel, false, false},
        };
        int n = 0;
        for (const auto& c : cases) {
            form = std::make_unique<TForm1>(dialogs);
            ui = std::make_unique<WindowControls>(*form);
            form->show();
            dialogs.shown.clear();
            noMedia();
            ui->titulotx->setText(QStringLiteral("Sen gardar"));
            const QString path = dir->filePath(QStringLiteral("q%1.xml").arg(++n));
            dialogs.saveAnswer = c.answer;
            dialogs.fileAnswers = {path};
            QCOMPARE(form->close(), c.closes);
            QCOMPARE(dialogs.shown[0].kind, QStringLiteral("askToSave"));
            QCOMPARE(dialogs.shown[0].text,
                     QStringLiteral("Hai cambios sen gardar no cuestionario. Quere gardalos?"));
            QVERIFY(dialogs.shown[0].cancelIsDefault);
            QCOMPARE(QFile::exists(path), c.written);
        }

        // "Gardar" goes on only when the save did: a cancelled save dialog keeps the quiz.
        form = std::make_unique<TForm1>(dialogs);
        ui = std::make_unique<WindowControls>(*form);
        form->show();
        makeQuestions({"a", "b"});
        dialogs.saveAnswer = Dialogs::SaveAnswer::Save;
        dialogs.fileAnswers.clear();
        ui->btnovo->click();
        QCOMPARE(form->session().model().count, 2);
        ui->btabrir->click();
        QVERIFY(!dialogs.kinds().contains(QStringLiteral("open")));
        QVERIFY(!form->close());
        // Saved, "Abrir" goes on to its dialog and "Novo" to the reset.
        dialogs.fileAnswers = {dir->filePath("gardado.xml"), std::nullopt};
        ui->btabrir->click();
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("open"));
        QVERIFY(QFile::exists(dir->filePath("gardado.xml")));
        form->session().undoStack().clear();
    }

    void confirmationsThatDestroyDefaultToCancel() {
        makeQuestions({"Capital de Galicia?", "Río máis longo?"});
        ui->SpeedButton20->click();
        QCOMPARE(dialogs.shown.back().text, QStringLiteral("Borrar pregunta 1?"));
        QCOMPARE(dialogs.shown.back().detail, QStringLiteral("Capital de Galicia?"));
        QVERIFY(dialogs.shown.back().cancelIsDefault);
        noMedia();
        dialogs.fileAnswers = {dir->filePath("x.xml")};
        QVERIFY(form->fileActions().saveQuiz());
        ui->btnovo->click(); // nothing unsaved: "Novo" asks its own question
        QCOMPARE(dialogs.shown.back().text,
                 QStringLiteral("Novo arquivo de preguntas (Se preme Aceptar perderá os datos) ?"));
        QVERIFY(dialogs.shown.back().cancelIsDefault);

        // Replacing a file that the dialog could not see (the name had no extension).
        form = std::make_unique<TForm1>(dialogs);
        ui = std::make_unique<WindowControls>(*form);
        noMedia();
        dialogs.fileAnswers = {dir->filePath("x")};
        dialogs.confirmAnswer = false;
        QVERIFY(!form->fileActions().saveQuiz());
        QCOMPARE(dialogs.shown.back().text, QStringLiteral("Xa existe x.xml.\nDesexa substituílo?"));
        QVERIFY(dialogs.shown.back().cancelIsDefault);
    }

    void theStripNamesThePageAfterNovoAndOpen() {
        ui->btexportar->click();
        QCOMPARE(ui->seccion->text(), QStringLiteral("Gardar"));
        ui->btnovo->click();
        QCOMPARE(ui->nota->currentWidget(), ui->page1);
        QCOMPARE(ui->seccion->text(), QStringLiteral("Inicio"));

        noMedia();
        dialogs.fileAnswers = {dir->filePath("a.xml")};
        QVERIFY(form->fileActions().saveQuiz());
        ui->btexportar->click();
        dialogs.fileAnswers = {dir->filePath("a.xml")};
        ui->btabrir->click();
        QCOMPARE(ui->nota->currentWidget(), ui->page1);
        QCOMPARE(ui->seccion->text(), QStringLiteral("Inicio"));
    }

    // Leaving the ordering page with moves not yet applied asks first; every way out.
    void leavingTheOrderingPageAsksAboutMovesNotApplied() {
        using A = Dialogs::SaveAnswer;
        const struct {
            const char* leave;
            A answer;
            QStringList statements; // afterwards
            bool stays;              // on the ordering page
        } cases[] = {
            {"btinicio", A::Save, {"B", "A", "C"}, false},
            {"btfinal", A::Discard, {"A", "B", "C"}, false},
            {"btexportar", A::Cancel, {"A", "B", "C"}, true},
            {"btpreg", A::Cancel, {"A", "B", "C"}, true},
            {"btabrir", A::Cancel, {"A", "B", "C"}, true},
        };
        showActive();
        makeQuestions({"A", "B", "C"});
        for (const auto& c : cases) {
            ui->btpreg->click();
            ui->btmostra->click();
            dialogs.shown.clear();
            ui->btinicio->click(); // nothing moved: no question
            QVERIFY(dialogs.shown.empty());
            ui->btpreg->click();
            ui->btmostra->click();
            ui->listapreguntas->setCurrentRow(0);
            form->orderingPage().moveSelectedEntry(+1);
            dialogs.applyAnswer = c.answer;
            dialogs.fileAnswers = {std::nullopt};
            form->findChild<QToolButton*>(c.leave)->click();
            QCOMPARE(dialogs.shown.at(0).kind, QStringLiteral("askToApply"));
            QCOMPARE(dialogs.shown.at(0).text, QStringLiteral("Aplicar a nova orde das preguntas?"));
            QCOMPARE(statements(), c.statements);
            QCOMPARE(ui->nota->currentWidget() == form->findChild<QWidget*>(QStringLiteral("page4")), c.stays);
            if (c.answer == A::Save) { // one step of "Desfacer" puts the order back
                form->undoController().undo();
                QCOMPARE(statements(), (QStringList{"A", "B", "C"}));
            }
        }
        // Closing the window asks too; cancelled, it stays open.
        QVERIFY(!form->close());
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("askToApply"));
    }

    void theOrderingListMovesFromTheKeyboard() {
        showActive();
        makeQuestions({"A", "B", "C"});
        ui->btmostra->click();
        ui->listapreguntas->setFocus();
        ui->listapreguntas->setCurrentRow(0);
        QTest::keyClick(ui->listapreguntas, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(ui->listapreguntas->item(1)->text(), QStringLiteral("01 -- A"));
        QCOMPARE(ui->listapreguntas->currentRow(), 1);
        QTest::keyClick(ui->listapreguntas, Qt::Key_Down, Qt::AltModifier);
        QTest::keyClick(ui->listapreguntas, Qt::Key_Down, Qt::AltModifier); // already last
        QCOMPARE(ui->listapreguntas->item(2)->text(), QStringLiteral("01 -- A"));
        ui->btsubir->click();
        QCOMPARE(ui->listapreguntas->item(1)->text(), QStringLiteral("01 -- A"));
        ui->listapreguntas->setCurrentRow(0);
        QTest::keyClick(ui->listapreguntas, Qt::Key_Up, Qt::AltModifier); // already first
        QCOMPARE(ui->listapreguntas->item(0)->text(), QStringLiteral("02 -- B"));
        ui->btbaixar->click();
        QCOMPARE(ui->listapreguntas->item(0)->text(), QStringLiteral("01 -- A"));
        ui->listapreguntas->setCurrentRow(2);
        QTest::keyClick(ui->listapreguntas, Qt::Key_Up, Qt::AltModifier);
        QTest::keyClick(ui->listapreguntas, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(ui->listapreguntas->item(0)->text(), QStringLiteral("03 -- C"));
        QCOMPARE(statements(), (QStringList{"A", "B", "C"})); // only "Ordear" applies it
        ui->btordea->click();
        QCOMPARE(statements(), (QStringList{"C", "A", "B"}));
        // The list takes the width the instruction leaves.
        QVERIFY(ui->listapreguntas->width() > 386);
        auto* hint = form->findChild<QLabel*>(QStringLiteral("ordeaaxuda"));
        QVERIFY(hint->height() >= hint->heightForWidth(hint->width()));
    }

    void thePictureDialogPreviewsTheSelectedPicture() {
        const QString png = dir->filePath("mapa.png");
        QImage picture(400, 300, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QVERIFY(picture.save(png));
        ImageFileDialog dialog(nullptr, QStringLiteral("Abrir un arquivo existente"),
                               QStringLiteral("Imaxes (*.png)"));
        dialog.showPreview(png);
        const QPixmap shown = dialog.preview()->pixmap();
        QCOMPARE(shown.size(), QSize(196, 147)); // fitted into the questions page's box
        QCOMPARE(shown.toImage().pixelColor(10, 10), QColor(Qt::blue));
        dialog.showPreview(dir->path()); // a folder
        QVERIFY(dialog.preview()->pixmap().isNull());
        QFile broken(dir->filePath("roto.png"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("\x89PNG\r\n\x1a\nnon");
        broken.close();
        dialog.showPreview(broken.fileName());
        QVERIFY(dialog.preview()->pixmap().isNull());
        QCOMPARE(dialog.preview()->toolTip(), QStringLiteral("A imaxe está danada"));
    }

    void theGreyCrossSaysWhy() {
        ui->btpreg->click();
        QFile broken(dir->filePath("roto.jpg"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("non é un jpeg");
        broken.close();
        QFile text(dir->filePath("notas.gif"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("GIF89a");
        text.close();
        const struct {
            QString path;
            QString tip;
        } cases[] = {
            {dir->filePath("falta.png"), QStringLiteral("Non se atopa o arquivo")},
            {text.fileName(), QStringLiteral("Non é unha imaxe que se poida ler")},
            {broken.fileName(), QStringLiteral("A imaxe está danada")},
        };
        for (const auto& c : cases) {
            ui->txtimaxe->setText(c.path);
            QTest::keyClick(ui->txtimaxe, Qt::Key_Return); // Return refreshes the preview
            QCOMPARE(ui->imaxe->state(), PreviewBox::State::InvalidImage);
            QCOMPARE(ui->imaxe->toolTip(), c.tip);
        }
        ui->txtimaxe->clear();
        QTest::keyClick(ui->txtimaxe, Qt::Key_Return);
        QCOMPARE(ui->imaxe->toolTip(), QString());
    }

    void aSoundThatCannotPlaySaysSoWithoutADialog() {
        form->show();
        ui->btpreg->click();
        ui->txtson->setText(dir->filePath("falta.mp3"));
        auto* play = form->findChild<QToolButton*>(QStringLiteral("btponson4"));
        const QString tip = play->toolTip();
        play->click();
        const QString note = QStringLiteral("Non se pode reproducir o son: falta.mp3 (non se atopa o arquivo)");
        QCOMPARE(ui->aviso->text(), note);
        QVERIFY(ui->aviso->isVisible());
        QCOMPARE(play->toolTip(), tip + QLatin1Char('\n') + note);
        QVERIFY(dialogs.shown.empty());
        ui->txtson->clear();
        play->click(); // an empty box plays nothing and gives the tooltip back
        QCOMPARE(play->toolTip(), tip);
    }

    void theWindowKeepsItsDesignSizeAtLeast() {
        QCOMPARE(form->minimumSize(), QSize(TForm1::kDesignWidth - 16, TForm1::kDesignHeight - 39));
        form->show();
        form->resize(300, 200);
        QCOMPARE(form->size(), form->minimumSize());
    }

    void smallThingsWhereATeacherExpectsThem() {
        showActive();
        // After insert the cursor waits in "Pregunta".
        ui->btpreg->click();
        ui->txtenlace->setFocus();
        ui->btinserir->click();
        QCOMPARE(QApplication::focusWidget(), ui->txtpreg);

        // A long help text shows its start after an open.
        ui->axudatx->setText(QString(300, QLatin1Char('x')) + QStringLiteral("fin"));
        noMedia();
        dialogs.fileAnswers = {dir->filePath("longo.xml"), dir->filePath("longo.xml")};
        QVERIFY(form->fileActions().saveQuiz());
        ui->btabrir->click();
        QCOMPARE(ui->axudatx->cursorPosition(), 0);

        // Tab reaches "Copiar arquivos" and "Empaquetar" before "Gardar".
        ui->btexportar->click();
        ui->ctformatos->setCurrentIndex(1);
        ui->texto->setFocus();
        QStringList reached;
        for (int i = 0; i < 8 && QApplication::focusWidget() != ui->btgarda; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached << QApplication::focusWidget()->objectName();
        }
        const auto copy = reached.indexOf(QStringLiteral("chkcopia"));
        const auto pack = reached.indexOf(QStringLiteral("chkempaqueta"));
        const auto save = reached.indexOf(QStringLiteral("btgarda"));
        QVERIFY2(copy >= 0 && copy < pack && pack < save, qPrintable(reached.join(", ")));
    }
};

QTEST_MAIN(EditingTest)
#include "editing_test.moc"
