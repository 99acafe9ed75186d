// A classroom client's message budget: at most 20 messages in any one second. A page
// sends a handful in a whole question; more is a fault or an attack, and the server
// closes that client's connection.
#pragma once

#include <array>
#include <cstddef>

namespace vireta::classroom {

inline constexpr std::size_t kMostMessagesPerSecond = 20;

class FloodGuard {
public:
    // Counts a message that came at `nowMs`; false once it is one too many.
    bool allow(long long nowMs);

private:
    std::array<long long, kMostMessagesPerSecond> times_{}; // the last ones, oldest at next_
    std::size_t seen_ = 0;
    std::size_t next_ = 0;
};

} // namespace vireta::classroom
