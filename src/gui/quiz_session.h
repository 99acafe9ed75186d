// The quiz being edited, apart from any widget: the model and its editor, the quiz
// file it came from, what it was when last opened or saved, the history of
// "Desfacer", and what lasts from one save to the next (the last folder a dialog used,
// the shuffle of the HTML pages).
#pragma once

#include "formats/shuffle.h"
#include "model/question_editor.h"
#include "model/quiz.h"
#include "model/quiz_snapshot.h"
#include "save/save_step.h"

#include <QObject>
#include <QString>

#include <functional>

class QUndoStack;

namespace vireta {

struct QuestionsState;
struct UndoStep;

class QuizSession : public QObject {
    Q_OBJECT

public:
    explicit QuizSession(QObject* parent = nullptr);
    ~QuizSession() override;

    QuizModel& model() { return model_; }
    const QuizModel& model() const { return model_; }
    QuestionEditor& editor() { return editor_; }
    QUndoStack& undoStack() { return *undoStack_; }
    SaveStep& saveStep() { return saveStep_; }
    const SaveStep& saveStep() const { return saveStep_; }
    // The shuffle generator of the HTML exports and the paper test (tests fix its seed).
    ShuffleGenerator& generator() { return generator_; }

    // The quiz file the title names and Ctrl+S writes to: the file last opened, or
    // last saved as a quiz file; empty for a quiz never saved (and after "Novo").
    const QString& quizPath() const { return quizPath_; }
    void setQuizPath(const QString& path);

    // Where the quiz, import and export dialogs start: the quiz file's folder, else
    // the last folder one of them was used in, else the home folder.
    QString dialogFolder() const;
    // The last folder a quiz, import or export dialog was used in, else the home folder.
    QString lastDialogFolder() const;
    // Remembers the folder of a file a quiz, import or export dialog chose.
    void rememberDialogChoice(const QString& chosenPath);
    // What the save dialog offers for a save of `request`: beside the quiz file, under
    // its name, when the quiz has one; otherwise the quiz's `title` as a file name, in
    // lastDialogFolder().
    QString offeredSavePath(const std::string& title, const SaveRequest& request) const;

    // The quiz as it is now counts as saved.
    void markSaved(const GeneralData& general);
    // Whether the quiz in the table differs from what was last marked saved.
    bool hasUnsavedChanges(const GeneralData& general) const;
    // The same with the question on screen in place of the current record, copying
    // nothing (the title's marker, on every keystroke).
    bool differsOnScreen(const GeneralData& general, const Question& onScreen) const;

    // Stores the question on screen into the current record; its edit is a step of
    // "Desfacer" of its own when it changed.
    void commit(const Question& onScreen);
    // Runs `change`, an operation on the questions as a whole, as one step named
    // `text`; an operation that changes neither the questions nor the current number
    // makes no step.
    void applyChange(const QString& text, const std::function<void()>& change);
    // Runs `replace` (an open, a fresh start) without steps and starts the history again.
    void replaceQuiz(const std::function<void()>& replace);
    // A change of the pass mark on the end page, as a step of "Desfacer" named "Nota
    // para aprobar": a spin box has no undo of its own to take it back, as the text
    // boxes of the general data have. Changes that follow one another with no other
    // step between them are one step, and none when they end where they began.
    void recordPassMarkChange(int before, int after);

signals:
    // The questions, the undo history, the quiz file or the saved state changed: the
    // counter, the undo buttons and the title follow.
    void changed();
    // An undo or redo put questions back: the current one is to be shown.
    void questionsRestored();
    // An undo or redo put a pass mark back: the end page is to show it.
    void passMarkRestored(int passMark);

private:
    void push(UndoStep step);
    void restore(const QuestionsState& state);

    QuizModel model_;
    QuestionEditor editor_{model_};
    QuizSnapshot saved_;
    QString quizPath_;
    QString lastDialogFolder_;
    QUndoStack* undoStack_ = nullptr;
    bool restoring_ = false; // questions are being put back: edits make no steps
    SaveStep saveStep_;
    ShuffleGenerator generator_;
};

} // namespace vireta
