// The classroom game: the lobby, each question while it is asked and once it closed,
// and the end, for the students' phones and the presenter's screen. It knows nothing
// of a network: it takes what a client sent, a client leaving and the clock's ticks,
// and answers with what to send to whom, which connections to close and whether the
// results file is due. docs/classroom.md lists the messages.
#pragma once

#include "classroom/game_quiz.h"
#include "classroom/players.h"
#include "classroom/results.h"
#include "classroom/round.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireta::classroom {

struct ClientMessage;

// The time limits a question may have, in seconds; none at all is also allowed.
inline constexpr int kShortestLimit = 5;
inline constexpr int kLongestLimit = 300;
inline constexpr int kDefaultLimit = 20;

struct GameSettings {
    std::optional<int> seconds = kDefaultLimit; // per question; nullopt: no limit
    bool ranking = true;                        // the top five after each question
};

using ConnectionId = std::uint64_t;
// Draws the game code, the presenter's secret, the players' tokens and the answer
// orders; the server gives an unpredictable one.
using RandomSource = std::function<std::uint32_t()>;

struct Outbox {
    struct Message {
        ConnectionId to;
        std::string text;
    };
    std::vector<Message> messages;
    std::vector<ConnectionId> close;    // connections to drop (after their messages): faults
    std::vector<ConnectionId> replaced; // pages whose player now plays on another connection
    bool resultsDue = false;         // a question closed or the game ended: save them
};

class Game {
public:
    enum class Phase { Lobby, Asking, Showing, Over };

    Game(GameQuiz quiz, GameSettings settings, RandomSource random);

    const std::string& code() const { return code_; }
    const std::string& presenterKey() const { return key_; }
    // The address the lobby shows for the student page.
    void setAddress(std::string address) { address_ = std::move(address); }

    // A message from a client; anything but a message of a page closes its connection.
    Outbox receive(ConnectionId from, std::string_view text, long long nowMs);
    // The client's connection is gone.
    Outbox disconnected(ConnectionId from, long long nowMs);
    // Closes the open question once its time has run out.
    Outbox tick(long long nowMs);
    // When the open question's time runs out, if it has a limit.
    std::optional<long long> deadlineMs() const;
    // Takes effect at the next question; the lobby shows them at once.
    Outbox changeSettings(GameSettings settings);
    // Ends the game, as "Rematar" does (an open question closes first).
    Outbox end();

    Phase phase() const { return phase_; }
    // Whether the connection has joined as a student or is the presenter's.
    bool takesPart(ConnectionId id) const {
        const auto c = connections_.find(id);
        return c != connections_.end() && c->second.role != Connection::Role::None;
    }
    bool started() const { return phase_ != Phase::Lobby; }
    std::size_t playerCount() const { return players_.all().size(); }
    std::size_t connectedCount() const;
    const GameQuiz& quiz() const { return quiz_; }
    const GameResults& results() const { return results_; }

private:
    struct Connection {
        enum class Role { None, Student, Presenter } role = Role::None;
        std::size_t player = 0;
    };
    // What a player answered at the open question.
    struct Given {
        std::vector<int> fields; // answers picked, as indices in GameQuestion::answers
        std::string typed;
        bool right = false;
    };

    Outbox handle(ConnectionId from, const ClientMessage& message, long long nowMs);
    Outbox join(ConnectionId from, const ClientMessage& message, long long nowMs);
    Outbox resume(ConnectionId from, const ClientMessage& message, long long nowMs);
    Outbox answer(ConnectionId from, const ClientMessage& message, long long nowMs);
    Outbox present(ConnectionId from, const ClientMessage& message, long long nowMs);
    Outbox act(const ClientMessage& message, long long nowMs);

    void seat(ConnectionId from, std::size_t player, Outbox& out, long long nowMs);
    void openQuestion(long long nowMs, Outbox& out);
    // Counts the open question; `tell` sends every page the closed question.
    void closeQuestion(Outbox& out, bool tell);
    void keepStandings(); // the names and points in results_
    void finish(Outbox& out);
    void closeIfDone(long long nowMs, Outbox& out);

    // What the pages are sent (game_views.cpp).
    // `place`: places(), worked out once for all the students a view goes to.
    std::string studentView(std::size_t player, long long nowMs, const std::vector<int>& place) const;
    std::vector<int> places() const;
    std::string presenterView(long long nowMs) const;
    std::string countView() const;
    void toPresenters(const std::string& text, Outbox& out) const;
    void toStudents(Outbox& out, long long nowMs) const;

    std::vector<bool> connectedPlayers() const;
    std::string randomHex(int words);
    std::optional<long long> limitMs() const;
    const GameQuestion& current() const { return quiz_.questions[question_]; }

    GameQuiz quiz_;
    GameSettings settings_;
    RandomSource random_;
    std::string code_, key_, address_;
    Phase phase_ = Phase::Lobby;
    Players players_;
    std::map<ConnectionId, Connection> connections_;
    std::vector<std::optional<ConnectionId>> seats_; // by player: the connection it plays on

    // The question asked or shown last (an index into quiz_.questions).
    std::size_t question_ = 0;
    std::optional<Round> round_;
    long long openedMs_ = 0;
    std::optional<long long> roundLimitMs_;
    std::vector<int> order_;           // the answers as sent: indices into current().answers
    std::vector<std::optional<Given>> given_; // by player
    std::vector<long long> gained_;    // by player: points of the question shown
    GameResults results_;
};

} // namespace vireta::classroom
