// How a question bank's question becomes a question here, and what a bank writer gives
// each answer: the one rule of the GIFT and Moodle XML readers and writers.
//
// A bank gives each answer a weight, the percentage of the question's mark it earns,
// and says which kind of question it is:
//  - single choice (GIFT: a question with an '=' answer; Moodle XML: `multichoice`
//    with `single` true) is a one-answer question. The answer of 100 % is the right one
//    (from 99.99 %: banks write the thirds of a mark rounded, and a weight above 100 %
//    is full marks all the same); partial credit and penalties have no place here, so
//    such an answer is taken as wrong and the question reported as weighted, as is one
//    whose weight cannot be read. A question with no 100 % answer, or with several, is
//    left out (NoRightAnswer, SeveralRightAnswers), and so is one whose right answer
//    has no text; wrong answers beyond the third are cut (WrongAnswersCut);
//  - multiple response (GIFT: every answer '~'; Moodle XML: `single` false) is a
//    several-answer question: every answer of a positive weight is right, the others
//    wrong (one whose weight cannot be read too, reported: UnreadableWeight);
//  - true or false is a true-or-false question, the right word first;
//  - short answer is a short-answer question: its answers of 100 % are the accepted
//    ones; a "*" answer below 100 % (the bank's "anything else") holds the wrong
//    message; the other answers below 100 % are left out (NotAcceptedLeftOut).
// In every kind an answer without text is skipped, and a question keeps four answers
// at most, the right ones first (AnswersCut says how many went; WrongAnswersCut for
// a one-answer question, whose cut answers are wrong ones).
//
// The messages. Where the bank gives the question its own right or wrong message
// (Moodle XML's `correctfeedback` and `incorrectfeedback` of a `multichoice`), that
// message is the question's and every answer's feedback is the answer's own message.
// Where it gives none (GIFT; Moodle XML's `truefalse` and `shortanswer`), the feedback
// the right answers share becomes the question's right message and the one the wrong
// answers share its wrong message; when the answers of a side differ, each keeps its
// own as its message and the question's is empty. So a one-answer question written by
// the writers below, with the right message on its right answer and the wrong one on
// every wrong answer, reads back with its two messages.
//
// Writing, where the bank has no place for the question's messages, an answer's own
// message stands in the place of the question's right or wrong message for that
// answer (bankFeedback).
#pragma once

#include "formats/format_note.h"
#include "model/question.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireta {

// From this weight on, in percent, an answer is a right one of a single-choice question
// and an accepted one of a short answer.
inline constexpr double kRightAnswerWeight = 99.99;

// The weight the writers give each wrong answer of a several-answer question: any wrong
// tick takes the whole mark away, as here a wrong tick makes the answer wrong.
inline constexpr const char* kSeveralWrongWeight = "-100";

enum class BankKind { SingleChoice, MultipleResponse, TrueFalse, ShortAnswer };

struct BankAnswer {
    std::optional<double> weight; // in percent; none when the file's cannot be read
    std::string text;
    std::string feedback;
};

// The question's own messages, each where the bank gives one.
struct BankMessages {
    std::optional<std::string> right, wrong;
};

// A weight as a bank writes it ("100", "-33.33333", "50 "): a decimal number, blanks
// around it allowed, read the same whatever the locale; none for anything else
// (empty, "50%", "1,5", "inf", "nan").
std::optional<double> bankWeight(std::string_view text);

// A change the rule made to a question it takes, to be reported.
struct AnswerChange {
    NoteReason reason; // Weighted; UnreadableWeight with the answer (questionName's cut);
                       // WrongAnswersCut, AnswersCut or NotAcceptedLeftOut with the count
    std::string detail;
};

struct BankQuestion {
    std::optional<NoteReason> leftOut; // set when the question is not taken, and why
    QuestionKind kind = QuestionKind::One;
    struct Answer {
        std::string text;
        bool right = false;
        std::string message;
    };
    std::vector<Answer> answers; // at most four, in the order they take
    std::string rightMessage, wrongMessage;
    // Weighted and UnreadableWeight first, then what was cut or left out.
    std::vector<AnswerChange> changes;

    // The kind, the answers (with their marks and messages) and the two messages into
    // `q`, whose other fields are left as they are.
    void putInto(Question& q) const;
};

// `answers` in the file's order. A TrueFalse whose answers are not "Verdadeiro" and
// "Falso" is taken as single choice. A ShortAnswer's texts are the bank's patterns
// ("\*" a star, see shortAnswerPattern).
BankQuestion takeBankQuestion(BankKind kind, const std::vector<BankAnswer>& answers,
                              const BankMessages& messages = {});

// ---------------------------------------------------------------------------
// Writing

// The feedback of answer n (1..4) where a bank holds only the answers': its own
// message, else the question's right message (a right answer) or wrong message.
const std::string& bankFeedback(const Question& q, int n);

// The right and wrong messages (kRightFeedbackField, kWrongFeedbackField) that such a
// bank cannot carry: a message every answer of its side stands in for with a message of
// its own, or with no answer on its side. `wrongHeld`: the bank holds the wrong message
// elsewhere (a short answer's "*").
unsigned messagesNotCarried(const Question& q, bool wrongHeld);

// How many of the question's filled answers are right ones.
int rightAnswerCount(const Question& q);

// The weight of each right answer of a several-answer question with `rights` of them,
// as banks write it: "100", "50", "33.33333", "25" (five decimals at most).
std::string severalRightWeight(int rights);

// An accepted answer as a bank's pattern, where '*' stands for anything: a star as
// "\*"; and back.
std::string shortAnswerPattern(std::string_view answer);
std::string shortAnswerOfPattern(std::string_view pattern);

} // namespace vireta
