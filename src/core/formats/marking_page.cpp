#include "formats/marking_page.h"

#include "formats/writer_support.h"
#include "text.h"

#include <string>
#include <vector>

namespace vireta {

SaveRequest writeMarkingPage(const GeneralData& general, const QuestionTable& questions, int count,
                       const ExportSettings& settings, ShuffleGenerator& generator,
                       OutputBuffer& out, ExportNotes* notes) {
    count = clampedCount(count);
    noteKindsLeftOut(questions, count, kChoiceOnlyLeavesOut, notes);
    const std::vector<int> order = questionOrder(count, general.inOrder, generator);
    const bool utf8 = settings.utf8;

    writeHtmlHead(out, general.title, settings.styleJs, utf8);
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
    writeHtmlTitles(out, general, settings);

    int leftOut = 0; // questions before this one left out for their kind
    for (int k = 1; k <= count; ++k) {
        const Question& q = questions.record(order[static_cast<std::size_t>(k - 1)]);
        if (statementOf(q).empty())
            continue;
        if (leavesOutKind(q, kChoiceOnlyLeavesOut)) {
            ++leftOut;
            continue;
        }
        std::vector<int> answers = shownAnswers(q);
        if (q.kind != QuestionKind::TrueFalse) {
            generator.reseed();
            shuffle(answers, generator);
        }
        out.appendLine(" <div class=\"pregunta\">");
        out.appendLine("<form name=\"form\" method=\"post\" action=\"\">");
        out.appendLine(" <span class=\"enunciado\">" + std::to_string(k - leftOut) + ".- " + statementOf(q) +
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

} // namespace vireta
