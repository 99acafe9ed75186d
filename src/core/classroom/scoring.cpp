#include "classroom/scoring.h"

#include <algorithm>

namespace vireta::classroom {

int answerPoints(bool right, long long elapsedMs, std::optional<long long> limitMs) {
    if (!right)
        return 0;
    if (!limitMs || *limitMs <= 0)
        return kFullPoints;
    const long long elapsed = std::clamp(elapsedMs, 0LL, *limitMs);
    // Rounded to the nearest point: 500 x elapsed / limit, plus a half.
    const long long lost = (2 * kTimePoints * elapsed + *limitMs) / (2 * *limitMs);
    return kFullPoints - static_cast<int>(lost);
}

std::vector<int> places(const std::vector<long long>& points) {
    std::vector<long long> sorted = points;
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    std::vector<int> out;
    out.reserve(points.size());
    for (long long p : points) {
        // One more than the number of players with more points.
        const auto better = std::lower_bound(sorted.begin(), sorted.end(), p, std::greater<>()) - sorted.begin();
        out.push_back(static_cast<int>(better) + 1);
    }
    return out;
}

} // namespace vireta::classroom
