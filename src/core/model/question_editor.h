// The editor's operations on the questions of a quiz: commit, reset, navigation,
// insertion and deletion. The window shows `model.currentRecord()` after each one.
#pragma once

#include "model/quiz.h"

namespace vireta {

class QuestionEditor {
public:
    explicit QuestionEditor(QuizModel& model) : model_(model) {}

    // Stores the question as edited on screen into the record at the current number.
    void commit(const Question& onScreen);

    // One blank question, number 1; staging table and copied-files list emptied;
    // fresh-quiz flag set. The opened-quiz folder is kept.
    void reset();

    void first();
    bool previous(); // false (and no change) on question 1
    bool next();     // false (and no change) on the last question
    void last();
    bool goTo(int n); // false (and no change) unless 1 <= n <= count

    bool isFull() const { return model_.count >= kQuestionCapacity; }

    // Inserts `newQuestion` directly after the current one and makes it current.
    // Returns false, changing nothing, when the table is full.
    bool insertAfterCurrent(const Question& newQuestion);

    // Deletes the current question and shows the one before it (or the one that
    // followed question 1). The only question of a quiz is never deleted: false.
    bool deleteCurrent();

    // The first visit to the questions after a reset: clears the fresh-quiz flag and
    // tells whether the common values should be filled into the current question.
    bool takeFirstVisit();

    // Replaces the questions by staging records 1..n (an opened file, a new order).
    // A quiz is never left without questions: n == 0 gives one blank question.
    void takeFromStaging(int n);

private:
    QuizModel& model_;
};

} // namespace vireta
