// Moodle XML: a learning platform's question-bank export (root element `quiz`),
// read with pugixml. The program's own XML reader stays the quiz file's.
#pragma once

#include "formats/export_settings.h"
#include "formats/format_note.h"
#include "formats/output_buffer.h"
#include "model/quiz.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vireta {

inline constexpr const char* kMoodleXmlFilter = "*.xml|*.xml;*.XML";

// A document that is no Moodle XML: not well formed, or without a `quiz` root.
class MoodleXmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Receives each embedded file a question uses: a safe bare name (safeMediaName's)
// and its bytes. Returns the path the question is to hold, or an empty string when
// the file could not be written.
using MediaSink = std::function<std::string(const std::string& name, const std::string& bytes)>;

class MoodleXmlReader {
public:
    // Reads a document given as UTF-8. `multichoice` (one answer with `single` true or
    // absent, several with it false), `truefalse` and `shortanswer` become questions
    // (bank_answers.h says how); the first embedded picture and sound of the question
    // text go through `media`. Throws MoodleXmlError.
    static ImportResult read(std::string_view text, const MediaSink& media);
};

class MoodleXmlWriter {
public:
    // A category named after the title, then one question per question with a
    // statement and a right answer, in table order: a one-answer question as a
    // `multichoice` with `single` true (the right answer 100, the others 0), a
    // several-answer one with `single` false (the right answers sharing 100, as
    // "33.33333", each wrong one -100), both with the question's messages as its
    // correct and incorrect feedback; a true-or-false one as a `truefalse`, a short
    // answer as a `shortanswer` (compared ignoring case, a "*" answer of 0 with the
    // wrong message), whose answers' feedback stands in for the question's messages
    // (bankFeedback). Every answer's feedback is its own message. The picture and
    // sound are read from disk and embedded; one that cannot be read is noted and
    // left out.
    static SaveRequest write(const GeneralData& general, const QuestionTable& questions, int count,
                             OutputBuffer& out, ExportNotes& notes);
};

// An embedded file's name reduced to a bare name that is safe to create inside a
// folder: the part after the last '/', '\\' or ':', with control characters as '_',
// a leading '.' as '_', at most 120 bytes; empty when nothing is left.
std::string safeMediaName(std::string_view name);

// Whether a file name's extension is a picture's or a sound's.
bool isPictureName(std::string_view name);
bool isSoundName(std::string_view name);

} // namespace vireta
