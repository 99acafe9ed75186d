#include "formats/quiz_file.h"

#include "formats/writer_support.h"
#include "text.h"

#include <algorithm>
#include <string>

namespace vireta {

namespace {

constexpr std::string_view kTextSpecial = "&<>";
constexpr std::string_view kAttributeSpecial = "&<\"";

} // namespace

std::string escapeText(std::string_view text) {
    std::string out;
    appendXmlEscaped(out, text, kTextSpecial);
    return out;
}

std::string escapeAttribute(std::string_view text) {
    std::string out;
    appendXmlEscaped(out, text, kAttributeSpecial);
    return out;
}

namespace {

// The file's lines, written piece by piece into the buffer, the texts escaped
// straight into it.
class QuizFileLines {
public:
    explicit QuizFileLines(OutputBuffer& out) : out_(out) {}

    void line(std::string_view text) { out_.appendLine(text); }

    // indent<name>text</name>after
    void element(std::string_view indent, std::string_view name, std::string_view text,
                 std::string_view after = {}) {
        open(indent, name);
        out_.append(">");
        out_.appendXmlEscaped(text, kTextSpecial);
        close(name, after);
    }

    // indent<name son="sound">text</name>
    void elementWithSound(std::string_view indent, std::string_view name, std::string_view soundPath,
                          std::string_view text) {
        open(indent, name);
        out_.append(" son=\"");
        out_.appendXmlEscaped(bareFileName(soundPath), kAttributeSpecial);
        out_.append("\">");
        out_.appendXmlEscaped(text, kTextSpecial);
        close(name, {});
    }

    // indent<resposta correcta="si" retro="message">text</resposta>, each attribute
    // only when it says something.
    void answer(std::string_view indent, std::string_view text, bool marked, std::string_view message) {
        open(indent, "resposta");
        if (marked)
            out_.append(" correcta=\"si\"");
        if (!message.empty()) {
            out_.append(" retro=\"");
            out_.appendXmlEscaped(message, kAttributeSpecial);
            out_.append("\"");
        }
        out_.append(">");
        out_.appendXmlEscaped(text, kTextSpecial);
        close("resposta", {});
    }
    // The introduction keeps its line breaks, so this one line of the buffer becomes
    // as many lines of the file as the introduction has.
    void intro(const GeneralData& g) {
        out_.append("    <intro son=\"");
        out_.appendXmlEscaped(bareFileName(g.introSound), kAttributeSpecial);
        out_.append("\"> ");
        out_.appendXmlEscaped(toCrLf(g.intro), kTextSpecial);
        out_.append("    </intro>");
        out_.endLine();
    }

private:
    void open(std::string_view indent, std::string_view name) {
        out_.append(indent);
        out_.append("<");
        out_.append(name);
    }
    void close(std::string_view name, std::string_view after) {
        out_.append("</");
        out_.append(name);
        out_.append(">");
        out_.append(after);
        out_.endLine();
    }

