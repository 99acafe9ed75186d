// Shorthands for the tests of the foreign formats' readers and writers.
#pragma once

#include "formats/format_note.h"
#include "quiz_samples.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace foreign {

using vireta::FieldSlot;
using vireta::NoteReason;

// A question with the given fields; every other field empty.
inline vireta::Question q(std::initializer_list<std::pair<FieldSlot, std::string>> fields) {
    vireta::Question r;
    for (const auto& [slot, text] : fields)
        r[slot] = text;
    return r;
}

// The usual multiple-choice question: statement, right answer, wrong answers.
inline vireta::Question mc(std::string statement, std::vector<std::string> answers) {
    vireta::Question r;
    r[FieldSlot::enunciado] = std::move(statement);
    for (std::size_t i = 0; i < answers.size() && i < 4; ++i)
        r[vireta::answerSlot(static_cast<int>(i) + 1)] = answers[i];
    return r;
}

// `r` with the answers' own messages, answer 1 first ("" for none).
inline vireta::Question withMessages(vireta::Question r, const std::vector<std::string>& messages) {
    for (std::size_t i = 0; i < messages.size() && i < 4; ++i)
        r.answerMessage(static_cast<int>(i) + 1) = messages[i];
    return r;
}

// `r` of another kind; for a several-answer question, `right` the numbers of its right answers.
inline vireta::Question ofKind(vireta::Question r, vireta::QuestionKind kind, std::vector<int> right = {}) {
    r.kind = kind;
    for (int n : right)
        r.marked.at(static_cast<std::size_t>(n - 1)) = true;
    return r;
}

struct Note {
    int line;
    NoteReason reason;
    std::string detail = {};
};

inline void expectNotes(const std::vector<vireta::FormatNote>& got, const std::vector<Note>& want,
                        const std::string& label) {
    ASSERT_EQ(got.size(), want.size()) << label << ": " << [&] {
        std::string all;
        for (const auto& n : got)
            all += "\n  " + n.english();
        return all;
    }();
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].line, want[i].line) << label << " note " << i << ": " << got[i].english();
        EXPECT_EQ(got[i].reason, want[i].reason) << label << " note " << i << ": " << got[i].english();
        EXPECT_EQ(got[i].detail, want[i].detail) << label << " note " << i;
    }
}

inline std::vector<vireta::Question> questionsOf(const vireta::ImportResult& r) {
    std::vector<vireta::Question> out;
    for (const auto& i : r.questions)
        out.push_back(i.question);
    return out;
}

} // namespace foreign
