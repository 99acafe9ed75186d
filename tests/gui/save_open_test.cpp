// The save page and "Abrir" through the injected dialogs: what reaches the disk, what
// comes back, and when the window asks about unsaved work.
#include "actions/file_actions.h"
#include "actions/save_actions.h"
#include "fake_dialogs.h"
#include "pages/quiz_screen.h"
#include "pages/save_page.h"
#include "preguntas.h"
#include "quiz_session.h"
#include "window_controls.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

#include <memory>

#include <sys/stat.h>

using namespace vireta;

class SaveOpenTest : public QObject {
    Q_OBJECT

    FakeDialogs dialogs;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<WindowControls> ui;
    std::unique_ptr<QTemporaryDir> dir; // a new folder for every test

    QByteArray readFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void fillQuiz() {
        ui->titulotx->setText(QStringLiteral("Ríos & montes"));
        ui->autortx->setText(QStringLiteral("Ana"));
        ui->ordech->setChecked(true);
        ui->introtx->setPlainText(QStringLiteral("Liña un\nLiña dous"));
        ui->bentx->setText(QStringLiteral("Ben feito"));
        ui->btpreg->click();
        ui->txtpreg->setText(QStringLiteral("Río máis longo?"));
        ui->txtresp1->setText(QStringLiteral("Miño"));
        ui->txtresp2->setText(QStringLiteral("Sil < Miño"));
        ui->btinserir->click();
        ui->txtpreg->setText(QStringLiteral("Monte máis alto?"));
        ui->txtresp1->setText(QStringLiteral("Trevinca"));
    }
    // Saves in the format of tab `tab` under `name`, with both check boxes cleared.
    // A null name cancels the dialog.
    void saveAs(int tab, const QString& name) {
        ui->btexportar->click();
        ui->ctformatos->setCurrentIndex(tab);
        ui->chkcopia->setChecked(false);
        ui->chkempaqueta->setChecked(false);
        dialogs.fileAnswers.push_back(name.isNull() ? std::optional<QString>() : name);
        ui->btgarda->click();
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        dialogs = FakeDialogs();
        form = std::make_unique<TForm1>(dialogs);
        ui = std::make_unique<WindowControls>(*form);
    }
    void cleanup() { form.reset(); }

    void savePageStartsWithItsDesignValues() {
        QCOMPARE(ui->ctformatos->count(), 7);
        const QStringList tabs{"XML", "HTML", "JavaScript", "EBK", "Web", "Outros", "Papel"};
        for (int i = 0; i < tabs.size(); ++i)
            QCOMPARE(ui->ctformatos->tabText(i), tabs[i]);
        QCOMPARE(ui->ctformatos->currentIndex(), 0);
        QCOMPARE(form->savePage().chosenFormat(), Format::Xml);
        QVERIFY(ui->chkcopia->isChecked());
        QVERIFY(ui->chkempaqueta->isChecked());
        QVERIFY(ui->chkutf->isChecked());
        QVERIFY(!ui->chkrevolver->isChecked());
        QCOMPARE(ui->lonx1->text(), QStringLiteral("20"));
        QCOMPARE(ui->lonx2->text(), QStringLiteral("20"));
        QCOMPARE(ui->btgarda->text(), QStringLiteral("Gardar"));
        ui->ctformatos->setCurrentIndex(3);
        QCOMPARE(form->savePage().chosenFormat(), Format::Ebk);
    }

