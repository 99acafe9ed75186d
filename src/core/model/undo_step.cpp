#include "model/undo_step.h"

#include <algorithm>
#include <utility>

namespace vireta {

QuestionsState questionsStateOf(const QuizModel& model) {
    QuestionsState s;
    const int n = std::clamp(model.count, 0, kQuestionCapacity);
    s.questions.reserve(static_cast<std::size_t>(n));
    for (int k = 1; k <= n; ++k)
        s.questions.push_back(model.questions.record(k));
    s.current = model.current;
    s.fresh = model.fresh;
    return s;
}

void restoreQuestionsState(QuizModel& model, const QuestionsState& state) {
    const int n = std::min<int>(static_cast<int>(state.questions.size()), kQuestionCapacity);
    for (int k = 1; k <= kQuestionCapacity; ++k) {
        if (k <= n)
            model.questions.record(k) = state.questions[static_cast<std::size_t>(k - 1)];
        else
            model.questions.record(k).clear();
    }
    model.count = std::max(n, 1);
    model.current = std::clamp(state.current, 1, model.count);
    model.fresh = state.fresh;
}

std::optional<UndoStep> stepOf(std::string text, QuestionsState before, QuestionsState after) {
    if (before == after)
        return std::nullopt;
    return UndoStep{std::move(text), std::move(before), std::move(after)};
}

std::optional<UndoStep> editStepOf(const QuizModel& model, const Question& onScreen) {
    if (model.currentRecord() == onScreen)
        return std::nullopt;
    QuestionsState before = questionsStateOf(model);
    QuestionsState after = before;
    after.questions[static_cast<std::size_t>(model.current - 1)] = onScreen;
    return UndoStep{"Editar a pregunta " + std::to_string(model.current), std::move(before),
                    std::move(after)};
}

} // namespace vireta
