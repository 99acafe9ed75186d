#include "formats/exporters.h"

#include "text.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vireta {
namespace {

constexpr const char* kHtmlFilter = " *.htm|*.htm;*.html;*.HTM;*.HTML";
constexpr const char* kEbkFilter = " *.ebk|*.ebk;*.EBK|*.xml|*.xml;*.XML";

constexpr const char* kDoctype1 = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"";
constexpr const char* kDoctype2 = "\"http://www.w3.org/TR/html4/loose.dtd\"> ";
constexpr const char* kMetaUtf8 =
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">";
constexpr const char* kMetaLatin1 =
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">";

int clampedCount(int count) { return std::clamp(count, 0, kQuestionCapacity); }

const std::string& statementOf(const Question& q) { return q[FieldSlot::enunciado]; }

// The order in which the questions appear: 1..count, shuffled unless kept in order.
std::vector<int> questionOrder(int count, bool inOrder, ShuffleGenerator& generator) {
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int k = 1; k <= count; ++k)
        order[static_cast<std::size_t>(k - 1)] = k;
    if (!inOrder) {
        generator.reseed();
        shuffle(order, generator);
    }
    return order;
}

// The field numbers (1..4) of the filled answers, in field order. A gap, such as an
// empty third answer before a filled fourth, leaves no answer out.
std::vector<int> filledAnswers(const Question& q) {
    std::vector<int> list;
    for (int a = 1; a <= 4; ++a) {
        if (!q[answerSlot(a)].empty())
            list.push_back(a);
    }
    return list;
}

// A value typed by the user, placed inside a double-quoted HTML attribute.
std::string quotedAttribute(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

void appendUnicodeEscape(std::string& out, unsigned unit) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04X", unit & 0xFFFFu);
    out += buf;
}

// A text placed inside a double-quoted string of the page's script: backslash, double
// quote and line breaks are escaped, "<" too so that no "</SCRIPT>" or "<!--" can end
// or disturb the script element. On a page in the 8-bit code page, characters above
// U+00FF and the C1 controls are written as \u escapes: the conversion would turn them
// into character references, which mean nothing inside a script.
std::string scriptString(std::string_view text, bool utf8Page) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t cp;
        const std::size_t len = decodeUtf8At(text, pos, cp);
        if (len == 0) {
            out += text[pos++];
            continue;
        }
        switch (cp) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '<': out += "\\x3C"; break;
        case 0x2028:
        case 0x2029: appendUnicodeEscape(out, static_cast<unsigned>(cp)); break;
        default:
            if (!utf8Page && ((cp >= 0x80 && cp < 0xA0) || cp > 0xFF)) {
                if (cp > 0xFFFF) {
                    const char32_t v = cp - 0x10000;
                    appendUnicodeEscape(out, static_cast<unsigned>(0xD800 + (v >> 10)));
                    appendUnicodeEscape(out, static_cast<unsigned>(0xDC00 + (v & 0x3FF)));
                } else {
                    appendUnicodeEscape(out, static_cast<unsigned>(cp));
                }
            } else {
                out.append(text.substr(pos, len));
            }
        }
        pos += len;
    }
    return out;
}

// A text as XML character data (attribute = false) or as a double-quoted attribute
// value. Control characters that XML cannot carry at all are left out.
std::string xmlText(std::string_view text, bool attribute = false) {
    std::string carried;
    carried.reserve(text.size());
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r')
            carried += c;
    }
    return escapeMarkup(carried, attribute ? "&<>\"" : "&<>");
}

// The opening lines shared by both HTML pages, up to and including the charset.
void writeHead(OutputBuffer& out, const std::string& title, const std::string& style,
               bool utf8) {
    out.appendLine(kDoctype1);
    out.appendLine(kDoctype2);
    out.appendLine("<html><head>");
    if (!style.empty())
        out.appendLine("<link href=\"" + quotedAttribute(bareFileName(style)) +
                       "\" rel=\"stylesheet\" type=\"text/css\">");
    out.appendLine("<title>" + title + "</title>");
    out.appendLine(utf8 ? kMetaUtf8 : kMetaLatin1);
}

void writeTitles(OutputBuffer& out, const GeneralData& general, const ExportSettings& settings) {
    out.appendLine(" <div class=\"titulo\">" + general.title + "</div><br> ");
    out.appendLine(" <div class=\"subtitulo\">" + general.subtitle + "</div><br> ");
    if (!settings.text.empty())
        out.appendLine(" <div class=\"subtitulo\">" + settings.text + "</div><br> ");
}

// Texts are held as UTF-8; a page or book in the 8-bit code page is converted once,
// when complete.
void finishEncoding(OutputBuffer& out, bool utf8) {
    if (!utf8)
        out.setText(utf8ToCp1252(out.text()));
}

} // namespace

