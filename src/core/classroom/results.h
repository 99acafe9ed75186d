// The results of a classroom game as the file saved beside the quiz:
// NAME-resultados-AAAA-MM-DD-HHMM.csv, UTF-8 with a byte-order mark, as the spreadsheet
// export writes it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireta::classroom {

// What one student did at one question.
struct GivenAnswer {
    std::string text; // the answer as the student gave it (ticks joined by " / ")
    bool right = false;
    bool typed = false; // written by the student (a short answer), not one of the quiz's
};

struct QuestionResults {
    // By player: nullopt when the player gave no answer (or was not in the game).
    std::vector<std::optional<GivenAnswer>> answers;
    std::size_t playersInRound = 0; // in the game when the question opened
};

struct GameResults {
    std::vector<std::string> names; // by player
    std::vector<long long> points;  // by player
    std::vector<QuestionResults> questions; // the questions closed so far, in order
};

// The share of right answers of a question, as a whole percent (rounded to the nearest)
// of the players in the game at that question; 0 when there were none.
std::size_t shareRight(const QuestionResults& question);

// The file: a heading row, a row per student (name, points, right answers, then per
// question the answer given and "si" or "non"), then a row per question with its share
// of right answers as a whole percent of the players in the game at that question. A
// name or typed answer that a spreadsheet would take for a formula (it begins with =,
// +, -, @, a tab or a carriage return) is written after an apostrophe, as text.
std::string resultsCsv(const GameResults& results);

// The results file's path for the quiz at `quizPath` and a game started at that local
// time: beside the quiz, the quiz file's name without ".xml".
std::string resultsPath(std::string_view quizPath, int year, int month, int day, int hour, int minute);

} // namespace vireta::classroom
