// Spreadsheets saved as CSV or TSV: one question a row, under a header row that
// names the columns (in Galician or English, in any order).
//
// The answer columns are "Correcta" (answer 1) and "Incorrecta 1" to "Incorrecta 3"
// (answers 2 to 4) whatever the kind; "Tipo" names the kind (unha, varias, vf, curta;
// empty for unha), "Correctas" a several-answer question's right answers by number
// ("1,3"), and "Mensaxe 1" to "Mensaxe 4" each answer column's own message. A
// true-or-false question has its right word in "Correcta"; a short-answer one its
// accepted answers in the answer columns.
#pragma once

#include "formats/export_settings.h"
#include "formats/format_note.h"
#include "formats/output_buffer.h"
#include "model/quiz.h"

#include <string>
#include <string_view>
#include <vector>

namespace vireta {

inline constexpr const char* kSpreadsheetFilter = "*.csv|*.csv;*.CSV";

class SpreadsheetReader {
public:
    // Reads UTF-8 text. `tabs` forces the tab as separator (a .tsv file); otherwise
    // it is the one of comma, semicolon and tab found most often in the first row
    // (outside quotes). Without a recognised header the columns are Pregunta,
    // Correcta, Incorrecta 1 to 3. A relative media path is put behind `folder`.
    // Further answer columns ("Incorrecta 4" is answer 5, with "Mensaxe 5") are read
    // too; of more than four answers the right ones are kept first, four in all, and
    // the rest noted. The answers move up over gaps, their marks and messages with them.
    static ImportResult read(std::string_view text, const std::string& folder, bool tabs = false);
};

class SpreadsheetWriter {
public:
    // The header row and one row per question with a statement, in table order:
    // comma-separated, UTF-8 with a byte-order mark, CR LF, fields quoted where they
    // hold a comma, a quote or a line break; media by bare file name. After the twelve
    // columns every sheet has come "Tipo" when a question is not of one answer,
    // "Correctas" when one is of several and "Mensaxe 1" to "Mensaxe 4" when an
    // answer has its own message: a sheet of one-answer questions without them is as
    // it always was. A several-answer question's right answers come first.
    static SaveRequest write(const QuestionTable& questions, int count, OutputBuffer& out,
                             ExportNotes& notes);
};

// The records of a CSV text as RFC 4180 reads them (quotes, doubled quotes, line
// breaks inside quotes), each with the line it starts on. A line break inside a
// field is kept as CR LF.
struct CsvRecord {
    int line = 0;
    std::vector<std::string> fields;
};
std::vector<CsvRecord> parseCsv(std::string_view text, char separator);

// A cell as the spreadsheet export writes it: in double quotes (each one doubled)
// when it holds a comma, a quote or a line break.
std::string csvField(std::string_view f);

} // namespace vireta
