#include "model/question_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vireta;

namespace {

Question withStatement(const std::string& text) {
    Question q;
    q[FieldSlot::enunciado] = text;
    return q;
}

// A model holding questions with the given statements, question 1 current.
struct Fixture {
    QuizModel model;
    QuestionEditor editor{model};

    explicit Fixture(const std::vector<std::string>& statements) {
        editor.reset();
        for (std::size_t i = 0; i < statements.size(); ++i) {
            if (i > 0)
                editor.insertAfterCurrent(Question{});
            editor.commit(withStatement(statements[i]));
        }
        editor.first();
    }

    std::vector<std::string> statements() const {
        std::vector<std::string> out;
        for (int k = 1; k <= model.count; ++k)
            out.push_back(model.questions.record(k)[FieldSlot::enunciado]);
        return out;
    }
};

} // namespace

TEST(QuestionEditor, ResetLeavesOneBlankQuestionAndKeepsTheOpenedFolder) {
    QuizModel model;
    QuestionEditor editor(model);
    model.openedFolder = "/home/ana/";
    model.count = 7;
    model.current = 5;
    model.fresh = false;
    model.copiedFiles = {"a.mp3"};
    model.staging.record(150)[FieldSlot::imaxe] = "old.png";
    model.questions.record(1)[FieldSlot::enunciado] = "old";

    editor.reset();

    EXPECT_EQ(model.count, 1);
    EXPECT_EQ(model.current, 1);
    EXPECT_TRUE(model.fresh);
    EXPECT_TRUE(model.copiedFiles.empty());
    EXPECT_EQ(model.staging.record(150), Question{});
    EXPECT_EQ(model.currentRecord(), Question{});
    EXPECT_EQ(model.openedFolder, "/home/ana/");
}

TEST(QuestionEditor, CommitWritesAllTwelveSlotsOfTheCurrentRecordOnly) {
    Fixture f({"Uno", "Dous", "Tres"});
    f.editor.goTo(2);
    Question edited;
    for (int s = 0; s < kFieldSlotCount; ++s)
        edited.fields[s] = "campo " + std::to_string(s);
    f.editor.commit(edited);
    EXPECT_EQ(f.model.questions.record(2), edited);
    EXPECT_EQ(f.statements(), (std::vector<std::string>{"Uno", "campo 0", "Tres"}));
}

TEST(QuestionEditor, NavigationStaysWithinOneToCount) {
    Fixture f({"Uno", "Dous", "Tres"});
    EXPECT_FALSE(f.editor.previous());
    EXPECT_EQ(f.model.current, 1);
    EXPECT_TRUE(f.editor.next());
    EXPECT_TRUE(f.editor.next());
    EXPECT_FALSE(f.editor.next()); // no wrap-around, no new question
    EXPECT_EQ(f.model.current, 3);
    EXPECT_EQ(f.model.count, 3);
    f.editor.first();
    EXPECT_EQ(f.model.current, 1);
    f.editor.last();
    EXPECT_EQ(f.model.current, 3);
    EXPECT_TRUE(f.editor.previous());
    EXPECT_EQ(f.model.current, 2);
}

TEST(QuestionEditor, GoToAcceptsOnlyExistingNumbers) {
    Fixture f({"Uno", "Dous", "Tres"});
    for (int n : {0, -1, 4, 200, 201}) {
        EXPECT_FALSE(f.editor.goTo(n)) << n;
        EXPECT_EQ(f.model.current, 1) << n;
    }
    EXPECT_TRUE(f.editor.goTo(3));
    EXPECT_EQ(f.model.currentRecord()[FieldSlot::enunciado], "Tres");
}

TEST(QuestionEditor, InsertInTheMiddleShiftsTheFollowingQuestionsUp) {
    Fixture f({"Uno", "Dous", "Tres", "Catro"});
    f.editor.goTo(2);
    CommonValues common{"Ben!", "Mal!", "/s/ben.mp3", "/s/mal.mp3"};
    ASSERT_TRUE(f.editor.insertAfterCurrent(common.newQuestion()));
    EXPECT_EQ(f.model.count, 5);
    EXPECT_EQ(f.model.current, 3);
    EXPECT_EQ(f.statements(), (std::vector<std::string>{"Uno", "Dous", "", "Tres", "Catro"}));
    const Question& fresh = f.model.currentRecord();
    EXPECT_EQ(fresh[FieldSlot::ben], "Ben!");
    EXPECT_EQ(fresh[FieldSlot::mal], "Mal!");
    EXPECT_EQ(fresh[FieldSlot::sonben], "/s/ben.mp3");
    EXPECT_EQ(fresh[FieldSlot::sonmal], "/s/mal.mp3");
    EXPECT_EQ(fresh[FieldSlot::imaxe], "");
}