SaveRequest gardarHTML(const GeneralData& general, const QuestionTable& questions, int count,
                       const ExportSettings& settings, ShuffleGenerator& generator,
                       OutputBuffer& out) {
    count = clampedCount(count);
    const std::vector<int> order = questionOrder(count, general.inOrder, generator);
    const bool form = !settings.action.empty();

    writeHead(out, general.title, settings.style, settings.utf8);
    out.appendLine("  </head> <body>");
    writeTitles(out, general, settings);
    if (form)
        out.appendLine("<form name=\"form\" method=\"post\" action=\"" +
                       quotedAttribute(settings.action) + "\">");
    if (!settings.field1Label.empty())
        out.appendLine(settings.field1Label + "   <input type=\"text\" size=\"" +
                       quotedAttribute(settings.field1Size) + "\" name=\"campo1\"><br>");
    if (!settings.field2Label.empty())
        out.appendLine(settings.field2Label + "   <input type=\"text\" size=\"" +
                       quotedAttribute(settings.field2Size) + "\" name=\"campo2\"><br>");
    if (!settings.hidden.empty())
        out.appendLine("<input type=\"hidden\" name=\"oculto\" value=\"" +
                       quotedAttribute(settings.hidden) + "\">");

    for (int k = 1; k <= count; ++k) {
        const Question& q = questions.record(order[static_cast<std::size_t>(k - 1)]);
        if (statementOf(q).empty())
            continue;
        const std::string number = std::to_string(k);
        out.appendLine(" <div class=\"pregunta\">");
        out.appendLine(" <p class=\"enunciado\">" + number + ".- " + statementOf(q) + "</p><br>");
        if (!q[FieldSlot::imaxe].empty())
            out.appendLine("<div class=\"imaxe\"><img src=\"" +
                           quotedAttribute(bareFileName(q[FieldSlot::imaxe])) + "\"></div>");
        out.appendLine(" <div class=\"respostas\">");
        std::vector<int> answers = filledAnswers(q);
        if (settings.shuffleAnswers) {
            generator.reseed();
            shuffle(answers, generator);
        }
        for (int a : answers)
            out.appendLine("<label><input type=\"radio\" name=\"" + number + "\" value=" +
                           std::to_string(a) + ">" + q[answerSlot(a)] + "</label><br>");
        out.appendLine(" </div>");
        out.appendLine("<br>");
        out.appendLine(" </div>");
    }

    if (form) {
        out.appendLine("<input type=\"submit\" name=\"Submit\" value=\"Enviar\">");
        out.appendLine("</form>");
    }
    out.appendLine("    </body> ");
    out.appendLine("</html> ");
    finishEncoding(out, settings.utf8);
    return {kHtmlFilter, "html"};
}

SaveRequest gardarjava(const GeneralData& general, const QuestionTable& questions, int count,
                       const ExportSettings& settings, ShuffleGenerator& generator,
                       OutputBuffer& out) {
    count = clampedCount(count);
    const std::vector<int> order = questionOrder(count, general.inOrder, generator);
    const bool utf8 = settings.utf8;

    writeHead(out, general.title, settings.styleJs, utf8);
    out.appendLine("  </head>");
    out.appendLine("<SCRIPT language=JavaScript>");
    out.appendLine("function quiz() {");
    out.appendLine("        var i = 0      ");
    out.appendLine("\tvar total=document.forms.length");
    out.appendLine("\tvar ncorrect=0");
    out.appendLine("\tvar response=new Array(total)");
    out.appendLine("\tvar theForms=new Array(total)");
    out.appendLine(" for (i=1; i<=total;i++)\ttheForms[i]=document.forms[i-1]");
    out.appendLine("\tfor (i=1; i <= total; i++) \tresponse[i]=theForms[i].answer.value");
    out.appendLine("\tvar flag=true");
    out.appendLine("\tfor (i=1; i <= total; i++) if (response[i]==0) flag=false;");
    out.appendLine("if (flag) {");
    out.appendLine("for (i=1; i <= total; i++)");
    out.appendLine("if (response[i]==1) ncorrect++");
    out.appendLine("var per =  Math.round((ncorrect / total) * 100)");
    out.appendLine("if (ncorrect==total){");
    out.appendLine("alert(\"" + scriptString(general.endWell, utf8) +
                   "\\n N\u00famero de preguntas : \"+total+\"\\n Correctas : \"+ncorrect+\" "
                   "\\n Porcentaxe : \"+per+\" %\"   )}else{");
    out.appendLine("alert(\"" + scriptString(general.endBad, utf8) +
                   "\\n N\u00famero de preguntas : \"+total+\"\\n Correctas : \"+ncorrect+\" "
                   "\\n Porcentaxe : \"+per+\" %\")}}else{");
    out.appendLine("alert(\"Debes contestar t\u00f3dalas preguntas.\") }");
    out.appendLine("}");
    out.appendLine("// -->");
    out.appendLine("</SCRIPT>");
    out.appendLine("<body>");
    writeTitles(out, general, settings);

    for (int k = 1; k <= count; ++k) {
        const Question& q = questions.record(order[static_cast<std::size_t>(k - 1)]);
        if (statementOf(q).empty())
            continue;
        std::vector<int> answers = filledAnswers(q);
        generator.reseed();
        shuffle(answers, generator);
        out.appendLine(" <div class=\"pregunta\">");
        out.appendLine("<form name=\"form\" method=\"post\" action=\"\">");
        out.appendLine(" <span class=\"enunciado\">" + std::to_string(k) + ".- " + statementOf(q) +
                       "</span>");
        out.appendLine(" <div class=\"respostas\">");
        out.appendLine("<SELECT name=answer size=1>");
        out.appendLine("<OPTION selected value=0>");
        for (int a : answers)
            out.appendLine("<OPTION  value=" + std::to_string(a) + "> " + q[answerSlot(a)] +
                           "<br>");
        out.appendLine("</OPTION>");
        out.appendLine("</SELECT>");
        out.appendLine(" </div>");
        if (!q[FieldSlot::imaxe].empty())
            out.appendLine("<div class=\"imaxe\"><img src=\"" +
                           quotedAttribute(bareFileName(q[FieldSlot::imaxe])) + "\"></div>");
        out.appendLine("</FORM>");
        out.appendLine(" </div>");
    }

    out.appendLine("<div class=\"boton\"><INPUT name=Button onclick=quiz() type=button value=\"" +
                   quotedAttribute(settings.buttonText) + "\"></div>");
    out.appendLine("    </body> ");
    out.appendLine("</html> ");
    finishEncoding(out, utf8);
    return {kHtmlFilter, "html"};
}

