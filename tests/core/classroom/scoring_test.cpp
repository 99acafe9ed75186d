#include "classroom/scoring.h"

#include <gtest/gtest.h>

using namespace vireta::classroom;

TEST(ClassroomPoints, ARightAnswerLosesUpToHalfForItsTimeAWrongOneScoresNothing) {
    const struct {
        bool right;
        long long elapsed;
        std::optional<long long> limit;
        int points;
    } cases[] = {
        {true, 0, 20000, 1000},     {true, 10000, 20000, 750}, {true, 20000, 20000, 500},
        {true, 25000, 20000, 500},  // the server closes late: never below half
        {true, -5, 20000, 1000},    // a clock that steps back
        {true, 1, 20000, 1000},     {true, 30, 20000, 999},    // rounded to the nearest point
        {true, 300000, std::nullopt, 1000}, {true, 7, 0, 1000}, // no limit
        {false, 0, 20000, 0},       {false, 5000, std::nullopt, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(answerPoints(c.right, c.elapsed, c.limit), c.points)
            << c.right << " " << c.elapsed << " " << c.limit.value_or(-1);
}

TEST(ClassroomPlaces, EqualPointsShareAPlaceAndTheNextSkipsAhead) {
    EXPECT_EQ(places({}), std::vector<int>{});
    EXPECT_EQ(places({0}), std::vector<int>{1});
    EXPECT_EQ(places({900, 900, 700}), (std::vector<int>{1, 1, 3}));
    EXPECT_EQ(places({700, 900, 0, 900, 700}), (std::vector<int>{3, 1, 5, 1, 3}));
    EXPECT_EQ(places({0, 0, 0}), (std::vector<int>{1, 1, 1}));
}
