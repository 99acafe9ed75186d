#include "formats/spreadsheet.h"

#include "formats/import_support.h"
#include "formats/writer_support.h"
#include "text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <optional>
#include <set>

namespace vireta {
namespace {

struct Column {
    FieldSlot slot;
    const char* galician;
    const char* english;
};

// The export's columns, in its order; the import knows both names of each.
const std::array<Column, 12> kColumns = {{
    {FieldSlot::enunciado, "Pregunta", "Question"},
    {FieldSlot::resposta1, "Correcta", "Correct"},
    {FieldSlot::resposta2, "Incorrecta 1", "Wrong 1"},
    {FieldSlot::resposta3, "Incorrecta 2", "Wrong 2"},
    {FieldSlot::resposta4, "Incorrecta 3", "Wrong 3"},
    {FieldSlot::imaxe, "Imaxe", "Image"},
    {FieldSlot::son, "Son", "Sound"},
    {FieldSlot::ben, "Correcto", "Right feedback"},
    {FieldSlot::sonben, "Son correcto", "Right sound"},
    {FieldSlot::mal, "Incorrecto", "Wrong feedback"},
    {FieldSlot::sonmal, "Son incorrecto", "Wrong sound"},
    {FieldSlot::enlace, "Enlace", "Link"},
}};

// The columns a sheet has only when a question needs them, after those above: the
// kind, the numbers of a several-answer question's right answers (counted over the
// answer columns, "Correcta" being 1), and each answer column's own message.
struct Heading {
    const char* galician;
    const char* english;
};
const Heading kKindHeading = {"Tipo", "Type"};
const Heading kRightNumbersHeading = {"Correctas", "Correct answers"};
const Heading kMessageHeading = {"Mensaxe", "Feedback"}; // "Mensaxe 1" ...
// Further answer columns an import takes: "Incorrecta 4" is the fifth answer.
const Heading kWrongHeading = {"Incorrecta", "Wrong"};
// The highest number an answer or message column may have.
constexpr int kMaxColumnNumber = 99;

// What one column of a sheet holds.
struct ColumnUse {
    enum What { Field, Answer, Message, Kind, RightNumbers } what = Field;
    FieldSlot slot = FieldSlot::enunciado; // Field
    int number = 0;                        // Answer, Message: the answer's, 1 for "Correcta"

    // Two columns with the same key hold the same thing: the first one is read.
    int key() const { return what == Field ? static_cast<int>(slot) : what * 1000 + number; }
};

// A heading compared without case and with any run of blanks as one space.
std::string normalHeading(std::string_view h) {
    std::string out;
    for (char c : trimmed(h)) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '_') {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
            continue;
        }
        out += c;
    }
    return out;
}

bool names(const std::string& heading, const Heading& names) {
    return equalsNoCase(heading, names.galician) || equalsNoCase(heading, names.english);
}

// N of a heading "WORD N" (N from 1 to kMaxColumnNumber), WORD in either language; 0 if it is none.
int numberAfter(const std::string& heading, const Heading& word) {
    for (const char* w : {word.galician, word.english}) {
        const std::string_view prefix(w);
        if (heading.size() < prefix.size() + 2 || heading[prefix.size()] != ' ' ||
            !startsWithNoCase(heading, prefix))
            continue;
        const std::string_view digits = std::string_view(heading).substr(prefix.size() + 1);
        int n = 0;
        for (char c : digits) {
            if (c < '0' || c > '9' || (n = n * 10 + (c - '0')) > kMaxColumnNumber)
                return 0;
        }
        return digits[0] == '0' ? 0 : n;
    }
    return 0;
}

std::optional<ColumnUse> columnOf(std::string_view heading) {
    const std::string h = normalHeading(heading);
    for (const Column& c : kColumns) {
        if (!names(h, {c.galician, c.english}))
            continue;
        const int n = static_cast<int>(c.slot) - static_cast<int>(FieldSlot::resposta1) + 1;
        if (n >= 1 && n <= kAnswerCount)
            return ColumnUse{ColumnUse::Answer, {}, n};
        return ColumnUse{ColumnUse::Field, c.slot, 0};
    }
    if (names(h, kKindHeading))
        return ColumnUse{ColumnUse::Kind, {}, 0};
    if (names(h, kRightNumbersHeading))
        return ColumnUse{ColumnUse::RightNumbers, {}, 0};
    if (const int n = numberAfter(h, kWrongHeading))
        return ColumnUse{ColumnUse::Answer, {}, n + 1};
    if (const int n = numberAfter(h, kMessageHeading))
        return ColumnUse{ColumnUse::Message, {}, n};
    return std::nullopt;
}

