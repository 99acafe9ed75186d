#include "formats/bank_answers.h"

#include "formats/import_support.h"

#include <charconv>
#include <cmath>

namespace vireta {
namespace {

using Answer = BankQuestion::Answer;

bool isFull(const BankAnswer& a) { return a.weight && *a.weight >= kRightAnswerWeight; }

// The messages of one side (the right answers or the wrong ones) of a question whose
// bank gives `own` for that side, or none.
void shareMessages(std::vector<Answer*> side, const std::vector<std::string>& feedback,
                   const std::optional<std::string>& own, std::string& questionMessage) {
    if (!own) {
        bool same = true;
        for (const std::string& f : feedback)
            same = same && f == feedback.front();
        if (same) {
            questionMessage = feedback.empty() ? std::string() : feedback.front();
            return;
        }
    }
    questionMessage = own.value_or(std::string());
    for (std::size_t i = 0; i < side.size(); ++i)
        side[i]->message = feedback[i];
}

// Fills the question's answers with `kept` (indices into `answers`, in their order) and
// gives each side its messages.
void keep(BankQuestion& q, const std::vector<BankAnswer>& answers, const std::vector<std::size_t>& kept,
          const std::vector<bool>& right, const BankMessages& messages, bool pattern) {
    std::vector<std::string> rightFeedback, wrongFeedback;
    for (std::size_t i : kept) {
        q.answers.push_back({pattern ? shortAnswerOfPattern(answers[i].text) : answers[i].text, right[i], {}});
        (right[i] ? rightFeedback : wrongFeedback).push_back(answers[i].feedback);
    }
    std::vector<Answer*> rights, wrongs;
    for (Answer& a : q.answers)
        (a.right ? rights : wrongs).push_back(&a);
    shareMessages(rights, rightFeedback, messages.right, q.rightMessage);
    shareMessages(wrongs, wrongFeedback, messages.wrong, q.wrongMessage);
}

BankQuestion singleChoice(const std::vector<BankAnswer>& answers, const BankMessages& messages,
                          QuestionKind kind) {
    BankQuestion q;
    q.kind = kind;
    int rights = 0;
    bool weighted = false;
    for (const BankAnswer& a : answers) {
        if (isFull(a))
            ++rights;
        else if (!a.weight || *a.weight != 0)
            weighted = true;
    }
    if (rights != 1) {
        q.leftOut = rights == 0 ? NoteReason::NoRightAnswer : NoteReason::SeveralRightAnswers;
        return q;
    }
    std::vector<std::size_t> kept(1); // the right answer, then three wrong ones at most
    std::vector<bool> right(answers.size(), false);
    int cut = 0;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        if (isFull(answers[i])) {
            if (answers[i].text.empty()) {
                q.leftOut = NoteReason::NoRightAnswer;
                return q;
            }
            right[i] = true;
            kept.front() = i;
        } else if (answers[i].text.empty()) {
            continue;
        } else if (kept.size() == 4) {
            ++cut;
        } else {
            kept.push_back(i);
        }
    }
    if (weighted)
        q.changes.push_back({NoteReason::Weighted, {}});
    if (cut > 0)
        q.changes.push_back({NoteReason::WrongAnswersCut, std::to_string(cut)});
    keep(q, answers, kept, right, messages, false);
    return q;
}

// Several and Short: `right` tells the answers taken as right; `candidates` the ones
// that may be kept (with text), in the file's order. Four at most, the right first.
std::vector<std::size_t> fourAtMost(const std::vector<std::size_t>& candidates, const std::vector<bool>& right,
                                    int& cut) {
    std::vector<bool> chosen(right.size(), false);
    std::size_t room = 4;
    for (bool wantRight : {true, false})
        for (std::size_t i : candidates)
            if (right[i] == wantRight && room > 0) {
                chosen[i] = true;
                --room;
            }
    std::vector<std::size_t> kept;
    for (std::size_t i : candidates) {
        if (chosen[i])
            kept.push_back(i);
        else
            ++cut;
    }
    return kept;
}

BankQuestion multipleResponse(const std::vector<BankAnswer>& answers, const BankMessages& messages) {
    BankQuestion q;
    q.kind = QuestionKind::Several;
    std::vector<bool> right(answers.size(), false);
    std::vector<std::size_t> candidates;
    bool anyRight = false;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const BankAnswer& a = answers[i];
        if (a.text.empty())
            continue;
        if (!a.weight)
            q.changes.push_back({NoteReason::UnreadableWeight, questionName(a.text)});
        right[i] = a.weight && *a.weight > 0;
        anyRight = anyRight || right[i];
        candidates.push_back(i);
    }
    if (!anyRight) {
        q.changes.clear();
        q.leftOut = NoteReason::NoRightAnswer;
        return q;
    }
    int cut = 0;
    const std::vector<std::size_t> kept = fourAtMost(candidates, right, cut);
    if (cut > 0)
        q.changes.push_back({NoteReason::AnswersCut, std::to_string(cut)});
    keep(q, answers, kept, right, messages, false);
    return q;
}

