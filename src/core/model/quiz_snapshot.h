// What the quiz file keeps of a quiz, taken at one moment, so the window can tell
// whether there is unsaved work: it compares the quiz as it is now with the snapshot
// taken when the quiz was started, reset, opened or saved as a quiz file.
#pragma once

#include "model/quiz.h"

#include <vector>

namespace vireta {

struct QuizSnapshot {
    GeneralData general;
    std::vector<Question> questions; // questions 1..count

    bool operator==(const QuizSnapshot& o) const {
        return general == o.general && questions == o.questions;
    }
    bool operator!=(const QuizSnapshot& o) const { return !(*this == o); }
};

// The general data and questions 1..count. The current question number, the common
// values and the opened-quiz folder are no part of it: the quiz file keeps none of them.
inline QuizSnapshot snapshotOf(const GeneralData& general, const QuizModel& model) {
    QuizSnapshot s{general, {}};
    for (int k = 1; k <= model.count && k <= kQuestionCapacity; ++k)
        s.questions.push_back(model.questions.record(k));
    return s;
}

// Whether the quiz, with `onScreen` in place of the current record (the question being
// edited, not yet committed), is the one `saved` holds. Copies nothing, so the window
// can ask it on every keystroke.
inline bool sameQuiz(const QuizSnapshot& saved, const GeneralData& general,
                     const QuizModel& model, const Question& onScreen) {
    if (general != saved.general || model.count != static_cast<int>(saved.questions.size()))
        return false;
    for (int k = 1; k <= model.count; ++k) {
        const Question& q = k == model.current ? onScreen : model.questions.record(k);
        if (q != saved.questions[static_cast<std::size_t>(k - 1)])
            return false;
    }
    return true;
}

} // namespace vireta