TEST(QuestionEditor, InsertOnTheLastQuestionAppends) {
    Fixture f({"Uno", "Dous"});
    f.editor.last();
    ASSERT_TRUE(f.editor.insertAfterCurrent(Question{}));
    EXPECT_EQ(f.model.count, 3);
    EXPECT_EQ(f.model.current, 3);
    EXPECT_EQ(f.statements(), (std::vector<std::string>{"Uno", "Dous", ""}));
}

TEST(QuestionEditor, InsertIntoAFullTableChangesNothing) {
    QuizModel model;
    QuestionEditor editor(model);
    editor.reset();
    for (int k = 2; k <= kQuestionCapacity; ++k)
        ASSERT_TRUE(editor.insertAfterCurrent(withStatement(std::to_string(k))));
    ASSERT_TRUE(editor.isFull());
    editor.goTo(100);
    const QuestionTable before = model.questions;
    EXPECT_FALSE(editor.insertAfterCurrent(withStatement("extra")));
    EXPECT_EQ(model.count, kQuestionCapacity);
    EXPECT_EQ(model.current, 100);
    for (int k = 1; k <= kQuestionCapacity; ++k)
        EXPECT_EQ(model.questions.record(k), before.record(k));
}

TEST(QuestionEditor, DeleteShowsTheQuestionBeforeTheDeletedOne) {
    Fixture f({"1", "2", "3", "4", "5"});
    f.editor.goTo(3);
    ASSERT_TRUE(f.editor.deleteCurrent());
    EXPECT_EQ(f.statements(), (std::vector<std::string>{"1", "2", "4", "5"}));
    EXPECT_EQ(f.model.current, 2);
}

TEST(QuestionEditor, DeletingQuestionOneShowsTheOneThatFollowed) {
    Fixture f({"1", "2", "3"});
    ASSERT_TRUE(f.editor.deleteCurrent());
    EXPECT_EQ(f.statements(), (std::vector<std::string>{"2", "3"}));
    EXPECT_EQ(f.model.current, 1);
    EXPECT_EQ(f.model.currentRecord()[FieldSlot::enunciado], "2");
}

TEST(QuestionEditor, DeletingTheLastQuestionShowsTheNewLast) {
    Fixture f({"1", "2", "3"});
    f.editor.last();
    ASSERT_TRUE(f.editor.deleteCurrent());
    EXPECT_EQ(f.statements(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(f.model.current, 2);
}

TEST(QuestionEditor, TheOnlyQuestionIsNeverDeleted) {
    Fixture f({"So"});
    EXPECT_FALSE(f.editor.deleteCurrent());
    EXPECT_EQ(f.statements(), (std::vector<std::string>{"So"}));
    EXPECT_EQ(f.model.current, 1);
}

TEST(QuestionEditor, FirstVisitPrefillsOnlyOnceAndOnlyForASingleQuestion) {
    QuizModel model;
    QuestionEditor editor(model);
    editor.reset();
    EXPECT_TRUE(editor.takeFirstVisit());
    EXPECT_FALSE(editor.takeFirstVisit());

    editor.reset();
    editor.insertAfterCurrent(Question{});
    EXPECT_FALSE(editor.takeFirstVisit()); // two questions: nothing to prefill
    EXPECT_FALSE(model.fresh);
}

TEST(QuestionEditor, TakingFromStagingReplacesTheQuestions) {
    Fixture f({"a", "b", "c", "d"});
    f.editor.goTo(4);
    f.model.staging.record(1) = withStatement("x");
    f.model.staging.record(2) = withStatement("y");
    f.editor.takeFromStaging(2);
    EXPECT_EQ(f.statements(), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(f.model.current, 2);
}

// An opened file without questions must not leave the editor showing, and later
// saving, a question of the previous quiz: the quiz holds one blank question instead.
TEST(QuestionEditor, AQuizIsNeverLeftWithoutQuestions) {
    Fixture f({"from an earlier quiz", "b"});
    f.editor.takeFromStaging(0);
    EXPECT_EQ(f.model.count, 1);
    EXPECT_EQ(f.model.current, 1);
    EXPECT_EQ(f.model.currentRecord(), Question{});
}

TEST(QuestionEditor, RecordsOutsideTheTableAreRefused) {
    QuestionTable table;
    EXPECT_THROW(table.record(0), std::out_of_range);
    EXPECT_THROW(table.record(kQuestionCapacity + 1), std::out_of_range);
    EXPECT_NO_THROW(table.record(kQuestionCapacity));
    QuizModel model;
    QuestionEditor editor(model);
    EXPECT_THROW(editor.takeFromStaging(kQuestionCapacity + 1), std::out_of_range);
}
