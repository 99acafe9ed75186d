// The one rule for a question bank's answers, checked through both readers that use
// it: each case is written as GIFT (with the weights spelt out, and once more with '='
// and '~' standing for 100 % and 0 % where they can) and as Moodle XML, and every
// reading must give the same question and the same notes. In GIFT a single-choice
// question is one with an '=' answer, so there the answers of a positive weight are
// marked '='.
#include "foreign_test_support.h"

#include "formats/bank_answers.h"
#include "formats/gift.h"
#include "formats/moodle_xml.h"

using namespace vireta;
using namespace foreign;

namespace {

struct Answer {
    std::string weight; // as the file writes it, in percent
    std::string text;
    std::string feedback = {};
};

struct Case {
    const char* label;
    std::vector<Answer> answers;
    // The question taken (right answer first, then the wrong ones) and its messages,
    // or nothing when it is left out.
    std::vector<std::string> taken;
    std::string ben, mal;
    std::vector<std::pair<NoteReason, std::string>> notes;
    std::vector<std::string> messages = {}; // the taken answers' own, in their order
};

std::string gift(const std::vector<Answer>& answers, bool marks) {
    std::string out = "Q? {";
    for (const Answer& a : answers) {
        const std::optional<double> weight = bankWeight(a.weight);
        if (marks && (a.weight == "100" || a.weight == "0"))
            out += a.weight == "100" ? " =" : " ~";
        else
            out += std::string(weight && *weight > 0 ? " =" : " ~") + "%" + a.weight + "%";
        out += a.text + (a.feedback.empty() ? "" : "#" + a.feedback);
    }
    return out + " }\n";
}

std::string moodle(const std::vector<Answer>& answers) {
    std::string out = "<quiz><question type=\"multichoice\"><name><text>n</text></name>"
                      "<questiontext format=\"plain_text\"><text>Q?</text></questiontext><single>true</single>";
    for (const Answer& a : answers) {
        out += "<answer fraction=\"" + a.weight + "\" format=\"plain_text\"><text>" + a.text + "</text>";
        if (!a.feedback.empty())
            out += "<feedback format=\"plain_text\"><text>" + a.feedback + "</text></feedback>";
        out += "</answer>";
    }
    return out + "</question></quiz>";
}

void expectReading(const Case& c, const ImportResult& r, const std::string& label) {
    std::vector<std::pair<NoteReason, std::string>> notes;
    for (const FormatNote& n : r.notes)
        notes.emplace_back(n.reason, n.detail);
    EXPECT_EQ(notes, c.notes) << label;
    if (c.taken.empty()) {
        EXPECT_TRUE(r.questions.empty()) << label;
        return;
    }
    Question expected = withMessages(mc("Q?", c.taken), c.messages);
    expected[FieldSlot::ben] = c.ben;
    expected[FieldSlot::mal] = c.mal;
    EXPECT_EQ(questionsOf(r), std::vector<Question>{expected}) << label;
}

} // namespace

TEST(BankAnswers, TheSameRuleThroughGiftAndMoodleXml) {
    const auto weighted = std::make_pair(NoteReason::Weighted, std::string());
    const std::vector<Case> cases = {
        {"one answer of 100 % and wrong ones of 0 %",
         {{"0", "b"}, {"100", "a"}, {"0", "c"}}, {"a", "b", "c"}, "", "", {}},
        {"partial credit is taken as wrong, and said",
         {{"100", "a"}, {"50", "b"}, {"0", "c"}}, {"a", "b", "c"}, "", "", {weighted}},
        {"a penalty is taken as wrong, and said",
         {{"-33.33333", "b"}, {"100", "a"}}, {"a", "b"}, "", "", {weighted}},
        {"no penalty in a negative zero",
         {{"100", "a"}, {"-0", "b"}}, {"a", "b"}, "", "", {}},
        {"a rounded 100 % is right, and more than 100 % too",
         {{"99.995", "a"}, {"0", "b"}}, {"a", "b"}, "", "", {}},
        {"above 100 %",
         {{"0", "b"}, {"150", "a"}}, {"a", "b"}, "", "", {}},
        {"just below 100 % is partial credit: no right answer",
         {{"99.98", "a"}, {"0", "b"}}, {}, "", "", {{NoteReason::NoRightAnswer, ""}}},
        {"partial credit only: no right answer",
         {{"50", "a"}, {"50", "b"}}, {}, "", "", {{NoteReason::NoRightAnswer, ""}}},
        {"several answers of 100 %",
         {{"100", "a"}, {"0", "c"}, {"100", "b"}}, {}, "", "", {{NoteReason::SeveralRightAnswers, ""}}},
        {"a right answer without text",
         {{"100", ""}, {"0", "b"}}, {}, "", "", {{NoteReason::NoRightAnswer, ""}}},
        {"wrong answers without text skipped, those beyond the third cut; the messages",
         {{"0", "b"},
          {"0", ""},
          {"100", "a", "ben"},
          {"0", "c", "c mal"},
          {"0", "d", "d mal"},
          {"0", "e"},
          {"-50", "f"}},
         {"a", "b", "c", "d"},
         "ben",
         "",
         {weighted, {NoteReason::WrongAnswersCut, "2"}},
         {"", "", "c mal", "d mal"}},
        {"different feedback on the wrong answers: each keeps its own",
         {{"100", "a", "ben"}, {"0", "b", "fb one"}, {"0", "c", "fb two"}, {"0", "d", "fb one"}},
         {"a", "b", "c", "d"},
         "ben",
         "",
         {},
         {"", "fb one", "fb two", "fb one"}},
        {"the feedback every wrong answer shares is the question's wrong message",
         {{"0", "b", "mal"}, {"100", "a"}, {"0", "c", "mal"}, {"0", "d", "mal"}},
         {"a", "b", "c", "d"},
         "",
         "mal",
         {}},
        {"a wrong answer without the others' feedback: each keeps its own",
         {{"0", "b", "mal"}, {"100", "a"}, {"0", "c"}, {"0", "d", "mal"}},
         {"a", "b", "c", "d"},
         "",
         "",
         {},
         {"", "mal", "", "mal"}},
    };
    for (const Case& c : cases) {
        expectReading(c, GiftReader::read(gift(c.answers, false)), std::string(c.label) + " (GIFT, weights)");
        expectReading(c, GiftReader::read(gift(c.answers, true)), std::string(c.label) + " (GIFT, marks)");
        expectReading(c, MoodleXmlReader::read(moodle(c.answers), nullptr), std::string(c.label) + " (Moodle XML)");
    }
}

