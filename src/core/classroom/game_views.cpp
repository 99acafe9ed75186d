// What the classroom game sends the pages: a view of the game for a student or for
// the presenter, as JSON. Nothing a student is sent while a question is open tells
// which of its answers is right.
#include "classroom/game.h"

#include "classroom/scoring.h"
#include "model/question.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <numeric>

namespace vireta::classroom {
namespace {

using nlohmann::json;

std::string text(const json& message) {
    // A text that is no valid UTF-8 (a quiz read from an old file) is sent with U+FFFD.
    return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

json secondsOf(const std::optional<long long>& limitMs) {
    return limitMs ? json(*limitMs / 1000) : json(nullptr);
}

// A medium's address names the game, so a browser never shows a picture of another
// game it has kept.
std::string mediumPath(const std::string& code, std::size_t n) { return "/media/" + code + "/" + std::to_string(n); }

// The places of the players, in join order.
std::vector<int> placesOf(const std::vector<Player>& players) {
    std::vector<long long> points;
    for (const Player& p : players)
        points.push_back(p.points);
    return places(points);
}

// The players from the most points down (equal points in the order they joined),
// with their places, at most `most`.
json standings(const std::vector<Player>& players, std::size_t most, int lastPlace = 0) {
    const std::vector<int> place = placesOf(players);
    std::vector<std::size_t> order(players.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return players[a].points > players[b].points; });
    json list = json::array();
    for (std::size_t i = 0; i < order.size() && list.size() < most; ++i) {
        const std::size_t p = order[i];
        if (lastPlace > 0 && place[p] > lastPlace)
            break;
        list.push_back({{"name", players[p].name}, {"points", players[p].points}, {"place", place[p]}});
    }
    return list;
}

// The open question's answers in the order drawn for it (none for a short answer).
json answersAsSent(const GameQuestion& q, const std::vector<int>& order) {
    json answers = json::array();
    if (q.kind != QuestionKind::Short) {
        for (int a : order)
            answers.push_back(q.answers[static_cast<std::size_t>(a)]);
    }
    return answers;
}

json remainingMs(const std::optional<long long>& limitMs, long long openedMs, long long nowMs) {
    return limitMs ? json(std::max(0LL, openedMs + *limitMs - nowMs)) : json(nullptr);
}

} // namespace

std::string refusedMessage(const char* why) { return text({{"t", "refused"}, {"why", why}}); }

std::string joinedMessage(const Player& player) {
    return text({{"t", "joined"}, {"token", player.token}, {"name", player.name}});
}

std::string sentMessage() { return text({{"t", "sent"}}); }

std::vector<int> Game::places() const { return placesOf(players_.all()); }

std::string Game::studentView(std::size_t player, long long nowMs, const std::vector<int>& place) const {
    const Player& me = players_.all()[player];
    const bool inRound = round_ && round_->inRound(player);
    if (phase_ == Phase::Lobby || ((phase_ == Phase::Asking || phase_ == Phase::Showing) && !inRound))
        return text({{"t", "wait"}, {"points", me.points}, {"late", phase_ != Phase::Lobby}});
    if (phase_ == Phase::Over)
        return text({{"t", "final"}, {"points", me.points}, {"place", place[player]}, {"of", playerCount()}});

    const GameQuestion& q = current();
    if (phase_ == Phase::Asking) {
        json view = {{"t", "question"},
                     {"q", question_ + 1},
                     {"of", quiz_.questions.size()},
                     {"kind", kindName(q.kind)},
                     {"text", q.text},
                     {"answers", answersAsSent(q, order_)},
                     {"seconds", secondsOf(roundLimitMs_)},
                     {"remainingMs", remainingMs(roundLimitMs_, openedMs_, nowMs)},
                     {"sent", given_[player].has_value()}};
        if (q.image)
            view["image"] = mediumPath(code_, *q.image);
        return text(view);
    }
    // The question closed: what this student did.
    const std::optional<Given>& given = given_[player];
    const bool right = given && given->right;
    std::string message;
    if (given && q.kind != QuestionKind::Several && q.kind != QuestionKind::Short &&
        !given->fields.empty())
        message = q.messages[static_cast<std::size_t>(given->fields.front())];
    if (given && message.empty())
        message = right ? q.rightMessage : q.wrongMessage;
    return text({{"t", "result"},
                 {"q", question_ + 1},
                 {"right", right},
                 {"gained", gained_[player]},
                 {"points", me.points},
                 {"place", place[player]},
                 {"of", playerCount()},
                 {"message", message}});
}

std::string Game::countView() const {
    return text({{"t", "count"},
                 {"answered", round_ ? round_->answeredCount() : 0},
                 {"of", round_ ? round_->playerCount() : 0},
                 {"players", connectedCount()}});
}

std::string Game::presenterView(long long nowMs) const {
    if (phase_ == Phase::Lobby) {
        json names = json::array();
        for (const Player& p : players_.all())
            names.push_back(p.name);
        return text({{"t", "lobby"},
                     {"code", code_},
                     {"address", address_},
                     {"players", names},
                     {"ranking", settings_.ranking},
                     {"seconds", secondsOf(limitMs())}});
    }
    if (phase_ == Phase::Over) {
        json shares = json::array();
        for (std::size_t i = 0; i < results_.questions.size(); ++i) {
            shares.push_back({{"q", i + 1},
                              {"text", quiz_.questions[i].text},
                              {"share", shareRight(results_.questions[i])}});
        }
        return text({{"t", "final"},
                     {"podium", standings(players_.all(), 5, 3)},
                     {"questions", shares},
                     {"players", playerCount()}});
    }

    const GameQuestion& q = current();
    json view = {{"q", question_ + 1},
                 {"of", quiz_.questions.size()},
                 {"kind", kindName(q.kind)},
                 {"text", q.text},
                 {"answered", round_->answeredCount()},
                 {"players", round_->playerCount()}};
    if (phase_ == Phase::Asking) {
        view["t"] = "question";
        view["answers"] = answersAsSent(q, order_);
        view["seconds"] = secondsOf(roundLimitMs_);
        view["remainingMs"] = remainingMs(roundLimitMs_, openedMs_, nowMs);
        if (q.image)
            view["image"] = mediumPath(code_, *q.image);
        if (q.sound)
            view["sound"] = mediumPath(code_, *q.sound);
        return text(view);
    }

    // Closed: how many chose each answer.
    json answers = json::array();
    std::size_t others = 0;
    if (q.kind == QuestionKind::Short) {
        std::vector<std::size_t> counts(q.answers.size(), 0);
        for (const auto& g : given_) {
            if (!g)
                continue;
            const std::string typed = comparableAnswer(g->typed);
            bool matched = false;
            for (std::size_t a = 0; a < q.answers.size() && !matched; ++a) {
                matched = comparableAnswer(q.answers[a]) == typed;
                counts[a] += matched ? 1 : 0;
            }
            others += matched ? 0 : 1;
        }
        for (std::size_t a = 0; a < q.answers.size(); ++a)
            answers.push_back({{"text", q.answers[a]}, {"count", counts[a]}, {"right", true}});
    } else {
        for (int a : order_) {
            const auto count = std::count_if(given_.begin(), given_.end(), [&](const auto& g) {
                return g && std::find(g->fields.begin(), g->fields.end(), a) != g->fields.end();
            });
            answers.push_back({{"text", q.answers[static_cast<std::size_t>(a)]},
                               {"count", count},
                               {"right", static_cast<bool>(q.right[static_cast<std::size_t>(a)])}});
        }
    }
    view["t"] = "closed";
    view["answers"] = answers;
    view["others"] = others;
    view["last"] = question_ + 1 == quiz_.questions.size();
    if (settings_.ranking)
        view["top"] = standings(players_.all(), 5);
    return text(view);
}

} // namespace vireta::classroom
