// The ordering page's work: the list made from the quiz ("Ordear as preguntas" on the
// question bar) and its order applied as one step of "Desfacer" ("Ordear").
#pragma once

#include <QObject>

class QWidget;

namespace vireta {

class Dialogs;
class OrderingPage;
class QuestionNavigator;
class QuizSession;
class SectionStrip;

class QuestionOrdering : public QObject {
    Q_OBJECT

public:
    // `window` is the parent of the dialogs.
    QuestionOrdering(QuizSession& session, QuestionNavigator& navigator, OrderingPage& page,
                     Dialogs& dialogs, QWidget* window);

    // The list of the questions as they stand; the caller shows the page.
    void btmostraClick();
    void btordeaClick();
    // An undo or redo changed the questions: the list follows while it is shown.
    void questionsRestored(bool pageShown);
    // Whether the list is in another order than the quiz's.
    bool hasPendingMoves() const;
    // Before the shown page is left: moves not yet applied are applied or discarded
    // as the teacher says; false when the teacher cancels (the page stays).
    bool settlePendingMoves();

private:
    QuizSession& session_;
    QuestionNavigator& navigator_;
    OrderingPage& page_;
    Dialogs& dialogs_;
    QWidget* window_;
};

} // namespace vireta
