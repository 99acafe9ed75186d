// The students of a classroom game: their names as shown, the token a page keeps to
// come back as the same player, and their points.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireta::classroom {

inline constexpr std::size_t kMostPlayers = 200;
inline constexpr std::size_t kNameCharacters = 30;

struct Player {
    std::string name;  // as shown: trimmed, at most 30 characters, "Uxía (2)" for a second Uxía
    std::string token; // what the player's page keeps to come back
    long long points = 0;
    bool connected = true;
};

// Why a join was refused.
enum class JoinRefusal { EmptyName, Full };

struct JoinResult {
    std::optional<std::size_t> player; // its index, when joined
    std::optional<JoinRefusal> refusal;
};

class Players {
public:
    // Joins a student under `typedName` (blanks at both ends dropped, cut after 30
    // characters, a name taken already numbered "(2)", "(3)"...) with `token`, which
    // the caller draws at random.
    JoinResult join(std::string_view typedName, std::string token);
    // The player a page's token names, if any; it counts as connected again.
    std::optional<std::size_t> rejoin(std::string_view token);

    const std::vector<Player>& all() const { return players_; }
    Player& at(std::size_t i) { return players_.at(i); }

private:
    bool nameTaken(std::string_view name) const;

    std::vector<Player> players_;
};

} // namespace vireta::classroom
