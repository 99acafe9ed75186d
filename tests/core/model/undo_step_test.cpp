#include "model/question_editor.h"
#include "model/quiz_snapshot.h"
#include "model/undo_step.h"

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

struct Fixture {
    QuizModel model;
    QuestionEditor editor{model};

    explicit Fixture(const std::vector<std::string>& statements) {
        editor.reset();
        model.fresh = false;
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

// Every whole-question operation, undone and redone through its step, gives back the
// questions and the current number exactly.
TEST(UndoStep, EachOperationIsUndoneAndRedoneExactly) {
    struct Case {
        const char* name;
        void (*run)(QuestionEditor&);
    };
    const Case cases[] = {
        {"insert", [](QuestionEditor& e) { e.insertAfterCurrent(withStatement("nova")); }},
        {"delete", [](QuestionEditor& e) { e.deleteCurrent(); }},
        {"new", [](QuestionEditor& e) { e.reset(); }},
    };
    for (const auto& c : cases) {
        Fixture f({"1", "2", "3", "4"});
        f.editor.goTo(3);
        const QuestionsState before = questionsStateOf(f.model);
        c.run(f.editor);
        const QuestionsState after = questionsStateOf(f.model);
        const auto step = stepOf(c.name, before, after);
        ASSERT_TRUE(step) << c.name;

        restoreQuestionsState(f.model, step->before);
        EXPECT_EQ(f.statements(), (std::vector<std::string>{"1", "2", "3", "4"})) << c.name;
        EXPECT_EQ(f.model.current, 3) << c.name;
        EXPECT_FALSE(f.model.fresh) << c.name;
        EXPECT_EQ(questionsStateOf(f.model), before) << c.name;

        restoreQuestionsState(f.model, step->after);
        EXPECT_EQ(questionsStateOf(f.model), after) << c.name;
    }
}

TEST(UndoStep, RestoringFewerQuestionsClearsTheRecordsAboveThem) {
    Fixture f({"1", "2", "3"});
    const QuestionsState one = questionsStateOf(Fixture({"só"}).model);
    restoreQuestionsState(f.model, one);
    EXPECT_EQ(f.model.count, 1);
    EXPECT_EQ(f.model.questions.record(2), Question{});
    EXPECT_EQ(f.model.questions.record(3), Question{});
}

TEST(UndoStep, ARestoredStateIsAlwaysAUsableQuiz) {
    Fixture f({"1", "2"});
    QuestionsState empty;
    empty.current = 7;
    restoreQuestionsState(f.model, empty);
    EXPECT_EQ(f.model.count, 1);
    EXPECT_EQ(f.model.current, 1);
    EXPECT_EQ(f.model.currentRecord(), Question{});

    QuestionsState pastTheEnd = questionsStateOf(Fixture({"a", "b", "c"}).model);
    pastTheEnd.current = 9;
    restoreQuestionsState(f.model, pastTheEnd);
    EXPECT_EQ(f.model.current, 3);
    pastTheEnd.current = 0;
    restoreQuestionsState(f.model, pastTheEnd);
    EXPECT_EQ(f.model.current, 1);
}

TEST(UndoStep, AnOperationThatChangedNothingIsNoStep) {
    Fixture f({"1", "2"});
    const QuestionsState before = questionsStateOf(f.model);
    EXPECT_FALSE(stepOf("delete", before, before));

    // Moving to another question alone is a change of the current number, and so a
    // step when an operation does it (a delete of the last question moves back)...
    f.editor.next();
    EXPECT_TRUE(stepOf("delete", before, questionsStateOf(f.model)));
    // ...but never a text edit.
    EXPECT_FALSE(editStepOf(f.model, f.model.currentRecord()));
}

TEST(UndoStep, ATextEditIsTheCurrentRecordAsCommitted) {
    Fixture f({"1", "2", "3"});
    f.editor.goTo(2);
    Question edited = f.model.currentRecord();
    edited[FieldSlot::resposta1] = "Miño";
    const auto step = editStepOf(f.model, edited);
    ASSERT_TRUE(step);
    EXPECT_EQ(step->text, "Editar a pregunta 2");
    EXPECT_EQ(step->before, questionsStateOf(f.model)); // the model is not changed
    EXPECT_EQ(step->after.current, 2);
    EXPECT_EQ(step->after.questions[1], edited);
    EXPECT_EQ(step->after.questions[0], step->before.questions[0]);
    EXPECT_EQ(step->after.questions[2], step->before.questions[2]);

    f.editor.commit(edited);
    EXPECT_EQ(questionsStateOf(f.model), step->after);
}

TEST(UndoStep, AFullQuizRoundTrips) {
    Fixture f({"1"});
    for (int k = 2; k <= kQuestionCapacity; ++k)
        f.editor.insertAfterCurrent(withStatement(std::to_string(k)));
    const QuestionsState full = questionsStateOf(f.model);
    EXPECT_EQ(full.questions.size(), std::size_t(kQuestionCapacity));
    f.editor.reset();
    restoreQuestionsState(f.model, full);
    EXPECT_EQ(f.model.count, kQuestionCapacity);
    EXPECT_EQ(f.model.currentRecord()[FieldSlot::enunciado], "200");
}

TEST(QuizSnapshot, SameQuizComparesWithTheQuestionOnScreen) {
    Fixture f({"1", "2"});
    GeneralData general;
    general.title = "Ríos";
    const QuizSnapshot saved = snapshotOf(general, f.model);
    EXPECT_TRUE(sameQuiz(saved, general, f.model, f.model.currentRecord()));
    EXPECT_FALSE(sameQuiz(saved, general, f.model, withStatement("editada")));
    GeneralData retitled = general;
    retitled.title = "Montes";
    EXPECT_FALSE(sameQuiz(saved, retitled, f.model, f.model.currentRecord()));
    f.editor.insertAfterCurrent(Question{});
    EXPECT_FALSE(sameQuiz(saved, general, f.model, f.model.currentRecord()));
    f.editor.deleteCurrent();
    EXPECT_TRUE(sameQuiz(saved, general, f.model, f.model.currentRecord()));
}
