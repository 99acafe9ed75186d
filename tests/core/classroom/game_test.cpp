#include "classroom/game.h"
#include "classroom/messages.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

using namespace vireta;
using namespace vireta::classroom;
using nlohmann::json;

namespace {

GameQuestion question(QuestionKind kind, std::vector<std::string> answers, std::vector<bool> right) {
    GameQuestion q;
    q.kind = kind;
    q.text = "Pregunta " + answers.front();
    q.messages.assign(answers.size(), "");
    q.answers = std::move(answers);
    q.right = std::move(right);
    q.rightMessage = "Ben!";
    q.wrongMessage = "Mal.";
    return q;
}

// A game of one question of each kind, with a fixed random source, played at times the
// test gives; what each connection received is kept as JSON.
struct Table {
    Game game;
    long long now = 0;
    std::map<ConnectionId, std::vector<json>> got;
    std::vector<ConnectionId> closed, replaced;
    bool saved = false;

    explicit Table(GameSettings settings = {})
        : game(quiz(), settings, [n = 7u]() mutable { return n = n * 1103515245u + 12345u; }) {}

    static GameQuiz quiz() {
        GameQuiz quiz;
        quiz.questions = {question(QuestionKind::One, {"Lugo", "Ourense", "Vigo"}, {true, false, false}),
                          question(QuestionKind::Several, {"Ulla", "Miño", "Douro"}, {true, true, false}),
                          question(QuestionKind::TrueFalse, {"Verdadeiro", "Falso"}, {false, true}),
                          question(QuestionKind::Short, {"Compostela", "Santiago"}, {true, true})};
        quiz.questions[0].messages[1] = "Ourense non: mira o mapa.";
        return quiz;
    }
    void take(Outbox out) {
        for (auto& m : out.messages)
            got[m.to].push_back(json::parse(m.text));
        closed.insert(closed.end(), out.close.begin(), out.close.end());
        replaced.insert(replaced.end(), out.replaced.begin(), out.replaced.end());
        saved = saved || out.resultsDue;
    }
    void send(ConnectionId from, const json& message) { take(game.receive(from, message.dump(), now)); }
    json last(ConnectionId c) { return got[c].empty() ? json() : got[c].back(); }
    void presenter(ConnectionId c) { send(c, {{"t", "presenter"}, {"key", game.presenterKey()}}); }
    void join(ConnectionId c, const std::string& name) { send(c, {{"t", "join"}, {"code", game.code()}, {"name", name}}); }
    // Answers the open question by the texts shown, whatever order they were sent in.
    void pick(ConnectionId c, std::vector<std::string> texts) {
        const auto asked = std::find_if(got[c].rbegin(), got[c].rend(), [](const json& m) { return m["t"] == "question"; });
        ASSERT_NE(asked, got[c].rend());
        const json& q = *asked;
        json positions = json::array();
        for (const auto& t : texts)
            positions.push_back(std::find(q["answers"].begin(), q["answers"].end(), t) - q["answers"].begin());
        send(c, {{"t", "answer"}, {"q", q["q"]}, {"pick", positions}});
    }
};

} // namespace

