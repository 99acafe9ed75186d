#include "editing/question_ordering.h"

#include "dialogs.h"
#include "editing/question_navigator.h"
#include "model/question_order.h"
#include "pages/ordering_page.h"
#include "quiz_session.h"

namespace vireta {

QuestionOrdering::QuestionOrdering(QuizSession& session, QuestionNavigator& navigator, OrderingPage& page,
                                   Dialogs& dialogs, QWidget* window)
    : session_(session), navigator_(navigator), page_(page), dialogs_(dialogs), window_(window) {
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

bool QuestionOrdering::hasPendingMoves() const {
    return page_.entries() != orderingEntries(session_.model());
}

bool QuestionOrdering::settlePendingMoves() {
    if (!hasPendingMoves())
        return true;
    switch (dialogs_.askToApply(window_, QStringLiteral("Aplicar a nova orde das preguntas?"))) {
    case Dialogs::SaveAnswer::Save:
        btordeaClick();
        return true;
    case Dialogs::SaveAnswer::Discard:
        page_.setEntries(orderingEntries(session_.model()));
        return true;
    case Dialogs::SaveAnswer::Cancel:
        break;
    }
    return false;
}

void QuestionOrdering::questionsRestored(bool pageShown) {
    if (pageShown)
        page_.setEntries(orderingEntries(session_.model()));
}

} // namespace vireta
