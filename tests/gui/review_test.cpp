// The review on the save page: the "Revisión" list, the way to a finding's field, the
// question before saving with errors, and "Ver no navegador".
#include "actions/browser_preview.h"
#include "actions/file_actions.h"
#include "actions/save_actions.h"
#include "editing/undo_controller.h"
#include "fake_dialogs.h"
#include "preguntas.h"
#include "quiz_session.h"
#include "window_controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <functional>
#include <memory>

using namespace vireta;

namespace {

const QString kExample = QStringLiteral(VIRETA_EXAMPLE_DIR "/xeografia.xml");

QStringList listed(const WindowControls& ui) {
    QStringList out;
    for (int i = 0; i < ui.listarevision->count(); ++i)
        out << ui.listarevision->item(i)->text();
    return out;
}

} // namespace

class ReviewTest : public QObject {
    Q_OBJECT

    FakeDialogs dialogs;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<WindowControls> ui;

private slots:
    void init() {
        dialogs = FakeDialogs();
        form = std::make_unique<TForm1>(dialogs);
        ui = std::make_unique<WindowControls>(*form);
        form->fileActions().LoadItem(kExample);
        QCOMPARE(form->session().model().count, 10);
        form->show();
        ui->btexportar->click();
    }

    void cleanup() { form.reset(); }

    void theListFollowsTheChosenTab() {
        const QString none = QStringLiteral("Non se atopou ningún problema.");
        QCOMPARE(listed(*ui), QStringList{none});
        QVERIFY(!(ui->listarevision->item(0)->flags() & Qt::ItemIsSelectable));

        ui->ctformatos->setCurrentIndex(1); // HTML, "Revolver respostas" clear
        QCOMPARE(listed(*ui).size(), 1);
        QVERIFY2(listed(*ui)[0].startsWith(QStringLiteral("HTML (aviso): «Revolver respostas»")),
                 qPrintable(listed(*ui)[0]));
        ui->chkrevolver->setChecked(true);
        QCOMPARE(listed(*ui), QStringList{none});

        ui->ctformatos->setCurrentIndex(2); // JavaScript, without its end messages
        ui->bentx->clear();
        ui->maltx->clear();
        ui->ctformatos->setCurrentIndex(3);
        QCOMPARE(listed(*ui), QStringList{none}); // the book writes no empty message
        ui->ctformatos->setCurrentIndex(2);
        QCOMPARE(listed(*ui).size(), 2);
        QVERIFY(listed(*ui)[0].startsWith(QStringLiteral("Final (aviso): A mensaxe «Xogo finalizado ben.»")));
        QVERIFY(listed(*ui)[1].startsWith(QStringLiteral("Final (aviso): A mensaxe «Xogo finalizado mal.»")));

        // Shown again after an edit: errors first.
        ui->btpreg->click();
        ui->SpeedButton25->click(); // the last question
        ui->txtresp1->clear();
        ui->btexportar->click();
        QCOMPARE(listed(*ui).size(), 3);
        QVERIFY2(listed(*ui)[0].startsWith(QStringLiteral("Pregunta 10 (erro): A resposta correcta")),
                 qPrintable(listed(*ui)[0]));
    }

    // An undo on the save page (Ctrl+Z there) is reviewed at once.
    void theListFollowsChangesMadeOnTheSavePage() {
        ui->btpreg->click();
        ui->SpeedButton25->click();
        ui->txtresp1->clear();
        ui->btexportar->click(); // the edit is committed: a step of its own
        QVERIFY(listed(*ui)[0].startsWith(QStringLiteral("Pregunta 10 (erro)")));
        form->undoController().undo();
        QCOMPARE(listed(*ui), QStringList{QStringLiteral("Non se atopou ningún problema.")});
    }

