#include "classroom/game.h"

#include "classroom/messages.h"
#include "classroom/scoring.h"
#include "text.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace vireta::classroom {
namespace {

// Compares a secret in a time that does not depend on where it differs.
bool sameSecret(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

// The longest typed answer kept, in characters.
constexpr std::size_t kTypedCharacters = 200;

} // namespace

std::string refusedMessage(const char* why); // game_views.cpp
std::string joinedMessage(const Player& player);
std::string sentMessage();

Game::Game(GameQuiz quiz, GameSettings settings, RandomSource random)
    : quiz_(std::move(quiz)), settings_(settings), random_(std::move(random)) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%06u", static_cast<unsigned>(random_() % 1000000u));
    code_ = digits;
    key_ = randomHex(4);
}

std::string Game::randomHex(int words) {
    std::string hex;
    for (int i = 0; i < words; ++i) {
        char word[9];
        std::snprintf(word, sizeof word, "%08x", static_cast<unsigned>(random_()));
        hex += word;
    }
    return hex;
}

std::optional<long long> Game::limitMs() const {
    if (!settings_.seconds)
        return std::nullopt;
    return static_cast<long long>(std::clamp(*settings_.seconds, kShortestLimit, kLongestLimit)) * 1000;
}

std::size_t Game::connectedCount() const {
    std::size_t n = 0;
    for (const Player& p : players_.all())
        n += p.connected ? 1 : 0;
    return n;
}

std::vector<bool> Game::connectedPlayers() const {
    std::vector<bool> connected;
    for (const Player& p : players_.all())
        connected.push_back(p.connected);
    return connected;
}

Outbox Game::receive(ConnectionId from, std::string_view text, long long nowMs) {
    const std::optional<ClientMessage> message = parseClientMessage(text);
    if (!message) {
        Outbox out;
        out.close.push_back(from);
        return out;
    }
    return handle(from, *message, nowMs);
}

Outbox Game::handle(ConnectionId from, const ClientMessage& message, long long nowMs) {
    switch (message.type) {
    case ClientMessage::Type::Join:
        return join(from, message, nowMs);
    case ClientMessage::Type::Resume:
        return resume(from, message, nowMs);
    case ClientMessage::Type::Answer:
        return answer(from, message, nowMs);
    case ClientMessage::Type::Presenter:
        return present(from, message, nowMs);
    default:
        break;
    }
    const auto c = connections_.find(from);
    if (c == connections_.end() || c->second.role != Connection::Role::Presenter)
        return Outbox{{{from, refusedMessage("key")}}, {}, {}, false};
    return act(message, nowMs);
}

Outbox Game::join(ConnectionId from, const ClientMessage& message, long long nowMs) {
    Outbox out;
    if (connections_[from].role != Connection::Role::None) {
        out.close.push_back(from); // one part per connection
        return out;
    }
    if (message.code != code_) {
        out.messages.push_back({from, refusedMessage("code")});
        return out;
    }
    if (phase_ == Phase::Over) {
        out.messages.push_back({from, refusedMessage("closed")});
        return out;
    }
    const JoinResult joined = players_.join(message.name, randomHex(4));
    if (!joined.player) {
        out.messages.push_back(
            {from, refusedMessage(joined.refusal == JoinRefusal::Full ? "full" : "name")});
        return out;
    }
    seats_.emplace_back();
    given_.emplace_back();
    gained_.push_back(0);
    out.messages.push_back({from, joinedMessage(players_.at(*joined.player))});
    seat(from, *joined.player, out, nowMs);
    return out;
}

Outbox Game::resume(ConnectionId from, const ClientMessage& message, long long nowMs) {
    Outbox out;
    if (connections_[from].role != Connection::Role::None) {
        out.close.push_back(from);
        return out;
    }
    const std::optional<std::size_t> player = players_.rejoin(message.token);
    if (!player) {
        out.messages.push_back({from, refusedMessage("token")});
        return out;
    }
    out.messages.push_back({from, joinedMessage(players_.at(*player))});
    seat(from, *player, out, nowMs);
    return out;
}

