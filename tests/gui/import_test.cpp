// "Importar": the button, its dialog, the questions inserted after the current one,
// the report box, taking the import back; and the "Outros" tab of the save page.
#include "actions/file_actions.h"
#include "actions/import_actions.h"
#include "editing/undo_controller.h"
#include "fake_dialogs.h"
#include "formats/question_import.h"
#include "pages/save_page.h"
#include "preguntas.h"
#include "quiz_session.h"
#include "window_controls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace vireta;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const char kGift[] = "// Dúas preguntas e unha redacción\n"
                     "::R1:: Cal é o río máis longo? {=Miño#Ben ~Sil ~Ulla}\n\n"
                     "::E:: Escribe sobre o Miño. {}\n\n"
                     "O Sil desemboca no Miño. {T}\n";

} // namespace

class ImportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    FakeDialogs dialogs;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<WindowControls> ui;

    QStringList statements() const {
        QStringList s;
        for (int k = 1; k <= form->session().model().count; ++k)
            s << QString::fromStdString(form->session().model().questions.record(k)[FieldSlot::enunciado]);
        return s;
    }

    // Two questions typed in the window; the first is current.
    void typeTwoQuestions() {
        ui->btpreg->click();
        ui->txtpreg->setText(QStringLiteral("Primeira"));
        ui->txtresp1->setText(QStringLiteral("a"));
        ui->btinserir->click();
        ui->txtpreg->setText(QStringLiteral("Segunda"));
        ui->txtresp1->setText(QStringLiteral("b"));
        ui->SpeedButton21->click(); // first
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        dialogs = FakeDialogs();
        form = std::make_unique<TForm1>(dialogs);
        ui = std::make_unique<WindowControls>(*form);
    }
    void cleanup() { form.reset(); }

    void theButtonSitsBetweenOpenAndExport() {
        QCOMPARE(ui->btimportar->text(), QStringLiteral("I&mportar"));
        QVERIFY(ui->btimportar->toolTip().startsWith(QStringLiteral("Importar preguntas doutro formato")));
        QCOMPARE(ui->btimportar->shortcut(), QKeySequence(Qt::ALT | Qt::Key_M));
        QVERIFY(!ui->btimportar->icon().isNull());
        QCOMPARE(ui->btimportar->parentWidget(), ui->Panel4);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(ui->btabrir->geometry().right() <= ui->btimportar->geometry().left());
        QVERIFY(ui->btimportar->geometry().right() <= ui->btexportar->geometry().left());
    }

    void importInsertsAfterTheCurrentQuestionReportsAndCanBeTakenBack() {
        typeTwoQuestions();
        const QString path = dir->filePath("preguntas.gift");
        writeFile(path, kGift);

        dialogs.fileAnswers = {path};
        ui->btimportar->click();

        // The dialog offers every format and all of them together.
        const FakeDialogs::Shown& dialog = dialogs.shown.at(dialogs.shown.size() - 2);
        QCOMPARE(dialog.kind, QStringLiteral("open"));
        QCOMPARE(dialog.title, QStringLiteral("Importar preguntas"));
        for (const char* part : {"Todos os formatos|", "|Aiken|", "|GIFT|", "|Folla de cálculo|", "|Moodle XML|"})
            QVERIFY2(dialog.text.contains(QString::fromUtf8(part)), part);

        QCOMPARE(statements(), (QStringList{"Primeira", "Cal é o río máis longo?",
                                            "O Sil desemboca no Miño.", "Segunda"}));
        QCOMPARE(form->session().model().current, 2);
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("Cal é o río máis longo?"));
        QCOMPARE(ui->txtcor->text(), QStringLiteral("Ben"));
        QCOMPARE(ui->npreg->text(), QStringLiteral("2"));
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("inform"));
        QCOMPARE(dialogs.shown.back().text,
                 QStringLiteral("Importáronse 2 preguntas.\n\n"
                                "liña 4: pregunta de redacción: non é de escolla múltiple"));
        QVERIFY(form->fileActions().hasUnsavedChanges());

        // One undo step takes the import back, one redo step brings it again.
        form->undoController().undo();
        QCOMPARE(statements(), (QStringList{"Primeira", "Segunda"}));
        QCOMPARE(form->session().model().current, 1);
        QCOMPARE(ui->txtpreg->text(), QStringLiteral("Primeira"));
        form->undoController().redo();
        QCOMPARE(statements(), (QStringList{"Primeira", "Cal é o río máis longo?",
                                            "O Sil desemboca no Miño.", "Segunda"}));
    }

    void aNewQuizsBlankQuestionIsReplacedAndTheCommonMessagesStayOut() {
        ui->txtcorcomun->setText(QStringLiteral("Común"));
        const QString path = dir->filePath("p.txt");
        writeFile(path, "Que río?\nA. Miño\nB. Sil\nANSWER: A\n");
        form->importActions().importar(path);
        QCOMPARE(statements(), QStringList{"Que río?"});
        QCOMPARE(dialogs.shown.back().text, QStringLiteral("Importouse 1 pregunta."));
        ui->btinicio->click();
        ui->btpreg->click();
        QCOMPARE(ui->txtcor->text(), QString()); // not filled from the common message
    }

    void aFileThatCannotBeImportedChangesNothing() {
        typeTwoQuestions();
        const QString path = dir->filePath("xogo.xml");
        writeFile(path, "<?xml version=\"1.0\"?><xogo version=\"1.0\"></xogo>");
        form->importActions().importar(path);
        QCOMPARE(statements(), (QStringList{"Primeira", "Segunda"}));
        QCOMPARE(dialogs.shown.back().text,
                 QStringLiteral("Non se puido importar o arquivo :") + path +
                     QStringLiteral("\nÉ un cuestionario de Vireta: ábreo con «Abrir»."));
        dialogs.fileAnswers = {std::nullopt}; // a cancelled dialog
        ui->btimportar->click();
        QCOMPARE(dialogs.shown.back().kind, QStringLiteral("open"));
    }

    void theOtherFormatsTabSavesEachFormatAndSaysWhatItLeavesBehind() {
        ui->btpreg->click();
        ui->txtpreg->setText(QStringLiteral("Cal é o río máis longo?"));
        ui->txtresp1->setText(QStringLiteral("Miño"));
        ui->txtresp2->setText(QStringLiteral("Sil"));
        ui->txtimaxe->setText(dir->filePath("non-hai.png"));
        ui->btexportar->click();
        const int tab = ui->ctformatos->indexOf(ui->TabSheet6);
        QVERIFY(tab >= 4);
        ui->ctformatos->setCurrentIndex(tab);
        QCOMPARE(form->savePage().chosenFormat(), Format::Moodle);
        ui->chkcopia->setChecked(false);
        ui->chkempaqueta->setChecked(false);
        const struct {
            QRadioButton* choice;
            Format format;
            const char* name;
            const char* contains;
            const char* report;
        } cases[] = {
            {ui->optmoodle, Format::Moodle, "banco.xml", "<question type=\"multichoice\">",
             "pregunta 1: non se puido ler"},
            {ui->optgift, Format::Gift, "banco.gift", "=Miño", "pregunta 1: GIFT non leva: imaxe"},
            {ui->optaiken, Format::Aiken, "banco.txt", "ANSWER: A", "pregunta 1: Aiken non leva: imaxe"},
            {ui->optcsv, Format::Csv, "banco.csv", "Pregunta,Correcta", nullptr},
        };
        for (const auto& c : cases) {
            c.choice->click();
            QCOMPARE(form->savePage().chosenFormat(), c.format);
            const std::size_t shownBefore = dialogs.shown.size();
            dialogs.fileAnswers = {dir->filePath("banco")};
            ui->btgarda->click();
            QVERIFY2(readFile(dir->filePath(c.name)).contains(c.contains), c.name);
            if (c.report) {
                QCOMPARE(dialogs.shown.back().kind, QStringLiteral("inform"));
                QVERIFY2(dialogs.shown.back().text.startsWith(
                             QStringLiteral("O formato escollido non leva todo o cuestionario:\n")),
                         c.name);
                QVERIFY2(dialogs.shown.back().text.contains(QString::fromUtf8(c.report)),
                         qPrintable(dialogs.shown.back().text));
            } else {
                // The save dialog only, after the question about the quiz's errors.
                QStringList after;
                for (std::size_t i = shownBefore; i < dialogs.shown.size(); ++i)
                    after << dialogs.shown[i].kind;
                after.removeAll(QStringLiteral("choose"));
                QCOMPARE(after, QStringList{QStringLiteral("save")});
            }
        }
        // The other tabs keep their formats.
        ui->ctformatos->setCurrentIndex(3);
        QCOMPARE(form->savePage().chosenFormat(), Format::Ebk);
    }
};

QTEST_MAIN(ImportTest)
#include "import_test.moc"
