// The kinds of question on the "Preguntas" page: the chooser and what each kind shows,
// the ticks, the fixed true-or-false words, the accepted answers, the answers' own
// messages, and how they reach the quiz file, the title's marker and "Desfacer".
#include "actions/file_actions.h"
#include "editing/question_navigator.h"
#include "editing/undo_controller.h"
#include "fake_dialogs.h"
#include "pages/page_parts.h"
#include "pages/quiz_screen.h"
#include "preguntas.h"
#include "quiz_session.h"
#include "window_controls.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

#include <functional>
#include <memory>

using namespace vireta;

namespace {

using K = QuestionKind;

QString describe(const Question& q) {
    QString out = QString::fromUtf8(kindName(q.kind));
    for (int n = 1; n <= kAnswerCount; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        out += QStringLiteral(" [%1%2 «%3»]")
                   .arg(QString::fromStdString(q[answerSlot(n)]), q.marked[i] ? QStringLiteral("+") : QString(),
                        QString::fromStdString(q.answerMessage(n)));
    }
    return out;
}

// A question of `kind` with answers and messages, n = 1..4; marks as given.
Question question(K kind, std::array<const char*, 4> answers, std::array<const char*, 4> messages = {"", "", "", ""},
                  std::array<bool, 4> marked = {}) {
    Question q;
    q.kind = kind;
    for (int n = 1; n <= kAnswerCount; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        q[answerSlot(n)] = answers[i];
        q.answerMessage(n) = messages[i];
    }
    q.marked = marked;
    return q;
}

} // namespace

class QuestionKindsTest : public QObject {
    Q_OBJECT

    FakeDialogs dialogs;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<WindowControls> ui;
    std::unique_ptr<QTemporaryDir> dir;

