// The review on the save page: the "Revisión" list, the way to a finding's field, the
// question before saving with errors, and "Ver no navegador".
#include "fake_dialogs.h"
#include "preguntas.h"

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

QStringList listed(const TForm1& form) {
    QStringList out;
    for (int i = 0; i < form.listarevision->count(); ++i)
        out << form.listarevision->item(i)->text();
    return out;
}

} // namespace

class ReviewTest : public QObject {
    Q_OBJECT

    FakeDialogs dialogs;
    std::unique_ptr<TForm1> form;

private slots:
    void init() {
        dialogs = FakeDialogs();
        form = std::make_unique<TForm1>(dialogs);
        form->LoadItem(kExample);
        QCOMPARE(form->model().count, 10);
        form->show();
        form->btexportar->click();
    }

    void cleanup() { form.reset(); }

    void theListFollowsTheChosenTab() {
        const QString none = QStringLiteral("Non se atopou ningún problema.");
        QCOMPARE(listed(*form), QStringList{none});
        QVERIFY(!(form->listarevision->item(0)->flags() & Qt::ItemIsSelectable));

        form->ctformatos->setCurrentIndex(1); // HTML, "Revolver respostas" clear
        QCOMPARE(listed(*form).size(), 1);
        QVERIFY2(listed(*form)[0].startsWith(QStringLiteral("Inicio (aviso): «Revolver respostas»")),
                 qPrintable(listed(*form)[0]));
        form->chkrevolver->setChecked(true);
        QCOMPARE(listed(*form), QStringList{none});

        form->ctformatos->setCurrentIndex(2); // JavaScript, without its end messages
        form->bentx->clear();
        form->maltx->clear();
        form->ctformatos->setCurrentIndex(3);
        QCOMPARE(listed(*form), QStringList{none}); // the book writes no empty message
        form->ctformatos->setCurrentIndex(2);
        QCOMPARE(listed(*form).size(), 2);
        QVERIFY(listed(*form)[0].startsWith(QStringLiteral("Final (aviso): A mensaxe «Xogo finalizado ben.»")));
        QVERIFY(listed(*form)[1].startsWith(QStringLiteral("Final (aviso): A mensaxe «Xogo finalizado mal.»")));

        // Shown again after an edit: errors first.
        form->btpreg->click();
        form->SpeedButton25->click(); // the last question
        form->txtresp1->clear();
        form->btexportar->click();
        QCOMPARE(listed(*form).size(), 3);
        QVERIFY2(listed(*form)[0].startsWith(QStringLiteral("Pregunta 10 (erro): A resposta correcta")),
                 qPrintable(listed(*form)[0]));
    }

