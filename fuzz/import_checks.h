// What must hold for every question a foreign-format reader gives, whatever the input.
#pragma once

#include "formats/format_note.h"

#include <cstdlib>
#include <initializer_list>

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

} // namespace fuzzcheck
