#include "editing/undo_controller.h"

#include "editing/question_navigator.h"
#include "quiz_session.h"

#include <QToolButton>
#include <QUndoStack>

namespace vireta {

UndoController::UndoController(QuizSession& session, QuestionNavigator& navigator,
                               QToolButton* undoButton, QToolButton* redoButton)
    : session_(session), navigator_(navigator), btdesfacer_(undoButton), btrefacer_(redoButton) {
    connect(btdesfacer_, &QToolButton::clicked, this, &UndoController::undo);
    connect(btrefacer_, &QToolButton::clicked, this, &UndoController::redo);
    connect(&session_, &QuizSession::changed, this, &UndoController::updateButtons);
    updateButtons();
}

void UndoController::undo() {
    navigator_.pasa();
    session_.undoStack().undo();
}

void UndoController::redo() {
    navigator_.pasa();
    session_.undoStack().redo();
}

void UndoController::updateButtons() {
    const QUndoStack& stack = session_.undoStack();
    btdesfacer_->setEnabled(stack.canUndo());
    btrefacer_->setEnabled(stack.canRedo());
    const QString undoTip = QStringLiteral("Desfacer (Ctrl+Z)");
    const QString redoTip = QStringLiteral("Refacer (Ctrl+Shift+Z)");
    btdesfacer_->setToolTip(stack.canUndo() ? undoTip + QStringLiteral(": ") + stack.undoText() : undoTip);
    btrefacer_->setToolTip(stack.canRedo() ? redoTip + QStringLiteral(": ") + stack.redoText() : redoTip);
}

} // namespace vireta
