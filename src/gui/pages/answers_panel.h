// The answers of the question on the "Preguntas" page: the kind of question above
// them, then four rows, each an answer box with what it means for that kind on its left
// (the right one, a tick for each right one, the accepted ones) and the button of its
// own message on its right. A true-or-false question shows its two fixed words instead,
// and a choice of the right one.
//
// The boxes keep what was typed in them whatever the kind: a change of kind and back
// gives the answers, the ticks and the messages back. The words of a true-or-false
// question and their messages are kept apart from the boxes; when the boxes hold just
// those two words (a true-or-false question shown, or typed so), the choice and the
// boxes follow one another as the kind changes.
#pragma once

#include "model/question.h"

#include <QFrame>
#include <QString>
#include <QWidget>

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QStackedWidget;
class QToolButton;

namespace vireta {

class AnswerMessageEditor;

class AnswersPanel : public QWidget {
    Q_OBJECT

public:
    explicit AnswersPanel(QWidget* parent);

    // The kind, the answers, the marks and the answers' messages of `q` on screen
    // (the boxes are the page's: it fills them before), and back into `q`.
    void show(const Question& q);
    void fillQuestion(Question& q) const;

    QuestionKind kind() const;
    QLineEdit* answerBox(int n) const { return boxes_.at(static_cast<std::size_t>(n - 1)); }
    // What the teacher edits answer n (1..4) of the question on screen with: its box,
    // or for a true-or-false question the choice of its word; null when not shown.
    QWidget* answerControl(int n) const;
    QWidget* kindChooser() const;
    // The tick that marks answer n (1..4) right in a several-answer question.
    QWidget* mark(int n) const;
    QToolButton* messageButton(int n) const { return messageButtons_.at(static_cast<std::size_t>(n - 1)); }
    // Opens the box of the message of the answer in row n (1..4) under the row.
    void editMessage(int n);
    AnswerMessageEditor* messageEditor() const { return editor_; }

signals:
    // The kind, a tick, the right word or a message changed (the typed answers tell
    // it themselves).
    void edited();
    // Other controls are shown since the kind changed: the tab order is to follow.
    void viewChanged();

private:
    QString& messageOf(int row);
    const QString& messageOf(int row) const;
    void kindChosen();
    void showKind(QuestionKind kind);
    void showMessageButton(int row);
    void colourBoxes();
    bool boxesHoldTheTwoWords() const;
    void takeTrueFalseFromBoxes();
    void putTrueFalseInBoxes();

    QComboBox* kind_ = nullptr;
    QFrame* correct_ = nullptr; // the first row's frame, yellow for a one-answer question
    std::array<QStackedWidget*, kAnswerCount> gutters_{};
    std::array<QLabel*, kAnswerCount> captions_{};
    std::array<QCheckBox*, kAnswerCount> ticks_{};
    std::array<QLineEdit*, kAnswerCount> boxes_{};
    std::array<QStackedWidget*, 2> wordCells_{}; // a box or the word of a true-or-false
    QRadioButton* trueRight_ = nullptr;
    QRadioButton* falseRight_ = nullptr;
    QButtonGroup* rightWord_ = nullptr;
    std::array<QToolButton*, kAnswerCount> messageButtons_{};
    AnswerMessageEditor* editor_ = nullptr;

    std::array<QString, kAnswerCount> messages_; // the boxes' messages, row by row
    std::array<QString, 2> wordMessages_;        // the messages of "Verdadeiro" and "Falso"
    int editedRow_ = 0; // the row whose message the editor shows
    QuestionKind shownKind_ = QuestionKind::One;
    bool showing_ = false; // a question is being shown: no edit to tell
};

// The small box under an answer where its message is written: Intro or a click
// elsewhere keeps what was typed, Escape puts back what it held.
class AnswerMessageEditor : public QFrame {
    Q_OBJECT

public:
    explicit AnswerMessageEditor(QWidget* parent);

    // Shows `text` under the caption, with the cursor in the box, at `place` (global).
    void open(const QString& caption, const QString& text, const QRect& place);
    QLineEdit* box() const { return box_; }

signals:
    void textEdited(const QString& text); // what the box holds now
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLabel* caption_ = nullptr;
    QLineEdit* box_ = nullptr;
    QString before_;
};

} // namespace vireta
