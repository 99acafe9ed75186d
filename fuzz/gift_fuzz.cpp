// Reads arbitrary bytes as a GIFT file: statements, answers and the two messages only, and
// every question as its kind asks. What was read is written as GIFT again, and that file
// reads back as the same number of questions of the same kinds (but for a one-answer
// question with no wrong answer, which GIFT can only write as a short answer).
#include "formats/gift.h"
#include "formats/import_support.h"
#include "import_checks.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using vireta::FieldSlot;
    const std::string text = vireta::importedText(std::string_view(reinterpret_cast<const char*>(data), size));
    const vireta::ImportResult r = vireta::GiftReader::read(text);
    fuzzcheck::checkQuestions(r, {FieldSlot::enunciado, FieldSlot::resposta1, FieldSlot::resposta2,
                                  FieldSlot::resposta3, FieldSlot::resposta4, FieldSlot::ben,
                                  FieldSlot::mal});
    fuzzcheck::checkKinds(r);

    // GIFT has no escape for "->": answers that all hold it are a matching question's.
    vireta::ImportResult writable;
    for (const vireta::ImportedQuestion& iq : r.questions) {
        bool arrows = true;
        for (int n = 1; n <= vireta::kAnswerCount; ++n) {
            const std::string& a = iq.question[vireta::answerSlot(n)];
            arrows = arrows && (a.empty() || a.find("->") != std::string::npos);
        }
        if (!arrows)
            writable.questions.push_back(iq);
    }
    vireta::QuestionTable table;
    const int count = fuzzcheck::tableOf(writable, table);
    vireta::OutputBuffer out;
    vireta::ExportNotes notes;
    vireta::GiftWriter::write(vireta::GeneralData{}, table, count, out, notes);
    const vireta::ImportResult back = vireta::GiftReader::read(out.text());
    fuzzcheck::check(static_cast<int>(back.questions.size()) == count);
    for (int k = 1; k <= count; ++k) {
        const vireta::Question& q = table.record(k);
        const vireta::QuestionKind kind = back.questions[static_cast<std::size_t>(k - 1)].question.kind;
        // A one-answer question with its right answer alone is a short answer in GIFT.
        const bool alone = q[FieldSlot::resposta2].empty();
        fuzzcheck::check(kind == q.kind || (alone && q.kind == vireta::QuestionKind::One &&
                                            kind == vireta::QuestionKind::Short));
    }
    return 0;
}
