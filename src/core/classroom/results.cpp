#include "classroom/results.h"

#include "formats/spreadsheet.h"
#include "text.h"

#include <cstdio>

namespace vireta::classroom {
namespace {

// One row of the file: its cells as the spreadsheet export writes them, ending CR LF.
std::string row(const std::vector<std::string>& cells) {
    std::string line;
    for (const std::string& c : cells) {
        if (!line.empty())
            line += ',';
        line += c.empty() ? std::string() : csvField(c);
    }
    return line + "\r\n";
}

// What a student wrote, kept from being read as a formula by a spreadsheet.
std::string asText(const std::string& written) {
    if (!written.empty() && std::string_view("=+-@\t\r").find(written[0]) != std::string_view::npos)
        return "'" + written;
    return written;
}

} // namespace

std::size_t shareRight(const QuestionResults& question) {
    std::size_t right = 0;
    for (const auto& a : question.answers)
        right += a && a->right ? 1 : 0;
    const std::size_t n = question.playersInRound;
    return n == 0 ? 0 : (200 * right + n) / (2 * n);
}

std::string resultsCsv(const GameResults& results) {
    std::vector<std::string> heading{"Nome", "Puntos", "Correctas"};
    for (std::size_t q = 1; q <= results.questions.size(); ++q) {
        heading.push_back("Pregunta " + std::to_string(q));
        heading.push_back("Correcta " + std::to_string(q));
    }
    std::string out = "\xEF\xBB\xBF" + row(heading);
    for (std::size_t p = 0; p < results.names.size(); ++p) {
        std::vector<std::string> cells{asText(results.names[p]),
                                       std::to_string(p < results.points.size() ? results.points[p] : 0), ""};
        std::size_t right = 0;
        for (const QuestionResults& q : results.questions) {
            const std::optional<GivenAnswer> a = p < q.answers.size() ? q.answers[p] : std::nullopt;
            right += a && a->right ? 1 : 0;
            cells.push_back(!a ? std::string() : a->typed ? asText(a->text) : a->text);
            cells.push_back(a && a->right ? "si" : "non");
        }
        cells[2] = std::to_string(right);
        out += row(cells);
    }
    for (std::size_t q = 0; q < results.questions.size(); ++q) {
        out += row({"Pregunta " + std::to_string(q + 1), std::to_string(shareRight(results.questions[q])) + " %"});
    }
    return out;
}

std::string resultsPath(std::string_view quizPath, int year, int month, int day, int hour, int minute) {
    std::string name = bareFileName(quizPath);
    if (name.size() > 4 && asciiLower(name.substr(name.size() - 4)) == ".xml")
        name.resize(name.size() - 4);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d-%02d%02d", year, month, day, hour, minute);
    return folderPart(quizPath) + name + "-resultados-" + stamp + ".csv";
}

} // namespace vireta::classroom
