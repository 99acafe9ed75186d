// What one step of "Desfacer" and "Refacer" holds, and when an operation makes one.
//
// A step is the questions before and after one operation on them as a whole (insert,
// delete, ordering, "Novo", an import) or one committed text edit: questions 1..N,
// the current number and the fresh-quiz flag, so that undoing it puts the editor back
// exactly where it was. The general data is not part of it: its boxes keep their own
// undo, and opening a file (which replaces the general data too) starts a new history.
#pragma once

#include "model/quiz.h"

#include <optional>
#include <string>
#include <vector>

namespace vireta {

struct QuestionsState {
    std::vector<Question> questions; // questions 1..count
    int current = 1;
    bool fresh = false;

    bool operator==(const QuestionsState& o) const {
        return current == o.current && fresh == o.fresh && questions == o.questions;
    }
    bool operator!=(const QuestionsState& o) const { return !(*this == o); }
};

// The questions 1..count, the current number and the fresh-quiz flag of `model`.
QuestionsState questionsStateOf(const QuizModel& model);

// Puts `state` back into `model`: questions 1..n, count n, the current number (kept
// within 1..n) and the fresh flag; the records above n are cleared. A state without
// questions gives one blank question. Other members of the model are left alone.
void restoreQuestionsState(QuizModel& model, const QuestionsState& state);

struct UndoStep {
    std::string text; // what the step did, as the undo button names it
    QuestionsState before;
    QuestionsState after;
};

// The step an operation made: none when it left the questions and the current number
// as they were (a refused insert, a delete that was cancelled, an order left as it was).
std::optional<UndoStep> stepOf(std::string text, QuestionsState before, QuestionsState after);

// The step that committing `onScreen` into the current record would make: none when
// the record already holds exactly those texts. Navigation alone is never a step.
std::optional<UndoStep> editStepOf(const QuizModel& model, const Question& onScreen);

} // namespace vireta
