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

std::string mediumPath(std::size_t n) { return "/media/" + std::to_string(n); }

// The players from the most points down (equal points in the order they joined),
// with their places, at most `most`.
json standings(const std::vector<Player>& players, std::size_t most, int lastPlace = 0) {
    std::vector<long long> points;
    for (const Player& p : players)
        points.push_back(p.points);
    const std::vector<int> place = places(points);
    std::vector<std::size_t> order(players.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return points[a] > points[b]; });
    json list = json::array();
    for (std::size_t i = 0; i < order.size() && list.size() < most; ++i) {
        const std::size_t p = order[i];
        if (lastPlace > 0 && place[p] > lastPlace)
            break;
        list.push_back({{"name", players[p].name}, {"points", players[p].points}, {"place", place[p]}});
    }
    return list;
}

int placeOf(const std::vector<Player>& players, std::size_t player) {
    std::vector<long long> points;
    for (const Player& p : players)
        points.push_back(p.points);
    return places(points)[player];
}

} // namespace

std::string refusedMessage(const char* why) { return text({{"t", "refused"}, {"why", why}}); }

std::string joinedMessage(const Player& player) {
    return text({{"t", "joined"}, {"token", player.token}, {"name", player.name}});
}

std::string sentMessage() { return text({{"t", "sent"}}); }

std::string Game::studentView(std::size_t player, long long nowMs) const {
    const Player& me = players_.all()[player];
    const bool inRound = round_ && round_->inRound(player);
    if (phase_ == Phase::Lobby || ((phase_ == Phase::Asking || phase_ == Phase::Showing) && !inRound))
        return text({{"t", "wait"}, {"points", me.points}, {"late", phase_ != Phase::Lobby}});
    const int place = placeOf(players_.all(), player);
    if (phase_ == Phase::Over)
        return text({{"t", "final"}, {"points", me.points}, {"place", place}, {"of", playerCount()}});

    const GameQuestion& q = current();
    if (phase_ == Phase::Asking) {
        json answers = json::array();
        if (q.kind != QuestionKind::Short) {
            for (int a : order_)
                answers.push_back(q.answers[static_cast<std::size_t>(a)]);
        }
        json view = {{"t", "question"},
                     {"q", question_ + 1},
                     {"of", quiz_.questions.size()},
                     {"kind", kindName(q.kind)},
                     {"text", q.text},
                     {"answers", answers},
                     {"seconds", secondsOf(roundLimitMs_)},
                     {"remainingMs", roundLimitMs_ ? json(std::max(0LL, openedMs_ + *roundLimitMs_ - nowMs))
                                                   : json(nullptr)},
                     {"sent", given_[player].has_value()}};
        if (q.image)
            view["image"] = mediumPath(*q.image);
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
                 {"place", place},
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
            const QuestionResults& r = results_.questions[i];
            const auto right = std::count_if(r.answers.begin(), r.answers.end(),
                                             [](const auto& a) { return a && a->right; });
            const std::size_t n = r.playersInRound;
            shares.push_back({{"q", i + 1},
                              {"text", quiz_.questions[i].text},
                              {"share", n == 0 ? 0 : (200 * right + n) / (2 * n)}});
        }
        return text({{"t", "final"},
                     {"podium", standings(players_.all(), players_.all().size(), 3)},
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
        json answers = json::array();
        if (q.kind != QuestionKind::Short) {
            for (int a : order_)
                answers.push_back(q.answers[static_cast<std::size_t>(a)]);
        }
        view["t"] = "question";
        view["answers"] = answers;
        view["seconds"] = secondsOf(roundLimitMs_);
        view["remainingMs"] =
            roundLimitMs_ ? json(std::max(0LL, openedMs_ + *roundLimitMs_ - nowMs)) : json(nullptr);
        if (q.image)
            view["image"] = mediumPath(*q.image);
        if (q.sound)
            view["sound"] = mediumPath(*q.sound);
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
