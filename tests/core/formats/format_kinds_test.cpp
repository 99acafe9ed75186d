// Every kind of question through the writers of Aiken and spreadsheets (byte for byte,
// with what they report) and the spreadsheet's import of the kind columns.
#include "foreign_test_support.h"

#include "formats/aiken.h"
#include "formats/import_support.h"
#include "formats/spreadsheet.h"
#include "test_files.h"

#include <cstdlib>
#include <functional>

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

TEST(QuestionKinds, TheSpreadsheetCarriesEveryKindAndReadsItBack) {
    const samples::SampleQuiz z = quizOfKinds();
    OutputBuffer out;
    ExportNotes notes;
    SpreadsheetWriter::write(z.questions, z.count, out, notes);
    expectFile(out.text(), "kinds_spreadsheet.csv");
    EXPECT_TRUE(notes.empty());

    const ImportResult back = SpreadsheetReader::read(importedText(out.text()), "/");
    EXPECT_TRUE(back.notes.empty()) << back.notes.front().english();
    std::vector<Question> want;
    for (int k = 1; k <= z.count; ++k)
        want.push_back(z.questions.record(k));
    // The several-answer question's right answers come first, their messages with them.
    Question& several = want[0];
    several[FieldSlot::resposta1] = "Miño";
    several[FieldSlot::resposta2] = "Ulla";
    several[FieldSlot::resposta3] = "Mondego";
    several.marked = {true, true, false, false};
    several.answerMessages = {"Si: nace en Meira.", "", "Non: é portugués.", ""};
    EXPECT_EQ(questionsOf(back), want);
}

TEST(QuestionKinds, TheSpreadsheetAddsOnlyTheColumnsItsQuestionsNeed) {
    const std::string base = "\xEF\xBB\xBFPregunta,Correcta,Incorrecta 1,Incorrecta 2,Incorrecta 3,Imaxe,Son,"
                             "Correcto,Son correcto,Incorrecto,Son incorrecto,Enlace";
    const struct {
        const char* what;
        std::function<void(Question&)> change;
        std::string header, row;
    } cases[] = {
        {"one answer", [](Question&) {}, base, "Q,a,b,,,,,,,,,"},
        {"true or false", [](Question& q) {
             q.kind = QuestionKind::TrueFalse;
             q[FieldSlot::resposta1] = kFalseText;
             q[FieldSlot::resposta2] = kTrueText;
         }, base + ",Tipo", "Q,Falso,Verdadeiro,,,,,,,,,,vf"},
        {"short answer, closed up", [](Question& q) {
             q.kind = QuestionKind::Short;
             q[FieldSlot::resposta1].clear();
         }, base + ",Tipo", "Q,b,,,,,,,,,,,curta"},
        {"several answers, the right ones first", [](Question& q) {
             q.kind = QuestionKind::Several;
             q[FieldSlot::resposta4] = "d";
             q.marked = {false, true, false, true};
         }, base + ",Tipo,Correctas", "Q,b,d,a,,,,,,,,,varias,\"1,2\""},
        {"a message", [](Question& q) { q.answerMessage(2) = "non, b"; },
         base + ",Mensaxe 1,Mensaxe 2,Mensaxe 3,Mensaxe 4", "Q,a,b,,,,,,,,,,,\"non, b\",,"},
        {"a message of an empty answer is none", [](Question& q) { q.answerMessage(3) = "x"; },
         base, "Q,a,b,,,,,,,,,"},
    };
    for (const auto& c : cases) {
        QuestionTable t;
        t.record(1) = mc("Q", {"a", "b"});
        c.change(t.record(1));
        t.record(2) = mc("", {"sen enunciado"});
        t.record(2).kind = QuestionKind::Several; // not written: no column for it
        t.record(2).answerMessage(1) = "x";
        OutputBuffer out;
        ExportNotes notes;
        SpreadsheetWriter::write(t, 2, out, notes);
        EXPECT_EQ(out.text(), c.header + "\r\n" + c.row + "\r\n") << c.what;
    }
}

