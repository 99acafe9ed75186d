// What must hold for every question a foreign-format reader gives, whatever the input.
#pragma once

#include "formats/format_note.h"
#include "model/quiz.h"

#include <cstdlib>
#include <initializer_list>
#include <string>

namespace fuzzcheck {

inline void check(bool condition) {
    if (!condition)
        std::abort();
}

// Every question has a statement and a right answer; no field outside `allowed` is filled;
// no wrong answer follows an empty slot.
inline void checkQuestions(const vireta::ImportResult& r, std::initializer_list<vireta::FieldSlot> allowed) {
    for (const vireta::ImportedQuestion& iq : r.questions) {
        const vireta::Question& q = iq.question;
        check(!q[vireta::FieldSlot::enunciado].empty());
        check(!q[vireta::FieldSlot::resposta1].empty());
        for (int i = 0; i < vireta::kFieldSlotCount; ++i) {
            const auto slot = static_cast<vireta::FieldSlot>(i);
            bool ok = false;
            for (vireta::FieldSlot a : allowed)
                ok = ok || a == slot;
            check(ok || q[slot].empty());
        }
        for (int a = 2; a < 4; ++a)
            check(!q[vireta::answerSlot(a)].empty() || q[vireta::answerSlot(a + 1)].empty());
    }
    for (const vireta::FormatNote& n : r.notes) {
        check(!n.english().empty());
        check(!n.galician().empty());
    }
}

// What every question's kind asks of it: a true-or-false question holds the two words and
// nothing else; a several-answer question marks one filled answer at least, and only
// filled ones; no other kind marks any; only a filled answer has a message of its own.
inline void checkKinds(const vireta::ImportResult& r) {
    using vireta::QuestionKind;
    for (const vireta::ImportedQuestion& iq : r.questions) {
        const vireta::Question& q = iq.question;
        bool anyMarked = false;
        for (int n = 1; n <= vireta::kAnswerCount; ++n) {
            const bool filled = !q[vireta::answerSlot(n)].empty();
            const bool marked = q.marked[static_cast<std::size_t>(n - 1)];
            check(filled || (!marked && q.answerMessage(n).empty()));
            check(!marked || q.kind == QuestionKind::Several);
            anyMarked = anyMarked || marked;
        }
        check(q.kind != QuestionKind::Several || anyMarked);
        if (q.kind == QuestionKind::TrueFalse) {
            const std::string& first = q[vireta::FieldSlot::resposta1];
            const std::string& second = q[vireta::FieldSlot::resposta2];
            check((first == vireta::kTrueText && second == vireta::kFalseText) ||
                  (first == vireta::kFalseText && second == vireta::kTrueText));
            check(q[vireta::FieldSlot::resposta3].empty() && q[vireta::FieldSlot::resposta4].empty());
        }
    }
}

// The questions read, as the table a writer takes (the first kQuestionCapacity), and their count.
inline int tableOf(const vireta::ImportResult& r, vireta::QuestionTable& table) {
    int count = 0;
    for (const vireta::ImportedQuestion& iq : r.questions) {
        if (count == vireta::kQuestionCapacity)
            break;
        table.record(++count) = iq.question;
    }
    return count;
}

} // namespace fuzzcheck
