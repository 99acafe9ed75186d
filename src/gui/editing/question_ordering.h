// The ordering page's work: the list made from the quiz ("Ordear as preguntas" on the
// question bar) and its order applied as one step of "Desfacer" ("Ordear").
#pragma once

#include <QObject>

namespace vireta {

class OrderingPage;
class QuestionNavigator;
class QuizSession;
class SectionStrip;

class QuestionOrdering : public QObject {
    Q_OBJECT

public:
    QuestionOrdering(QuizSession& session, QuestionNavigator& navigator, OrderingPage& page);

    // The list of the questions as they stand; the caller shows the page.
    void btmostraClick();
    void btordeaClick();
    // An undo or redo changed the questions: the list follows while it is shown.
    void questionsRestored(bool pageShown);

private:
    QuizSession& session_;
    QuestionNavigator& navigator_;
    OrderingPage& page_;
};

} // namespace vireta