    // Where each dialog starts and the name a save dialog offers, along a teacher's
    // session: a new quiz, its first save, an export, "Novo", and the media pickers.
    void dialogsStartWhereTheQuizIsAndOfferItsName() {
        auto button = [&](const char* name) { return form->findChild<QToolButton*>(name); };
        auto offered = [&] {
            for (auto s = dialogs.shown.rbegin(); s != dialogs.shown.rend(); ++s)
                if (s->kind == QStringLiteral("save"))
                    return s->text.section(QLatin1Char('\n'), 1);
            return QString();
        };
        const QString home = QDir::homePath();
        ui->titulotx->setText(QStringLiteral("Patrimonio de Galicia"));
        ui->btpreg->click();
        ui->txtpreg->setText(QStringLiteral("Onde está o Pórtico da Gloria?"));
        ui->txtresp1->setText(QStringLiteral("Santiago"));

        QVERIFY(QDir().mkpath(dir->filePath("web")));
        QVERIFY(QDir().mkpath(dir->filePath("quiz")));
        saveAs(1, dir->filePath("web/paxina")); // an export before the quiz has a file
        QCOMPARE(offered(), home + QStringLiteral("/patrimonio-de-galicia.html"));
        saveAs(0, dir->filePath("quiz/patrimonio"));
        QCOMPARE(offered(), dir->filePath("web/patrimonio-de-galicia.xml")); // the last folder used
        saveAs(6, QString());                                                 // the paper test, cancelled
        QCOMPARE(offered(), dir->filePath("quiz/patrimonio.pdf"));           // beside the quiz file
        ui->btnovo->click();
        dialogs.fileAnswers = {std::nullopt};
        ui->btabrir->click();
        QCOMPARE(dialogs.shown.back().folder, dir->filePath("quiz"));
        saveAs(1, QString());
        QCOMPARE(offered(), dir->filePath("quiz/patrimonio-de-galicia.html"));

        // The picture and sound pickers start there, then each where it was last used.
        const struct {
            const char* button;
            QString answer;
            QString folder;
        } picks[] = {
            {"btabrson9", dir->filePath("fotos/portico.jpg"), dir->filePath("quiz")},
            {"btabrson6", dir->filePath("sons/gaita.mp3"), dir->filePath("quiz")},
            {"btabrson9", QString(), dir->filePath("fotos")},
            {"btabrson6", QString(), dir->filePath("sons")},
        };
        ui->btpreg->click();
        for (const auto& p : picks) {
            dialogs.fileAnswers = {p.answer.isEmpty() ? std::optional<QString>() : p.answer};
            button(p.button)->click();
            QCOMPARE(dialogs.shown.back().folder, p.folder);
        }
    }