void Game::seat(ConnectionId from, std::size_t player, Outbox& out, long long nowMs) {
    // A page that comes back on a new connection leaves the old one behind.
    if (seats_[player] && *seats_[player] != from) {
        connections_.erase(*seats_[player]);
        out.replaced.push_back(*seats_[player]);
    }
    seats_[player] = from;
    connections_[from] = Connection{Connection::Role::Student, player};
    players_.at(player).connected = true;
    // Back during a question that opened while they were away: they answer it too.
    if (phase_ == Phase::Asking && round_->isOpen())
        round_->admit(player);
    out.messages.push_back({from, studentView(player, nowMs, places())});
    toPresenters(phase_ == Phase::Lobby ? presenterView(nowMs) : countView(), out);
}

Outbox Game::answer(ConnectionId from, const ClientMessage& message, long long nowMs) {
    Outbox out;
    const auto c = connections_.find(from);
    if (c == connections_.end() || c->second.role != Connection::Role::Student ||
        phase_ != Phase::Asking || message.question != static_cast<int>(question_) + 1) {
        out.messages.push_back({from, refusedMessage("closed")});
        return out;
    }
    const std::size_t p = c->second.player;
    const GameQuestion& q = current();
    Given given;
    if (q.kind == QuestionKind::Short) {
        if (!message.text) {
            out.messages.push_back({from, refusedMessage("answer")});
            return out;
        }
        given.typed = std::string(utf8Prefix(trimBlanks(*message.text), kTypedCharacters));
        given.right = acceptsTyped(q, given.typed);
    } else {
        const bool one = q.kind != QuestionKind::Several;
        bool fits = !message.text && (!one || message.pick.size() == 1);
        for (int position : message.pick) {
            fits = fits && static_cast<std::size_t>(position) < order_.size();
            if (fits)
                given.fields.push_back(order_[static_cast<std::size_t>(position)]);
        }
        if (!fits) {
            out.messages.push_back({from, refusedMessage("answer")});
            return out;
        }
        std::sort(given.fields.begin(), given.fields.end());
        given.right = !given.fields.empty();
        for (std::size_t a = 0; a < q.answers.size(); ++a) {
            const bool picked = std::binary_search(given.fields.begin(), given.fields.end(), static_cast<int>(a));
            given.right = given.right && (one ? !picked || q.right[a] : picked == q.right[a]);
        }
    }
    const std::optional<AnswerRefusal> refusal = round_->answer(p, given.right, nowMs);
    if (refusal == AnswerRefusal::AlreadyAnswered) {
        out.messages.push_back({from, sentMessage()}); // the first answer stands
        return out;
    }
    if (refusal) {
        out.messages.push_back({from, refusedMessage("closed")});
        return out;
    }
    given_[p] = std::move(given);
    out.messages.push_back({from, sentMessage()});
    toPresenters(countView(), out);
    closeIfDone(nowMs, out);
    return out;
}

Outbox Game::present(ConnectionId from, const ClientMessage& message, long long nowMs) {
    Outbox out;
    Connection& c = connections_[from];
    if (c.role == Connection::Role::Student) {
        out.close.push_back(from);
        return out;
    }
    if (!sameSecret(message.key, key_)) {
        out.messages.push_back({from, refusedMessage("key")});
        return out;
    }
    c.role = Connection::Role::Presenter;
    out.messages.push_back({from, presenterView(nowMs)});
    return out;
}

Outbox Game::act(const ClientMessage& message, long long nowMs) {
    Outbox out;
    switch (message.type) {
    case ClientMessage::Type::Start:
        if (phase_ == Phase::Lobby && !quiz_.questions.empty() && playerCount() > 0) {
            question_ = 0;
            openQuestion(nowMs, out);
        }
        break;
    case ClientMessage::Type::Close:
        if (phase_ == Phase::Asking)
            closeQuestion(out, true);
        break;
    case ClientMessage::Type::Next:
        if (phase_ == Phase::Showing) {
            if (question_ + 1 < quiz_.questions.size()) {
                ++question_;
                openQuestion(nowMs, out);
            } else {
                finish(out);
            }
        }
        break;
    case ClientMessage::Type::End:
        if (phase_ != Phase::Over)
            finish(out);
        break;
    default:
        break;
    }
    return out;
}

