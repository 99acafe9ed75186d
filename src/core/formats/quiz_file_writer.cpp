#include "formats/quiz_file.h"

#include "formats/writer_support.h"
#include "text.h"

namespace vireta {

std::string escapeText(std::string_view text) { return escapeMarkup(withoutXmlControls(text), "&<>"); }

std::string escapeAttribute(std::string_view text) {
    return escapeMarkup(withoutXmlControls(text), "&<\"");
}

namespace {

std::string element(std::string_view indent, std::string_view name, std::string_view text,
                    std::string_view after = {}) {
    std::string line(indent);
    line += '<';
    line += name;
    line += '>';
    line += escapeText(text);
    line += "</";
    line += name;
    line += '>';
    line += after;
    return line;
}

// <name son="sound">text</name>
std::string elementWithSound(std::string_view indent, std::string_view name,
                             std::string_view soundPath, std::string_view text) {
    std::string line(indent);
    line += '<';
    line += name;
    line += " son=\"";
    line += escapeAttribute(bareFileName(soundPath));
    line += "\">";
    line += escapeText(text);
    line += "</";
    line += name;
    line += '>';
    return line;
}

void writeQuestion(const Question& q, OutputBuffer& out) {
    constexpr std::string_view in = "            "; // twelve spaces
    out.appendLine("        <pregunta>");
    out.appendLine(element(in, "enunciado", q[FieldSlot::enunciado]));
    if (!q[FieldSlot::enlace].empty())
        out.appendLine(element("           ", "enlace", q[FieldSlot::enlace])); // eleven
    for (int n = 1; n <= 4; ++n) {
        const std::string& answer = q[answerSlot(n)];
        if (!answer.empty())
            out.appendLine(element(in, "resposta", answer));
    }
    if (!q[FieldSlot::imaxe].empty())
        out.appendLine(element(in, "imaxe", bareFileName(q[FieldSlot::imaxe])));
    if (!q[FieldSlot::son].empty())
        out.appendLine(element(in, "son", bareFileName(q[FieldSlot::son])));
    if (!q[FieldSlot::ben].empty())
        out.appendLine(elementWithSound(in, "ben", q[FieldSlot::sonben], q[FieldSlot::ben]));
    if (!q[FieldSlot::mal].empty())
        out.appendLine(elementWithSound(in, "mal", q[FieldSlot::sonmal], q[FieldSlot::mal]));
    out.appendLine("        </pregunta> ");
}

} // namespace

SaveRequest writeQuizFile(const GeneralData& g, const QuestionTable& questions, int count,
                          OutputBuffer& out) {
    constexpr std::string_view in = "    ";
    out.appendLine("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    out.appendLine("  <xogo version=\"1.0\">");
    out.appendLine(element(in, "titulo", g.title, " "));
    out.appendLine(element(in, "subtitulo", g.subtitle, " "));
    out.appendLine(element(in, "autor", g.author, " "));
    // The introduction keeps its line breaks, so this one line of the buffer becomes
    // as many lines of the file as the introduction has.
    out.appendLine("    <intro son=\"" + escapeAttribute(bareFileName(g.introSound)) + "\"> " +
                   escapeText(toCrLf(g.intro)) + "    </intro>");
    out.appendLine(element(in, "axuda", g.help));
    out.appendLine(element(in, "tempo", g.time));
    if (g.inOrder)
        out.appendLine("    <orde>1</orde>");
    if (!g.endWell.empty())
        out.appendLine(elementWithSound(in, "ben", g.endWellSound, g.endWell));
    if (!g.endBad.empty())
        out.appendLine(elementWithSound(in, "mal", g.endBadSound, g.endBad));
    out.appendLine("    <preguntas>");
    for (int k = 1; k <= count && k <= kQuestionCapacity; ++k) {
        const Question& q = questions.record(k);
        if (!q[FieldSlot::enunciado].empty())
            writeQuestion(q, out);
    }
    out.appendLine("    </preguntas> ");
    out.appendLine("  </xogo> ");
    return SaveRequest{kQuizFileFilter, kQuizFileExtension};
}

} // namespace vireta
