// "Desfacer" and "Refacer" at the right of the question bar (Ctrl+Z, Ctrl+Shift+Z),
// with the step each would undo or redo in its tooltip.
#pragma once

#include <QObject>

class QToolButton;

namespace vireta {

class QuestionNavigator;
class QuizSession;

class UndoController : public QObject {
    Q_OBJECT

public:
    UndoController(QuizSession& session, QuestionNavigator& navigator, QToolButton* undoButton,
                   QToolButton* redoButton);

    void undo(); // commits the question on screen, then steps back
    void redo();

private:
    void updateButtons();

    QuizSession& session_;
    QuestionNavigator& navigator_;
    QToolButton* btdesfacer_;
    QToolButton* btrefacer_;
};

} // namespace vireta
