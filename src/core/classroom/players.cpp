#include "classroom/players.h"

#include "text.h"

namespace vireta::classroom {

bool Players::nameTaken(std::string_view name) const {
    for (const Player& p : players_) {
        if (p.name == name)
            return true;
    }
    return false;
}

JoinResult Players::join(std::string_view typedName, std::string token) {
    const std::string name(utf8Prefix(trimBlanks(typedName), kNameCharacters));
    if (name.empty())
        return {std::nullopt, JoinRefusal::EmptyName};
    if (players_.size() >= kMostPlayers)
        return {std::nullopt, JoinRefusal::Full};
    std::string shown = name;
    for (int n = 2; nameTaken(shown); ++n)
        shown = name + " (" + std::to_string(n) + ")";
    players_.push_back(Player{std::move(shown), std::move(token), 0, true});
    return {players_.size() - 1, std::nullopt};
}

std::optional<std::size_t> Players::rejoin(std::string_view token) {
    if (token.empty())
        return std::nullopt;
    for (std::size_t i = 0; i < players_.size(); ++i) {
        if (players_[i].token == token) {
            players_[i].connected = true;
            return i;
        }
    }
    return std::nullopt;
}

} // namespace vireta::classroom
