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

} // namespace vireta
