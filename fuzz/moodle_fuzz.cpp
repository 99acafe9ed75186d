// Reads arbitrary bytes as Moodle XML. Every embedded file handed on for writing has a
// safe bare name (no separator, not "." or "..", no control character), and only the
// picture and the sound fields hold what the media sink returned; every question is as
// its kind asks, and comes back of its kind through the writer.
#include "formats/import_support.h"
#include "formats/moodle_xml.h"
#include "import_checks.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using vireta::FieldSlot;
    using fuzzcheck::check;
    const std::string text = vireta::importedText(std::string_view(reinterpret_cast<const char*>(data), size));
    auto sink = [](const std::string& name, const std::string&) -> std::string {
        check(!name.empty() && name != "." && name != "..");
        check(name.find_first_of("/\\:") == std::string::npos);
        check(name[0] != '.');
        for (unsigned char c : name)
            check(c >= 32 && c != 127);
        return "MEDIA/" + name;
    };
    vireta::ImportResult r;
    try {
        r = vireta::MoodleXmlReader::read(text, sink);
    } catch (const vireta::MoodleXmlError&) {
        return 0;
    }
    fuzzcheck::checkQuestions(r, {FieldSlot::enunciado, FieldSlot::resposta1, FieldSlot::resposta2,
                                  FieldSlot::resposta3, FieldSlot::resposta4, FieldSlot::imaxe,
                                  FieldSlot::son, FieldSlot::ben, FieldSlot::mal});
    fuzzcheck::checkKinds(r);
    for (const auto& q : r.questions)
        for (FieldSlot s : {FieldSlot::imaxe, FieldSlot::son})
            check(q.question[s].empty() || q.question[s].rfind("MEDIA/", 0) == 0);

    // Written as Moodle XML again (the media are not there to embed), the questions read
    // back as many and of the same kinds.
    vireta::QuestionTable table;
    const int count = fuzzcheck::tableOf(r, table);
    vireta::OutputBuffer out;
    vireta::ExportNotes notes;
    vireta::MoodleXmlWriter::write(vireta::GeneralData{}, table, count, out, notes);
    const vireta::ImportResult back = vireta::MoodleXmlReader::read(out.text(), sink);
    check(static_cast<int>(back.questions.size()) == count);
    for (int k = 1; k <= count; ++k)
        check(back.questions[static_cast<std::size_t>(k - 1)].question.kind == table.record(k).kind);
    return 0;
}
