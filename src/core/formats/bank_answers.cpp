#include "formats/bank_answers.h"

#include "formats/import_support.h"

#include <charconv>
#include <cmath>

namespace vireta {

std::optional<double> bankWeight(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1); // from_chars takes a minus sign only
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void SortedAnswers::putInto(Question& q) const {
    q[FieldSlot::resposta1] = right;
    for (std::size_t i = 0; i < wrong.size(); ++i)
        q[answerSlot(static_cast<int>(i) + 2)] = wrong[i];
}

SortedAnswers sortBankAnswers(const std::vector<BankAnswer>& answers,
                              std::string_view wrongMessage) {
    SortedAnswers sorted;
    auto isRight = [](const BankAnswer& a) { return a.weight && *a.weight >= kRightAnswerWeight; };
    int rights = 0;
    bool weighted = false;
    for (const BankAnswer& a : answers) {
        if (isRight(a))
            ++rights;
        else if (!a.weight || *a.weight != 0)
            weighted = true;
    }
    if (rights != 1) {
        sorted.leftOut = rights == 0 ? NoteReason::NoRightAnswer : NoteReason::SeveralRightAnswers;
        return sorted;
    }
    int cut = 0;
    sorted.wrongFeedback = wrongMessage;
    std::vector<const BankAnswer*> kept; // the wrong answers taken
    for (const BankAnswer& a : answers) {
        if (isRight(a)) {
            sorted.right = a.text;
            sorted.rightFeedback = a.feedback;
        } else if (a.text.empty()) {
            continue;
        } else if (sorted.wrong.size() == 3) {
            ++cut;
        } else {
            sorted.wrong.push_back(a.text);
            kept.push_back(&a);
            if (sorted.wrongFeedback.empty())
                sorted.wrongFeedback = a.feedback;
        }
    }
    if (sorted.right.empty()) {
        sorted.leftOut = NoteReason::NoRightAnswer;
        return sorted;
    }
    if (weighted)
        sorted.changes.push_back({NoteReason::Weighted, {}});
    if (cut > 0)
        sorted.changes.push_back({NoteReason::WrongAnswersCut, std::to_string(cut)});
    for (const BankAnswer* a : kept) {
        if (!a->feedback.empty() && a->feedback != sorted.wrongFeedback)
            sorted.changes.push_back({NoteReason::WrongFeedbackLeftOut, questionName(a->text)});
    }
    return sorted;
}

} // namespace vireta
