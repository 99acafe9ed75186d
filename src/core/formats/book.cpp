#include "formats/book.h"

#include "formats/writer_support.h"
#include "text.h"

#include <string>
#include <vector>

namespace vireta {

SaveRequest writeBook(const GeneralData& general, const QuestionTable& questions, int count,
                      OutputBuffer& out, ExportNotes* notes) {
    count = clampedCount(count);
    noteKindsLeftOut(questions, count, kChoiceOnlyLeavesOut, notes);
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
        if (statementOf(q).empty() || leavesOutKind(q, kChoiceOnlyLeavesOut))
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

} // namespace vireta