    QLineEdit* box(int n) const { return form->findChild<QLineEdit*>(QStringLiteral("txtresp%1").arg(n)); }
    QCheckBox* tick(int n) const { return form->findChild<QCheckBox*>(QStringLiteral("chkcorrecta%1").arg(n)); }
    QToolButton* messageButton(int n) const {
        return form->findChild<QToolButton*>(QStringLiteral("btretro%1").arg(n));
    }
    void choose(K kind) { ui->cbtipo->setCurrentIndex(static_cast<int>(kind)); }
    Question onScreen() const { return form->quizScreen().questionOnScreen(); }
    const Question& current() const { return form->session().model().currentRecord(); }
    // Writes answer n's message as a teacher does: its button, the box under the row
    // with what it held selected, the text over it, Intro.
    void writeMessage(int n, const QString& text) {
        messageButton(n)->click();
        QVERIFY(ui->txtretro->isVisible());
        QCOMPARE(ui->txtretro->selectedText(), ui->txtretro->text());
        ui->txtretro->insert(text);
        QTest::keyClick(ui->txtretro, Qt::Key_Return);
        QVERIFY(!ui->txtretro->isVisible());
    }
    void typeAnswers(std::array<const char*, 4> answers) {
        for (int n = 1; n <= kAnswerCount; ++n)
            box(n)->setText(QString::fromUtf8(answers[static_cast<std::size_t>(n - 1)]));
    }
    QByteArray readFile(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool saveAs(const QString& path) {
        ui->chkcopia->setChecked(false);
        ui->chkempaqueta->setChecked(false);
        dialogs.fileAnswers = {path};
        return form->fileActions().saveQuiz();
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        dialogs = FakeDialogs();
        form = std::make_unique<TForm1>(dialogs);
        ui = std::make_unique<WindowControls>(*form);
        form->show();
        form->btpregClick();
    }
    void cleanup() {
        form->session().undoStack().clear();
        form.reset();
    }

    // What each kind shows beside its answers, with nothing moving from where the
    // one-answer question has it.
    void eachKindShowsWhatItsAnswersMean() {
        const struct {
            K kind;
            bool ticks, words, lastRows;
            QString caption; // of the first answer, when it has one
            QString secondBox, secondMessage; // accessible names
            bool yellowFirstRow;
        } cases[] = {
            {K::One, false, false, true, "Correcta", "Resposta incorrecta 1", "Mensaxe da resposta 2", true},
            {K::Several, true, false, true, "", "Resposta 2", "Mensaxe da resposta 2", false},
            {K::TrueFalse, false, true, false, "Correcta", "", "Mensaxe de Falso", false},
            {K::Short, false, false, true, "Aceptada", "Resposta aceptada 2", "Mensaxe da resposta 2", false},
        };
        QCOMPARE(ui->cbtipo->count(), 4);
        QCOMPARE(ui->cbtipo->currentIndex(), 0); // a new question has one right answer
        const QStringList names{"Unha resposta", "Varias respostas", "Verdadeiro ou falso", "Resposta curta"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(ui->cbtipo->itemText(i), names[i]);
        const auto placesOf = [this] {
            QList<QRect> places;
            for (int n = 1; n <= kAnswerCount; ++n)
                places << QRect(box(n)->mapTo(ui->page2, QPoint()), box(n)->size())
                       << QRect(messageButton(n)->mapTo(ui->page2, QPoint()), messageButton(n)->size());
            places << QRect(ui->txtson->mapTo(ui->page2, QPoint()), ui->txtson->size());
            return places;
        };
        const QList<QRect> onePlaces = placesOf();
        for (const auto& c : cases) {
            const char* kind = kindName(c.kind);
            choose(c.kind);
            QCoreApplication::processEvents();
            for (int n = 1; n <= kAnswerCount; ++n) {
                const bool rowShown = n <= 2 || c.lastRows;
                QCOMPARE(tick(n)->isVisible(), c.ticks);
                QCOMPARE(box(n)->isVisible(), rowShown && !c.words);
                QCOMPARE(messageButton(n)->isVisible(), rowShown);
            }
            QCOMPARE(ui->optverdadeiro->isVisible(), c.words);
            QCOMPARE(ui->optfalso->isVisible(), c.words);
            QCOMPARE(ui->lbcorrecta1->isVisible(), !c.ticks);
            if (!c.ticks)
                QCOMPARE(ui->lbcorrecta1->text(), c.caption);
            if (!c.words)
                QCOMPARE(box(2)->accessibleName(), c.secondBox);
            QCOMPARE(messageButton(2)->accessibleName(), c.secondMessage);
            QVERIFY2(form->findChild<QFrame*>(QStringLiteral("Panel15"))->styleSheet().contains(kAnswerYellow.name()) == c.yellowFirstRow, kind);
            QVERIFY2(placesOf() == onePlaces, kind);
        }
    }

    // What the controls of each kind make of the question on screen.
    void theControlsMakeTheQuestionOfTheirKind() {
        const struct {
            const char* name;
            std::function<void()> edit;
            Question expected;
        } cases[] = {
            {"one answer and its messages",
             [this] {
                 typeAnswers({"Miño", "Sil", "", ""});
                 writeMessage(2, QStringLiteral("O Sil é afluente"));
                 writeMessage(4, QStringLiteral("sen resposta"));
             },
             question(K::One, {"Miño", "Sil", "", ""}, {"", "O Sil é afluente", "", "sen resposta"})},
            {"several, two ticked",
             [this] {
                 typeAnswers({"Mondego", "Miño", "Ulla", "Douro"});
                 choose(K::Several);
                 tick(2)->click();
                 tick(3)->click();
             },
             question(K::Several, {"Mondego", "Miño", "Ulla", "Douro"}, {"", "", "", ""}, {false, true, true, false})},
            {"ticks left when the kind is one answer again",
             [this] {
                 typeAnswers({"a", "b", "", ""});
                 choose(K::Several);
                 tick(2)->click();
                 choose(K::One);
             },
             question(K::One, {"a", "b", "", ""})},
            {"true or false, as it starts",
             [this] {
                 typeAnswers({"a", "b", "c", "d"});
                 choose(K::TrueFalse);
             },
             question(K::TrueFalse, {kTrueText, kFalseText, "", ""})},
            {"true or false, false right, each word its message",
             [this] {
                 choose(K::TrueFalse);
                 ui->optfalso->click();
                 writeMessage(1, QStringLiteral("Non é verdade"));
                 writeMessage(2, QStringLiteral("Ben: nace en Meira"));
             },
             question(K::TrueFalse, {kFalseText, kTrueText, "", ""}, {"Ben: nace en Meira", "Non é verdade", "", ""})},
            {"short answer: the boxes are accepted",
             [this] {
                 typeAnswers({"Santiago de Compostela", "Santiago", "", ""});
                 choose(K::Short);
             },
             question(K::Short, {"Santiago de Compostela", "Santiago", "", ""})},
        };
        for (const auto& c : cases) {
            form->navigator().iniciar();
            c.edit();
            QVERIFY2(onScreen() == c.expected, qPrintable(QString::fromUtf8(c.name) + ": " + describe(onScreen())));
            ui->btinicio->click(); // commits it
            QVERIFY2(current() == c.expected, c.name);
            form->navigator().borradatos();
            form->navigator().mostra(); // and shows it again
            QVERIFY2(onScreen() == c.expected, c.name);
            ui->btpreg->click();
        }
    }

    // Opened, every kind shows as the file holds it and counts as saved; saved again,
    // the file is the same byte for byte.
    void theQuizFileOfEveryKindComesBackAsItWas() {
        const QString path = dir->filePath("rios.xml");
        QVERIFY(QFile::copy(QStringLiteral(VIRETA_TEST_DATA "/quiz_file/kinds_quiz.xml"), path));
        form->fileActions().LoadItem(path);
        ui->btpreg->click();
        const struct {
            K kind;
            std::array<bool, 4> ticks;
            bool falseRight;
            QString firstMessage; // the tooltip of the first row's message button
        } shown[] = {
            {K::Several, {true, true, false, false}, false, "Mensaxe da resposta 1: Si: nace en Meira."},
            {K::TrueFalse, {}, true, "Mensaxe de Verdadeiro: ningunha"},
            {K::Short, {}, false, "Mensaxe da resposta 1: ningunha"},
            {K::One, {}, false, "Mensaxe da resposta 1: ningunha"},
        };
        for (const auto& s : shown) {
            const char* kind = kindName(s.kind);
            QCOMPARE(ui->cbtipo->currentIndex(), static_cast<int>(s.kind));
            for (int n = 1; n <= kAnswerCount; ++n)
                QVERIFY2(tick(n)->isChecked() == s.ticks[static_cast<std::size_t>(n - 1)], kind);
            QVERIFY2(ui->optfalso->isChecked() == s.falseRight, kind);
            QVERIFY2(messageButton(1)->toolTip().startsWith(s.firstMessage), qPrintable(messageButton(1)->toolTip()));
            QVERIFY2(onScreen() == current(), qPrintable(describe(onScreen()) + " / " + describe(current())));
            QVERIFY2(!form->isWindowModified(), kind);
            ui->SpeedButton24->click();
        }
        QCOMPARE(messageButton(2)->toolTip(), QStringLiteral("Mensaxe da resposta 2: O Sil é afluente do Miño."));
        QVERIFY(!form->session().undoStack().canUndo()); // going through them changed nothing
        QVERIFY(QFile::remove(path));
        QVERIFY(form->fileActions().saveQuiz()); // where it came from
        QCOMPARE(readFile(path), readFile(QStringLiteral(VIRETA_TEST_DATA "/quiz_file/kinds_quiz.xml")));
    }

    void changingTheKindKeepsWhatWasTyped() {
        // Typed answers and messages come back after true or false, and ticks after
        // another kind.
        typeAnswers({"Miño", "Sil", "Ulla", "Tambre"});
        writeMessage(1, QStringLiteral("Si"));
        writeMessage(3, QStringLiteral("Non"));
        choose(K::Several);
        tick(4)->click();
        const Question several = onScreen();
        for (K other : {K::TrueFalse, K::Short, K::One}) {
            choose(other);
            choose(K::Several);
            QVERIFY2(onScreen() == several, kindName(other));
        }

        // The two words shown as answers of another kind are the choice's, and back.
        form->session().model().currentRecord() =
            question(K::TrueFalse, {kFalseText, kTrueText, "", ""}, {"Ben", "", "", ""});
        form->navigator().mostra();
        choose(K::One);
        QVERIFY(onScreen() == question(K::One, {kFalseText, kTrueText, "", ""}, {"Ben", "", "", ""}));
        choose(K::TrueFalse);
        QVERIFY(ui->optfalso->isChecked());
        ui->optverdadeiro->click();
        writeMessage(1, QStringLiteral("Mal"));
        choose(K::One);
        QVERIFY2(onScreen() == question(K::One, {kTrueText, kFalseText, "", ""}, {"Mal", "Ben", "", ""}),
                 qPrintable(describe(onScreen())));
    }

    // A kind, a tick, the right word and a message are edits of the question: the
    // title's marker follows them, and "Desfacer" takes each back.
    void theMarkerAndDesfacerFollowEveryNewControl() {
        const struct {
            const char* name;
            Question start; // saved, then edited
            std::function<void()> edit;
        } edits[] = {
            {"kind", question(K::One, {"Miño", "Sil", "Ulla", ""}), [this] { choose(K::Short); }},
            {"tick", question(K::Several, {"Miño", "Sil", "Ulla", ""}), [this] { tick(1)->click(); }},
            {"right word", question(K::TrueFalse, {kTrueText, kFalseText, "", ""}), [this] { ui->optfalso->click(); }},
            {"message", question(K::One, {"Miño", "Sil", "Ulla", ""}),
             [this] { writeMessage(3, QStringLiteral("Case")); }},
        };
        for (const auto& e : edits) {
            form->session().model().currentRecord() = e.start;
            form->navigator().mostra();
            QVERIFY(saveAs(dir->filePath("rios.xml")));
            QVERIFY2(!form->isWindowModified(), e.name);
            e.edit();
            const Question after = onScreen();
            QVERIFY2(after != e.start, e.name);
            QVERIFY2(form->isWindowModified(), e.name);
            form->undoController().undo(); // Ctrl+Z: the button waits for a step
            QVERIFY2(onScreen() == e.start, qPrintable(QString::fromUtf8(e.name) + ": " + describe(onScreen())));
            QVERIFY2(!form->isWindowModified(), e.name);
            QVERIFY2(ui->btrefacer->isEnabled(), e.name);
            ui->btrefacer->click();
            QVERIFY2(onScreen() == after, e.name);
            QVERIFY2(current() == after, e.name);
        }
    }

    void theMessageBoxAnswersTheKeyboard() {
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        typeAnswers({"Miño", "Sil", "", ""});
        messageButton(2)->setFocus();
        QTest::keyClick(messageButton(2), Qt::Key_Space);
        QTRY_VERIFY(ui->txtretro->isVisible());
        QCOMPARE(QApplication::focusWidget(), ui->txtretro);
        QCOMPARE(ui->txtretro->accessibleName(), QStringLiteral("Mensaxe da resposta 2"));
        QTest::keyClicks(ui->txtretro, QStringLiteral("Afluente"));
        QVERIFY(form->isWindowModified()); // every keystroke counts, as in the boxes
        QTest::keyClick(ui->txtretro, Qt::Key_Return);
        QVERIFY(!ui->txtretro->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), messageButton(2));
        QCOMPARE(messageButton(2)->toolTip(), QStringLiteral("Mensaxe da resposta 2: Afluente"));
        QCOMPARE(onScreen().answerMessage(2), std::string("Afluente"));

        // Escape leaves the message as it was.
        QTest::keyClick(messageButton(2), Qt::Key_Space);
        QTRY_VERIFY(ui->txtretro->isVisible());
        QTest::keyClicks(ui->txtretro, QStringLiteral("Outra"));
        QTest::keyClick(ui->txtretro, Qt::Key_Escape);
        QVERIFY(!ui->txtretro->isVisible());
        QCOMPARE(onScreen().answerMessage(2), std::string("Afluente"));

        // Alt+T reaches the kind, and Tab goes through each row: tick, box, message.
        QTest::keyClick(form.get(), Qt::Key_T, Qt::AltModifier);
        QTRY_COMPARE(QApplication::focusWidget(), ui->cbtipo);
        choose(K::Several);
        QStringList reached;
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(reached, (QStringList{"chkcorrecta1", "txtresp1", "btretro1", "chkcorrecta2", "txtresp2", "btretro2"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space); // the message button
        QTRY_VERIFY(ui->txtretro->isVisible());
        QTest::keyClick(ui->txtretro, Qt::Key_Escape);
        QTest::keyClick(form.get(), Qt::Key_T, Qt::AltModifier);
        choose(K::TrueFalse);
        QTest::keyClick(ui->cbtipo, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), ui->optverdadeiro);
        QTest::keyClick(ui->optverdadeiro, Qt::Key_Down); // arrows move the choice
        QVERIFY(ui->optfalso->isChecked());
    }
};

QTEST_MAIN(QuestionKindsTest)
#include "question_kinds_test.moc"
