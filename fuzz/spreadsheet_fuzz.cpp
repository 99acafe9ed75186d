// Reads arbitrary bytes as a spreadsheet, with each separator: every media path is
// the file's folder followed by the cell, or an absolute path from the cell; only a
// several-answer question has marks, on filled answers, one at least; a true-or-false
// question has the two words and nothing else; only a filled answer has a message.
#include "formats/import_support.h"
#include "formats/spreadsheet.h"
#include "import_checks.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using vireta::FieldSlot;
    const std::string text = vireta::importedText(std::string_view(reinterpret_cast<const char*>(data), size));
    for (bool tabs : {false, true}) {
        const vireta::ImportResult r = vireta::SpreadsheetReader::read(text, "/folder/", tabs);
        fuzzcheck::checkQuestions(r, {FieldSlot::enunciado, FieldSlot::resposta1, FieldSlot::resposta2,
                                      FieldSlot::resposta3, FieldSlot::resposta4, FieldSlot::imaxe,
                                      FieldSlot::son, FieldSlot::ben, FieldSlot::sonben,
                                      FieldSlot::mal, FieldSlot::sonmal, FieldSlot::enlace});
        for (const auto& iq : r.questions) {
            const vireta::Question& q = iq.question;
            for (FieldSlot s : {FieldSlot::imaxe, FieldSlot::son, FieldSlot::sonben, FieldSlot::sonmal}) {
                const std::string& p = q[s];
                fuzzcheck::check(p.empty() || p.rfind("/folder/", 0) == 0 || p[0] == '/' ||
                                 p[0] == '\\' || (p.size() >= 2 && p[1] == ':'));
            }
            bool marked = false;
            for (int n = 1; n <= vireta::kAnswerCount; ++n) {
                const bool filled = !q[vireta::answerSlot(n)].empty();
                const bool mark = q.marked[static_cast<std::size_t>(n - 1)];
                fuzzcheck::check(!mark || (filled && q.kind == vireta::QuestionKind::Several));
                fuzzcheck::check(filled || q.answerMessage(n).empty());
                marked = marked || mark;
            }
            fuzzcheck::check(marked == (q.kind == vireta::QuestionKind::Several));
            if (q.kind == vireta::QuestionKind::TrueFalse) {
                const std::string words = q[FieldSlot::resposta1] + "/" + q[FieldSlot::resposta2];
                fuzzcheck::check((words == "Verdadeiro/Falso" || words == "Falso/Verdadeiro") &&
                                 q[FieldSlot::resposta3].empty() && q[FieldSlot::resposta4].empty());
            }
        }
    }
    return 0;
}
