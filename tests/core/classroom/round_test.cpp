#include "classroom/round.h"

#include <gtest/gtest.h>

using namespace vireta::classroom;

// Three players in the game when the question opens at 1000 ms with 20 s to answer; a
// fourth joins later.
TEST(ClassroomRound, OneAnswerEachLateOnesRefusedAndTheTimeIsTheServers) {
    Round round({true, true, true}, 1000, 20000);
    EXPECT_EQ(round.answer(0, true, 11000), std::nullopt);             // 10 s: 750
    EXPECT_EQ(round.answer(0, false, 12000), AnswerRefusal::AlreadyAnswered);
    EXPECT_EQ(round.answer(3, true, 12000), AnswerRefusal::NotInRound); // joined late
    EXPECT_EQ(round.answer(1, false, 13000), std::nullopt);
    EXPECT_FALSE(round.closeIfDone({true, true, true, true}, 15000));   // player 2 to answer
    EXPECT_EQ(round.answer(2, true, 21001), AnswerRefusal::Closed);     // past the limit
    EXPECT_TRUE(round.closeIfDone({true, true, true, true}, 21000));
    EXPECT_EQ(round.pointsOf(0), 750);
    EXPECT_EQ(round.pointsOf(1), 0);
    EXPECT_EQ(round.pointsOf(2), 0);
    EXPECT_EQ(round.answeredCount(), 2u);
}

TEST(ClassroomRound, ClosesWhenEveryoneStillConnectedHasAnswered) {
    const struct {
        std::vector<bool> connectedNow;
        bool closes;
    } cases[] = {
        {{true, true, true}, false},
        {{true, false, true}, true},  // the one yet to answer has gone
        {{true, false, true, true}, true}, // a late joiner is not waited for
        {{false, false, false}, false},    // no one left: the time or the presenter closes it
    };
    for (const auto& c : cases) {
        Round round({true, true, true}, 0, std::nullopt);
        round.answer(0, true, 100);
        round.answer(2, true, 200);
        EXPECT_EQ(round.closeIfDone(c.connectedNow, 999999), c.closes);
        EXPECT_EQ(round.pointsOf(0), 1000); // no limit: full points, however it closes
    }
    Round shut({true}, 0, std::nullopt);
    shut.close(); // "Pechar pregunta"
    EXPECT_EQ(shut.answer(0, true, 1), AnswerRefusal::Closed);
}
