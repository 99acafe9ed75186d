// The ordering page's list: one entry per question, moved by drag and drop, and
// applied to the question table in one step.
#pragma once

#include "model/quiz.h"

#include <string>
#include <string_view>
#include <vector>

namespace vireta {

// "01 -- statement": the number with one leading zero below 10, then " -- ".
std::string orderingEntry(int number, std::string_view statement);

// The question number at the start of an entry (all the digits before " -- "),
// or 0 when the entry starts with no digit.
int orderingEntryNumber(std::string_view entry);

// The entries for questions 1..count, in table order.
std::vector<std::string> orderingEntries(const QuizModel& model);

// Moves entry `from` to the place of entry `onto`: the entries between shift by one
// towards the old place. `onto` < 0 (a drop below the last entry) moves it to the end.
// Out-of-range `from` and a drop on itself change nothing.
void moveOrderingEntry(std::vector<std::string>& entries, int from, int onto);

// Puts the questions in the order the entries give (through the staging table).
// Throws std::invalid_argument, changing nothing, unless the entries name every
// question 1..count exactly once.
void applyOrdering(QuizModel& model, const std::vector<std::string>& entries);

} // namespace vireta
