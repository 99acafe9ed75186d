#include "formats/shuffle.h"

#include <gtest/gtest.h>

using namespace vireta;

// Each draw: seed = seed * 134775813 + 1 (mod 2^32), j = ((uint64)seed * n >> 32) + 1.
TEST(ShuffleGenerator, DrawsFollowTheCongruentialDefinition) {
    auto g = ShuffleGenerator::withFixedSeed(0);
    // 0 * 134775813 + 1 = 1;                    1 * 7 >> 32 = 0       -> j = 1
    EXPECT_EQ(g.draw(7), 1);
    EXPECT_EQ(g.seed(), 1u);
    // 1 * 134775813 + 1 = 134775814;            134775814 * 7 = 943430698 >> 32 = 0 -> 1
    EXPECT_EQ(g.draw(7), 1);
    EXPECT_EQ(g.seed(), 134775814u);
    // 134775814 * 134775813 + 1 = 18164519904586783 = 4229256 * 2^32 + 3698175007;
    // 3698175007 * 7 = 25887225049 = 6 * 2^32 + ...              -> j = 7
    EXPECT_EQ(g.draw(7), 7);
    EXPECT_EQ(g.seed(), 3698175007u);
    // 3698175007 * 134775813 + 1 = 498424543184705692 -> mod 2^32 = 870078620;
    // 870078620 * 7 = 6090550340 = 1 * 2^32 + ...                -> j = 2
    EXPECT_EQ(g.draw(7), 2);
    EXPECT_EQ(g.seed(), 870078620u);

    // 0xFFFFFFFF * 134775813 + 1 = -134775812 (mod 2^32) = 4160191484;
    // 4160191484 * 100 = 416019148400 = 96 * 2^32 + 3702287984 -> j = 97
    auto h = ShuffleGenerator::withFixedSeed(0xFFFFFFFFu);
    EXPECT_EQ(h.draw(100), 97);
    EXPECT_EQ(h.seed(), 4160191484u);

    // 2^31 * 134775813 + 1 = 2^31 + 1 (mod 2^32), the multiplier being odd;
    // (2^31 + 1) * 200 = 100 * 2^32 + 200                       -> j = 101
    auto m = ShuffleGenerator::withFixedSeed(0x80000000u);
    EXPECT_EQ(m.draw(200), 101);
    EXPECT_EQ(m.seed(), 2147483649u);
}

TEST(ShuffleGenerator, AFixedSeedIgnoresReseeding) {
    auto g = ShuffleGenerator::withFixedSeed(42);
    g.reseed();
    EXPECT_TRUE(g.fixed());
    EXPECT_EQ(g.seed(), 42u);
    EXPECT_FALSE(ShuffleGenerator().fixed());
}

TEST(Shuffle, SwapsEveryPositionWithADrawFromTheWholeList) {
    // Seed 0, n = 3: the draws give j = 1, 1, 3 (seeds 1, 134775814, 3698175007;
    // 3698175007 * 3 = 11094525021 = 2 * 2^32 + ...).
    // i = 1 <-> 1: [1 2 3];  i = 2 <-> 1: [2 1 3];  i = 3 <-> 3: [2 1 3].
    auto g = ShuffleGenerator::withFixedSeed(0);
    std::vector<int> list{1, 2, 3};
    shuffle(list, g);
    EXPECT_EQ(list, (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(g.seed(), 3698175007u);

    // A list of one entry still takes its one draw; an empty list takes none.
    auto one = ShuffleGenerator::withFixedSeed(0);
    std::vector<int> single{4};
    shuffle(single, one);
    EXPECT_EQ(single, std::vector<int>{4});
    EXPECT_EQ(one.seed(), 1u);
    std::vector<int> none;
    shuffle(none, one);
    EXPECT_EQ(one.seed(), 1u);
}
