#include "formats/aiken.h"

#include "formats/import_support.h"
#include "formats/writer_support.h"
#include "text.h"

#include <cctype>
#include <optional>

namespace vireta {
namespace {

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// How an option line is written: "A. text" or "A) text", with a blank after the mark,
// or "A.text" or "A)text", tight.
enum class OptionForm { None, Spaced, Tight };

// Whether this line is the option of letter `expected`, and how; its text into `text`.
// A tight "A." before a letter and a dot ("A.B. testing", "a.m.") is initials, and
// "A..." an ellipsis: no option.
OptionForm optionForm(std::string_view line, char expected, std::string_view& text) {
    line = trimmed(line);
    if (line.size() < 2 || upper(line[0]) != expected || (line[1] != '.' && line[1] != ')'))
        return OptionForm::None;
    const std::string_view rest = line.substr(2);
    text = trimmed(rest);
    if (rest.empty() || rest[0] == ' ' || rest[0] == '\t')
        return OptionForm::Spaced;
    const bool initials =
        rest[0] == '.' ||
        (rest.size() >= 2 && std::isalpha(static_cast<unsigned char>(rest[0])) && rest[1] == '.');
    if (line[1] == '.' && initials)
        return OptionForm::None;
    return OptionForm::Tight;
}

// The option of letter `expected` on this line ("A. text", "a) text", "A.text"), or nothing.
std::optional<std::string_view> optionText(std::string_view line, char expected) {
    std::string_view text;
    if (optionForm(line, expected, text) == OptionForm::None)
        return std::nullopt;
    return text;
}

// The letter of an "ANSWER: X" line, 0 when the line is none; '?' when it names no letter.
char answerLetter(std::string_view line) {
    line = trimmed(line);
    if (!startsWithNoCase(line, "ANSWER"))
        return 0;
    std::string_view rest = trimmed(line.substr(6));
    if (rest.empty() || rest[0] != ':')
        return 0;
    rest = trimmed(rest.substr(1));
    if (rest.size() != 1 || !std::isalpha(static_cast<unsigned char>(rest[0])))
        return '?';
    return upper(rest[0]);
}

std::string oneLine(std::string_view text) {
    std::string out;
    bool space = false;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            space = true;
            continue;
        }
        if (space && !out.empty() && out.back() != ' ')
            out += ' ';
        space = false;
        out += c;
    }
    return std::string(trimmed(out));
}

} // namespace

ImportResult AikenReader::read(std::string_view text) {
    ImportResult result;
    const std::vector<std::string_view> lines = splitLines(text);
    std::size_t i = 0;
    const std::size_t n = lines.size();
    auto blank = [&](std::size_t k) { return trimmed(lines[k]).empty(); };
    // Past the rest of a question left out: up to a blank line, or past its ANSWER line.
    auto skipQuestion = [&] {
        while (i < n && !blank(i)) {
            if (answerLetter(lines[i++]))
                break;
        }
    };
    // Whether the options start at line k. A tight "A.text" line may be a line of the
    // question's text as well: it starts the options only when they run on to an
    // ANSWER line.
    auto startsOptions = [&](std::size_t k) {
        std::string_view text;
        const OptionForm first = optionForm(lines[k], 'A', text);
        if (first != OptionForm::Tight)
            return first == OptionForm::Spaced;
        char next = 'B';
        ++k;
        while (k < n && next <= 'Z' && optionText(lines[k], next)) {
            ++next;
            ++k;
        }
        return k < n && answerLetter(lines[k]) != 0;
    };
    while (i < n) {
        if (blank(i)) {
            ++i;
            continue;
        }
        const int startLine = static_cast<int>(i) + 1;
        // The question's text: up to the first "A." line.
        std::string statement(trimmed(lines[i]));
        ++i;
        while (i < n && !blank(i) && !startsOptions(i) && !answerLetter(lines[i])) {
            statement += "\r\n";
            statement += trimmed(lines[i]);
            ++i;
        }
        std::vector<std::string> options;
        char next = 'A';
        while (i < n && next <= 'Z') {
            const auto option = optionText(lines[i], next);
            if (!option)
                break;
            options.emplace_back(*option);
            ++next;
            ++i;
        }
        const char letter = i < n ? answerLetter(lines[i]) : 0;
        if (letter == 0) {
            FormatNote note{startLine, {}, NoteReason::NoAnswerLine, {}, 0};
            if (options.empty())
                note.reason = NoteReason::NoAnswers;
            else if (i < n && !blank(i)) {
                note = FormatNote{static_cast<int>(i) + 1, {}, NoteReason::UnexpectedLine, {}, 0};
            }
            result.notes.push_back(note);
            skipQuestion();
            continue;
        }
        ++i;
        if (options.empty()) {
            result.notes.push_back({startLine, {}, NoteReason::NoAnswers, {}, 0});
            continue;
        }
        const std::size_t right = static_cast<std::size_t>(letter - 'A');
        if (letter == '?' || right >= options.size()) {
            result.notes.push_back({static_cast<int>(i), {},
                                    NoteReason::UnknownAnswerLetter,
                                    std::string(trimmed(trimmed(lines[i - 1]).substr(6)).substr(1)),
                                    0});
            result.notes.back().detail = std::string(trimmed(result.notes.back().detail));
            continue;
        }
        if (options[right].empty()) {
            result.notes.push_back({startLine, {}, NoteReason::NoRightAnswer, {}, 0});
            continue;
        }
        // The right answer alone is nothing to choose from.
        std::size_t filled = 0;
        for (const std::string& o : options)
            filled += !o.empty();
        if (filled < 2) {
            result.notes.push_back({startLine, {}, NoteReason::OneOption, {}, 0});
            continue;
        }
        ImportedQuestion q;
        q.line = startLine;
        q.question[FieldSlot::enunciado] = statement;
        q.question[FieldSlot::resposta1] = options[right];
        int slot = 2, cut = 0;
        for (std::size_t k = 0; k < options.size(); ++k) {
            if (k == right || options[k].empty())
                continue;
            if (slot <= 4)
                q.question[answerSlot(slot++)] = options[k];
            else
                ++cut;
        }
        if (cut > 0)
            result.notes.push_back({startLine, {}, NoteReason::WrongAnswersCut, std::to_string(cut), 0});
        result.questions.push_back(std::move(q));
    }
    return result;
}

SaveRequest AikenWriter::write(const QuestionTable& questions, int count, OutputBuffer& out,
                               ExportNotes& notes) {
    bool firstBlock = true;
    constexpr unsigned kNotCarried = kPictureField | kSoundField | kRightFeedbackField | kWrongFeedbackField |
                                     kRightSoundField | kWrongSoundField | kLinkField |
                                     kAnswerMessagesField;
    forEachBankQuestion(questions, count, kChoiceOnlyLeavesOut, kNotCarried, "Aiken", notes,
                        [&](int, const Question& q) {
        if (!firstBlock)
            out.appendLine("");
        firstBlock = false;
        out.appendLine(oneLine(statementOf(q)));
        char letter = 'A', right = 'A';
        for (int a : shownAnswers(q)) {
            if (a == 1)
                right = letter;
            out.appendLine(std::string(1, letter++) + ". " + oneLine(q[answerSlot(a)]));
        }
        out.appendLine(std::string("ANSWER: ") + right);
    });
    return SaveRequest{kAikenFilter, "txt"};
}

} // namespace vireta
