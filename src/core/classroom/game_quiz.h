// The quiz as the classroom game asks it: the questions a student can answer, in the
// quiz's order, each with its answers and messages, and the media the pages may load,
// by number.
#pragma once

#include "model/quiz.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireta::classroom {

struct GameQuestion {
    QuestionKind kind = QuestionKind::One;
    std::string text;
    // The filled answers in the order a student would see them unshuffled ("Verdadeiro"
    // before "Falso"); for a short answer, the accepted answers.
    std::vector<std::string> answers;
    std::vector<bool> right;           // by answer
    std::vector<std::string> messages; // by answer: its own message, maybe empty
    std::string rightMessage;          // the question's message for a right answer
    std::string wrongMessage;          // and for a wrong one
    std::optional<std::size_t> image;  // a number in GameQuiz::media
    std::optional<std::size_t> sound;
};

struct GameQuiz {
    std::string title;
    std::vector<GameQuestion> questions;
    std::vector<std::string> media; // file paths, each once
};

// Questions 1..count that have a statement and a right answer, in table order (a
// live game is asked in the order the teacher prepared). A video or Flash file is no
// picture for the pages.
GameQuiz gameQuiz(const GeneralData& general, const QuestionTable& questions, int count);

// A typed answer as it is compared with the accepted ones: blanks at both ends
// dropped, every run of blanks one space, letters in lower case (the Latin letters
// of the languages a class writes, accented ones included).
std::string comparableAnswer(std::string_view typed);

// Whether `typed` is one of the short-answer question's accepted answers.
bool acceptsTyped(const GameQuestion& question, std::string_view typed);

// The content type a page is sent a medium with, by its file name's extension; empty
// when it is no picture or sound a browser plays (the medium is then not served).
std::string_view mediaType(std::string_view path);

} // namespace vireta::classroom
