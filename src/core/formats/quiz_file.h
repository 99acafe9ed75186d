// The quiz file: the editor's own document (root element `xogo`, UTF-8), written
// line by line into the output buffer and read back from a parsed document.
#pragma once

#include "formats/export_settings.h"
#include "formats/output_buffer.h"
#include "model/quiz.h"
#include "text.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vireta {

class TXMLDoc;

// The save dialog's filter and default extension of the quiz file.
inline constexpr const char* kQuizFileFilter = "*.xml|*.xml;*.XML";
inline constexpr const char* kQuizFileExtension = "xml";

// ---------------------------------------------------------------------------
// Writing

// Appends the quiz file to `out` (which the caller has emptied): the general data,
// then records 1..count of `questions`, skipping every record whose statement is
// empty. Texts are UTF-8 already, so the buffer holds the file's bytes as they go
// to disk. "&", "<" and ">" in element text and "&", "<" and '"' in the `son`
// attributes are written as references, so that every text opens again unchanged;
// the C0 control characters other than tab, line feed and carriage return, which XML
// cannot carry, are left out.
// Media paths are written as bare file names. A pass mark other than the default
// is written as the root's attribute, <xogo version="1.0" aprobado="60">
// (clamped to 0..100). Returns what the save step needs, quizFileRequest(). The writer never goes back over what it wrote, so `out` may pass
// its text on as it grows (SaveStep::save with a DocumentWriter).
SaveRequest writeQuizFile(const GeneralData& general, const QuestionTable& questions, int count,
                          OutputBuffer& out);

// What the save step needs for a quiz file, known before it is written.
inline SaveRequest quizFileRequest() { return SaveRequest{kQuizFileFilter, kQuizFileExtension}; }

// ---------------------------------------------------------------------------
// Reading

// A quiz file read completely and checked. The root's `aprobado` gives the pass
// mark when it is a whole number from 0 to 100; otherwise, or without it, the pass
// mark is kDefaultPassMark. Nothing in memory has changed yet; the
// caller applies it with applyOpenedQuiz (or its own equivalent).
struct OpenedQuiz {
    GeneralData general;
    std::vector<Question> questions; // questions 1..N, N <= kQuestionCapacity
    std::string folder;              // the opened-quiz folder, with its separator
    // What was read otherwise than written, one English line each ("question 3:
    // unknown kind 'x', read as one answer"); the command line prints them.
    std::vector<std::string> notes;

    int count() const { return static_cast<int>(questions.size()); }
};

// Why a quiz file could not be opened. what() is the reader's own message in English
// (the parser's, the file system's or the quiz rules'); userMessage() is what the
// window shows: "Erro no arquivo :" followed by the path, and userReason() the reason
// on the line below it.
class QuizFileError : public std::runtime_error {
public:
    QuizFileError(std::string path, const std::string& reason, std::string userReason,
                  std::optional<TextPosition> position = std::nullopt);

    const std::string& path() const { return path_; }
    std::string userMessage() const;
    // Why, for the teacher: one line in Galician (UTF-8) without a final stop; for a
    // file that is no valid XML, with the line and column of the error.
    const std::string& userReason() const { return userReason_; }
    // Where the file stops being valid XML; none for the other failures.
    const std::optional<TextPosition>& position() const { return position_; }

private:
    std::string path_;
    std::string userReason_;
    std::optional<TextPosition> position_;
};

// Loads the file at `path` into `doc` (emptying it first) and reads the quiz from it.
// Throws QuizFileError for every failure: a file that cannot be read, a parse error,
// an empty file, a first top-level node other than an element `xogo`, a non-element
// node directly inside `xogo` or a `pregunta`, more than kQuestionCapacity questions.
OpenedQuiz openQuizFile(TXMLDoc& doc, const std::string& path);

// The same without a document object of the caller's.
OpenedQuiz openQuizFile(const std::string& path);

// Reads the quiz from a loaded document (LoadItem's walk). `folder` is put in front of
// every media name. Throws QuizFileError (with `path` for its message) as above.
OpenedQuiz readQuiz(const TXMLDoc& doc, const std::string& folder, const std::string& path);

// Replaces the quiz in memory by an opened one: the questions are reset, the file's
// questions become 1..N (one blank question when N is 0), question 1 is current, the
// opened-quiz folder is the file's, the copied-files list is empty and the fresh-quiz
// flag is set. `general` receives the file's general data as a whole.
void applyOpenedQuiz(OpenedQuiz opened, QuizModel& model, GeneralData& general);

// ---------------------------------------------------------------------------
// Helpers shared with the other formats

// Text escaped for element content: "&", "<", ">" as references; the C0 controls
// other than tab, line feed and carriage return left out (XML cannot carry them).
std::string escapeText(std::string_view text);
// Text escaped for a double-quoted attribute value: "&", "<", '"' as references, the
// C0 controls left out as above.
std::string escapeAttribute(std::string_view text);

// Replaces character and entity references: "&#N;" and "&#xH;" by the character in
// UTF-8, and the five predefined entities by their characters. A reference to another
// name, a number that is no Unicode character, and an "&" that starts no complete
// reference are kept as written.
std::string decodeReferences(std::string_view text);

// A media name taken from a file, made safe to put behind the opened-quiz folder: a
// name that is absolute, carries a drive letter or has a ".." component is reduced to
// its bare file name; a name that is then "." or ".." becomes empty.
std::string confinedMediaName(std::string_view name);

} // namespace vireta
