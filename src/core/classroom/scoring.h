// The points and places of the classroom game.
#pragma once

#include <optional>
#include <vector>

namespace vireta::classroom {

// The most a right answer scores, and what it loses at most for the time taken.
inline constexpr int kFullPoints = 1000;
inline constexpr int kTimePoints = 500;

// The points of one answer: 0 when it is wrong or missing; a right one scores
// 1000 - 500 x elapsed / limit (rounded to the nearest point, never below 500), or
// 1000 without a time limit. Times are in milliseconds.
int answerPoints(bool right, long long elapsedMs, std::optional<long long> limitMs);

// The places of players with these points, in the same order: 1 for the most points,
// and equal points share a place (1, 1, 3).
std::vector<int> places(const std::vector<long long>& points);

} // namespace vireta::classroom
