// Reads arbitrary bytes as a spreadsheet, with each separator: every media path is
// the file's folder followed by the cell, or an absolute path from the cell.
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
        for (const auto& q : r.questions)
            for (FieldSlot s : {FieldSlot::imaxe, FieldSlot::son, FieldSlot::sonben, FieldSlot::sonmal}) {
                const std::string& p = q.question[s];
                fuzzcheck::check(p.empty() || p.rfind("/folder/", 0) == 0 || p[0] == '/' ||
                                 p[0] == '\\' || (p.size() >= 2 && p[1] == ':'));
            }
    }
    return 0;
}
