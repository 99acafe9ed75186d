// GIFT: the text format of a learning platform's question bank. Its multiple-choice,
// multiple-response, true/false and short-answer questions become questions here
// (bank_answers.h says how).
#pragma once

#include "formats/export_settings.h"
#include "formats/format_note.h"
#include "formats/output_buffer.h"
#include "model/quiz.h"

#include <string>
#include <string_view>

namespace vireta {

inline constexpr const char* kGiftFilter = "*.gift|*.gift;*.GIFT;*.txt;*.TXT";

class GiftReader {
public:
    // Reads UTF-8 text. Questions are separated by blank lines; "//" comment lines,
    // "$CATEGORY:" lines, "::name::" titles and the [html], [moodle], [plain] and
    // [markdown] markers are skipped (an [html] text is turned into plain text, and a
    // link of its question text to a sound reported left out). The escapes \~ \= \#
    // \{ \} \: \\ and \n are honoured. A question with an '=' answer and a '~' one is
    // single choice, one with '~' answers only multiple response, one with '=' answers
    // only a short answer.
    static ImportResult read(std::string_view text);
};

class GiftWriter {
public:
    // "$CATEGORY:" after the title, then one block per question with a statement and
    // a right answer, in table order, each answer's feedback its own message or else
    // the question's right or wrong message (bankFeedback):
    //   one answer      "::name::statement {", "=right#ben", one "~wrong#mal" each, "}"
    //   several         one "~%50%right#..." each (the right ones' weights adding up to
    //                   100), one "~%-100%wrong#..." each
    //   true or false   "::name::statement {TRUE#wrong choice's#right choice's}"
    //   short answer    one "=accepted#..." each (a star as "\*"), "=%0%*#mal" when the
    //                   wrong message is filled
    // Every text carries the GIFT escapes; line breaks are "\n".
    static SaveRequest write(const GeneralData& general, const QuestionTable& questions, int count,
                             OutputBuffer& out, ExportNotes& notes);
};

// A text with the GIFT escapes applied (as the writer puts it).
std::string giftEscaped(std::string_view text);

} // namespace vireta
