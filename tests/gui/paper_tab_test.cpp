// The "Papel" tab: its settings reach the paper test, "Gardar" writes the test (and
// the key apart when asked), "Imprimir…" draws the same document for the printer.
#include "fake_dialogs.h"
#include "pages/save_page.h"
#include "preguntas.h"
#include "window_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
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
    std::unique_ptr<WindowControls> ui;
    std::unique_ptr<QTemporaryDir> dir;

    // The PDF's text as pdftotext gives it.
    static QString pdfText(const QString& path, const QStringList& options = {}) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), options + QStringList{path, QStringLiteral("-")});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return QStringLiteral("(pdftotext failed)");
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    // The number of pages pdfinfo counts, 0 when it cannot read the file.
    static int pageCount(const QString& path) {
        QProcess p;
        p.start(QStringLiteral("pdfinfo"), {path});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return 0;
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                                              .match(QString::fromUtf8(p.readAllStandardOutput()));
        return m.hasMatch() ? m.captured(1).toInt() : 0;
    }

    void fillQuiz() {
        ui->titulotx->setText(QStringLiteral("Ríos de Galicia"));
        ui->btpreg->click();
        ui->txtpreg->setText(QStringLiteral("Cal é o río máis longo?"));
        ui->txtresp1->setText(QStringLiteral("Miño"));
        ui->txtresp2->setText(QStringLiteral("Sil"));
        ui->btinserir->click();
        ui->txtpreg->setText(QStringLiteral("Onde nace o Miño?"));
        ui->txtresp1->setText(QStringLiteral("Irimia"));
        ui->txtresp2->setText(QStringLiteral("Lugo"));
        ui->btexportar->click();
        ui->ctformatos->setCurrentWidget(ui->paperTab);
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
    void cleanup() { form.reset(); }

    void theTabHoldsThePaperSettings() {
        ui->btexportar->click();
        ui->ctformatos->setCurrentWidget(ui->paperTab);
        QCOMPARE(ui->ctformatos->tabText(ui->ctformatos->currentIndex()), QStringLiteral("Papel"));
        QCOMPARE(form->savePage().chosenFormat(), Format::Pdf);
        QCOMPARE(ui->paperTab->objectName(), QStringLiteral("TabSheet7"));
        QCOMPARE(ui->paperPrint->text(), QStringLiteral("Imprimir…"));
        QCOMPARE(ui->paperVersions->minimum(), 1);
        QCOMPARE(ui->paperVersions->maximum(), 4);

        const PaperSettings initial = form->savePage().exportSettings().paper;
        QCOMPARE(initial.versions, 1);
        QVERIFY(!initial.keyApart);
        QVERIFY(!initial.letter);
        QVERIFY(initial.shuffleAnswers);

        ui->paperVersions->setValue(3);
        ui->paperKeyApart->setChecked(true);
        ui->paperSize->setCurrentIndex(1);
        ui->paperShuffleAnswers->setChecked(false);
        const PaperSettings changed = form->savePage().exportSettings().paper;
        QCOMPARE(changed.versions, 3);
        QVERIFY(changed.keyApart);
        QVERIFY(changed.letter);
        QVERIFY(!changed.shuffleAnswers);

        // The other tabs keep their formats.
        ui->ctformatos->setCurrentIndex(1);
        QCOMPARE(form->savePage().chosenFormat(), Format::Html);
    }

    void gardarWritesTheTestAndTheKeyApart() {
        fillQuiz();
        ui->paperVersions->setValue(2);
        ui->paperKeyApart->setChecked(true);
        ui->paperSize->setCurrentIndex(1);
        dialogs.fileAnswers.push_back(dir->filePath("proba"));
        ui->btgarda->click();
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
        ui->btpreg->click();
        ui->txtimaxe->setText(dir->filePath("non-existe.png"));
        ui->btexportar->click();
        ui->ctformatos->setCurrentWidget(ui->paperTab);
        dialogs.fileAnswers.push_back(dir->filePath("fotos.pdf"));
        ui->btgarda->click();
        QVERIFY(QFile::exists(dir->filePath("fotos.pdf")));
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("inform"));
        QCOMPARE(dialogs.shown.back().text,
                 QStringLiteral("Non se puideron ler estas imaxes:\n") + dir->filePath("non-existe.png"));
    }

    void thePrintedAndTheSavedTestHaveTheSameVersionsUntilTheQuizChanges() {
        fillQuiz();
        ui->paperVersions->setValue(4);
        auto keyOf = [](const QString& pdf) {
            QString text = pdfText(pdf);
            text = text.mid(text.indexOf(QStringLiteral("Solucións")));
            text.remove(QRegularExpression(QStringLiteral("\\s")));
            return text;
        };
        dialogs.printTo = dir->filePath("printed.pdf");
        ui->paperPrint->click();
        dialogs.fileAnswers.push_back(dir->filePath("saved.pdf"));
        ui->btgarda->click();
        const QString printed = keyOf(dir->filePath("printed.pdf"));
        QVERIFY(printed.contains(QStringLiteral("ModeloD")));
        QCOMPARE(keyOf(dir->filePath("saved.pdf")), printed);

        // A change to the quiz draws new versions: with two questions of two answers
        // in four versions, twenty changes all giving the same key would mean none did.
        bool changed = false;
        for (int i = 0; i < 20 && !changed; ++i) {
            ui->btpreg->click();
            ui->txtresp2->setText(QStringLiteral("Lugo %1").arg(i)); // not on the key's page
            ui->btexportar->click();
            ui->paperPrint->click();
            changed = keyOf(dir->filePath("printed.pdf")) != printed;
        }
        QVERIFY(changed);
    }

    void imprimirDrawsTheSameDocumentForThePrinter() {
        fillQuiz();
        for (bool apart : {false, true}) {
            ui->paperKeyApart->setChecked(apart);
            dialogs.shown.clear();
            dialogs.printTo = dir->filePath(apart ? "apart.pdf" : "whole.pdf");
            ui->paperPrint->click();
            QCOMPARE(dialogs.kinds(), QStringList{"print"});
            QCOMPARE(dialogs.shown.back().title, QStringLiteral("Ríos de Galicia"));
            const QString text = pdfText(dialogs.printTo);
            QVERIFY2(text.contains(QStringLiteral("Onde nace o Miño?")), qPrintable(text));
            QVERIFY(text.contains(QStringLiteral("Solucións"))); // the key apart too
        }
    }

    // With "Solucións á parte" the preview still offers the key to print: the pages of
    // the saved test, then those of the saved key.
    void imprimirShowsTheKeyAfterTheVersionsWhenTheKeyIsApart() {
        fillQuiz();
        ui->paperVersions->setValue(3);
        ui->paperKeyApart->setChecked(true);
        dialogs.printTo = dir->filePath("preview.pdf");
        ui->paperPrint->click();
        dialogs.fileAnswers.push_back(dir->filePath("proba.pdf"));
        ui->btgarda->click();
        const int test = pageCount(dir->filePath("proba.pdf"));
        const int key = pageCount(dir->filePath("proba-solucions.pdf"));
        QCOMPARE(test, 3);
        QCOMPARE(key, 1);
        QCOMPARE(pageCount(dialogs.printTo), test + key);
        auto words = [](const QString& text) { return text.split(QRegularExpression(QStringLiteral("\\s+"))); };
        const QString saved = pdfText(dir->filePath("proba.pdf")) + pdfText(dir->filePath("proba-solucions.pdf"));
        QCOMPARE(words(pdfText(dialogs.printTo)), words(saved));
    }

    // A PDF holds its pictures: with "Copiar arquivos" and "Empaquetar" checked, the
    // save writes the PDF alone, its picture inside it.
    void gardarWritesThePdfAloneWithItsPictureInside() {
        fillQuiz();
        QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("media")));
        QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("out")));
        QImage picture(120, 90, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        QVERIFY(picture.save(dir->filePath("media/foto.png")));
        ui->btpreg->click();
        ui->txtimaxe->setText(dir->filePath("media/foto.png"));
        ui->btexportar->click();
        ui->ctformatos->setCurrentWidget(ui->paperTab);
        ui->chkcopia->setChecked(true);
        ui->chkempaqueta->setChecked(true);
        dialogs.fileAnswers.push_back(dir->filePath("out/proba"));
        ui->btgarda->click();
        QCOMPARE(dialogs.kinds(), QStringList{"save"}); // nothing failed
        QCOMPARE(QDir(dir->filePath("out")).entryList(QDir::Files), QStringList{"proba.pdf"});
        QProcess images;
        images.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), dir->filePath("out/proba.pdf")});
        QVERIFY(images.waitForFinished(60000));
        const QString list = QString::fromUtf8(images.readAllStandardOutput());
        QCOMPARE(list.count(QRegularExpression(QStringLiteral("\\bimage\\b"))), 1);
    }
};

QTEST_MAIN(PaperTabTest)
#include "paper_tab_test.moc"