    OutputBuffer& out_;
};

void writeQuestion(const Question& q, QuizFileLines& out) {
    constexpr std::string_view in = "            "; // twelve spaces
    if (q.kind == QuestionKind::One)
        out.line("        <pregunta>");
    else
        out.line(std::string("        <pregunta tipo=\"") + kindName(q.kind) + "\">");
    out.element(in, "enunciado", q[FieldSlot::enunciado]);
    if (!q[FieldSlot::enlace].empty())
        out.element("           ", "enlace", q[FieldSlot::enlace]); // eleven
    // The right answers of a Several first, so that a reader that knows no kinds
    // still takes a right one for the right one.
    const bool several = q.kind == QuestionKind::Several;
    for (const bool rightOnes : {true, false}) {
        for (int n = 1; n <= kAnswerCount; ++n) {
            const std::string& answer = q[answerSlot(n)];
            const bool marked = several && isRightAnswer(q, n);
            if (!answer.empty() && (!several || marked == rightOnes) && (several || rightOnes))
                out.answer(in, answer, marked, q.answerMessage(n));
        }
    }
    if (!q[FieldSlot::imaxe].empty())
        out.element(in, "imaxe", bareFileName(q[FieldSlot::imaxe]));
    if (!q[FieldSlot::son].empty())
        out.element(in, "son", bareFileName(q[FieldSlot::son]));
    if (!q[FieldSlot::ben].empty())
        out.elementWithSound(in, "ben", q[FieldSlot::sonben], q[FieldSlot::ben]);
    if (!q[FieldSlot::mal].empty())
        out.elementWithSound(in, "mal", q[FieldSlot::sonmal], q[FieldSlot::mal]);
    out.line("        </pregunta> ");
}

// Room enough for the file: its texts as escaped, and the markup around them, for
// which a question never needs 1 KB (media names are counted whole with the texts).
std::size_t roomFor(const GeneralData& g, const QuestionTable& questions, int count) {
    std::size_t bytes = 4096;
    for (const std::string* text : {&g.title, &g.subtitle, &g.author, &g.help, &g.time, &g.endWell, &g.endBad})
        bytes += xmlEscapedSize(*text, kTextSpecial);
    for (const std::string* sound : {&g.introSound, &g.endWellSound, &g.endBadSound})
        bytes += xmlEscapedSize(*sound, kAttributeSpecial);
    bytes += 2 * xmlEscapedSize(g.intro, kTextSpecial); // a lone LF or CR becomes CR LF
    for (int k = 1; k <= count && k <= kQuestionCapacity; ++k) {
        const Question& q = questions.record(k);
        if (q[FieldSlot::enunciado].empty())
            continue;
        bytes += 1024;
        for (const std::string& message : q.answerMessages)
            bytes += xmlEscapedSize(message, kAttributeSpecial);
        for (int slot = 0; slot < kFieldSlotCount; ++slot) {
            const bool sound = slot == static_cast<int>(FieldSlot::sonben) || slot == static_cast<int>(FieldSlot::sonmal);
            bytes += xmlEscapedSize(q.fields[static_cast<std::size_t>(slot)], sound ? kAttributeSpecial : kTextSpecial);
        }
    }
    return bytes;
}

} // namespace

SaveRequest writeQuizFile(const GeneralData& g, const QuestionTable& questions, int count,
                          OutputBuffer& out) {
    if (out.holdsWholeText())
        out.reserve(roomFor(g, questions, count));
    QuizFileLines lines(out);
    constexpr std::string_view in = "    ";
    lines.line("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    // The pass mark is an attribute, which readers that do not know it pass over; the
    // default is left out, so that a quiz without one is written as it always was.
    const int passMark = std::clamp(g.passMark, 0, 100);
    if (passMark == kDefaultPassMark)
        lines.line("  <xogo version=\"1.0\">");
    else
        lines.line("  <xogo version=\"1.0\" aprobado=\"" + std::to_string(passMark) + "\">");
    lines.element(in, "titulo", g.title, " ");
    lines.element(in, "subtitulo", g.subtitle, " ");
    lines.element(in, "autor", g.author, " ");
    lines.intro(g);
    lines.element(in, "axuda", g.help);
    lines.element(in, "tempo", g.time);
    if (g.inOrder)
        lines.line("    <orde>1</orde>");
    if (!g.endWell.empty())
        lines.elementWithSound(in, "ben", g.endWellSound, g.endWell);
    if (!g.endBad.empty())
        lines.elementWithSound(in, "mal", g.endBadSound, g.endBad);
    lines.line("    <preguntas>");
    for (int k = 1; k <= count && k <= kQuestionCapacity; ++k) {
        const Question& q = questions.record(k);
        if (!q[FieldSlot::enunciado].empty())
            writeQuestion(q, lines);
    }
    lines.line("    </preguntas> ");
    lines.line("  </xogo> ");
    return quizFileRequest();
}

} // namespace vireta
