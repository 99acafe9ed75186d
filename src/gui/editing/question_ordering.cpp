#include "editing/question_ordering.h"

#include "editing/question_navigator.h"
#include "model/question_order.h"
#include "pages/ordering_page.h"
#include "quiz_session.h"

namespace vireta {

QuestionOrdering::QuestionOrdering(QuizSession& session, QuestionNavigator& navigator, OrderingPage& page)
    : session_(session), navigator_(navigator), page_(page) {
    connect(&page_, &OrderingPage::orderRequested, this, &QuestionOrdering::btordeaClick);
}

void QuestionOrdering::btmostraClick() {
    navigator_.pasa();
    page_.setEntries(orderingEntries(session_.model()));
}

void QuestionOrdering::btordeaClick() {
    const int row = page_.currentRow();
    navigator_.pushQuestionsChange(QStringLiteral("Ordear as preguntas"),
                                   [this] { applyOrdering(session_.model(), page_.entries()); });
    page_.setEntries(orderingEntries(session_.model()));
    page_.setCurrentRow(row);
}

void QuestionOrdering::questionsRestored(bool pageShown) {
    if (pageShown)
        page_.setEntries(orderingEntries(session_.model()));
}

} // namespace vireta
