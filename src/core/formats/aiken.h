// Aiken: the plain-text format of multiple-choice questions that learning platforms
// import. One question is its text, its options "A." (or "A)") and the following
// letters, one a line, then "ANSWER: X"; a blank line may separate questions.
#pragma once

#include "formats/export_settings.h"
#include "formats/format_note.h"
#include "formats/output_buffer.h"
#include "model/quiz.h"

#include <string_view>

namespace vireta {

inline constexpr const char* kAikenFilter = "*.txt|*.txt;*.TXT";

class AikenReader {
public:
    // Reads UTF-8 text (importedText gives it from a file's bytes). The question's
    // text is one line or several up to the first option line (joined by line breaks);
    // option letters and ANSWER are taken in either case, with blanks around them.
    // An option may follow its mark without a blank ("A)one", "A.one", not initials
    // such as "A.B."); such a line ends the question's text only when its options
    // run on to an ANSWER line. A question needs two options with text.
    static ImportResult read(std::string_view text);
};

class AikenWriter {
public:
    // Questions 1..count with a statement, in table order: statement and answers on one
    // line each (line breaks become spaces), the right answer first; a true-or-false
    // question's answers "Verdadeiro" then "Falso". Questions without a right answer,
    // of several answers or a short answer are left out and noted; so are the fields
    // Aiken cannot carry, the answers' own messages among them.
    static SaveRequest write(const QuestionTable& questions, int count, OutputBuffer& out,
                             ExportNotes& notes);
};

} // namespace vireta
