// Every kind of question through the question banks: the Moodle XML and GIFT writers'
// files byte for byte and what they report, the round trips quiz file -> bank -> quiz
// file, and what only one of the two readers meets.
#include "foreign_test_support.h"

#include "formats/bank_answers.h"
#include "formats/gift.h"
#include "formats/moodle_xml.h"
#include "formats/question_import.h"
#include "formats/quiz_file.h"
#include "test_files.h"

#include <functional>

using namespace vireta;
using namespace foreign;
using testfiles::readFile;
using Kind = QuestionKind;

namespace {

std::string data(const std::string& name) { return std::string(VIRETA_TEST_DATA) + "/foreign/" + name; }

// kinds_bank.xml: two of every kind, with messages of the question's and of the answers'.
struct Bank {
    OpenedQuiz opened;
    QuestionTable table;
};

Bank openBank() {
    Bank b{openQuizFile(data("kinds_bank.xml")), {}};
    for (int k = 1; k <= b.opened.count(); ++k)
        b.table.record(k) = b.opened.questions[static_cast<std::size_t>(k - 1)];
    return b;
}

const struct BankFormat {
    const char* expected;
    std::function<void(const Bank&, OutputBuffer&, ExportNotes&)> write;
    std::function<ImportResult(const std::string&)> read;
    std::vector<Note> notes;
} kFormats[] = {
    {"kinds_moodle.xml",
     [](const Bank& b, OutputBuffer& out, ExportNotes& n) {
         MoodleXmlWriter::write(b.opened.general, b.table, b.opened.count(), out, n);
     },
     [](const std::string& text) { return MoodleXmlReader::read(text, nullptr); },
     // A true-or-false question holds the answers' feedback only.
     {{8, NoteReason::NotCarried, "Moodle XML"}}},
    {"kinds_gift.gift",
     [](const Bank& b, OutputBuffer& out, ExportNotes& n) {
         GiftWriter::write(b.opened.general, b.table, b.opened.count(), out, n);
     },
     [](const std::string& text) { return GiftReader::read(text); },
     {{7, NoteReason::NotCarried, "GIFT"}, {8, NoteReason::NotCarried, "GIFT"}}},
};

TEST(BankWriters, WriteEveryKindByteForByteAndReportTheMessagesTheyCannotCarry) {
    const Bank bank = openBank();
    ASSERT_EQ(bank.opened.count(), 8);
    for (const BankFormat& f : kFormats) {
        OutputBuffer out;
        ExportNotes notes;
        f.write(bank, out, notes);
        EXPECT_EQ(out.text(), readFile(data(f.expected))) << f.expected;
        expectNotes(notes, f.notes, f.expected);
    }
    OutputBuffer out;
    ExportNotes notes;
    GiftWriter::write(bank.opened.general, bank.table, bank.opened.count(), out, notes);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].fields, kRightFeedbackField); // every right answer has its own
    EXPECT_EQ(notes[1].galician(), "pregunta 8: GIFT non leva: mensaxe de erro");
}

// Through a bank and back into a quiz file: every kind stays, and every message the
// bank holds. Where the bank has no place for the question's own messages (GIFT; a
// Moodle true-or-false question, a short answer), an answer's own message stood in the
// place of the question's for that answer, and reads back as the question's message
// when the answers of its side share it.
TEST(BankRoundTrips, QuizFileThroughEachBankAndBackKeepsEveryKindAndMessage) {
    const Bank bank = openBank();
    std::vector<Question> kept = bank.opened.questions;
    auto moved = [](Question q, const std::string& ben, const std::string& mal, std::vector<std::string> own) {
        q[FieldSlot::ben] = ben;
        q[FieldSlot::mal] = mal;
        q.answerMessages = {};
        return withMessages(q, own);
    };
    const std::string trueFalseMessage = "Ben: nace en \"Meira\" & Lugo <norte>.";
    std::vector<Question> common = kept; // what neither bank can hold apart
    common[1] = moved(kept[1], trueFalseMessage, "", {});
    common[5] = moved(kept[5], "", "Non: é * ou x.", {"Si.", "Tamén: x."});
    common[7] = moved(kept[7], "Si.", "Mira o mapa.", {});
    std::vector<Question> moodle = common;
    std::vector<Question> gift = common;
    gift[3] = moved(kept[3], "", "O Sil é afluente do Miño.", {});
    gift[6] = moved(kept[6], "Exacto.", "", {"", "Case.", "Non."});
    const std::vector<Question>* expected[] = {&moodle, &gift};

    for (std::size_t i = 0; i < 2; ++i) {
        const BankFormat& f = kFormats[i];
        OutputBuffer out;
        ExportNotes notes;
        f.write(bank, out, notes);
        const ImportResult back = f.read(out.text());
        EXPECT_TRUE(back.notes.empty()) << f.expected;
        // ... and into a quiz file, opened again.
        QuizModel model;
        applyImport(back, model);
        OutputBuffer file;
        writeQuizFile(bank.opened.general, model.questions, model.count, file);
        testfiles::ScratchDir dir;
        testfiles::writeFile(dir / "volta.xml", file.text());
        EXPECT_EQ(openQuizFile(dir / "volta.xml").questions, *expected[i]) << f.expected;
    }
}