    void activatingAFindingGoesToItsField() {
        form->btpreg->click();
        form->SpeedButton24->click(); // question 2
        form->txtresp4->setText(QStringLiteral("  vigo"));
        form->SpeedButton24->click();
        form->txtenlace->setText(QStringLiteral("sen-enderezo"));
        form->btfinal->click();
        form->maltx->setText(QStringLiteral("Volve tentalo "));
        form->btexportar->click();
        const QStringList items = listed(*form);
        QCOMPARE(items.size(), 4);
        QVERIFY(items[0].startsWith(QStringLiteral("Final (aviso)")));
        QVERIFY(items[1].startsWith(QStringLiteral("Pregunta 2 (aviso): As respostas 3 e 4")));
        QVERIFY(items[2].startsWith(QStringLiteral("Pregunta 2 (aviso): O texto empeza")));
        QVERIFY(items[3].startsWith(QStringLiteral("Pregunta 3 (aviso): A ligazón «sen-enderezo»")));

        // Return on question 3's link.
        form->listarevision->setFocus();
        form->listarevision->setCurrentRow(3);
        QTest::keyClick(form->listarevision, Qt::Key_Return);
        QCOMPARE(form->nota->currentWidget(), form->page2);
        QCOMPARE(form->model().current, 3);
        QCOMPARE(form->txtenlace->text(), QStringLiteral("sen-enderezo"));
        QCOMPARE(form->focusWidget(), form->txtenlace);

        // A click and a double click on the end message.
        form->btexportar->click();
        form->listarevision->doItemsLayout();
        QListWidgetItem* end = form->listarevision->item(0);
        const QRect rect = form->listarevision->visualItemRect(end);
        QTest::mouseClick(form->listarevision->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(form->listarevision->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(form->nota->currentWidget(), form->page3);
        QCOMPARE(form->focusWidget(), form->maltx);
        QCOMPARE(form->maltx->cursorPosition(), form->maltx->text().size());

        // The question from the end page, over the question on screen.
        form->btexportar->click();
        form->listarevision->setCurrentRow(1);
        QTest::keyClick(form->listarevision, Qt::Key_Return);
        QCOMPARE(form->model().current, 2);
        QCOMPARE(form->txtresp4->text(), QStringLiteral("  vigo"));
        QCOMPARE(form->focusWidget(), form->txtresp4); // "Vigo" and "vigo": the later one

        // The form page's shuffle stays on the save page.
        form->btexportar->click();
        form->ctformatos->setCurrentIndex(1);
        const int shuffle = int(listed(*form).indexOf(
            QRegularExpression(QStringLiteral("Inicio \\(aviso\\): «Revolver.*"))));
        QVERIFY(shuffle >= 0);
        form->listarevision->setCurrentRow(shuffle);
        QTest::keyClick(form->listarevision, Qt::Key_Return);
        QCOMPARE(form->nota->currentWidget(), form->page5);
        QCOMPARE(form->focusWidget(), form->chkrevolver);
    }

    void savingWithErrorsAsksFirst() {
        QTemporaryDir dir;
        form->btpreg->click();
        form->txtimaxe->setText(QStringLiteral("/non/hai/mapa.png"));
        form->btexportar->click();
        QCOMPARE(listed(*form).size(), 1);

        dialogs.chooseAnswer = false; // "Cancelar"
        dialogs.fileAnswers = {dir.filePath(QStringLiteral("xogo.xml"))};
        form->btgarda->click();
        QCOMPARE(dialogs.kinds(), QStringList{QStringLiteral("choose")});
        QCOMPARE(dialogs.shown[0].text, QStringLiteral("O cuestionario ten 1 erro. Gardar igualmente?"));
        QCOMPARE(dialogs.shown[0].title, QStringLiteral("Gardar|Cancelar"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("xogo.xml"))));

        form->btpreg->click();
        form->txtresp1->clear();
        form->btexportar->click();
        dialogs.shown.clear();
        dialogs.chooseAnswer = true; // "Gardar"
        form->chkcopia->setChecked(false);
        form->chkempaqueta->setChecked(false);
        form->btgarda->click();
        QCOMPARE(dialogs.kinds(), (QStringList{QStringLiteral("choose"), QStringLiteral("save")}));
        QCOMPARE(dialogs.shown[0].text, QStringLiteral("O cuestionario ten 2 erros. Gardar igualmente?"));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("xogo.xml"))));

        // Warnings alone ask nothing.
        form->btpreg->click();
        form->txtimaxe->setText(QStringLiteral(VIRETA_EXAMPLE_DIR "/rio.png"));
        form->txtresp1->setText(QStringLiteral("Miño"));
        form->txtresp4->setText(QStringLiteral("miño"));
        form->btexportar->click();
        dialogs.shown.clear();
        dialogs.fileAnswers = {dir.filePath(QStringLiteral("xogo.xml"))};
        form->btgarda->click();
        QCOMPARE(dialogs.kinds(), QStringList{QStringLiteral("save")});
        QCOMPARE(listed(*form).size(), 1);
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
        QVERIFY(form->btnavegador->isHidden()); // the quiz file is no page
        form->ctformatos->setCurrentIndex(3);
        QVERIFY(form->btnavegador->isHidden());
        QVERIFY(form->browserFolder().isEmpty());

        QTemporaryDir saves;
        const QStringList exampleFiles = QDir(QStringLiteral(VIRETA_EXAMPLE_DIR)).entryList(QDir::Files);
        form->ctformatos->setCurrentIndex(1);
        QVERIFY(!form->btnavegador->isHidden());
        form->btnavegador->click();
        QCOMPARE(dialogs.kinds(), QStringList{QStringLiteral("url")});
        const QString folder = form->browserFolder();
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

        form->ctformatos->setCurrentIndex(2);
        form->btnavegador->click();
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("url"));
        QFile js(QUrl(dialogs.shown.back().text).toLocalFile());
        QVERIFY(js.open(QIODevice::ReadOnly));
        QVERIFY(js.readAll().contains("function quiz()"));
        QCOMPARE(form->browserFolder(), folder); // one folder for the whole run

        form->ctformatos->setCurrentIndex(4); // "Web", its page even with "Paquete SCORM"
        form->chkscorm->setChecked(true);
        QVERIFY(!form->btnavegador->isHidden());
        form->btnavegador->click();
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("url"));
        QFile game(QUrl(dialogs.shown.back().text).toLocalFile());
        QVERIFY(game.open(QIODevice::ReadOnly));
        QVERIFY(game.readAll().contains("<script type=\"application/json\""));
        QVERIFY(QFile::exists(folder + QStringLiteral("/pregunta1.mp3")));
        QVERIFY(!QFile::exists(folder + QStringLiteral("/paxina.zip")));
        form->chkscorm->setChecked(false);
        form->ctformatos->setCurrentIndex(2);
        QVERIFY(form->model().copiedFiles.empty());
        QCOMPARE(QDir(QStringLiteral(VIRETA_EXAMPLE_DIR)).entryList(QDir::Files), exampleFiles);

        // The saves go on as before: no remembered name, nothing copied elsewhere.
        dialogs.shown.clear();
        dialogs.fileAnswers = {saves.filePath(QStringLiteral("marcar"))};
        form->btgarda->click();
        QCOMPARE(dialogs.kinds(), QStringList{QStringLiteral("save")});
        QVERIFY(dialogs.shown[0].text.endsWith(QLatin1Char('\n'))); // the offered name: empty
        QVERIFY(form->memo().text().find("function quiz()") != std::string::npos);
        QVERIFY(QFile::exists(saves.filePath(QStringLiteral("marcar.html"))));

        form.reset();
        QVERIFY(!QDir(folder).exists()); // removed with the window
    }
};

QTEST_MAIN(ReviewTest)
#include "review_test.moc"