    // "Gardar" on the top bar, beside "Abrir", and Ctrl+S: the quiz file, asked for a
    // name the first time, then written in place.
    void theTopBarSavesTheQuiz() {
        QCOMPARE(ui->btgardar->text(), QStringLiteral("&Gardar"));
        QVERIFY(!ui->btgardar->icon().isNull());
        QCOMPARE(ui->btgardar->parentWidget(), ui->btabrir->parentWidget());
        fillQuiz();
        dialogs.fileAnswers = {dir->filePath("rios")};
        ui->btgardar->click();
        QCOMPARE(dialogs.kinds(), QStringList{"save"});
        QVERIFY(QFile::exists(dir->filePath("rios.xml")));
        ui->txtpreg->setText(QStringLiteral("Monte máis alto de Galicia?"));
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs.kinds(), QStringList{"save"}); // no second question
        QVERIFY(readFile(dir->filePath("rios.xml")).contains("Monte máis alto de Galicia?"));
    }

    // Every save that succeeds says so on the strip, with the folder as the tooltip;
    // one that fails says nothing there.
    void everySuccessfulSaveSaysWhere() {
        fillQuiz();
        auto* note = form->findChild<QLabel*>(QStringLiteral("aviso"));
        const struct {
            int tab;
            const char* name;
            const char* shown; // empty: no note
        } saves[] = {
            {0, "xogo", "Gardado en xogo.xml"},
            {1, "paxina.htm", "Gardado en paxina.htm"},
            {4, "xogo", "Gardado en xogo.html"},
            {6, "proba", "Gardado en proba.pdf"},
            {1, "non-hai/paxina", ""},
        };
        for (const auto& s : saves) {
            note->clear();
            note->hide();
            saveAs(s.tab, dir->filePath(QString::fromLatin1(s.name)));
            QCOMPARE(note->isVisibleTo(form.get()), *s.shown != '\0');
            QCOMPARE(note->text(), QString::fromUtf8(s.shown));
            if (*s.shown)
                QCOMPARE(note->toolTip(), QDir::toNativeSeparators(dir->path()));
        }
    }

    void saveThenOpenRestoresTheQuiz() {
        fillQuiz();
        saveAs(0, dir->filePath("xogo"));
        const QString written = dir->filePath("xogo.xml");
        QVERIFY(QFile::exists(written));
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("save"));
        QCOMPARE(dialogs.shown.back().title, QStringLiteral("Gardar o arquivo como"));
        QVERIFY(dialogs.shown.back().text.startsWith(QStringLiteral("*.xml|*.xml;*.XML\n")));

        const GeneralData before = form->quizScreen().generalData();
        ui->btnovo->click();
        ui->titulotx->setText(QStringLiteral("outro"));
        dialogs.fileAnswers = {written};
        ui->btabrir->click();
        QVERIFY(dialogs.kinds().contains("open"));
        QVERIFY(form->quizScreen().generalData() == before);
        QCOMPARE(form->session().model().count, 2);
        QCOMPARE(ui->nota->currentWidget(), ui->page1);
        QCOMPARE(ui->npreg->text(), QStringLiteral("1"));
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("Río máis longo?"));
        QCOMPARE(ui->txtresp2->text(), QStringLiteral("Sil < Miño"));
        QVERIFY(!form->fileActions().hasUnsavedChanges());

        // A question opened from a file keeps its own messages on the first visit.
        ui->txtcorcomun->setText(QStringLiteral("común"));
        ui->btpreg->click();
        QCOMPARE(ui->txtcor->text(), QString());
    }

    void theWebTabSavesTheGameOrItsScormPackage() {
        QVERIFY(!ui->chkunarquivo->isChecked());
        QVERIFY(!ui->chkscorm->isChecked());
        fillQuiz();
        saveAs(4, dir->filePath("xogo"));
        QCOMPARE(form->savePage().chosenFormat(), Format::Web);
        QVERIFY(dialogs.shown.back().text.startsWith(QStringLiteral(" *.htm|*.htm;*.html;*.HTM;*.HTML\n")));
        const QByteArray page = readFile(dir->filePath("xogo.html"));
        QVERIFY(page.startsWith("<!DOCTYPE html>\r\n<html lang=\"gl\">"));
        QVERIFY(page.contains("\"title\":\"Ríos \\u0026 montes\""));
        QVERIFY(!page.contains("\"scorm\""));

        ui->chkscorm->setChecked(true);
        ui->chkunarquivo->setChecked(true);
        QVERIFY(form->savePage().exportSettings().singleFile);
        saveAs(4, dir->filePath("paquete"));
        QVERIFY(dialogs.shown.back().text.startsWith(QStringLiteral(" *.zip|*.zip;*.ZIP\n")));
        QVERIFY(readFile(dir->filePath("paquete.zip")).startsWith("PK\x03\x04"));
        QVERIFY(!QFile::exists(dir->filePath("paquete.tar")));
    }

    // "Nota para aprobar (%)" on the end page is the quiz's: it reaches the web game
    // and the quiz file, comes back with an open, counts as unsaved work and is undone
    // as one step however many times the box changed.
    void thePassMarkOfTheEndPageIsTheQuizsAndIsUndone() {
        QCOMPARE(ui->notaaprobar->value(), 50);
        QVERIFY(ui->page3->isAncestorOf(ui->notaaprobar));
        QVERIFY(ui->notaaprobar->toolTip().contains(QStringLiteral("remata ben")));
        fillQuiz();
        saveAs(0, dir->filePath("xogo"));
        QVERIFY(readFile(dir->filePath("xogo.xml")).contains("<xogo version=\"1.0\">\r\n"));
        QVERIFY(!form->fileActions().hasUnsavedChanges());

        QUndoStack& history = form->session().undoStack();
        const int steps = history.count(); // the questions' steps
        ui->btfinal->click();
        ui->notaaprobar->setValue(61);
        ui->notaaprobar->setValue(63);
        QVERIFY(form->fileActions().hasUnsavedChanges());
        QVERIFY(form->isWindowModified());
        QCOMPARE(history.count(), steps + 1);
        QCOMPARE(history.undoText(), QStringLiteral("Nota para aprobar"));
        QVERIFY(ui->btdesfacer->isEnabled());

        saveAs(4, dir->filePath("xogo"));
        QVERIFY(readFile(dir->filePath("xogo.html")).contains(",\"passMark\":63,"));
        saveAs(0, dir->filePath("xogo"));
        QVERIFY(readFile(dir->filePath("xogo.xml")).contains("<xogo version=\"1.0\" aprobado=\"63\">\r\n"));
        QVERIFY(!form->isWindowModified());

        // Undo and redo through the buttons, then Ctrl+Z in the box itself.
        ui->btdesfacer->click();
        QCOMPARE(ui->notaaprobar->value(), 50);
        QVERIFY(form->isWindowModified());
        QCOMPARE(history.count(), steps + 1); // an undo records no new step
        ui->btrefacer->click();
        QCOMPARE(ui->notaaprobar->value(), 63);
        QVERIFY(!form->isWindowModified());
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        ui->btfinal->click();
        ui->notaaprobar->setFocus();
        QTest::keyClick(ui->notaaprobar, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(ui->notaaprobar->value(), 50);
        QTest::keyClick(ui->notaaprobar, Qt::Key_Up);
        QCOMPARE(ui->notaaprobar->value(), 51);
        QCOMPARE(history.count(), steps + 1); // in place of the step undone
        QTest::keyClick(ui->notaaprobar, Qt::Key_Down);
        QCOMPARE(history.count(), steps); // back where it began: no step
        QVERIFY(form->isWindowModified()); // the file holds 63

        // An open shows the file's pass mark and starts a new history.
        ui->notaaprobar->setValue(90);
        dialogs.saveAnswer = Dialogs::SaveAnswer::Discard;
        dialogs.fileAnswers = {dir->filePath("xogo.xml")};
        ui->btabrir->click();
        QCOMPARE(ui->notaaprobar->value(), 63);
        QVERIFY(!history.canUndo());
        QVERIFY(!form->fileActions().hasUnsavedChanges());
    }

    void theDialogOffersThePreviousNameWithItsExtension() {
        saveAs(0, dir->filePath("primeiro"));
        saveAs(3, dir->filePath("libro"));
        QVERIFY(dialogs.shown.back().text.endsWith(QLatin1Char('\n') + dir->filePath("primeiro.ebk")));
        QVERIFY(QFile::exists(dir->filePath("libro.ebk")));
        QVERIFY(readFile(dir->filePath("libro.ebk")).startsWith("<?xml version=\"1.0\" ?>\r\n<ebk"));
    }

    void aCancelledSaveWritesNothing() {
        ui->btexportar->click();
        ui->btgarda->click(); // no answer scripted: the dialog is cancelled
        QCOMPARE(dialogs.kinds(), QStringList{"save"});
        QVERIFY(QDir(dir->path()).isEmpty());
        QVERIFY(form->saveActions().memo().text().rfind("<?xml", 0) == 0);
    }

    void eachFormatHandsItsFilterToTheDialog() {
        form->session().generator() = ShuffleGenerator::withFixedSeed(7);
        saveAs(1, dir->filePath("paxina"));
        QVERIFY(dialogs.shown.back().text.startsWith(QStringLiteral(" *.htm|*.htm;*.html;*.HTM;*.HTML\n")));
        QVERIFY(readFile(dir->filePath("paxina.html")).startsWith("<!DOCTYPE HTML PUBLIC"));
        saveAs(2, dir->filePath("marcar"));
        QVERIFY(readFile(dir->filePath("marcar.html")).contains("function quiz()"));
    }

    void aFailedSaveIsReportedAndKeepsTheQuiz() {
        fillQuiz();
        const QString path = dir->filePath("non/existe/xogo.xml");
        saveAs(0, path);
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("inform"));
        QCOMPARE(dialogs.shown.back().text, QStringLiteral("Non se puido gardar o arquivo :") + path +
                                                QStringLiteral("\nNon existe o arquivo ou o cartafol"));
        QVERIFY(form->fileActions().hasUnsavedChanges());
    }

    void mediaThatCannotBeCopiedAreListed() {
        ui->btpreg->click();
        ui->txtpreg->setText(QStringLiteral("Con imaxe"));
        const QString missing = dir->filePath("fotos/non-hai.png");
        ui->txtimaxe->setText(missing);
        ui->btexportar->click();
        dialogs.fileAnswers = {dir->filePath("xogo.xml")};
        ui->btgarda->click(); // both check boxes checked
        QVERIFY(QFile::exists(dir->filePath("xogo.xml")));
        QVERIFY(QFile::exists(dir->filePath("xogo.tar")));
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("inform"));
        QCOMPARE(dialogs.shown.back().text,
                 QStringLiteral("Non se puideron copiar estes arquivos:\n") + missing +
                     QStringLiteral(": Non existe o arquivo ou o cartafol"));
    }

    void aDocumentNamedLikeItsArchiveIsSavedAndTheArchiveReported() {
        ui->btexportar->click();
        dialogs.fileAnswers = {dir->filePath("xogo.tar")};
        ui->btgarda->click();
        QVERIFY(readFile(dir->filePath("xogo.tar")).startsWith("<?xml"));
        QCOMPARE(dialogs.shown.back().text,
                 QStringLiteral("Non se puido gardar o arquivo :") + dir->filePath("xogo.tar") +
                     QStringLiteral("\nTen o mesmo nome que o documento gardado"));
    }

    // Saved as "xeo" on "XML", then "Gardar" on "HTML": the dialog offers xeo.html,
    // so pressing Return leaves the quiz file alone.
    void anExportAfterASaveOffersItsOwnNameNotTheQuizFiles() {
        fillQuiz();
        saveAs(0, dir->filePath("xeo"));
        const QByteArray quiz = readFile(dir->filePath("xeo.xml"));
        QVERIFY(quiz.startsWith("<?xml"));
        const struct {
            int tab;
            const char* offered;
        } cases[] = {{1, "xeo.html"}, {2, "xeo.html"}, {3, "xeo.ebk"}, {0, "xeo.xml"}};
        for (const auto& c : cases) {
            ui->ctformatos->setCurrentIndex(c.tab);
            dialogs.fileAnswers.push_back(std::nullopt); // only look at what is offered
            ui->btgarda->click();
            const QString offered = dialogs.shown.back().text.section(QLatin1Char('\n'), 1);
            QCOMPARE(offered, dir->filePath(QString::fromLatin1(c.offered)));
            if (c.tab != 0) {
                dialogs.fileAnswers.push_back(offered); // Return
                ui->btgarda->click();
            }
        }
        QCOMPARE(readFile(dir->filePath("xeo.xml")), quiz);
        QVERIFY(readFile(dir->filePath("xeo.ebk")).startsWith("<?xml version=\"1.0\" ?>\r\n<ebk"));
        QVERIFY2(!dialogs.kinds().contains("confirm"), "the offered names were new");
    }

    // A name typed without its extension is completed after the dialog closed: when
    // that file exists, the window asks before replacing it.
    void replacingAFileTheDialogCouldNotSeeAsksFirst() {
        const QString page = dir->filePath("xeo.html");
        QFile f(page);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("earlier page");
        f.close();
        dialogs.confirmAnswer = false;
        saveAs(1, dir->filePath("xeo"));
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("confirm"));
        QCOMPARE(dialogs.shown.back().text, QStringLiteral("Xa existe xeo.html.\nDesexa substituílo?"));
        QCOMPARE(readFile(page), QByteArray("earlier page"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"xeo.html"});

        dialogs.confirmAnswer = true;
        saveAs(1, dir->filePath("xeo"));
        QVERIFY(readFile(page).startsWith("<!DOCTYPE HTML PUBLIC"));

        // A new name asks nothing.
        dialogs.shown.clear();
        saveAs(1, dir->filePath("novo"));
        QCOMPARE(dialogs.kinds(), QStringList{"save"});
    }

    void aPipeOpenedAsAQuizFailsAtOnce() {
        const QString fifo = dir->filePath("xogo.xml");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0644) == 0);
        ui->titulotx->setText(QStringLiteral("mantido"));
        dialogs.confirmAnswer = true;
        dialogs.fileAnswers = {fifo};
        ui->btabrir->click();
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("inform"));
        QCOMPARE(dialogs.shown.back().text,
                 QStringLiteral("Erro no arquivo :") + fifo + QStringLiteral("\nNon é un arquivo normal"));
        QCOMPARE(ui->titulotx->text(), QStringLiteral("mantido"));
    }

    void aCancelledOpenChangesNothing() {
        ui->titulotx->setText(QStringLiteral("sen gardar"));
        ui->btpreg->click();
        ui->txtpreg->setText(QStringLiteral("pregunta"));
        ui->btabrir->click(); // not to be saved, then the file dialog is cancelled
        QCOMPARE(dialogs.kinds(), (QStringList{"askToSave", "open"}));
        QCOMPARE(ui->titulotx->text(), QStringLiteral("sen gardar"));
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("pregunta"));
        QCOMPARE(ui->nota->currentWidget(), ui->page2);
    }

    void aFailedOpenKeepsTheQuizAsItWas() {
        fillQuiz();
        ui->SpeedButton21->click();
        ui->SpeedButton24->click();
        const GeneralData before = form->quizScreen().generalData();
        const QString bad = dir->filePath("roto.xml");
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<xogo version=\"1.0\"><titulo>sen pechar");
        f.close();
        // The reason the core knows comes on a second line, in Galician.
        const struct {
            QString path;
            QString reason;
        } cases[] = {
            {bad, QStringLiteral("O XML non é válido na liña 1, columna 39: o arquivo remata sen pechar a "
                                 "etiqueta «<titulo>»")},
            {dir->filePath("non-existe.xml"), QStringLiteral("Non existe o arquivo ou o cartafol")},
        };
        for (const auto& [path, reason] : cases) {
            dialogs.confirmAnswer = true;
            dialogs.fileAnswers = {path};
            ui->btabrir->click();
            QCOMPARE(dialogs.shown.back().kind, QStringLiteral("inform"));
            QCOMPARE(dialogs.shown.back().text, QStringLiteral("Erro no arquivo :") + path + '\n' + reason);
            QVERIFY(form->quizScreen().generalData() == before);
            QCOMPARE(form->session().model().count, 2);
            QCOMPARE(form->session().model().current, 2);
            QCOMPARE(ui->txtpreg->text(), QStringLiteral("Monte máis alto?"));
        }
    }

    void closingAsksOnlyWhenThereAreUnsavedChanges() {
        QVERIFY(form->close());
        QVERIFY(dialogs.shown.empty());

        form = std::make_unique<TForm1>(dialogs);

        ui = std::make_unique<WindowControls>(*form);
        form->show();
        ui->btpreg->click();
        ui->txtpreg->setText(QStringLiteral("nova"));
        dialogs.saveAnswer = Dialogs::SaveAnswer::Cancel;
        QVERIFY(!form->close());
        QCOMPARE(dialogs.shown.back().text,
                 QStringLiteral("Hai cambios sen gardar no cuestionario. Quere gardalos?"));
        QVERIFY(form->isVisible());

        saveAs(1, dir->filePath("export.html")); // an export is not a saved quiz
        dialogs.shown.clear();
        QVERIFY(!form->close());
        QCOMPARE(dialogs.kinds(), QStringList{"askToSave"});

        saveAs(0, dir->filePath("gardado.xml"));
        dialogs.shown.clear();
        QVERIFY(form->close());
        QVERIFY(dialogs.shown.empty());
    }

    void abrirAsksBeforeDroppingChanges() {
        ui->titulotx->setText(QStringLiteral("cambiado"));
        dialogs.saveAnswer = Dialogs::SaveAnswer::Cancel;
        ui->btabrir->click();
        QCOMPARE(dialogs.kinds(), QStringList{"askToSave"});
        QCOMPARE(dialogs.shown[0].text,
                 QStringLiteral("Hai cambios sen gardar no cuestionario. Quere gardalos?"));
        QCOMPARE(ui->titulotx->text(), QStringLiteral("cambiado"));

        dialogs.saveAnswer = Dialogs::SaveAnswer::Discard;
        ui->btnovo->click(); // not to be saved: "Novo" counts as a fresh start
        dialogs.shown.clear();
        ui->btabrir->click();
        QCOMPARE(dialogs.kinds(), QStringList{"open"});
    }

    void styleSheetPickersFillTheirBoxes() {
        dialogs.fileAnswers = {QStringLiteral("/estilos/a.css"), QStringLiteral("/estilos/b.css")};
        form->findChild<QToolButton*>("btabrson10")->click();
        form->findChild<QToolButton*>("btabrson12")->click();
        QCOMPARE(ui->estilo->text(), QStringLiteral("/estilos/a.css"));
        QCOMPARE(ui->estilojs->text(), QStringLiteral("/estilos/b.css"));
        QCOMPARE(dialogs.shown[0].text, QStringLiteral(" *.css|*.css;*.CSS"));
    }
};

QTEST_MAIN(SaveOpenTest)
#include "save_open_test.moc"