// True or false in both banks: the right word first, whatever the order in the file;
// the feedback of the wrong choice is the wrong message.
TEST(BankReaders, TakeTrueOrFalseWithTheRightWordFirst) {
    auto moodleTrueFalse = [](const char* trueFraction, const char* falseFraction, const char* first = "true",
                              const char* second = "false") {
        return std::string("<quiz><question type=\"truefalse\"><name><text>n</text></name><questiontext><text>Q?"
                           "</text></questiontext><answer fraction=\"") +
               trueFraction + "\"><text>" + first + "</text><feedback><text>" + first +
               " fb</text></feedback></answer><answer fraction=\"" + falseFraction + "\"><text>" + second +
               "</text><feedback><text>" + second + " fb</text></feedback></answer></question></quiz>";
    };
    auto trueFalse = [](const char* right, const char* ben, const char* mal) {
        Question q = ofKind(mc("Q?", {right, std::string(right) == kTrueText ? kFalseText : kTrueText}), Kind::TrueFalse);
        q[FieldSlot::ben] = ben;
        q[FieldSlot::mal] = mal;
        return q;
    };
    const struct {
        const char* label;
        ImportResult read;
        std::vector<Question> questions;
        std::vector<Note> notes;
    } cases[] = {
        {"GIFT true", GiftReader::read("Q? {TRUE#mal#ben}"), {trueFalse(kTrueText, "ben", "mal")}, {}},
        {"GIFT false, only the right choice's feedback", GiftReader::read("Q? {F##ben}"),
         {trueFalse(kFalseText, "ben", "")}, {}},
        {"Moodle XML true", MoodleXmlReader::read(moodleTrueFalse("100", "0"), nullptr),
         {trueFalse(kTrueText, "true fb", "false fb")}, {}},
        {"Moodle XML false, listed first", MoodleXmlReader::read(moodleTrueFalse("100", "0", "FALSE", "True"), nullptr),
         {trueFalse(kFalseText, "FALSE fb", "True fb")}, {}},
        {"Moodle XML with two right answers", MoodleXmlReader::read(moodleTrueFalse("100", "100"), nullptr), {},
         {{0, NoteReason::SeveralRightAnswers}}},
        {"Moodle XML answers that are no true or false: one answer",
         MoodleXmlReader::read(moodleTrueFalse("0", "100", "si", "non"), nullptr),
         {[] {
             Question q = mc("Q?", {"non", "si"});
             q[FieldSlot::ben] = "non fb";
             q[FieldSlot::mal] = "si fb";
             return q;
         }()},
         {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(questionsOf(c.read), c.questions) << c.label;
        expectNotes(c.read.notes, c.notes, c.label);
    }
}

// What only Moodle XML says: the question's own messages beside the answers' (here
// for several answers), a fraction that is no number, answers told apart by case.
TEST(MoodleXmlReader, KeepsTheQuestionsMessagesBesideTheAnswersAndSaysWhatChanged) {
    const ImportResult r = MoodleXmlReader::read(
        "<quiz><question type=\"multichoice\"><name><text>Varias</text></name><questiontext><text>Q?</text>"
        "</questiontext><single>0</single><correctfeedback><text>Todas.</text></correctfeedback>"
        "<incorrectfeedback><text>Non.</text></incorrectfeedback>"
        "<answer fraction=\"50\"><text>a</text><feedback><text>Si.</text></feedback></answer>"
        "<answer fraction=\"cen\"><text>b</text></answer><answer fraction=\"50\"><text>c</text></answer>"
        "</question><question type=\"shortanswer\"><name><text>Curta</text></name><questiontext><text>R?"
        "</text></questiontext><usecase>1</usecase><answer fraction=\"100\"><text> Lugo </text></answer>"
        "</question></quiz>",
        nullptr);
    Question several = withMessages(ofKind(mc("Q?", {"a", "b", "c"}), Kind::Several, {1, 3}), {"Si."});
    several[FieldSlot::ben] = "Todas.";
    several[FieldSlot::mal] = "Non.";
    EXPECT_EQ(questionsOf(r), (std::vector<Question>{several, ofKind(mc("R?", {"Lugo"}), Kind::Short)}));
    ASSERT_EQ(r.notes.size(), 2u);
    EXPECT_EQ(r.notes[0].english(), "question 'Varias': the weight of answer 'b' cannot be read: taken as wrong");
    EXPECT_EQ(r.notes[0].galician(),
              "pregunta «Varias»: non se pode ler o peso da resposta «b»: tómase como incorrecta");
    EXPECT_EQ(r.notes[1].english(), "question 'Curta': answers told apart by case: here they are accepted in any case");
    EXPECT_EQ(r.notes[1].galician(), "pregunta «Curta»: respostas que distinguen maiúsculas e minúsculas: aquí "
                                     "acéptanse sen distinguilas");
}

// GIFT has no escape for "->": a question is matching when every answer is a pair, and
// a short answer may hold an arrow elsewhere.
TEST(GiftReader, TakesAnArrowInAShortAnswer) {
    const ImportResult r = GiftReader::read("Frecha? {=Lugo -> Ourense#si =Vigo}\n\nPares? {=a -> 1 =b -> 2}\n");
    EXPECT_EQ(questionsOf(r), std::vector<Question>{withMessages(ofKind(mc("Frecha?", {"Lugo -> Ourense", "Vigo"}),
                                                                        Kind::Short),
                                                                 {"si"})});
    expectNotes(r.notes, {{3, NoteReason::Matching}}, "arrows");
}

// Characters XML cannot carry are no part of a text, even where a parser lets them through.
TEST(MoodleXmlReader, LeavesOutControlCharacters) {
    const ImportResult r = MoodleXmlReader::read(
        "<quiz><question type=\"shortanswer\"><questiontext format=\"plain_text\"><text>\x1d\x1d</text>"
        "</questiontext><answer fraction=\"100\"><text>a</text></answer></question><question "
        "type=\"shortanswer\"><questiontext><text>Q&amp;#1;?</text></questiontext><answer "
        "fraction=\"100\"><text>a\x01" "b</text></answer></question></quiz>",
        nullptr);
    EXPECT_EQ(questionsOf(r), std::vector<Question>{ofKind(mc("Q?", {"ab"}), Kind::Short)});
    expectNotes(r.notes, {{0, NoteReason::NoStatement}}, "controls");
}

// The weights of a several-answer question's right answers add up to 100 within the
// platform's rounding; a wrong one takes the whole mark away.
TEST(BankWriters, GiveTheRightAnswersOfSeveralWeightsAddingUpTo100) {
    const struct {
        int rights;
        const char* weight;
    } cases[] = {{1, "100"}, {2, "50"}, {3, "33.33333"}, {4, "25"}};
    for (const auto& c : cases) {
        EXPECT_EQ(severalRightWeight(c.rights), c.weight);
        EXPECT_NEAR(c.rights * *bankWeight(c.weight), 100.0, 0.0001);
    }
    EXPECT_EQ(*bankWeight(kSeveralWrongWeight), -100.0);

    // One right answer of four is still several answers, in both banks.
    QuestionTable table;
    table.record(1) = ofKind(mc("Q?", {"a", "b", "c"}), Kind::Several, {2});
    for (const BankFormat& f : kFormats) {
        OutputBuffer out;
        ExportNotes notes;
        Bank b{{}, table};
        b.opened.questions.resize(1);
        f.write(b, out, notes);
        EXPECT_EQ(questionsOf(f.read(out.text())), std::vector<Question>{table.record(1)}) << f.expected;
    }
}

// An answer that starts with '%' is no weight: GIFT writes the weight before it.
TEST(BankWriters, KeepAnAnswerThatLooksLikeAWeight) {
    QuestionTable table;
    table.record(1) = mc("Canto?", {"%50% de auga", "%0%"});
    table.record(2) = ofKind(mc("Signo?", {"%", "por cento"}), Kind::Short);
    table.record(3) = ofKind(mc("Cales?", {"%1%", "%2%"}), Kind::Several, {1});
    // Texts that begin like GIFT's format markers stay texts.
    table.record(4) = mc("[markdown] ou [html]?", {"[html]<b>", "[plain]"});
    for (const BankFormat& f : kFormats) {
        OutputBuffer out;
        ExportNotes notes;
        Bank b{{}, table};
        b.opened.questions.resize(4);
        f.write(b, out, notes);
        EXPECT_EQ(questionsOf(f.read(out.text())),
                  (std::vector<Question>{table.record(1), table.record(2), table.record(3), table.record(4)}))
            << f.expected;
    }
}

// A several-answer question with no answer marked, or a short answer with no accepted
// answer, has no right answer: left out as such.
TEST(BankWriters, LeaveOutAQuestionWithoutARightAnswerOfAnyKind) {
    QuestionTable table;
    table.record(1) = ofKind(mc("Ningunha marcada?", {"a", "b"}), Kind::Several);
    table.record(2) = ofKind(mc("Baleira?", {}), Kind::Short);
    table.record(3) = ofKind(q({{FieldSlot::enunciado, "Só a segunda?"}, {FieldSlot::resposta2, "b"}}), Kind::Several, {2});
    for (const BankFormat& f : kFormats) {
        OutputBuffer out;
        ExportNotes notes;
        Bank b{{}, table};
        b.opened.questions.resize(3);
        f.write(b, out, notes);
        expectNotes(notes, {{1, NoteReason::RightAnswerMissing}, {2, NoteReason::RightAnswerMissing}}, f.expected);
        EXPECT_EQ(f.read(out.text()).questions.size(), 1u) << f.expected;
    }
}

} // namespace
