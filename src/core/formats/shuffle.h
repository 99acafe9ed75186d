// The random order of questions and answers in the HTML exports: a 32-bit linear
// congruential generator and the shuffle that uses it.
#pragma once

#include <cstdint>
#include <vector>

namespace vireta {

class ShuffleGenerator {
public:
    // A generator that takes a new seed from the clock at every reseed().
    ShuffleGenerator();

    // A generator whose seed is set once to `seed`; reseed() then does nothing, so
    // one seed always gives the same sequence of draws (vireta-export --seed).
    static ShuffleGenerator withFixedSeed(std::uint32_t seed);

    // Sets the seed to the low 32 bits of a high-resolution counter, unless fixed.
    void reseed();

    // Advances the seed to seed * 134775813 + 1 (mod 2^32) and returns the upper
    // 32 bits of the 64-bit product of the new seed and n, plus one: a number in
    // 1..n for n >= 1.
    int draw(int n);

    std::uint32_t seed() const { return seed_; }
    bool fixed() const { return fixed_; }

private:
    std::uint32_t seed_ = 0;
    bool fixed_ = false;
};

// For each position i from 1 to n in turn, draws j from all of 1..n and swaps the
// entries at i and j: n draws in all, also for a list of one entry.
void shuffle(std::vector<int>& list, ShuffleGenerator& generator);

} // namespace vireta