BankQuestion shortAnswer(const std::vector<BankAnswer>& answers) {
    BankQuestion q;
    q.kind = QuestionKind::Short;
    std::vector<bool> right(answers.size(), false);
    std::vector<std::size_t> candidates;
    std::optional<std::string> anythingElse; // the first "*" below 100 %
    int notAccepted = 0;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const BankAnswer& a = answers[i];
        if (a.text.empty())
            continue;
        if (isFull(a)) {
            right[i] = true;
            candidates.push_back(i);
        } else if (a.text == "*") {
            if (!anythingElse)
                anythingElse = a.feedback;
        } else {
            ++notAccepted;
        }
    }
    if (candidates.empty()) {
        q.leftOut = NoteReason::NoRightAnswer;
        return q;
    }
    int cut = 0;
    const std::vector<std::size_t> kept = fourAtMost(candidates, right, cut);
    if (cut > 0)
        q.changes.push_back({NoteReason::AnswersCut, std::to_string(cut)});
    if (notAccepted > 0)
        q.changes.push_back({NoteReason::NotAcceptedLeftOut, std::to_string(notAccepted)});
    keep(q, answers, kept, right, BankMessages{std::nullopt, anythingElse.value_or(std::string())}, true);
    return q;
}

} // namespace

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

void BankQuestion::putInto(Question& q) const {
    q.kind = kind;
    for (std::size_t i = 0; i < answers.size() && i < kAnswerCount; ++i) {
        q[answerSlot(static_cast<int>(i) + 1)] = answers[i].text;
        q.marked[i] = kind == QuestionKind::Several && answers[i].right;
        q.answerMessages[i] = answers[i].message;
    }
    q[FieldSlot::ben] = rightMessage;
    q[FieldSlot::mal] = wrongMessage;
}

BankQuestion takeBankQuestion(BankKind kind, const std::vector<BankAnswer>& answers,
                              const BankMessages& messages) {
    switch (kind) {
    case BankKind::SingleChoice:
        return singleChoice(answers, messages, QuestionKind::One);
    case BankKind::TrueFalse: {
        const bool words = answers.size() == 2 &&
                           ((answers[0].text == kTrueText && answers[1].text == kFalseText) ||
                            (answers[0].text == kFalseText && answers[1].text == kTrueText));
        return singleChoice(answers, messages, words ? QuestionKind::TrueFalse : QuestionKind::One);
    }
    case BankKind::MultipleResponse:
        return multipleResponse(answers, messages);
    case BankKind::ShortAnswer:
        return shortAnswer(answers);
    }
    return {};
}

const std::string& bankFeedback(const Question& q, int n) {
    const std::string& own = q.answerMessage(n);
    if (!own.empty())
        return own;
    return isRightAnswer(q, n) ? q[FieldSlot::ben] : q[FieldSlot::mal];
}

unsigned messagesNotCarried(const Question& q, bool wrongHeld) {
    bool rightShown = false, wrongShown = wrongHeld;
    for (int n = 1; n <= kAnswerCount; ++n) {
        if (q[answerSlot(n)].empty() || !q.answerMessage(n).empty())
            continue;
        (isRightAnswer(q, n) ? rightShown : wrongShown) = true;
    }
    unsigned lost = 0;
    if (!rightShown && !q[FieldSlot::ben].empty())
        lost |= kRightFeedbackField;
    if (!wrongShown && !q[FieldSlot::mal].empty())
        lost |= kWrongFeedbackField;
    return lost;
}

int rightAnswerCount(const Question& q) {
    int rights = 0;
    for (int n = 1; n <= kAnswerCount; ++n)
        rights += !q[answerSlot(n)].empty() && isRightAnswer(q, n) ? 1 : 0;
    return rights;
}

std::string severalRightWeight(int rights) {
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, 100.0 / (rights > 0 ? rights : 1),
                                       std::chars_format::fixed, 5);
    std::string text(buffer, written.ptr); // the same in every locale
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.')
        text.pop_back();
    return text;
}

std::string shortAnswerPattern(std::string_view answer) {
    std::string out;
    for (char c : answer) {
        if (c == '*')
            out += '\\';
        out += c;
    }
    return out;
}

std::string shortAnswerOfPattern(std::string_view pattern) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '\\' && i + 1 < pattern.size() && pattern[i + 1] == '*')
            ++i;
        out += pattern[i];
    }
    return out;
}

} // namespace vireta