TEST(ClassroomGame, AWholeGameOfEveryKindWithPointsByTimeAndPlacesShared) {
    Table t;
    t.presenter(100);
    t.join(1, "Uxía");
    t.join(2, " Uxía ");
    t.join(3, "Brais");
    EXPECT_EQ(t.last(100)["players"], json({"Uxía", "Uxía (2)", "Brais"}));
    EXPECT_EQ(t.last(2)["t"], "wait");
    t.send(100, {{"t", "start"}});

    // One answer: 5 s of 20 is 875 points; the wrong answer's own message.
    t.now = 5000;
    t.pick(1, {"Lugo"});
    t.pick(2, {"Ourense"});
    EXPECT_EQ(t.last(100), json({{"t", "count"}, {"answered", 2}, {"of", 3}, {"players", 3}}));
    t.pick(3, {"Lugo"}); // 5 s: the last answer closes the question
    EXPECT_EQ(t.last(1)["gained"], 875);
    EXPECT_EQ(t.last(2)["message"], "Ourense non: mira o mapa.");
    EXPECT_EQ(t.last(1)["message"], "Ben!");
    EXPECT_EQ(t.last(1)["place"], 1);
    EXPECT_EQ(t.last(3)["place"], 1); // equal points share a place
    EXPECT_EQ(t.last(2)["place"], 3);
    EXPECT_EQ(t.last(100)["t"], "closed");
    EXPECT_TRUE(t.saved);

    // Several: every right one and no other; Brais answers nothing till the time is up.
    t.send(100, {{"t", "next"}});
    t.pick(1, {"Miño", "Ulla"});
    t.pick(2, {"Ulla"});
    t.now = 5000 + 19999;
    t.take(t.game.tick(t.now));
    EXPECT_EQ(t.game.phase(), Game::Phase::Asking);
    t.now = 5000 + 20000;
    t.take(t.game.tick(t.now));
    EXPECT_EQ(t.last(1)["gained"], 1000);
    EXPECT_EQ(t.last(2)["right"], false);
    EXPECT_EQ(t.last(3)["right"], false);
    EXPECT_EQ(t.last(3)["message"], ""); // nothing done, nothing said
    const json closed = t.last(100);
    EXPECT_EQ(closed["answers"].size(), 3u);
    for (const json& a : closed["answers"])
        EXPECT_EQ(a["count"], a["text"] == "Ulla" ? 2 : a["text"] == "Miño" ? 1 : 0);

    // True or false keeps its order; the presenter closes it.
    t.send(100, {{"t", "next"}});
    EXPECT_EQ(t.last(1)["answers"], json({"Verdadeiro", "Falso"}));
    t.pick(1, {"Falso"});
    t.send(100, {{"t", "close"}});
    EXPECT_EQ(t.last(1)["right"], true);

    // Short: the typed answer as written, compared without case or extra blanks.
    t.send(100, {{"t", "next"}});
    EXPECT_EQ(t.last(1)["answers"], json::array());
    t.send(1, {{"t", "answer"}, {"q", 4}, {"text", "  SANTIAGO "}});
    t.send(2, {{"t", "answer"}, {"q", 4}, {"text", "Lugo"}});
    t.send(3, {{"t", "answer"}, {"q", 4}, {"text", "compostela"}});
    EXPECT_EQ(t.last(100)["others"], 1);
    EXPECT_EQ(t.last(100)["last"], true);
    t.send(100, {{"t", "next"}});
    EXPECT_EQ(t.game.phase(), Game::Phase::Over);
    EXPECT_EQ(t.last(1), json({{"t", "final"}, {"points", 875 + 1000 + 1000 + 1000}, {"place", 1}, {"of", 3}}));
    EXPECT_EQ(t.last(100)["podium"].size(), 3u);
    EXPECT_EQ(t.last(100)["questions"][0]["share"], 67);

    const std::string csv = resultsCsv(t.game.results());
    EXPECT_NE(csv.find("Uxía,3875,4,Lugo,si,Ulla / Miño,si,Falso,si,SANTIAGO,si\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("Brais,1875,2,Lugo,si,,non,,non,compostela,si\r\n"), std::string::npos) << csv;
}

TEST(ClassroomGame, LateJoinersWaitReturningPlayersKeepTheirPointsAndTheGoneAreNotWaitedFor) {
    Table t(GameSettings{std::nullopt, true});
    t.presenter(100);
    t.join(1, "Uxía");
    t.join(2, "Brais");
    const std::string token = t.got[1][0]["token"];
    t.send(100, {{"t", "start"}});
    t.join(3, "Xoán"); // during the question: plays from the next one
    EXPECT_EQ(t.last(3), json({{"t", "wait"}, {"points", 0}, {"late", true}}));
    t.send(3, {{"t", "answer"}, {"q", 1}, {"pick", {0}}});
    EXPECT_EQ(t.last(3)["why"], "closed");
    t.pick(1, {"Lugo"}); // no time limit: 1000

    // Uxía's phone reloads: the same player, on a new connection; the old one is dropped.
    t.take(t.game.disconnected(1, t.now));
    t.send(4, {{"t", "resume"}, {"token", token}});
    EXPECT_EQ(t.got[4][0]["name"], "Uxía");
    EXPECT_EQ(t.last(4)["sent"], true);
    t.send(5, {{"t", "resume"}, {"token", token}});
    EXPECT_EQ(t.replaced, std::vector<ConnectionId>{4});
    EXPECT_TRUE(t.closed.empty());
    t.send(6, {{"t", "resume"}, {"token", "no-such-token"}});
    EXPECT_EQ(t.last(6)["why"], "token");

    // Brais leaves without answering: everyone still here has answered, so it closes.
    t.take(t.game.disconnected(2, t.now));
    EXPECT_EQ(t.game.phase(), Game::Phase::Showing);
    EXPECT_EQ(t.last(5)["points"], 1000);
    t.send(100, {{"t", "next"}});
    EXPECT_EQ(t.last(3)["t"], "question"); // the late joiner plays now
    EXPECT_EQ(t.last(100)["players"], 2);
}

TEST(ClassroomGame, OnlyThePresentersSecretActsAndNoStudentLearnsTheAnswerBeforeTheClose) {
    Table t;
    t.join(1, "Uxía");
    for (const json& key : {json("0000"), json(t.game.presenterKey().substr(1) + "x")}) {
        t.send(2, {{"t", "presenter"}, {"key", key}});
        EXPECT_EQ(t.last(2)["why"], "key");
    }
    for (const char* action : {"start", "close", "next", "end"}) {
        t.send(1, {{"t", action}}); // a student page
        t.send(2, {{"t", action}}); // a page without the secret
    }
    EXPECT_EQ(t.game.phase(), Game::Phase::Lobby);
    EXPECT_EQ(t.last(1)["why"], "key");
    t.send(1, {{"t", "presenter"}, {"key", t.game.presenterKey()}}); // a student may not turn presenter
    EXPECT_EQ(t.closed, std::vector<ConnectionId>{1});

    t.join(3, "Brais");
    t.presenter(100);
    t.send(100, {{"t", "start"}});
    const std::vector<json> beforeClose = t.got[3];
    t.pick(3, {"Ourense"});
    t.pick(3, {"Lugo"}); // the first answer stands
    EXPECT_EQ(t.last(3), json({{"t", "sent"}}));
    for (const json& m : beforeClose) {
        for (const auto& [field, value] : m.items())
            EXPECT_TRUE(field == "t" || field == "answers" || field == "text" || field == "q" || field == "of" ||
                        field == "kind" || field == "seconds" || field == "remainingMs" || field == "sent" ||
                        field == "token" || field == "name" || field == "points" || field == "late")
                << field;
    }
    t.send(100, {{"t", "close"}});
    EXPECT_EQ(t.last(3)["right"], false);

    // Broken or unknown messages close the connection, and nothing else happens.
    t.closed.clear();
    t.take(t.game.receive(7, "{broken", t.now));
    t.take(t.game.receive(8, R"({"t":"dance"})", t.now));
    EXPECT_EQ(t.closed, (std::vector<ConnectionId>{7, 8}));
}

TEST(ClassroomMessages, ReadsWhatThePagesSendAndNothingElse) {
    const struct {
        const char* text;
        bool read;
    } cases[] = {
        {R"({"t":"join","code":"123456","name":"Uxía"})", true},
        {R"({"t":"resume","token":"ab"})", true},
        {R"({"t":"answer","q":3,"pick":[0,2]})", true},
        {R"({"t":"answer","q":3,"pick":[]})", true},
        {R"({"t":"answer","q":3,"text":"Santiago"})", true},
        {R"({"t":"presenter","key":"k","extra":1})", true},
        {R"({"t":"start"})", true},
        {R"({"t":"join","code":123456,"name":"Uxía"})", false},  // a number for a string
        {R"({"t":"answer","q":3,"pick":[0,0]})", false},           // twice the same
        {R"({"t":"answer","q":3,"pick":[4]})", false},             // no fifth answer
        {R"({"t":"answer","q":0,"pick":[1]})", false},
        {R"({"t":"answer","q":1.5,"pick":[1]})", false},
        {R"({"t":"answer","q":3,"pick":[1],"text":"x"})", false}, // both
        {R"({"t":"answer","q":3})", false},                        // neither
        {R"({"t":"Start"})", false},
        {R"(["start"])", false},
        {R"({"t":"start"} trailing)", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseClientMessage(c.text).has_value(), c.read) << c.text;
    const std::string big = R"({"t":"join","code":"1","name":")" + std::string(kMostMessageBytes, 'a') + "\"}";
    EXPECT_FALSE(parseClientMessage(big));
    EXPECT_EQ(parseClientMessage(R"({"t":"answer","q":3,"pick":[2,0]})")->pick, (std::vector<int>{2, 0}));
}

TEST(ClassroomMessages, TypedAnswersCompareWithoutCaseOrExtraBlanks) {
    const struct {
        const char* typed;
        const char* comparable;
    } cases[] = {
        {"  Santiago  de   Compostela ", "santiago de compostela"},
        {"ÁGUA ÑANDÚ ÇÜ", "água ñandú çü"},
        {"ŁÓDŹ", "łódź"},
        {"\t\n", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(comparableAnswer(c.typed), c.comparable) << c.typed;
}