bool isMediaSlot(FieldSlot s) {
    return s == FieldSlot::imaxe || s == FieldSlot::son || s == FieldSlot::sonben ||
           s == FieldSlot::sonmal;
}

bool isAbsolute(std::string_view path) {
    return (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
           (path.size() >= 2 && path[1] == ':');
}

char separatorOf(std::string_view text) {
    int comma = 0, semicolon = 0, tab = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && c == ',')
            ++comma;
        else if (!quoted && c == ';')
            ++semicolon;
        else if (!quoted && c == '\t')
            ++tab;
    }
    if (tab > comma && tab >= semicolon)
        return '\t';
    if (semicolon > comma)
        return ';';
    return ',';
}

// One row's cells, by what their columns hold.
struct Row {
    Question fields;                        // the statement, media, messages, link
    std::map<int, std::string> answers;     // by answer number (1 for "Correcta")
    std::map<int, std::string> messages;    // by answer number
    std::string kind;                       // "Tipo"
    std::string rightNumbers;               // "Correctas"

    std::string message(int n) const {
        const auto found = messages.find(n);
        return found == messages.end() ? std::string() : found->second;
    }
};

struct Answer {
    int number;
    std::string text;
    bool right = false;
};

// "Verdadeiro" or "Falso" for a truth value written in either language; null for
// anything else.
const char* truthWord(std::string_view text) {
    if (equalsNoCase(text, kTrueText) || equalsNoCase(text, "True"))
        return kTrueText;
    if (equalsNoCase(text, kFalseText) || equalsNoCase(text, "False"))
        return kFalseText;
    return nullptr;
}

// Marks the answers a "Correctas" cell names by number ("1,3", "1; 3", "1 3"); each
// item that names no answer is noted.
void markRightNumbers(std::string_view cell, std::vector<Answer>& answers, int line,
                      std::vector<FormatNote>& notes) {
    std::size_t at = 0;
    while (at < cell.size()) {
        const std::size_t end = std::min(cell.find_first_of(",; \t", at), cell.size());
        const std::string_view item = cell.substr(at, end - at);
        at = end + 1;
        if (item.empty())
            continue;
        auto named = answers.end();
        if (item.size() <= 2 && item.find_first_not_of("0123456789") == std::string_view::npos)
            named = std::find_if(answers.begin(), answers.end(),
                                 [&](const Answer& a) { return std::to_string(a.number) == item; });
        if (named == answers.end())
            notes.push_back({line, {}, NoteReason::UnknownRightNumber, std::string(item), 0});
        else
            named->right = true;
    }
}

// A true-or-false question from the "Correcta" cell (the right word) and "Incorrecta
// 1" (the other word, or nothing); false, noted, when "Correcta" holds neither word.
bool makeTrueFalse(const Row& row, Question& q, int line, std::vector<FormatNote>& notes) {
    const auto right = row.answers.find(1);
    const char* word = right == row.answers.end() ? nullptr : truthWord(right->second);
    if (!word) {
        if (right == row.answers.end())
            notes.push_back({line, {}, NoteReason::NoRightAnswer, {}, 0});
        else
            notes.push_back({line, {}, NoteReason::NotTrueOrFalse, right->second, 0});
        return false;
    }
    const char* other = word == kTrueText ? kFalseText : kTrueText;
    bool extra = false;
    for (const auto& [n, text] : row.answers)
        extra = extra || n > 2 || (n == 2 && truthWord(text) != other);
    for (const auto& entry : row.messages)
        extra = extra || entry.first > 2;
    if (extra)
        notes.push_back({line, {}, NoteReason::TrueFalseExtraLeftOut, {}, 0});
    q[FieldSlot::resposta1] = word;
    q[FieldSlot::resposta2] = other;
    for (int n = 1; n <= 2; ++n)
        q.answerMessage(n) = row.message(n);
    return true;
}

