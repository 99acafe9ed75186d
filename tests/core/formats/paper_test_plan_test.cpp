// The paper test's versions: question and answer orders from the shuffle generator,
// numbering, the answer key and the key file's name.
#include "formats/paper_test.h"
#include "formats/writer_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vireta;

namespace {

// Ten questions with four answers each, the statement of the fourth left empty, the
// seventh without its right answer, the ninth with a gap (no second answer).
QuestionTable tenQuestions() {
    QuestionTable t;
    for (int k = 1; k <= 10; ++k) {
        Question& q = t.record(k);
        q[FieldSlot::enunciado] = "Pregunta " + std::to_string(k);
        for (int a = 1; a <= 4; ++a)
            q[answerSlot(a)] = "R" + std::to_string(k) + "." + std::to_string(a);
    }
    t.record(4)[FieldSlot::enunciado].clear();
    t.record(7)[FieldSlot::resposta1].clear();
    t.record(9)[FieldSlot::resposta2].clear();
    return t;
}

std::vector<int> recordsOf(const PaperVersion& v) {
    std::vector<int> r;
    for (const auto& q : v.questions)
        r.push_back(q.record);
    return r;
}

PaperSettings settings(int versions, bool shuffleAnswers) {
    PaperSettings s;
    s.versions = versions;
    s.shuffleAnswers = shuffleAnswers;
    return s;
}

} // namespace

