// Reads arbitrary bytes as an Aiken file: only statements and answers are filled, and
// every question has a wrong answer beside the right one.
#include "formats/aiken.h"
#include "formats/import_support.h"
#include "import_checks.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using vireta::FieldSlot;
    const std::string text = vireta::importedText(std::string_view(reinterpret_cast<const char*>(data), size));
    const vireta::ImportResult r = vireta::AikenReader::read(text);
    fuzzcheck::checkQuestions(r, {FieldSlot::enunciado, FieldSlot::resposta1, FieldSlot::resposta2,
                                  FieldSlot::resposta3, FieldSlot::resposta4});
    for (const vireta::ImportedQuestion& q : r.questions)
        fuzzcheck::check(!q.question[FieldSlot::resposta2].empty());
    return 0;
}