// The question of a row with a statement, or nothing when it cannot be taken; what
// it leaves out or changes is noted.
std::optional<Question> questionOf(const Row& row, int line, std::vector<FormatNote>& notes) {
    Question q = row.fields;
    if (!row.kind.empty()) {
        std::string name = row.kind;
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (const auto kind = kindNamed(name))
            q.kind = *kind;
        else
            notes.push_back({line, {}, NoteReason::UnknownKind, row.kind, 0});
    }
    if (!row.rightNumbers.empty() && q.kind != QuestionKind::Several)
        notes.push_back({line, {}, NoteReason::RightNumbersIgnored, {}, 0});
    if (q.kind == QuestionKind::TrueFalse)
        return makeTrueFalse(row, q, line, notes) ? std::optional<Question>(q) : std::nullopt;

    std::vector<Answer> answers;
    for (const auto& [n, text] : row.answers)
        answers.push_back({n, text, q.kind == QuestionKind::Short || (q.kind == QuestionKind::One && n == 1)});
    if (q.kind == QuestionKind::Several)
        markRightNumbers(row.rightNumbers, answers, line, notes);
    for (const auto& entry : row.messages)
        if (!row.answers.count(entry.first))
            notes.push_back({line, {}, NoteReason::MessageWithoutAnswer, std::to_string(entry.first), 0});
    if (std::none_of(answers.begin(), answers.end(), [](const Answer& a) { return a.right; })) {
        notes.push_back({line, {}, NoteReason::NoRightAnswer, {}, 0});
        return std::nullopt;
    }
    // Four at most: the right ones kept first, then the others in their order.
    if (answers.size() > static_cast<std::size_t>(kAnswerCount)) {
        std::stable_partition(answers.begin(), answers.end(), [](const Answer& a) { return a.right; });
        const std::string cut = std::to_string(answers.size() - kAnswerCount);
        answers.resize(kAnswerCount);
        notes.push_back({line, {},
                         q.kind == QuestionKind::One ? NoteReason::WrongAnswersCut : NoteReason::AnswersCut,
                         cut, 0});
    }
    // In their order, without gaps.
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        q[answerSlot(n)] = answers[i].text;
        q.answerMessage(n) = row.message(answers[i].number);
        q.marked[i] = q.kind == QuestionKind::Several && answers[i].right;
    }
    return q;
}

// The answer numbers a row's answer columns hold, in column order; 0 for an empty
// column. A one-answer or true-or-false question keeps "Correcta" for its right
// answer, even empty; a several-answer one puts its right answers first (so that a
// reader that knows no kinds takes a right one for the right one); every other answer
// moves up over gaps, as the import reads them back.
std::vector<int> answerColumns(const Question& q) {
    const bool firstFixed = q.kind == QuestionKind::One || q.kind == QuestionKind::TrueFalse;
    std::vector<int> columns;
    if (firstFixed)
        columns.push_back(1);
    for (int a : filledAnswers(q))
        if (!firstFixed || a > 1)
            columns.push_back(a);
    if (q.kind == QuestionKind::Several)
        std::stable_partition(columns.begin(), columns.end(), [&](int a) { return isRightAnswer(q, a); });
    columns.resize(kAnswerCount, 0);
    return columns;
}

// Which of the columns that only some questions need this sheet has.
struct OptionalColumns {
    bool kind = false;
    bool rightNumbers = false;
    bool messages = false;
};

OptionalColumns optionalColumns(const QuestionTable& questions, int count) {
    OptionalColumns c;
    for (int k = 1; k <= clampedCount(count); ++k) {
        const Question& q = questions.record(k);
        if (statementOf(q).empty())
            continue;
        c.kind = c.kind || q.kind != QuestionKind::One;
        c.rightNumbers = c.rightNumbers || q.kind == QuestionKind::Several;
        c.messages = c.messages || filledFields(q, kAnswerMessagesField) != 0;
    }
    return c;
}

bool needsQuotes(std::string_view f) {
    return f.find_first_of(",\"\r\n") != std::string_view::npos;
}

} // namespace