void Game::openQuestion(long long nowMs, Outbox& out) {
    phase_ = Phase::Asking;
    openedMs_ = nowMs;
    roundLimitMs_ = limitMs();
    round_.emplace(connectedPlayers(), nowMs, roundLimitMs_);
    const GameQuestion& q = current();
    order_.resize(q.answers.size());
    std::iota(order_.begin(), order_.end(), 0);
    // "Verdadeiro" and "Falso" keep their order; any other answers are drawn anew.
    if (q.kind != QuestionKind::TrueFalse) {
        for (std::size_t i = order_.size(); i > 1; --i)
            std::swap(order_[i - 1], order_[random_() % i]);
    }
    given_.assign(playerCount(), std::nullopt);
    gained_.assign(playerCount(), 0);
    toStudents(out, nowMs);
    toPresenters(presenterView(nowMs), out);
    closeIfDone(nowMs, out);
}

void Game::closeQuestion(Outbox& out, bool tell) {
    round_->close();
    phase_ = Phase::Showing;
    const GameQuestion& q = current();
    QuestionResults closed;
    closed.playersInRound = round_->playerCount();
    for (std::size_t p = 0; p < playerCount(); ++p) {
        gained_[p] = round_->pointsOf(p);
        players_.at(p).points += gained_[p];
        if (!given_[p]) {
            closed.answers.emplace_back();
            continue;
        }
        std::string text = given_[p]->typed;
        for (int field : given_[p]->fields) {
            if (!text.empty())
                text += " / ";
            text += q.answers[static_cast<std::size_t>(field)];
        }
        closed.answers.push_back(GivenAnswer{std::move(text), given_[p]->right, q.kind == QuestionKind::Short});
    }
    results_.questions.push_back(std::move(closed));
    keepStandings();
    out.resultsDue = true;
    if (tell) {
        toStudents(out, openedMs_);
        toPresenters(presenterView(openedMs_), out);
    }
}

void Game::finish(Outbox& out) {
    if (phase_ == Phase::Asking)
        closeQuestion(out, false);
    phase_ = Phase::Over;
    keepStandings();
    out.resultsDue = true;
    toStudents(out, openedMs_);
    toPresenters(presenterView(openedMs_), out);
}

void Game::keepStandings() {
    results_.names.clear();
    results_.points.clear();
    for (const Player& p : players_.all()) {
        results_.names.push_back(p.name);
        results_.points.push_back(p.points);
    }
}

void Game::closeIfDone(long long nowMs, Outbox& out) {
    if (phase_ == Phase::Asking && round_->closeIfDone(connectedPlayers(), nowMs))
        closeQuestion(out, true);
}

Outbox Game::disconnected(ConnectionId from, long long nowMs) {
    Outbox out;
    const auto c = connections_.find(from);
    if (c == connections_.end())
        return out;
    const Connection gone = c->second;
    connections_.erase(c);
    if (gone.role != Connection::Role::Student || seats_[gone.player] != from)
        return out;
    seats_[gone.player].reset();
    players_.at(gone.player).connected = false;
    toPresenters(phase_ == Phase::Lobby ? presenterView(nowMs) : countView(), out);
    closeIfDone(nowMs, out);
    return out;
}

Outbox Game::tick(long long nowMs) {
    Outbox out;
    closeIfDone(nowMs, out);
    return out;
}

std::optional<long long> Game::deadlineMs() const {
    if (phase_ != Phase::Asking || !roundLimitMs_)
        return std::nullopt;
    return openedMs_ + *roundLimitMs_;
}

Outbox Game::changeSettings(GameSettings settings) {
    settings_ = settings;
    Outbox out;
    if (phase_ == Phase::Lobby)
        toPresenters(presenterView(0), out);
    return out;
}

Outbox Game::end() {
    Outbox out;
    if (phase_ != Phase::Over)
        finish(out);
    return out;
}

void Game::toPresenters(const std::string& text, Outbox& out) const {
    for (const auto& [id, c] : connections_) {
        if (c.role == Connection::Role::Presenter)
            out.messages.push_back({id, text});
    }
}

void Game::toStudents(Outbox& out, long long nowMs) const {
    const std::vector<int> place = places();
    for (std::size_t p = 0; p < seats_.size(); ++p) {
        if (seats_[p])
            out.messages.push_back({*seats_[p], studentView(p, nowMs, place)});
    }
}

} // namespace vireta::classroom
