// Arbitrary bytes as the messages of a classroom game's pages: each line of the input is
// one message, from one of four connections (the first byte of the line picks it), to a
// game with a presenter and students already in it. The parser and the game must take
// anything without a crash, and a message the parser refuses must close its connection.
#include "classroom/game.h"
#include "classroom/messages.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace vireta;
using namespace vireta::classroom;

namespace {

GameQuiz quizOfEveryKind() {
    GameQuiz quiz;
    const struct {
        QuestionKind kind;
        std::vector<std::string> answers;
        std::vector<bool> right;
    } questions[] = {{QuestionKind::One, {"a", "b", "c"}, {true, false, false}},
                     {QuestionKind::Several, {"a", "b", "c", "d"}, {true, true, false, false}},
                     {QuestionKind::TrueFalse, {"Verdadeiro", "Falso"}, {true, false}},
                     {QuestionKind::Short, {"Vigo"}, {true}}};
    for (const auto& q : questions) {
        GameQuestion g;
        g.kind = q.kind;
        g.text = "?";
        g.answers = q.answers;
        g.right = q.right;
        g.messages.assign(q.answers.size(), "");
        quiz.questions.push_back(g);
    }
    return quiz;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Game game(quizOfEveryKind(), GameSettings{}, [n = 1u]() mutable { return n = n * 1664525u + 1013904223u; });
    long long now = 0;
    game.receive(100, R"({"t":"presenter","key":")" + game.presenterKey() + "\"}", now);
    game.receive(1, R"({"t":"join","code":")" + game.code() + R"(","name":"Uxía"})", now);
    game.receive(2, R"({"t":"join","code":")" + game.code() + R"(","name":"Brais"})", now);

    std::size_t start = 0;
    while (start < input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string_view::npos)
            end = input.size();
        const std::string_view line = input.substr(start, end - start);
        start = end + 1;
        if (line.empty())
            continue;
        // Who sends it: the presenter, one of the students, or a stranger.
        static const ConnectionId kSenders[] = {100, 1, 2, 3};
        const ConnectionId from = kSenders[static_cast<unsigned char>(line[0]) % 4];
        const std::string_view message = line.substr(1);
        now += 700;
        const Outbox out = game.receive(from, message, now);
        if (!parseClientMessage(message) && std::find(out.close.begin(), out.close.end(), from) == out.close.end())
            std::abort();
        game.tick(now);
        if (static_cast<unsigned char>(line[0]) >= 0xF0)
            game.disconnected(from, now);
    }
    game.end();
    resultsCsv(game.results());
    return 0;
}