std::string csvField(std::string_view f) {
    if (!needsQuotes(f))
        return std::string(f);
    std::string out = "\"";
    for (char c : f) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

std::vector<CsvRecord> parseCsv(std::string_view text, char separator) {
    std::vector<CsvRecord> records;
    CsvRecord record{1, {}};
    std::string field;
    int line = 1;
    bool quoted = false, wasQuoted = false, any = false;
    auto endField = [&] {
        record.fields.push_back(std::move(field));
        field.clear();
        wasQuoted = false;
    };
    auto endRecord = [&] {
        endField();
        records.push_back(std::move(record));
        record = CsvRecord{line, {}};
        any = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool lineEnd = c == '\n' || c == '\r';
        if (lineEnd && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else if (lineEnd) {
                field += "\r\n";
                ++line;
            } else {
                field += c;
            }
            continue;
        }
        if (lineEnd) {
            ++line;
            endRecord();
            continue;
        }
        any = true;
        if (c == separator) {
            endField();
        } else if (c == '"' && field.empty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else {
            field += c;
        }
    }
    if (any || !field.empty() || !record.fields.empty() || quoted)
        endRecord();
    return records;
}

ImportResult SpreadsheetReader::read(std::string_view text, const std::string& folder, bool tabs) {
    ImportResult result;
    const char separator = tabs ? '\t' : separatorOf(text);
    std::vector<CsvRecord> records = parseCsv(text, separator);

    // The header row: the first row that names the statement's column.
    std::vector<std::optional<ColumnUse>> columns;
    std::size_t first = 0;
    bool header = false;
    if (!records.empty()) {
        for (const std::string& h : records[0].fields) {
            const auto use = columnOf(h);
            header = header || (use && use->what == ColumnUse::Field && use->slot == FieldSlot::enunciado);
        }
    }
    if (header) {
        first = 1;
        std::set<int> taken;
        for (const std::string& h : records[0].fields) {
            std::optional<ColumnUse> use = columnOf(h);
            if (use && !taken.insert(use->key()).second)
                use.reset();
            if (!use && !trimmed(h).empty())
                result.notes.push_back({records[0].line, {}, NoteReason::UnknownColumn,
                                        std::string(trimmed(h)), 0});
            columns.push_back(use);
        }
    } else {
        columns.push_back(ColumnUse{ColumnUse::Field, FieldSlot::enunciado, 0});
        for (int n = 1; n <= kAnswerCount; ++n)
            columns.push_back(ColumnUse{ColumnUse::Answer, {}, n});
    }

    for (std::size_t r = first; r < records.size(); ++r) {
        const CsvRecord& rec = records[r];
        Row row;
        bool anything = false, beyond = false;
        for (std::size_t c = 0; c < rec.fields.size(); ++c) {
            const std::string value(trimmed(rec.fields[c]));
            if (value.empty())
                continue;
            anything = true;
            if (c >= columns.size()) {
                beyond = true;
                continue;
            }
            if (!columns[c])
                continue; // noted once, at the header
            const ColumnUse& use = *columns[c];
            switch (use.what) {
            case ColumnUse::Field:
                row.fields[use.slot] = isMediaSlot(use.slot) && !isAbsolute(value) ? folder + value : value;
                break;
            case ColumnUse::Answer: row.answers[use.number] = value; break;
            case ColumnUse::Message: row.messages[use.number] = value; break;
            case ColumnUse::Kind: row.kind = value; break;
            case ColumnUse::RightNumbers: row.rightNumbers = value; break;
            }
        }
        if (!anything)
            continue; // an empty row
        if (beyond)
            result.notes.push_back({rec.line, {}, NoteReason::CellsBeyondColumns, {}, 0});
        if (row.fields[FieldSlot::enunciado].empty()) {
            result.notes.push_back({rec.line, {}, NoteReason::NoStatement, {}, 0});
            continue;
        }
        if (std::optional<Question> q = questionOf(row, rec.line, result.notes))
            result.questions.push_back({std::move(*q), rec.line, {}});
    }
    return result;
}

SaveRequest SpreadsheetWriter::write(const QuestionTable& questions, int count, OutputBuffer& out,
                                     ExportNotes& notes) {
    (void)notes; // every field has its column
    const OptionalColumns optional = optionalColumns(questions, count);
    std::string line = "\xEF\xBB\xBF";
    for (const Column& c : kColumns) {
        line += c.galician;
        line += ',';
    }
    if (optional.kind)
        line += std::string(kKindHeading.galician) + ',';
    if (optional.rightNumbers)
        line += std::string(kRightNumbersHeading.galician) + ',';
    for (int n = 1; optional.messages && n <= kAnswerCount; ++n)
        line += std::string(kMessageHeading.galician) + ' ' + std::to_string(n) + ',';
    line.pop_back();
    out.appendLine(line);
    const int n = clampedCount(count);
    for (int k = 1; k <= n; ++k) {
        const Question& q = questions.record(k);
        if (statementOf(q).empty())
            continue;
        line.clear();
        const std::vector<int> answers = answerColumns(q);
        auto cell = [&](std::string_view value) {
            line += csvField(toCrLf(value));
            line += ',';
        };
        for (const Column& c : kColumns) {
            const int index = static_cast<int>(c.slot) - static_cast<int>(FieldSlot::resposta1);
            if (index >= 0 && index < kAnswerCount) {
                const int a = answers[static_cast<std::size_t>(index)];
                cell(a ? q[answerSlot(a)] : std::string());
            } else {
                cell(isMediaSlot(c.slot) ? bareFileName(q[c.slot]) : q[c.slot]);
            }
        }
        if (optional.kind)
            cell(q.kind == QuestionKind::One ? "" : kindName(q.kind));
        if (optional.rightNumbers) {
            std::string numbers;
            for (std::size_t i = 0; i < answers.size(); ++i)
                if (q.kind == QuestionKind::Several && answers[i] && isRightAnswer(q, answers[i]))
                    numbers += (numbers.empty() ? "" : ",") + std::to_string(i + 1);
            cell(numbers);
        }
        for (std::size_t i = 0; optional.messages && i < answers.size(); ++i)
            cell(answers[i] ? q.answerMessage(answers[i]) : std::string());
        line.pop_back();
        out.appendLine(line);
    }
    return SaveRequest{kSpreadsheetFilter, "csv"};
}

} // namespace vireta
