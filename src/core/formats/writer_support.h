// Pieces shared by the export writers: which questions appear and in what order,
// which answers a question offers, and the escaping of a teacher's text for the
// places a page or book puts it.
#pragma once

#include "formats/format_note.h"
#include "formats/output_buffer.h"
#include "formats/shuffle.h"
#include "model/quiz.h"

#include <string>
#include <string_view>
#include <vector>

namespace vireta {

struct ExportSettings;

// count clamped to 0..kQuestionCapacity.
int clampedCount(int count);

const std::string& statementOf(const Question& q);

// Whether one of the question's filled answers is a right one (isRightAnswer).
bool hasRightAnswer(const Question& q);

// A set of question kinds: the bits kindBit(kind).
constexpr unsigned kindBit(QuestionKind kind) { return 1u << static_cast<unsigned>(kind); }
// What a format that offers one answer to choose cannot ask: answers to tick, an
// answer to type.
inline constexpr unsigned kChoiceOnlyLeavesOut =
    kindBit(QuestionKind::Several) | kindBit(QuestionKind::Short);

inline bool leavesOutKind(const Question& q, unsigned leftOut) {
    return (leftOut & kindBit(q.kind)) != 0;
}
// The note that question k, of several answers or a short answer, is left out.
FormatNote kindLeftOutNote(int k, const Question& q);
// Notes every one of questions 1..count with a statement and a kind in `leftOut`, in
// table order; nothing without `notes`.
void noteKindsLeftOut(const QuestionTable& questions, int count, unsigned leftOut, ExportNotes* notes);

// The question-bank writers' walk: calls `write(k, question)` for each of questions
// 1..count that has a statement. One of a kind in `kindsLeftOut`, or without a right
// answer, is noted as left out instead; of the fields in `notCarried`, those the
// question fills are noted as not carried by `format`, together with those `alsoLost`
// gives for the question.
template <typename Write>
void forEachBankQuestion(const QuestionTable& questions, int count, unsigned kindsLeftOut,
                         unsigned notCarried, const char* format, ExportNotes& notes, Write write,
                         unsigned (*alsoLost)(const Question&) = nullptr) {
    const int n = clampedCount(count);
    for (int k = 1; k <= n; ++k) {
        const Question& q = questions.record(k);
        if (statementOf(q).empty())
            continue;
        if (leavesOutKind(q, kindsLeftOut)) {
            notes.push_back(kindLeftOutNote(k, q));
            continue;
        }
        if (!hasRightAnswer(q)) {
            notes.push_back({k, {}, NoteReason::RightAnswerMissing, {}, 0});
            continue;
        }
        if (const unsigned lost = filledFields(q, notCarried) | (alsoLost ? alsoLost(q) : 0u))
            notes.push_back({k, {}, NoteReason::NotCarried, format, lost});
        write(k, q);
    }
}

// The order in which the questions appear: 1..count, shuffled (after reseeding
// `generator`) unless kept in order.
std::vector<int> questionOrder(int count, bool inOrder, ShuffleGenerator& generator);

// The field numbers (1..4) of the filled answers, in field order. A gap, such as an
// empty third answer before a filled fourth, leaves no answer out.
std::vector<int> filledAnswers(const Question& q);

// The filled answers in the order a student is shown them when nothing shuffles them:
// field order, but "Verdadeiro" before "Falso" in a true-or-false question.
std::vector<int> shownAnswers(const Question& q);

// A value typed by the user, placed inside a double-quoted HTML attribute: '"' and
// "&" as references (so that a file named "mapa&copy.png" is asked for as such).
std::string quotedAttribute(std::string_view text);

// The text without the C0 control characters other than tab, line feed and carriage
// return: XML cannot carry them, not even as references.
std::string withoutXmlControls(std::string_view text);

// A text placed inside a double-quoted string of a page's script: backslash, double
// quote and line breaks are escaped, "<" too so that no "</SCRIPT>" or "<!--" can end
// or disturb the script element. On a page in the 8-bit code page, characters above
// U+00FF and the C1 controls are written as \u escapes: the conversion would turn them
// into character references, which mean nothing inside a script.
std::string scriptString(std::string_view text, bool utf8Page);

// A text as XML character data (attribute = false) or as a double-quoted attribute
// value. Control characters that XML cannot carry at all are left out.
std::string xmlText(std::string_view text, bool attribute = false);

// The opening lines shared by both HTML pages, up to and including the charset.
void writeHtmlHead(OutputBuffer& out, const std::string& title, const std::string& style,
                   bool utf8);

// The title, the subtitle and the tab's extra line, as both HTML pages show them.
void writeHtmlTitles(OutputBuffer& out, const GeneralData& general, const ExportSettings& settings);

// Texts are held as UTF-8; a page or book in the 8-bit code page is converted once,
// when complete.
void finishEncoding(OutputBuffer& out, bool utf8);

// The save dialog's filters of the pages, the book and the SCORM package.
inline constexpr const char* kHtmlFilter = " *.htm|*.htm;*.html;*.HTM;*.HTML";
inline constexpr const char* kEbkFilter = " *.ebk|*.ebk;*.EBK|*.xml|*.xml;*.XML";
inline constexpr const char* kZipFilter = " *.zip|*.zip;*.ZIP";

} // namespace vireta