Question kind(Question q, QuestionKind k, std::array<bool, 4> marked = {}) {
    q.kind = k;
    q.marked = marked;
    return q;
}

Question withMessages(Question q, std::array<std::string, 4> messages) {
    q.answerMessages = std::move(messages);
    return q;
}

TEST(QuestionKinds, TheSpreadsheetImportReadsTheKindColumns) {
    using K = QuestionKind;
    const struct {
        const char* what;
        std::string text;
        std::vector<Question> questions;
        std::vector<Note> notes;
    } cases[] = {
        {"each kind, named in any case; an empty Tipo is one answer",
         "Pregunta,Tipo,Correcta,Incorrecta 1,Incorrecta 2,Incorrecta 3,Correctas\n"
         "A,,a,b,,,\nB,Varias,a,b,c,,\"1,3\"\nC,VF,falso,,,,\nD,curta,x,,y,,\nE,unha,e,f,,,\n",
         {mc("A", {"a", "b"}), kind(mc("B", {"a", "b", "c"}), K::Several, {true, false, true, false}),
          kind(mc("C", {kFalseText, kTrueText}), K::TrueFalse), kind(mc("D", {"x", "y"}), K::Short),
          mc("E", {"e", "f"})},
         {}},
        {"right numbers apart by semicolons or blanks, over the answers' columns before they close up",
         "Pregunta;Tipo;Correcta;Incorrecta 1;Incorrecta 2;Incorrecta 3;Correctas\n"
         "A;varias;;b;c;d;2 4\nB;varias;a;b;c;d;\"1;  4 ;\"\n",
         {kind(mc("A", {"b", "c", "d"}), K::Several, {true, false, true, false}),
          kind(mc("B", {"a", "b", "c", "d"}), K::Several, {true, false, false, true})},
         {}},
        {"English headings and truth words",
         "Question,Type,Correct,Wrong 1,Correct answers,Feedback 1,Feedback 2\n"
         "A,vf,TRUE,False,,yes,no\nB,varias,a,b,2,,fine\n",
         {withMessages(kind(mc("A", {kTrueText, kFalseText}), K::TrueFalse), {"yes", "no", "", ""}),
          withMessages(kind(mc("B", {"a", "b"}), K::Several, {false, true, false, false}),
                       {"", "fine", "", ""})},
         {}},
        {"messages move up with their answers",
         "Pregunta,Correcta,Incorrecta 1,Incorrecta 2,Mensaxe 1,Mensaxe 3\nA,a,,c,ma,mc\n",
         {withMessages(mc("A", {"a", "c"}), {"ma", "mc", "", ""})},
         {}},
        {"a kind not known is one answer",
         "Pregunta,Tipo,Correcta,Incorrecta 1\nA,emparellar,a,b\n",
         {mc("A", {"a", "b"})},
         {{2, NoteReason::UnknownKind, "emparellar"}}},
        {"right numbers only for several answers",
         "Pregunta,Tipo,Correcta,Incorrecta 1,Correctas\nA,,a,b,2\nB,curta,a,b,1\n",
         {mc("A", {"a", "b"}), kind(mc("B", {"a", "b"}), K::Short)},
         {{2, NoteReason::RightNumbersIgnored}, {3, NoteReason::RightNumbersIgnored}}},
        {"right numbers that name no answer",
         "Pregunta,Tipo,Correcta,Incorrecta 1,Incorrecta 2,Correctas\nA,varias,a,b,,\"3,x,2,7,123\"\n",
         {kind(mc("A", {"a", "b"}), K::Several, {false, true, false, false})},
         {{2, NoteReason::UnknownRightNumber, "3"}, {2, NoteReason::UnknownRightNumber, "x"},
          {2, NoteReason::UnknownRightNumber, "7"}, {2, NoteReason::UnknownRightNumber, "123"}}},
        {"no right answer: not imported",
         "Pregunta,Tipo,Correcta,Incorrecta 1,Correctas\nA,varias,a,b,\nB,curta,,,\nC,vf,,Falso,\nD,,,b,\n",
         {},
         {{2, NoteReason::NoRightAnswer}, {3, NoteReason::NoRightAnswer}, {4, NoteReason::NoRightAnswer},
          {5, NoteReason::NoRightAnswer}}},
        {"true or false: the right word, the other one, nothing else",
         "Pregunta,Tipo,Correcta,Incorrecta 1,Incorrecta 2,Mensaxe 2,Mensaxe 3\n"
         "A,vf,Si,Non,,,\nB,vf,Falso,Verdadeiro,,m,\nC,vf,Falso,Falso,,,\nD,vf,Verdadeiro,,Talvez,,\n"
         "E,vf,Falso,,,,m3\n",
         {withMessages(kind(mc("B", {kFalseText, kTrueText}), K::TrueFalse), {"", "m", "", ""}),
          kind(mc("C", {kFalseText, kTrueText}), K::TrueFalse),
          kind(mc("D", {kTrueText, kFalseText}), K::TrueFalse),
          kind(mc("E", {kFalseText, kTrueText}), K::TrueFalse)},
         {{2, NoteReason::NotTrueOrFalse, "Si"}, {4, NoteReason::TrueFalseExtraLeftOut},
          {5, NoteReason::TrueFalseExtraLeftOut}, {6, NoteReason::TrueFalseExtraLeftOut}}},
        {"a message without its answer",
         "Pregunta,Correcta,Incorrecta 1,Mensaxe 2,Mensaxe 4\nA,a,,m2,m4\n",
         {mc("A", {"a"})},
         {{2, NoteReason::MessageWithoutAnswer, "2"}, {2, NoteReason::MessageWithoutAnswer, "4"}}},
        {"more than four answers keep four, the right ones first",
         "Pregunta,Tipo,Correcta,Incorrecta 1,Incorrecta 2,Incorrecta 3,Incorrecta 4,Incorrecta 12,"
         "Correctas,Mensaxe 5,Mensaxe 13\n"
         "A,,a,b,c,d,e,f,,,\nB,varias,a,b,c,d,e,,\"2,5\",me,\nC,curta,a,b,c,d,e,f,,,\n"
         "D,varias,a,b,c,d,,f,13,,mf\n",
         {mc("A", {"a", "b", "c", "d"}),
          withMessages(kind(mc("B", {"b", "e", "a", "c"}), K::Several, {true, true, false, false}),
                       {"", "me", "", ""}),
          kind(mc("C", {"a", "b", "c", "d"}), K::Short),
          withMessages(kind(mc("D", {"f", "a", "b", "c"}), K::Several, {true, false, false, false}),
                       {"mf", "", "", ""})},
         {{2, NoteReason::WrongAnswersCut, "2"}, {3, NoteReason::AnswersCut, "1"},
          {4, NoteReason::AnswersCut, "2"}, {5, NoteReason::AnswersCut, "1"}}},
        {"columns of no use and numbers out of reach",
         "Pregunta,Correcta,Incorrecta 0,Mensaxe 100,Mensaxe 01,Tipo,Tipo\nA,a,b,c,d,varias,curta\n",
         {},
         {{1, NoteReason::UnknownColumn, "Incorrecta 0"}, {1, NoteReason::UnknownColumn, "Mensaxe 100"},
          {1, NoteReason::UnknownColumn, "Mensaxe 01"}, {1, NoteReason::UnknownColumn, "Tipo"},
          {2, NoteReason::NoRightAnswer}}},
    };
    for (const auto& c : cases) {
        const ImportResult r = SpreadsheetReader::read(c.text, "/");
        EXPECT_EQ(questionsOf(r), c.questions) << c.what;
        expectNotes(r.notes, c.notes, c.what);
    }
}

} // namespace
