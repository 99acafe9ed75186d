#include "model/question_editor.h"
#include "model/question_order.h"

#include <gtest/gtest.h>

#include <set>

using namespace vireta;

namespace {

QuizModel quizWith(const std::vector<std::string>& statements) {
    QuizModel model;
    model.count = static_cast<int>(statements.size());
    for (int k = 1; k <= model.count; ++k) {
        Question& q = model.questions.record(k);
        q[FieldSlot::enunciado] = statements[static_cast<std::size_t>(k - 1)];
        q[FieldSlot::imaxe] = "img" + std::to_string(k) + ".png";
        q[FieldSlot::sonmal] = "mal" + std::to_string(k) + ".mp3";
    }
    return model;
}

std::vector<std::string> statementsOf(const QuizModel& model) {
    std::vector<std::string> out;
    for (int k = 1; k <= model.count; ++k)
        out.push_back(model.questions.record(k)[FieldSlot::enunciado]);
    return out;
}

} // namespace

TEST(OrderingEntries, LabelsHaveTwoDigitsUpToNineThenPlainNumbers) {
    EXPECT_EQ(orderingEntry(1, "Uno"), "01 -- Uno");
    EXPECT_EQ(orderingEntry(9, ""), "09 -- ");
    EXPECT_EQ(orderingEntry(10, "x"), "10 -- x");
    EXPECT_EQ(orderingEntry(150, "y"), "150 -- y");
    EXPECT_EQ(orderingEntryNumber("05 -- "), 5);
    EXPECT_EQ(orderingEntryNumber("150 -- 12 anos"), 150);
    EXPECT_EQ(orderingEntryNumber("-- x"), 0);
    EXPECT_EQ(orderingEntryNumber("99999999999999 -- x"), 0);
}

TEST(OrderingEntries, AStatementThatStartsWithDigitsKeepsItsOwnNumber) {
    QuizModel model = quizWith({"1914 foi o ano?", "2 + 2"});
    const auto entries = orderingEntries(model);
    EXPECT_EQ(entries[0], "01 -- 1914 foi o ano?");
    EXPECT_EQ(orderingEntryNumber(entries[0]), 1);
}

TEST(OrderingMove, DropTakesThePlaceOfTheEntryUnderThePoint) {
    struct Case {
        int from, onto;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {2, 0, {"c", "a", "b"}},  // the last onto the first
        {0, 2, {"b", "c", "a"}},  // the first onto the third
        {0, -1, {"b", "c", "a"}}, // below the last entry: to the end
        {1, 1, {"a", "b", "c"}},  // on itself
        {1, 7, {"a", "c", "b"}},  // past the end counts as below the last
        {5, 0, {"a", "b", "c"}},  // nothing selected there
    };
    for (const auto& c : cases) {
        std::vector<std::string> entries{"a", "b", "c"};
        moveOrderingEntry(entries, c.from, c.onto);
        EXPECT_EQ(entries, c.expected) << c.from << " onto " << c.onto;
    }
}

TEST(OrderingApply, MovesWholeRecordsAndRenumbers) {
    QuizModel model = quizWith({"Uno", "Dous", "Tres"});
    auto entries = orderingEntries(model);
    moveOrderingEntry(entries, 2, 0);
    applyOrdering(model, entries);
    EXPECT_EQ(statementsOf(model), (std::vector<std::string>{"Tres", "Uno", "Dous"}));
    EXPECT_EQ(model.questions.record(1)[FieldSlot::imaxe], "img3.png");
    EXPECT_EQ(model.questions.record(3)[FieldSlot::sonmal], "mal2.mp3");
    EXPECT_EQ(orderingEntries(model),
              (std::vector<std::string>{"01 -- Tres", "02 -- Uno", "03 -- Dous"}));
}

TEST(OrderingApply, UnchangedListLeavesTheTableAsItWas) {
    QuizModel model = quizWith({"a", "", "c"});
    const QuestionTable before = model.questions;
    applyOrdering(model, orderingEntries(model));
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(model.questions.record(k), before.record(k));
}

TEST(OrderingApply, ALongQuizLosesAndDuplicatesNothing) {
    std::vector<std::string> statements;
    for (int k = 1; k <= 150; ++k)
        statements.push_back("pregunta " + std::to_string(k));
    QuizModel model = quizWith(statements);
    auto entries = orderingEntries(model);
    EXPECT_EQ(entries[99], "100 -- pregunta 100");
    moveOrderingEntry(entries, 119, 0);
    applyOrdering(model, entries);
    EXPECT_EQ(model.questions.record(1)[FieldSlot::enunciado], "pregunta 120");
    EXPECT_EQ(model.questions.record(2)[FieldSlot::enunciado], "pregunta 1");
    EXPECT_EQ(model.questions.record(121)[FieldSlot::enunciado], "pregunta 121");
    std::set<std::string> distinct;
    for (int k = 1; k <= 150; ++k)
        distinct.insert(model.questions.record(k)[FieldSlot::imaxe]);
    EXPECT_EQ(distinct.size(), 150u);
}

TEST(OrderingApply, AListThatDoesNotMatchTheQuizChangesNothing) {
    QuizModel model = quizWith({"a", "b", "c"});
    const QuestionTable before = model.questions;
    const std::vector<std::vector<std::string>> bad = {
        {"01 -- a", "01 -- a", "03 -- c"}, // a duplicate
        {"01 -- a", "02 -- b"},            // one missing
        {"01 -- a", "02 -- b", "04 -- ?"}, // no such question
        {"01 -- a", "02 -- b", "x"},       // no number
    };
    for (const auto& entries : bad) {
        EXPECT_THROW(applyOrdering(model, entries), std::invalid_argument);
        for (int k = 1; k <= 3; ++k)
            EXPECT_EQ(model.questions.record(k), before.record(k));
    }
}