// The weight is read the same in both formats, and in any locale: a decimal number,
// blanks around it. A Moodle fraction that is none is taken as a wrong answer and
// said; in GIFT a "%...%" that is no weight is part of the answer's text.
TEST(BankAnswers, AWeightIsADecimalNumber) {
    const struct {
        const char* text;
        std::optional<double> weight;
    } cases[] = {
        {"100", 100.0}, {" 50 ", 50.0},  {"+5", 5.0},          {"-33.33333", -33.33333},
        {"1e2", 100.0}, {"", std::nullopt}, {"50%", std::nullopt}, {"1,5", std::nullopt},
        {"inf", std::nullopt}, {"nan", std::nullopt}, {"0x64", std::nullopt}, {"abc", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bankWeight(c.text), c.weight) << '"' << c.text << '"';

    const ImportResult moodleRead = MoodleXmlReader::read(moodle({{"100", "a"}, {"cen", "b"}}), nullptr);
    ASSERT_EQ(moodleRead.notes.size(), 1u);
    EXPECT_EQ(moodleRead.notes[0].reason, NoteReason::Weighted);
    EXPECT_EQ(questionsOf(moodleRead), std::vector<Question>{mc("Q?", {"a", "b"})});
    const ImportResult unreadRight = MoodleXmlReader::read(moodle({{"100 %", "a"}, {"0", "b"}}), nullptr);
    ASSERT_EQ(unreadRight.notes.size(), 1u);
    EXPECT_EQ(unreadRight.notes[0].reason, NoteReason::NoRightAnswer);

    EXPECT_EQ(questionsOf(GiftReader::read("Q? {=a ~%cen%b}\n")), std::vector<Question>{mc("Q?", {"a", "%cen%b"})});
}

namespace {

// A multiple-response or short-answer question, as GIFT (every answer '~' for the first,
// '=' for the second, the weights spelt out; a short answer once more with a bare '='
// for 100 %) and as Moodle XML.
struct KindCase {
    const char* label;
    QuestionKind kind;
    std::vector<Answer> answers;
    std::vector<std::string> taken; // in the order they take; empty when left out
    std::vector<int> marked;        // the right ones of a several-answer question
    std::string ben, mal;
    std::vector<std::string> messages;
    std::vector<std::pair<NoteReason, std::string>> notes;
};

std::string gift(const KindCase& c, bool marks) {
    std::string out = "Q? {";
    for (const Answer& a : c.answers) {
        out += c.kind == QuestionKind::Several ? " ~" : " =";
        if (!marks || a.weight != "100")
            out += "%" + a.weight + "%";
        out += a.text + (a.feedback.empty() ? "" : "#" + a.feedback);
    }
    return out + " }\n";
}

std::string moodle(const KindCase& c) {
    std::string out = c.kind == QuestionKind::Several
                          ? "<quiz><question type=\"multichoice\"><single>false</single>"
                          : "<quiz><question type=\"shortanswer\">";
    out += "<name><text>n</text></name><questiontext format=\"plain_text\"><text>Q?</text></questiontext>";
    for (const Answer& a : c.answers) {
        out += "<answer fraction=\"" + a.weight + "\" format=\"moodle_auto_format\"><text>" + a.text + "</text>";
        if (!a.feedback.empty())
            out += "<feedback format=\"plain_text\"><text>" + a.feedback + "</text></feedback>";
        out += "</answer>";
    }
    return out + "</question></quiz>";
}

void expectReading(const KindCase& c, const ImportResult& r, const std::string& label) {
    std::vector<std::pair<NoteReason, std::string>> notes;
    for (const FormatNote& n : r.notes)
        notes.emplace_back(n.reason, n.detail);
    EXPECT_EQ(notes, c.notes) << label;
    if (c.taken.empty()) {
        EXPECT_TRUE(r.questions.empty()) << label;
        return;
    }
    Question expected = withMessages(ofKind(mc("Q?", c.taken), c.kind, c.marked), c.messages);
    expected[FieldSlot::ben] = c.ben;
    expected[FieldSlot::mal] = c.mal;
    EXPECT_EQ(questionsOf(r), std::vector<Question>{expected}) << label;
}

} // namespace

TEST(BankAnswers, SeveralAnswersAndShortAnswersThroughGiftAndMoodleXml) {
    const QuestionKind several = QuestionKind::Several, typed = QuestionKind::Short;
    const auto cut = [](const char* n) { return std::make_pair(NoteReason::AnswersCut, std::string(n)); };
    const std::vector<KindCase> cases = {
        {"positive weights are right, in the file's order", several,
         {{"-100", "a"}, {"50", "b"}, {"50", "c"}, {"0", "d"}}, {"a", "b", "c", "d"}, {2, 3}, "", "", {}, {}},
        {"unequal weights are right all the same", several,
         {{"70", "a"}, {"30", "b"}, {"-50", "c"}}, {"a", "b", "c"}, {1, 2}, "", "", {}, {}},
        {"the feedback each side shares is the question's message", several,
         {{"50", "a", "ben"}, {"-100", "c", "mal"}, {"50", "b", "ben"}}, {"a", "c", "b"}, {1, 3}, "ben", "mal", {}, {}},
        {"different feedback on the right ones: each keeps its own", several,
         {{"50", "a", "si"}, {"-100", "c", "mal"}, {"50", "b"}}, {"a", "c", "b"}, {1, 3}, "", "mal", {"si", "", ""}, {}},
        {"four kept, the right ones first", several,
         {{"-50", "w1"}, {"40", "r1"}, {"-50", "w2", "fb"}, {"30", "r2"}, {"-50", "w3"}, {"30", "r3"}},
         {"w1", "r1", "r2", "r3"}, {2, 3, 4}, "", "", {}, {cut("2")}},
        {"more right answers than four: four of them", several,
         {{"0", "w1"}, {"20", "r1"}, {"20", "r2"}, {"20", "r3"}, {"20", "r4"}, {"20", "r5"}},
         {"r1", "r2", "r3", "r4"}, {1, 2, 3, 4}, "", "", {}, {cut("2")}},
        {"an answer without text is skipped", several,
         {{"50", ""}, {"100", "b"}, {"0", "c"}}, {"b", "c"}, {1}, "", "", {}, {}},
        {"no positive weight: no right answer", several,
         {{"0", "a"}, {"-50", "b"}}, {}, {}, "", "", {}, {{NoteReason::NoRightAnswer, ""}}},
        {"accepted answers sharing their feedback", typed,
         {{"100", "Santiago", "ben"}, {"100", "Compostela", "ben"}}, {"Santiago", "Compostela"}, {}, "ben", "", {}, {}},
        {"accepted answers with feedback of their own", typed,
         {{"100", "a", "x"}, {"100", "b"}}, {"a", "b"}, {}, "", "", {"x", ""}, {}},
        {"a star below 100 % holds the wrong message; the first one only", typed,
         {{"100", "a"}, {"50", "b"}, {"0", "*", "mal"}, {"0", "c"}, {"0", "*", "outra"}}, {"a"}, {}, "", "mal", {},
         {{NoteReason::NotAcceptedLeftOut, "2"}}},
        {"an escaped star is a star", typed, {{"100", "2 \\* 3"}, {"100", "\\*"}}, {"2 * 3", "*"}, {}, "", "", {}, {}},
        {"four accepted answers at most", typed,
         {{"100", "a"}, {"100", "b"}, {"100", "c"}, {"100", "d"}, {"100", "e"}}, {"a", "b", "c", "d"}, {}, "", "", {},
         {cut("1")}},
        {"nothing accepted", typed, {{"50", "a"}, {"0", "*", "mal"}}, {}, {}, "", "", {}, {{NoteReason::NoRightAnswer, ""}}},
    };
    for (const KindCase& c : cases) {
        expectReading(c, GiftReader::read(gift(c, false)), std::string(c.label) + " (GIFT, weights)");
        if (c.kind == typed)
            expectReading(c, GiftReader::read(gift(c, true)), std::string(c.label) + " (GIFT, marks)");
        expectReading(c, MoodleXmlReader::read(moodle(c), nullptr), std::string(c.label) + " (Moodle XML)");
    }
}
