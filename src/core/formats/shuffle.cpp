#include "formats/shuffle.h"

#include <chrono>
#include <utility>

namespace vireta {

ShuffleGenerator::ShuffleGenerator() { reseed(); }

ShuffleGenerator ShuffleGenerator::withFixedSeed(std::uint32_t seed) {
    ShuffleGenerator g;
    g.seed_ = seed;
    g.fixed_ = true;
    return g;
}

void ShuffleGenerator::reseed() {
    if (fixed_)
        return;
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    seed_ = static_cast<std::uint32_t>(static_cast<std::uint64_t>(ticks));
}

int ShuffleGenerator::draw(int n) {
    seed_ = seed_ * 134775813u + 1u; // unsigned arithmetic wraps modulo 2^32
    const auto range = static_cast<std::uint64_t>(n < 0 ? 0 : n);
    return static_cast<int>((static_cast<std::uint64_t>(seed_) * range) >> 32) + 1;
}

void shuffle(std::vector<int>& list, ShuffleGenerator& generator) {
    const int n = static_cast<int>(list.size());
    for (int i = 1; i <= n; ++i) {
        const int j = generator.draw(n);
        std::swap(list[i - 1], list[j - 1]);
    }
}

} // namespace vireta
