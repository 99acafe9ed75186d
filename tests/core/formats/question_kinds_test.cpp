// Every kind of question through the writer of Aiken (byte for byte, with what it
// reports).
#include "foreign_test_support.h"

#include "formats/aiken.h"
#include "formats/import_support.h"
#include "test_files.h"

#include <cstdlib>

using namespace vireta;
using namespace foreign;
using testfiles::readFile;

namespace {

std::string data(const std::string& name) { return std::string(VIRETA_TEST_DATA) + "/foreign/" + name; }

// The kinds quiz with its true-or-false question's right answer "Verdadeiro" too, and
// a one-answer question after every kind.
samples::SampleQuiz quizOfKinds() {
    samples::SampleQuiz z = samples::kindsQuiz();
    Question& right = z.questions.record(5);
    right.kind = QuestionKind::TrueFalse;
    right[FieldSlot::enunciado] = "O Sil desemboca no Miño.";
    right[FieldSlot::resposta1] = kTrueText;
    right[FieldSlot::resposta2] = kFalseText;
    right.answerMessage(2) = "Si que desemboca, en Os Peares.";
    z.questions.record(6) = mc("Cantos ríos?", {"Moitos", "Poucos"});
    z.count = 6;
    return z;
}

// Set VIRETA_UPDATE_EXPECTED=1 to write the expected files anew after a deliberate
// change of a format; review the difference before committing it.
void expectFile(const std::string& actual, const std::string& name) {
    if (std::getenv("VIRETA_UPDATE_EXPECTED")) {
        testfiles::writeFile(data(name), actual);
        return;
    }
    EXPECT_EQ(actual, readFile(data(name))) << name;
}

TEST(QuestionKinds, AikenWritesTrueOrFalseAsOneAnswerAndLeavesOutTheRestSayingSo) {
    const samples::SampleQuiz z = quizOfKinds();
    OutputBuffer out;
    ExportNotes notes;
    AikenWriter::write(z.questions, z.count, out, notes);
    expectFile(out.text(), "kinds_aiken.txt");
    expectNotes(notes,
                {{1, NoteReason::SeveralLeftOut},
                 {2, NoteReason::NotCarried, "Aiken"},
                 {3, NoteReason::ShortLeftOut},
                 {4, NoteReason::NotCarried, "Aiken"},
                 {5, NoteReason::NotCarried, "Aiken"}},
                "aiken");
    for (const FormatNote& n : notes) {
        if (n.reason == NoteReason::NotCarried) {
            EXPECT_EQ(n.fields, kAnswerMessagesField) << n.english();
        }
    }
    EXPECT_EQ(notes[0].english(), "question 1: several-answer question: left out");
    EXPECT_EQ(notes[0].galician(), "pregunta 1: pregunta de varias respostas: quedou fóra");
    EXPECT_EQ(notes[1].english(), "question 2: Aiken does not carry: answers' messages");
    EXPECT_EQ(notes[1].galician(), "pregunta 2: Aiken non leva: mensaxes das respostas");
    EXPECT_EQ(notes[2].galician(), "pregunta 3: pregunta de resposta curta: quedou fóra");

    // What Aiken holds of them comes back: each true-or-false question as one of one
    // answer, "Verdadeiro" and "Falso" in the order shown.
    const ImportResult back = AikenReader::read(out.text());
    EXPECT_TRUE(back.notes.empty());
    EXPECT_EQ(questionsOf(back),
              (std::vector<Question>{mc("O Miño nace en Ourense.", {kFalseText, kTrueText}),
                                     mc("Río máis longo?", {"Miño", "Sil"}),
                                     mc("O Sil desemboca no Miño.", {kTrueText, kFalseText}),
                                     mc("Cantos ríos?", {"Moitos", "Poucos"})}));
}

} // namespace
