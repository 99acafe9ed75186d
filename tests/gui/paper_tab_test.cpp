// The "Papel" tab: its settings reach the paper test, "Gardar" writes the test (and
// the key apart when asked), "Imprimir…" draws the same document for the printer.
#include "fake_dialogs.h"
#include "preguntas.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace vireta;

class PaperTabTest : public QObject {
    Q_OBJECT

    FakeDialogs dialogs;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<QTemporaryDir> dir;

    // The PDF's text as pdftotext gives it.
    static QString pdfText(const QString& path, const QStringList& options = {}) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), options + QStringList{path, QStringLiteral("-")});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return QStringLiteral("(pdftotext failed)");
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    void fillQuiz() {
        form->titulotx->setText(QStringLiteral("Ríos de Galicia"));
        form->btpreg->click();
        form->txtpreg->setText(QStringLiteral("Cal é o río máis longo?"));
        form->txtresp1->setText(QStringLiteral("Miño"));
        form->txtresp2->setText(QStringLiteral("Sil"));
        form->btinserir->click();
        form->txtpreg->setText(QStringLiteral("Onde nace o Miño?"));
        form->txtresp1->setText(QStringLiteral("Irimia"));
        form->txtresp2->setText(QStringLiteral("Lugo"));
        form->btexportar->click();
        form->ctformatos->setCurrentWidget(form->paperTab);
        form->chkcopia->setChecked(false);
        form->chkempaqueta->setChecked(false);
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        dialogs = FakeDialogs();
        form = std::make_unique<TForm1>(dialogs);
    }
    void cleanup() { form.reset(); }

    void theTabHoldsThePaperSettings() {
        form->btexportar->click();
        form->ctformatos->setCurrentWidget(form->paperTab);
        QCOMPARE(form->ctformatos->tabText(form->ctformatos->currentIndex()), QStringLiteral("Papel"));
        QCOMPARE(form->formatIndex(), Format::Pdf);
        QCOMPARE(form->paperTab->objectName(), QStringLiteral("TabSheet7"));
        QCOMPARE(form->paperPrint->text(), QStringLiteral("Imprimir…"));
        QCOMPARE(form->paperVersions->minimum(), 1);
        QCOMPARE(form->paperVersions->maximum(), 4);

        const PaperSettings initial = form->exportSettings().paper;
        QCOMPARE(initial.versions, 1);
        QVERIFY(!initial.keyApart);
        QVERIFY(!initial.letter);
        QVERIFY(initial.shuffleAnswers);

        form->paperVersions->setValue(3);
        form->paperKeyApart->setChecked(true);
        form->paperSize->setCurrentIndex(1);
        form->paperShuffleAnswers->setChecked(false);
        const PaperSettings changed = form->exportSettings().paper;
        QCOMPARE(changed.versions, 3);
        QVERIFY(changed.keyApart);
        QVERIFY(changed.letter);
        QVERIFY(!changed.shuffleAnswers);

        // The other tabs keep their formats.
        form->ctformatos->setCurrentIndex(1);
        QCOMPARE(form->formatIndex(), Format::Html);
    }

    void gardarWritesTheTestAndTheKeyApart() {
        fillQuiz();
        form->paperVersions->setValue(2);
        form->paperKeyApart->setChecked(true);
        form->paperSize->setCurrentIndex(1);
        dialogs.fileAnswers.push_back(dir->filePath("proba"));
        form->btgarda->click();
        QCOMPARE(dialogs.kinds(), QStringList{"save"});
        QVERIFY(dialogs.shown.back().text.startsWith(QStringLiteral(" *.pdf|*.pdf;*.PDF\n")));

        const QString test = pdfText(dir->filePath("proba.pdf"));
        QVERIFY2(test.contains(QStringLiteral("Cal é o río máis longo?")), qPrintable(test));
        QVERIFY(test.contains(QStringLiteral("Modelo B")));
        QVERIFY(!test.contains(QStringLiteral("Solucións")));
        const QString key = pdfText(dir->filePath("proba-solucions.pdf"));
        QVERIFY2(key.contains(QStringLiteral("Solucións")), qPrintable(key));
        QVERIFY(key.contains(QStringLiteral("Modelo A")));

        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {dir->filePath("proba.pdf")});
        QVERIFY(info.waitForFinished(60000));
        QVERIFY(QString::fromUtf8(info.readAllStandardOutput()).contains(QStringLiteral("(letter)")));
    }

    void aPictureThatCannotBeReadIsNamed() {
        fillQuiz();
        form->btpreg->click();
        form->txtimaxe->setText(dir->filePath("non-existe.png"));
        form->btexportar->click();
        form->ctformatos->setCurrentWidget(form->paperTab);
        dialogs.fileAnswers.push_back(dir->filePath("fotos.pdf"));
        form->btgarda->click();
        QVERIFY(QFile::exists(dir->filePath("fotos.pdf")));
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("inform"));
        QCOMPARE(dialogs.shown.back().text,
                 QStringLiteral("Non se puideron ler estas imaxes:\n") + dir->filePath("non-existe.png"));
    }

    void thePrintedAndTheSavedTestHaveTheSameVersionsUntilTheQuizChanges() {
        fillQuiz();
        form->paperVersions->setValue(4);
        auto keyOf = [](const QString& pdf) {
            QString text = pdfText(pdf);
            text = text.mid(text.indexOf(QStringLiteral("Solucións")));
            text.remove(QRegularExpression(QStringLiteral("\\s")));
            return text;
        };
        dialogs.printTo = dir->filePath("printed.pdf");
        form->paperPrint->click();
        dialogs.fileAnswers.push_back(dir->filePath("saved.pdf"));
        form->btgarda->click();
        const QString printed = keyOf(dir->filePath("printed.pdf"));
        QVERIFY(printed.contains(QStringLiteral("ModeloD")));
        QCOMPARE(keyOf(dir->filePath("saved.pdf")), printed);

        // A change to the quiz draws new versions: with two questions of two answers
        // in four versions, twenty changes all giving the same key would mean none did.
        bool changed = false;
        for (int i = 0; i < 20 && !changed; ++i) {
            form->btpreg->click();
            form->txtresp2->setText(QStringLiteral("Lugo %1").arg(i)); // not on the key's page
            form->btexportar->click();
            form->paperPrint->click();
            changed = keyOf(dir->filePath("printed.pdf")) != printed;
        }
        QVERIFY(changed);
    }

    void imprimirDrawsTheSameDocumentForThePrinter() {
        fillQuiz();
        for (bool apart : {false, true}) {
            form->paperKeyApart->setChecked(apart);
            dialogs.shown.clear();
            dialogs.printTo = dir->filePath(apart ? "apart.pdf" : "whole.pdf");
            form->paperPrint->click();
            QCOMPARE(dialogs.kinds(), QStringList{"print"});
            QCOMPARE(dialogs.shown.back().title, QStringLiteral("Ríos de Galicia"));
            const QString text = pdfText(dialogs.printTo);
            QVERIFY2(text.contains(QStringLiteral("Onde nace o Miño?")), qPrintable(text));
            QCOMPARE(text.contains(QStringLiteral("Solucións")), !apart);
        }
    }
};

QTEST_MAIN(PaperTabTest)
#include "paper_tab_test.moc"