TEST(PaperTestPlan, InOrderWithoutShufflingKeepsTheQuizAsItIs) {
    const QuestionTable t = tenQuestions();
    auto g = ShuffleGenerator::withFixedSeed(5);
    const auto plan = planPaperTest(t, 10, true, settings(1, false), g);
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].letter, 'A');
    EXPECT_EQ(plan[0].name, ""); // a single version is not named
    EXPECT_EQ(recordsOf(plan[0]), (std::vector<int>{1, 2, 3, 5, 6, 7, 8, 9, 10}));
    for (std::size_t i = 0; i < plan[0].questions.size(); ++i)
        EXPECT_EQ(plan[0].questions[i].number, static_cast<int>(i) + 1); // no gap for 4
    const PaperQuestion& seventh = plan[0].questions[5];
    EXPECT_EQ(seventh.answers, (std::vector<int>{2, 3, 4}));
    EXPECT_TRUE(seventh.keys.empty());
    EXPECT_EQ(keyText(seventh, t.record(7)), "-");
    EXPECT_EQ(plan[0].questions[7].answers, (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(keyText(plan[0].questions[0], t.record(1)), "a");
}

TEST(PaperTestPlan, EachVersionDrawsItsOwnOrdersAndTheKeyFollowsTheRightAnswer) {
    const QuestionTable t = tenQuestions();
    auto g = ShuffleGenerator::withFixedSeed(42);
    const auto plan = planPaperTest(t, 10, false, settings(4, true), g);
    ASSERT_EQ(plan.size(), 4u);
    const char* names[] = {"Modelo A", "Modelo B", "Modelo C", "Modelo D"};
    for (std::size_t v = 0; v < 4; ++v) {
        SCOPED_TRACE(v);
        EXPECT_EQ(plan[v].name, names[v]);
        std::vector<int> records = recordsOf(plan[v]);
        std::sort(records.begin(), records.end());
        EXPECT_EQ(records, (std::vector<int>{1, 2, 3, 5, 6, 7, 8, 9, 10}));
        for (const PaperQuestion& q : plan[v].questions) {
            std::vector<int> sorted = q.answers;
            std::sort(sorted.begin(), sorted.end());
            EXPECT_EQ(sorted, filledAnswers(t.record(q.record)));
            if (q.record == 7) {
                EXPECT_TRUE(q.keys.empty());
            } else {
                ASSERT_EQ(q.keys.size(), 1u);
                EXPECT_EQ(q.answers[static_cast<std::size_t>(q.keys[0])], 1);
                EXPECT_EQ(keyText(q, t.record(q.record)), std::string(1, static_cast<char>('a' + q.keys[0])));
            }
        }
    }
    // The versions really differ from one another.
    for (std::size_t v = 1; v < 4; ++v)
        EXPECT_NE(recordsOf(plan[v]), recordsOf(plan[0])) << v;
    // Version A shows the questions in the order the form page draws with the same seed.
    auto same = ShuffleGenerator::withFixedSeed(42);
    std::vector<int> formOrder = questionOrder(10, false, same);
    formOrder.erase(std::remove(formOrder.begin(), formOrder.end(), 4), formOrder.end());
    EXPECT_EQ(recordsOf(plan[0]), formOrder);
}

TEST(PaperTestPlan, TheSameSeedGivesTheSameVersions) {
    const QuestionTable t = tenQuestions();
    auto a = ShuffleGenerator::withFixedSeed(7);
    auto b = ShuffleGenerator::withFixedSeed(7);
    auto c = ShuffleGenerator::withFixedSeed(8);
    const auto first = planPaperTest(t, 10, false, settings(3, true), a);
    const auto second = planPaperTest(t, 10, false, settings(3, true), b);
    const auto other = planPaperTest(t, 10, false, settings(3, true), c);
    bool differs = false;
    for (std::size_t v = 0; v < 3; ++v) {
        EXPECT_EQ(recordsOf(first[v]), recordsOf(second[v]));
        for (std::size_t i = 0; i < first[v].questions.size(); ++i)
            EXPECT_EQ(first[v].questions[i].answers, second[v].questions[i].answers);
        differs = differs || recordsOf(first[v]) != recordsOf(other[v]);
    }
    EXPECT_TRUE(differs);
}

TEST(PaperTestPlan, ConOrdeKeepsTheQuestionsAndOnlyTheAnswersMove) {
    const QuestionTable t = tenQuestions();
    auto g = ShuffleGenerator::withFixedSeed(3);
    const auto plan = planPaperTest(t, 10, true, settings(2, true), g);
    EXPECT_EQ(recordsOf(plan[0]), recordsOf(plan[1]));
    bool moved = false;
    for (std::size_t i = 0; i < plan[0].questions.size(); ++i)
        moved = moved || plan[0].questions[i].answers != plan[1].questions[i].answers;
    EXPECT_TRUE(moved);
}

// A several-answer question keeps its answers and its key names every right one; a
// true-or-false one stands "Verdadeiro", "Falso" in every version; a short-answer one
// prints no answers and its key lists the accepted ones.
TEST(PaperTestPlan, EachKindHasItsAnswersAndItsKey) {
    QuestionTable t;
    Question& several = t.record(1);
    several.kind = QuestionKind::Several;
    several[FieldSlot::enunciado] = "Varias";
    for (int a = 1; a <= 4; ++a)
        several[answerSlot(a)] = std::string(1, static_cast<char>('A' + a - 1));
    several.marked = {false, true, false, true};
    Question& trueFalse = t.record(2);
    trueFalse.kind = QuestionKind::TrueFalse;
    trueFalse[FieldSlot::enunciado] = "VF";
    trueFalse[FieldSlot::resposta1] = kFalseText;
    trueFalse[FieldSlot::resposta2] = kTrueText;
    Question& typed = t.record(3);
    typed.kind = QuestionKind::Short;
    typed[FieldSlot::enunciado] = "Curta";
    typed[FieldSlot::resposta2] = "Santiago de Compostela";
    typed[FieldSlot::resposta4] = "Santiago";
    Question& none = t.record(4);
    none.kind = QuestionKind::Short;
    none[FieldSlot::enunciado] = "Sen respostas aceptadas";
    Question& unmarked = t.record(5);
    unmarked = several;
    unmarked.marked = {};

    auto g = ShuffleGenerator::withFixedSeed(9);
    const PaperVersion fixed = planPaperTest(t, 5, true, settings(1, false), g)[0];
    ASSERT_EQ(fixed.questions.size(), 5u);
    EXPECT_EQ(fixed.questions[0].kind, QuestionKind::Several);
    EXPECT_EQ(fixed.questions[0].answers, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(fixed.questions[0].keys, (std::vector<int>{1, 3}));
    EXPECT_EQ(keyText(fixed.questions[0], several), "b, d");
    EXPECT_EQ(fixed.questions[1].answers, (std::vector<int>{2, 1}));
    EXPECT_EQ(keyText(fixed.questions[1], trueFalse), "b");
    EXPECT_TRUE(fixed.questions[2].answers.empty());
    EXPECT_EQ(keyText(fixed.questions[2], typed), "Santiago de Compostela / Santiago");
    EXPECT_EQ(keyText(fixed.questions[3], none), "-");
    EXPECT_EQ(keyText(fixed.questions[4], unmarked), "-");

    // Shuffled, the several-answer question's key follows its answers 2 and 4.
    bool moved = false;
    for (const PaperVersion& v : planPaperTest(t, 5, false, settings(4, true), g)) {
        for (const PaperQuestion& q : v.questions) {
            if (q.record == 1) {
                std::vector<int> right;
                for (std::size_t i = 0; i < q.answers.size(); ++i)
                    if (q.answers[i] == 2 || q.answers[i] == 4)
                        right.push_back(static_cast<int>(i));
                EXPECT_EQ(q.keys, right);
                moved = moved || q.answers != std::vector<int>{1, 2, 3, 4};
            }
            if (q.record == 2) {
                EXPECT_EQ(q.answers, (std::vector<int>{2, 1}));
            }
            if (q.record == 3) {
                EXPECT_TRUE(q.answers.empty());
            }
        }
    }
    EXPECT_TRUE(moved);
}

TEST(PaperTestPlan, VersionsAndCountAreClamped) {
    const QuestionTable t = tenQuestions();
    auto g = ShuffleGenerator::withFixedSeed(1);
    EXPECT_EQ(planPaperTest(t, 10, true, settings(0, false), g).size(), 1u);
    EXPECT_EQ(planPaperTest(t, 10, true, settings(9, false), g).size(), 4u);
    EXPECT_EQ(planPaperTest(t, 500, true, settings(1, false), g)[0].questions.size(), 9u);
    EXPECT_TRUE(planPaperTest(t, -3, true, settings(1, false), g)[0].questions.empty());
}

// Blocks fill each page in order: one opens a new page only when it does not fit below
// the one before, even with the space between them shrunk as far as it may; the space
// after a page's last block needs no room there.
TEST(PaperTestPlan, BlocksFillEachPageInOrderAndOpenAPageOnlyWhenTheyDoNotFit) {
    using P = PaperPlacement;
    const struct {
        const char* what;
        std::vector<PaperBlock> blocks;
        std::vector<PaperPlacement> placed; // on pages 100 high
    } cases[] = {
        {"nothing", {}, {}},
        {"all on one page", {{30, 5}, {30, 5}, {20, 5}}, {P{0, 0}, P{0, 35}, P{0, 70}}},
        {"to the last unit", {{40, 10}, {50, 0}}, {P{0, 0}, P{0, 50}}},
        {"the space after the last needs no room", {{40, 10}, {50, 10}}, {P{0, 0}, P{0, 50}}},
        {"a block that does not fit opens a page", {{40, 10}, {51, 0}}, {P{0, 0}, P{1, 0}}},
        {"a short block after one that moved stays behind it",
         {{60, 5}, {50, 5}, {10, 5}}, {P{0, 0}, P{1, 0}, P{1, 55}}},
        {"a block taller than a page stands alone",
         {{50, 5}, {180, 5}, {10, 5}}, {P{0, 0}, P{1, 0}, P{2, 0}}},
        {"each page filled", {{45, 5}, {45, 5}, {45, 5}, {45, 5}, {45, 5}},
         {P{0, 0}, P{0, 50}, P{1, 0}, P{1, 50}, P{2, 0}}},
        {"a shrunk space keeps a block at the foot", {{40, 10, 6}, {55, 10, 6}}, {P{0, 0}, P{0, 45}}},
        {"as far as it may shrink", {{40, 10, 6}, {56, 10, 6}}, {P{0, 0}, P{0, 44}}},
        {"and no further", {{40, 10, 6}, {57, 10, 6}}, {P{0, 0}, P{1, 0}}},
        {"never past nothing", {{40, 10, 30}, {61, 10, 30}}, {P{0, 0}, P{1, 0}}},
        {"the next page starts at its top again",
         {{40, 10, 6}, {56, 10, 6}, {30, 10, 6}, {30, 10, 6}}, {P{0, 0}, P{0, 44}, P{1, 0}, P{1, 40}}},
    };
    for (const auto& c : cases) {
        const std::vector<PaperPlacement> placed = placePaperBlocks(c.blocks, 100);
        ASSERT_EQ(placed.size(), c.placed.size()) << c.what;
        for (std::size_t i = 0; i < placed.size(); ++i) {
            EXPECT_EQ(placed[i].page, c.placed[i].page) << c.what << ", block " << i;
            EXPECT_DOUBLE_EQ(placed[i].top, c.placed[i].top) << c.what << ", block " << i;
        }
    }
}

TEST(PaperTestPlan, KeyFileNamesAndPageTexts) {
    const struct {
        const char* document;
        const char* key;
    } cases[] = {
        {"proba.pdf", "proba-solucions.pdf"},
        {"/tmp/Proba.PDF", "/tmp/Proba-solucions.pdf"},
        {"/tmp/a.b", "/tmp/a.b-solucions.pdf"},
        {"/tmp/x.pdf/.pdf", "/tmp/x.pdf/.pdf-solucions.pdf"}, // a bare ".pdf" is a name
        {"C:\\probas\\exame.pdf", "C:\\probas\\exame-solucions.pdf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keyPathFor(c.document), c.key) << c.document;
    EXPECT_EQ(answerLabel(0), "a)");
    EXPECT_EQ(answerLabel(3), "d)");
    EXPECT_EQ(pageNumberText(2, 5), "P\xC3\xA1xina 2 de 5");
}
