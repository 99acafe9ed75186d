#include "quiz_session.h"

#include "model/undo_step.h"
#include "qt_text.h"

#include <QDir>
#include <QFileInfo>
#include <QUndoStack>

namespace vireta {
namespace {

// One step of "Desfacer": the questions before and after an operation. Pushed after the
// operation has run, so its first redo does nothing.
class QuestionsCommand : public QUndoCommand {
public:
    QuestionsCommand(UndoStep step, std::function<void(const QuestionsState&)> restore)
        : QUndoCommand(fromUtf8(step.text)), step_(std::move(step)), restore_(std::move(restore)) {}

    void undo() override { restore_(step_.before); }
    void redo() override {
        if (pushed_)
            restore_(step_.after);
        pushed_ = true;
    }

private:
    UndoStep step_;
    std::function<void(const QuestionsState&)> restore_;
    bool pushed_ = false;
};

// One step of "Desfacer" for the pass mark: the value before and after. Pushed after
// the change, so its first redo does nothing; a change pushed right after it merges
// into it.
class PassMarkCommand : public QUndoCommand {
public:
    static constexpr int kId = 1;

    PassMarkCommand(int before, int after, std::function<void(int)> restore)
        : QUndoCommand(QStringLiteral("Nota para aprobar")), before_(before), after_(after),
          restore_(std::move(restore)) {}

    int id() const override { return kId; }
    bool mergeWith(const QUndoCommand* other) override {
        if (other->id() != kId)
            return false;
        after_ = static_cast<const PassMarkCommand*>(other)->after_;
        setObsolete(after_ == before_);
        return true;
    }
    void undo() override { restore_(before_); }
    void redo() override {
        if (pushed_)
            restore_(after_);
        pushed_ = true;
    }

private:
    int before_;
    int after_;
    std::function<void(int)> restore_;
    bool pushed_ = false;
};

} // namespace

QuizSession::QuizSession(QObject* parent) : QObject(parent), undoStack_(new QUndoStack(this)) {
    connect(undoStack_, &QUndoStack::indexChanged, this, &QuizSession::changed);
}

QuizSession::~QuizSession() {
    // The stack clears itself as it goes: what it signals then reaches no one.
    undoStack_->disconnect(this);
}

void QuizSession::setQuizPath(const QString& path) {
    quizPath_ = path;
    emit changed();
}

QString QuizSession::dialogFolder() const {
    return quizPath_.isEmpty() ? lastDialogFolder() : QFileInfo(quizPath_).absolutePath();
}

QString QuizSession::lastDialogFolder() const {
    return lastDialogFolder_.isEmpty() ? QDir::homePath() : lastDialogFolder_;
}

void QuizSession::rememberDialogChoice(const QString& chosenPath) {
    if (!chosenPath.isEmpty())
        lastDialogFolder_ = QFileInfo(chosenPath).absolutePath();
}

QString QuizSession::offeredSavePath(const std::string& title, const SaveRequest& request) const {
    return fromUtf8(vireta::offeredSavePath(toUtf8(quizPath_), title, toUtf8(lastDialogFolder()), request));
}

void QuizSession::markSaved(const GeneralData& general) {
    saved_ = snapshotOf(general, model_);
    emit changed();
}

bool QuizSession::hasUnsavedChanges(const GeneralData& general) const {
    return snapshotOf(general, model_) != saved_;
}

bool QuizSession::differsOnScreen(const GeneralData& general, const Question& onScreen) const {
    return !sameQuiz(saved_, general, model_, onScreen);
}

void QuizSession::commit(const Question& onScreen) {
    if (auto step = editStepOf(model_, onScreen); step && !restoring_)
        push(std::move(*step));
    editor_.commit(onScreen);
}

void QuizSession::applyChange(const QString& text, const std::function<void()>& change) {
    QuestionsState before = questionsStateOf(model_);
    change();
    if (auto step = stepOf(toUtf8(text), std::move(before), questionsStateOf(model_)))
        push(std::move(*step));
    emit changed();
}

void QuizSession::replaceQuiz(const std::function<void()>& replace) {
    restoring_ = true;
    replace();
    restoring_ = false;
    undoStack_->clear();
}

void QuizSession::recordPassMarkChange(int before, int after) {
    if (restoring_ || before == after)
        return;
    undoStack_->push(new PassMarkCommand(before, after, [this](int value) {
        restoring_ = true;
        emit passMarkRestored(value);
        restoring_ = false;
    }));
    emit changed(); // a merged step moves no index: the title and the buttons follow here
}

void QuizSession::push(UndoStep step) {
    undoStack_->push(new QuestionsCommand(std::move(step), [this](const QuestionsState& s) { restore(s); }));
}

void QuizSession::restore(const QuestionsState& state) {
    restoring_ = true;
    restoreQuestionsState(model_, state);
    emit questionsRestored();
    restoring_ = false;
}

} // namespace vireta
