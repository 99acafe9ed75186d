// Importing questions from another program's file: telling its format, reading it
// with the format's reader, and putting the questions into the quiz being edited.
// The window's "Importar" and vireta-export share these.
#pragma once

#include "formats/format_note.h"
#include "model/quiz.h"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vireta {

// A file that could not be imported at all. what() gives the reason in English;
// userMessage() is what the window shows.
class ImportError : public std::runtime_error {
public:
    enum class Kind { Unreadable, UnknownFormat, QuizFile, Malformed };

    ImportError(std::string path, Kind kind, const std::string& reason);

    const std::string& path() const { return path_; }
    Kind kind() const { return kind_; }
    // "Non se puido importar o arquivo :" followed by the path, and on a line of its
    // own why, unless the file could not be read at all.
    std::string userMessage() const;

private:
    std::string path_;
    Kind kind_;
};

// What a file is, told by its content first: an XML root `quiz` with questions is
// Moodle XML,
// any other XML root the program's own quiz file; ".csv" and ".tsv" files are
// spreadsheets; a line "ANSWER: X" makes Aiken and a pair of braces GIFT; failing
// those, ".gift" is GIFT and ".txt" Aiken.
// Only the first kDetectionBytes of the file are looked at.
enum class DetectedFormat { QuizFile, Aiken, Gift, Spreadsheet, MoodleXml, Unknown };
inline constexpr std::size_t kDetectionBytes = std::size_t{1} << 20;
DetectedFormat detectFormat(std::string_view path, std::string_view bytes);

// The CLI's names of the import formats: aiken, gift, csv, moodle.
std::optional<ImportFormat> importFormatNamed(std::string_view name);

// Reads the file at `path` in the forced format, or in the one detectFormat tells.
// The media embedded in a Moodle XML file are written into the folder NAME-media
// beside it (NAME: the file's name up to its last '.'), created when first needed.
// With `writeMedia` false nothing is written (the questions hold the paths the media
// would have, and the result lists them as unwritten). Throws ImportError when the file cannot be read, its format cannot be
// told or is the quiz file's, or a Moodle XML document cannot be parsed.
ImportResult importQuestions(const std::string& path,
                             std::optional<ImportFormat> forced = std::nullopt,
                             bool writeMedia = true);

// The folder NAME-media/ beside an imported file, with its separator.
std::string mediaFolderFor(const std::string& path);

// Where an applied import put its questions.
struct AppliedImport {
    int first = 0;    // number of the first inserted question (0: none inserted)
    int inserted = 0; // how many
    bool replaced = false; // the quiz's only, blank question was replaced
    std::vector<FormatNote> notes; // the import's notes and what did not fit
};

// A question with no statement, no answers, no media and no link (the messages may
// hold the common values of a new question).
bool isBlankQuestion(const Question& q);

// Puts imported questions into the quiz: after the current question, or in place of
// the quiz's only question when it is blank. At kQuestionCapacity questions the rest
// is left out and noted. The first inserted question becomes current. The general
// data and the rest of the model are untouched.
AppliedImport applyImport(const ImportResult& result, QuizModel& model);

} // namespace vireta
