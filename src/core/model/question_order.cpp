#include "model/question_order.h"

#include <stdexcept>

namespace vireta {

std::string orderingEntry(int number, std::string_view statement) {
    std::string label = std::to_string(number);
    if (number >= 0 && number < 10)
        label.insert(label.begin(), '0');
    return label + " -- " + std::string(statement);
}

int orderingEntryNumber(std::string_view entry) {
    int n = 0;
    for (char c : entry) {
        if (c < '0' || c > '9')
            break;
        n = n * 10 + (c - '0');
        if (n > kQuestionCapacity)
            return 0; // no question has such a number
    }
    return n;
}

std::vector<std::string> orderingEntries(const QuizModel& model) {
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(model.count));
    for (int k = 1; k <= model.count; ++k)
        entries.push_back(orderingEntry(k, model.questions.record(k)[FieldSlot::enunciado]));
    return entries;
}

void moveOrderingEntry(std::vector<std::string>& entries, int from, int onto) {
    const int size = static_cast<int>(entries.size());
    if (from < 0 || from >= size)
        return;
    if (onto < 0 || onto >= size)
        onto = size - 1;
    if (onto == from)
        return;
    std::string moved = std::move(entries[static_cast<std::size_t>(from)]);
    entries.erase(entries.begin() + from);
    entries.insert(entries.begin() + onto, std::move(moved));
}

void applyOrdering(QuizModel& model, const std::vector<std::string>& entries) {
    if (static_cast<int>(entries.size()) != model.count)
        throw std::invalid_argument("the ordering list does not match the quiz");
    std::vector<bool> seen(static_cast<std::size_t>(model.count) + 1, false);
    for (const auto& entry : entries) {
        const int k = orderingEntryNumber(entry);
        if (k < 1 || k > model.count || seen[static_cast<std::size_t>(k)])
            throw std::invalid_argument("the ordering list does not match the quiz");
        seen[static_cast<std::size_t>(k)] = true;
    }
    for (int i = 1; i <= model.count; ++i)
        model.staging.record(i) =
            model.questions.record(orderingEntryNumber(entries[static_cast<std::size_t>(i - 1)]));
    for (int i = 1; i <= model.count; ++i)
        model.questions.record(i) = model.staging.record(i);
}

} // namespace vireta
