// Which answers of a question bank's multiple-choice question this program takes, and
// how: the one rule of the GIFT and Moodle XML readers.
//
// A bank gives each answer a weight, the percentage of the question's mark it earns.
// A question here has one right answer and up to three wrong ones, so:
//  - the answer of 100 % is the right one (from 99.99 %: banks write the thirds of a
//    mark rounded, and a weight above 100 % is full marks all the same);
//  - an answer of 0 % is a wrong one;
//  - partial credit (between 0 % and 100 %) and penalties (below 0 %) have no place
//    here: such an answer is taken as a wrong one and the question is reported as
//    weighted, as is one whose weight cannot be read;
//  - a question with no 100 % answer, or with several, is left out
//    (NoRightAnswer, SeveralRightAnswers), and so is one whose right answer has no
//    text (NoRightAnswer); a wrong answer without text is skipped;
//  - wrong answers beyond the third are cut and reported (WrongAnswersCut).
// The right answer's feedback becomes the right message. A question holds one wrong
// message: the one the bank gives the question as a whole, when it gives one, else
// the first feedback among the wrong answers kept; a wrong answer kept whose feedback
// is another is reported, its feedback left out (WrongFeedbackLeftOut).
#pragma once

#include "formats/format_note.h"
#include "model/question.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireta {

// From this weight on, in percent, an answer is the right one.
inline constexpr double kRightAnswerWeight = 99.99;

struct BankAnswer {
    std::optional<double> weight; // in percent; none when the file's cannot be read
    std::string text;
    std::string feedback;
};

// A weight as a bank writes it ("100", "-33.33333", "50 "): a decimal number, blanks
// around it allowed, read the same whatever the locale; none for anything else
// (empty, "50%", "1,5", "inf", "nan").
std::optional<double> bankWeight(std::string_view text);

// A change the rule made to a question it takes, to be reported.
struct AnswerChange {
    NoteReason reason; // Weighted, WrongAnswersCut with the count as detail, or
                       // WrongFeedbackLeftOut with the answer (questionName's cut)
    std::string detail;
};

struct SortedAnswers {
    std::optional<NoteReason> leftOut; // set when the question is not taken, and why
    std::string right;
    std::string rightFeedback;
    std::vector<std::string> wrong; // at most three, in the file's order
    std::string wrongFeedback;
    // Weighted first, then WrongAnswersCut, then WrongFeedbackLeftOut in the file's order.
    std::vector<AnswerChange> changes;

    // The right answer into resposta1, the wrong ones into resposta2 to 4.
    void putInto(Question& q) const;
};

// `wrongMessage`: the question's own wrong message (Moodle XML's incorrectfeedback),
// empty when the bank gives none.
SortedAnswers sortBankAnswers(const std::vector<BankAnswer>& answers,
                              std::string_view wrongMessage = {});

} // namespace vireta
