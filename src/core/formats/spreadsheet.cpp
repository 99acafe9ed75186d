#include "formats/spreadsheet.h"

#include "formats/import_support.h"
#include "formats/writer_support.h"
#include "text.h"

#include <array>
#include <optional>

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

std::optional<FieldSlot> columnOf(std::string_view heading) {
    const std::string h = normalHeading(heading);
    for (const Column& c : kColumns)
        if (equalsNoCase(h, c.galician) || equalsNoCase(h, c.english))
            return c.slot;
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

bool needsQuotes(std::string_view f) {
    return f.find_first_of(",\"\r\n") != std::string_view::npos;
}

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

} // namespace

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
    std::vector<std::optional<FieldSlot>> columns;
    std::size_t first = 0;
    bool header = false;
    if (!records.empty()) {
        for (const std::string& h : records[0].fields)
            if (columnOf(h) == FieldSlot::enunciado)
                header = true;
    }
    if (header) {
        first = 1;
        std::array<bool, kFieldSlotCount> taken{};
        for (const std::string& h : records[0].fields) {
            std::optional<FieldSlot> slot = columnOf(h);
            if (slot && taken[static_cast<int>(*slot)])
                slot.reset();
            if (slot)
                taken[static_cast<int>(*slot)] = true;
            else if (!trimmed(h).empty())
                result.notes.push_back({records[0].line, {}, NoteReason::UnknownColumn,
                                        std::string(trimmed(h)), 0});
            columns.push_back(slot);
        }
    } else {
        for (int k = 0; k < 5; ++k)
            columns.push_back(static_cast<FieldSlot>(k));
    }

    for (std::size_t r = first; r < records.size(); ++r) {
        const CsvRecord& rec = records[r];
        Question q;
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
            const FieldSlot slot = *columns[c];
            q[slot] = isMediaSlot(slot) && !isAbsolute(value) ? folder + value : value;
        }
        if (!anything)
            continue; // an empty row
        if (beyond)
            result.notes.push_back({rec.line, {}, NoteReason::CellsBeyondColumns, {}, 0});
        if (q[FieldSlot::enunciado].empty()) {
            result.notes.push_back({rec.line, {}, NoteReason::NoStatement, {}, 0});
            continue;
        }
        if (q[FieldSlot::resposta1].empty()) {
            result.notes.push_back({rec.line, {}, NoteReason::NoRightAnswer, {}, 0});
            continue;
        }
        // Wrong answers in their order, without gaps.
        std::vector<std::string> wrong;
        for (int a = 2; a <= 4; ++a)
            if (!q[answerSlot(a)].empty())
                wrong.push_back(q[answerSlot(a)]);
        for (int a = 2; a <= 4; ++a)
            q[answerSlot(a)] = a - 2 < static_cast<int>(wrong.size()) ? wrong[a - 2] : "";
        result.questions.push_back({std::move(q), rec.line, {}});
    }
    return result;
}

SaveRequest SpreadsheetWriter::write(const QuestionTable& questions, int count, OutputBuffer& out,
                                     ExportNotes& notes) {
    (void)notes; // every field has its column
    std::string line = "\xEF\xBB\xBF";
    for (const Column& c : kColumns) {
        line += c.galician;
        line += ',';
    }
    line.pop_back();
    out.appendLine(line);
    const int n = clampedCount(count);
    for (int k = 1; k <= n; ++k) {
        const Question& q = questions.record(k);
        if (statementOf(q).empty())
            continue;
        line.clear();
        // Answers move up over gaps, as the import reads them back.
        std::vector<std::string> answers;
        for (int a : filledAnswers(q))
            if (a > 1)
                answers.push_back(q[answerSlot(a)]);
        for (const Column& c : kColumns) {
            std::string value = q[c.slot];
            const int index = static_cast<int>(c.slot);
            if (index >= 2 && index <= 4)
                value = index - 2 < static_cast<int>(answers.size()) ? answers[index - 2] : "";
            if (isMediaSlot(c.slot))
                value = bareFileName(value);
            line += csvField(toCrLf(value));
            line += ',';
        }
        line.pop_back();
        out.appendLine(line);
    }
    return SaveRequest{kSpreadsheetFilter, "csv"};
}

} // namespace vireta
