#include "formats/form_page.h"

#include "formats/writer_support.h"
#include "text.h"

#include <string>
#include <vector>

namespace vireta {

SaveRequest writeFormPage(const GeneralData& general, const QuestionTable& questions, int count,
                       const ExportSettings& settings, ShuffleGenerator& generator,
                       OutputBuffer& out, ExportNotes* notes) {
    count = clampedCount(count);
    noteKindsLeftOut(questions, count, kChoiceOnlyLeavesOut, notes);
    const std::vector<int> order = questionOrder(count, general.inOrder, generator);
    const bool form = !settings.action.empty();

    writeHtmlHead(out, general.title, settings.style, settings.utf8);
    out.appendLine("  </head> <body>");
    writeHtmlTitles(out, general, settings);
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

    int leftOut = 0; // questions before this one left out for their kind
    for (int k = 1; k <= count; ++k) {
        const Question& q = questions.record(order[static_cast<std::size_t>(k - 1)]);
        if (statementOf(q).empty())
            continue;
        if (leavesOutKind(q, kChoiceOnlyLeavesOut)) {
            ++leftOut;
            continue;
        }
        const std::string number = std::to_string(k - leftOut);
        out.appendLine(" <div class=\"pregunta\">");
        out.appendLine(" <p class=\"enunciado\">" + number + ".- " + statementOf(q) + "</p><br>");
        if (!q[FieldSlot::imaxe].empty())
            out.appendLine("<div class=\"imaxe\"><img src=\"" +
                           quotedAttribute(bareFileName(q[FieldSlot::imaxe])) + "\"></div>");
        out.appendLine(" <div class=\"respostas\">");
        std::vector<int> answers = shownAnswers(q);
        if (settings.shuffleAnswers && q.kind != QuestionKind::TrueFalse) {
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

} // namespace vireta
