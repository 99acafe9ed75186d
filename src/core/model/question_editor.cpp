#include "model/question_editor.h"

#include <stdexcept>

namespace vireta {

void QuestionEditor::commit(const Question& onScreen) { model_.currentRecord() = onScreen; }

void QuestionEditor::reset() {
    model_.staging.clear();
    model_.copiedFiles.clear();
    model_.fresh = true;
    model_.current = 1;
    model_.count = 1;
    model_.questions.record(1).clear();
}

void QuestionEditor::first() { model_.current = 1; }

bool QuestionEditor::previous() {
    if (model_.current <= 1)
        return false;
    --model_.current;
    return true;
}

bool QuestionEditor::next() {
    if (model_.current >= model_.count)
        return false;
    ++model_.current;
    return true;
}

void QuestionEditor::last() { model_.current = model_.count; }

bool QuestionEditor::goTo(int n) {
    if (n < 1 || n > model_.count)
        return false;
    model_.current = n;
    return true;
}

bool QuestionEditor::insertAfterCurrent(const Question& newQuestion) {
    if (isFull())
        return false;
    const int at = model_.current + 1;
    for (int k = model_.count; k >= at; --k)
        model_.questions.record(k + 1) = std::move(model_.questions.record(k));
    ++model_.count;
    model_.current = at;
    model_.questions.record(at) = newQuestion;
    return true;
}

bool QuestionEditor::deleteCurrent() {
    if (model_.count <= 1)
        return false;
    for (int k = model_.current; k < model_.count; ++k)
        model_.questions.record(k) = std::move(model_.questions.record(k + 1));
    model_.questions.record(model_.count).clear();
    --model_.count;
    if (model_.current > 1)
        --model_.current;
    return true;
}

bool QuestionEditor::takeFirstVisit() {
    if (!model_.fresh)
        return false;
    model_.fresh = false;
    return model_.count < 2;
}

void QuestionEditor::takeFromStaging(int n) {
    if (n < 0 || n > kQuestionCapacity)
        throw std::out_of_range("question count out of range");
    // Moved, not copied: a large quiz is never held twice. The staging records are
    // left blank.
    for (int k = 1; k <= n; ++k) {
        model_.questions.record(k) = std::move(model_.staging.record(k));
        model_.staging.record(k).clear();
    }
    if (n == 0) {
        model_.questions.record(1).clear();
        n = 1;
    }
    model_.count = n;
    if (model_.current > n)
        model_.current = n;
}

} // namespace vireta