    void activatingAFindingGoesToItsField() {
        ui->btpreg->click();
        ui->SpeedButton24->click(); // question 2
        ui->txtresp4->setText(QStringLiteral("  vigo"));
        ui->SpeedButton24->click();
        ui->txtenlace->setText(QStringLiteral("sen-enderezo"));
        ui->btfinal->click();
        ui->maltx->setText(QStringLiteral("Volve tentalo "));
        ui->btexportar->click();
        const QStringList items = listed(*ui);
        QCOMPARE(items.size(), 4);
        QVERIFY(items[0].startsWith(QStringLiteral("Final (aviso)")));
        QVERIFY(items[1].startsWith(QStringLiteral("Pregunta 2 (aviso): As respostas 3 e 4")));
        QVERIFY(items[2].startsWith(QStringLiteral("Pregunta 2 (aviso): O texto empeza")));
        QVERIFY(items[3].startsWith(QStringLiteral("Pregunta 3 (aviso): A ligazón «sen-enderezo»")));

        // Return on question 3's link.
        ui->listarevision->setFocus();
        ui->listarevision->setCurrentRow(3);
        QTest::keyClick(ui->listarevision, Qt::Key_Return);
        QCOMPARE(ui->nota->currentWidget(), ui->page2);
        QCOMPARE(form->session().model().current, 3);
        QCOMPARE(ui->txtenlace->text(), QStringLiteral("sen-enderezo"));
        QCOMPARE(form->focusWidget(), ui->txtenlace);

        // A click and a double click on the end message.
        ui->btexportar->click();
        ui->listarevision->doItemsLayout();
        QListWidgetItem* end = ui->listarevision->item(0);
        const QRect rect = ui->listarevision->visualItemRect(end);
        QTest::mouseClick(ui->listarevision->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(ui->listarevision->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(ui->nota->currentWidget(), ui->page3);
        QCOMPARE(form->focusWidget(), ui->maltx);
        QCOMPARE(ui->maltx->cursorPosition(), ui->maltx->text().size());

        // The question from the end page, over the question on screen.
        ui->btexportar->click();
        ui->listarevision->setCurrentRow(1);
        QTest::keyClick(ui->listarevision, Qt::Key_Return);
        QCOMPARE(form->session().model().current, 2);
        QCOMPARE(ui->txtresp4->text(), QStringLiteral("  vigo"));
        QCOMPARE(form->focusWidget(), ui->txtresp4); // "Vigo" and "vigo": the later one

        // The form page's shuffle stays on the save page.
        ui->btexportar->click();
        ui->ctformatos->setCurrentIndex(1);
        const int shuffle = int(listed(*ui).indexOf(
            QRegularExpression(QStringLiteral("HTML \\(aviso\\): «Revolver.*"))));
        QVERIFY(shuffle >= 0);
        ui->listarevision->setCurrentRow(shuffle);
        QTest::keyClick(ui->listarevision, Qt::Key_Return);
        QCOMPARE(ui->nota->currentWidget(), ui->page5);
        QCOMPARE(form->focusWidget(), ui->chkrevolver);
    }

    // The findings of the kinds: each opens the question at the control to mend.
    void aKindsFindingGoesToTheControlThatMendsIt() {
        form->show();
        ui->btpreg->click();
        ui->SpeedButton24->click(); // question 2, several answers, none marked
        ui->cbtipo->setCurrentIndex(static_cast<int>(QuestionKind::Several));
        ui->SpeedButton24->click(); // question 3, a short answer
        ui->cbtipo->setCurrentIndex(static_cast<int>(QuestionKind::Short));
        ui->btexportar->click();
        ui->ctformatos->setCurrentIndex(3); // the book asks neither
        const struct {
            const char* text;
            int question;
            QWidget* control;
        } cases[] = {
            {"Pregunta 2 (aviso): A pregunta de varias respostas non ten ningunha marcada", 2, ui->chkcorrecta1},
            {"Pregunta 2 (aviso): O libro non leva preguntas de varias respostas", 2, ui->cbtipo},
            {"Pregunta 3 (aviso): O libro non leva preguntas de resposta curta", 3, ui->cbtipo},
        };
        for (const auto& c : cases) {
            ui->btexportar->click();
            const int row = int(listed(*ui).indexOf(
                QRegularExpression(QRegularExpression::escape(QString::fromUtf8(c.text)) + ".*")));
            QVERIFY2(row >= 0, c.text);
            ui->listarevision->setCurrentRow(row);
            QTest::keyClick(ui->listarevision, Qt::Key_Return);
            QCOMPARE(form->session().model().current, c.question);
            QCOMPARE(form->focusWidget(), c.control);
        }
    }

    void savingWithErrorsAsksFirst() {
        QTemporaryDir dir;
        ui->btpreg->click();
        ui->txtimaxe->setText(QStringLiteral("/non/hai/mapa.png"));
        ui->btexportar->click();
        QCOMPARE(listed(*ui).size(), 1);

        dialogs.chooseAnswer = false; // "Cancelar"
        dialogs.fileAnswers = {dir.filePath(QStringLiteral("xogo.xml"))};
        ui->btgarda->click();
        QCOMPARE(dialogs.kinds(), QStringList{QStringLiteral("choose")});
        QCOMPARE(dialogs.shown[0].text, QStringLiteral("O cuestionario ten 1 erro. Gardar igualmente?"));
        QCOMPARE(dialogs.shown[0].title, QStringLiteral("Gardar|Cancelar"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("xogo.xml"))));

        ui->btpreg->click();
        ui->txtresp1->clear();
        ui->btexportar->click();
        dialogs.shown.clear();
        dialogs.chooseAnswer = true; // "Gardar"
        ui->chkcopia->setChecked(false);
        ui->chkempaqueta->setChecked(false);
        ui->btgarda->click();
        QCOMPARE(dialogs.kinds(), (QStringList{QStringLiteral("choose"), QStringLiteral("save")}));
        QCOMPARE(dialogs.shown[0].text, QStringLiteral("O cuestionario ten 2 erros. Gardar igualmente?"));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("xogo.xml"))));

        // Warnings alone ask nothing.
        ui->btpreg->click();
        ui->txtimaxe->setText(QStringLiteral(VIRETA_EXAMPLE_DIR "/rio.png"));
        ui->txtresp1->setText(QStringLiteral("Miño"));
        ui->txtresp4->setText(QStringLiteral("miño"));
        ui->btexportar->click();
        dialogs.shown.clear();
        dialogs.fileAnswers = {dir.filePath(QStringLiteral("xogo.xml"))};
        ui->btgarda->click();
        QCOMPARE(dialogs.kinds(), QStringList{QStringLiteral("save")});
        QCOMPARE(listed(*ui).size(), 1);
    }

    // The desktop's box: Return and Escape cancel, only the "Gardar" button saves.
    void theDesktopQuestionDefaultsToCancel() {
        QtDialogs desktop;
        const QString text = QStringLiteral("O cuestionario ten 2 erros. Gardar igualmente?");
        const auto answerWith = [&](std::function<void(QMessageBox*)> act) {
            QTimer::singleShot(0, [act] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                QCOMPARE(box->text(), QStringLiteral("O cuestionario ten 2 erros. Gardar igualmente?"));
                QCOMPARE(box->windowTitle(), QStringLiteral("vireta"));
                act(box);
            });
            return desktop.choose(form.get(), text, QStringLiteral("Gardar"), QStringLiteral("Cancelar"));
        };
        QVERIFY(!answerWith([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }));
        QVERIFY(!answerWith([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }));
        QVERIFY(answerWith([](QMessageBox* box) {
            for (QAbstractButton* b : box->buttons()) {
                if (b->text() == QStringLiteral("Gardar"))
                    b->click();
            }
        }));
    }

    void seenInTheBrowserFromAPrivateFolder() {
        QVERIFY(ui->btnavegador->isHidden()); // the quiz file is no page
        ui->ctformatos->setCurrentIndex(3);
        QVERIFY(ui->btnavegador->isHidden());
        QVERIFY(form->browserPreview().browserFolder().isEmpty());

        QTemporaryDir saves;
        const QStringList exampleFiles = QDir(QStringLiteral(VIRETA_EXAMPLE_DIR)).entryList(QDir::Files);
        ui->ctformatos->setCurrentIndex(1);
        QVERIFY(!ui->btnavegador->isHidden());
        ui->btnavegador->click();
        QCOMPARE(dialogs.kinds(), QStringList{QStringLiteral("url")});
        const QString folder = form->browserPreview().browserFolder();
        QVERIFY(!folder.isEmpty());
        const QUrl url(dialogs.shown[0].text);
        QVERIFY(url.isLocalFile());
        const QFileInfo page(url.toLocalFile());
        QCOMPARE(page.absolutePath(), QFileInfo(folder).absoluteFilePath());
        QFile html(page.absoluteFilePath());
        QVERIFY(html.open(QIODevice::ReadOnly));
        QVERIFY(html.readAll().startsWith("<!DOCTYPE HTML PUBLIC"));
        for (const char* media : {"rio.png", "monte.jpg", "cabo.jpg"})
            QVERIFY2(QFile::exists(folder + QLatin1Char('/') + QLatin1String(media)), media);
        QVERIFY(!QFile::exists(folder + QStringLiteral("/paxina.tar")));

        ui->ctformatos->setCurrentIndex(2);
        ui->btnavegador->click();
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("url"));
        QFile js(QUrl(dialogs.shown.back().text).toLocalFile());
        QVERIFY(js.open(QIODevice::ReadOnly));
        QVERIFY(js.readAll().contains("function quiz()"));
        QCOMPARE(form->browserPreview().browserFolder(), folder); // one folder for the whole run

        // Without a browser, the teacher learns where the page is, to open it by hand.
        dialogs.browserStarts = false;
        ui->btnavegador->click();
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("error"));
        QCOMPARE(dialogs.shown.back().text, QStringLiteral("Non se puido abrir o navegador.\n") +
                                                QUrl(dialogs.shown[dialogs.shown.size() - 2].text).toLocalFile());
        dialogs.browserStarts = true;

        ui->ctformatos->setCurrentIndex(4); // "Web", its page even with "Paquete SCORM"
        ui->chkscorm->setChecked(true);
        QVERIFY(!ui->btnavegador->isHidden());
        ui->btnavegador->click();
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("url"));
        QFile game(QUrl(dialogs.shown.back().text).toLocalFile());
        QVERIFY(game.open(QIODevice::ReadOnly));
        QVERIFY(game.readAll().contains("<script type=\"application/json\""));
        QVERIFY(QFile::exists(folder + QStringLiteral("/pregunta1.mp3")));
        QVERIFY(!QFile::exists(folder + QStringLiteral("/paxina.zip")));
        ui->chkscorm->setChecked(false);
        ui->ctformatos->setCurrentIndex(2);
        QVERIFY(form->session().model().copiedFiles.empty());
        QCOMPARE(QDir(QStringLiteral(VIRETA_EXAMPLE_DIR)).entryList(QDir::Files), exampleFiles);

        // The saves go on as before: no remembered name, nothing copied elsewhere.
        dialogs.shown.clear();
        dialogs.fileAnswers = {saves.filePath(QStringLiteral("marcar"))};
        ui->btgarda->click();
        QCOMPARE(dialogs.kinds(), QStringList{QStringLiteral("save")});
        // The offered name is the quiz file's, not the private page's.
        QVERIFY(dialogs.shown[0].text.endsWith(QStringLiteral("\n" VIRETA_EXAMPLE_DIR "/xeografia.html")));
        QVERIFY(form->saveActions().memo().text().find("function quiz()") != std::string::npos);
        QVERIFY(QFile::exists(saves.filePath(QStringLiteral("marcar.html"))));

        form.reset();
        QVERIFY(!QDir(folder).exists()); // removed with the window
    }
};

QTEST_MAIN(ReviewTest)
#include "review_test.moc"