SaveRequest gardarebk(const GeneralData& general, const QuestionTable& questions, int count,
                      OutputBuffer& out) {
    count = clampedCount(count);
    out.appendLine("<?xml version=\"1.0\" ?>");
    out.appendLine("<ebk version=\"2.40\">");
    out.appendLine("  <config> ");
    out.appendLine("    <recursos></recursos>");
    out.appendLine("    <corfondo>FFFFFF</corfondo>");
    out.appendLine("    <corbanda>ffffff</corbanda>");
    out.appendLine("    <cornavega>ffffff</cornavega>");
    out.appendLine("    <cortexto>000000</cortexto>");
    out.appendLine("    <titulo>" + xmlText(general.title) + "</titulo> ");
    out.appendLine("    <subtitulo>" + xmlText(general.subtitle) + "</subtitulo> ");
    out.appendLine("    <autor>" + xmlText(general.author) + "</autor> ");
    out.appendLine("    <axuda>" + xmlText(general.help) + "</axuda>");
    out.appendLine("    <informe>1</informe>");
    out.appendLine("    <botonson>1</botonson>");
    if (!general.endWell.empty())
        out.appendLine("    <correcto son=\"" + xmlText(bareFileName(general.endWellSound), true) +
                       "\">" + xmlText(general.endWell) + "</correcto>");
    if (!general.endBad.empty())
        out.appendLine("    <incorrecto son=\"" + xmlText(bareFileName(general.endBadSound), true) +
                       "\">" + xmlText(general.endBad) + "</incorrecto>");
    out.appendLine("  </config>");
    out.appendLine("  <libro>");

    for (int k = 1; k <= count; ++k) {
        const Question& q = questions.record(k);
        if (statementOf(q).empty())
            continue;
        out.appendLine("        <paxina>");
        out.appendLine("        <tipo>1</tipo>");
        out.appendLine("            <texto>" + xmlText(statementOf(q)) + "</texto>");
        for (int a = 1; a <= 4; ++a) {
            const std::string& answer = q[answerSlot(a)];
            if (!answer.empty())
                out.appendLine("            <resp>" + xmlText(answer) + "</resp>");
        }
        if (!q[FieldSlot::imaxe].empty())
            out.appendLine("            <imaxe>" + xmlText(bareFileName(q[FieldSlot::imaxe])) +
                           "</imaxe>");
        if (!q[FieldSlot::son].empty())
            out.appendLine("            <son auto=\"1\">" +
                           xmlText(bareFileName(q[FieldSlot::son])) + "</son>");
        out.appendLine("        </paxina> ");
    }

    out.appendLine("    </libro> ");
    out.appendLine("</ebk> ");
    finishEncoding(out, false);
    return {kEbkFilter, "ebk"};
}

std::optional<SaveRequest> gardarodt(OutputBuffer&) { return std::nullopt; }

} // namespace vireta
