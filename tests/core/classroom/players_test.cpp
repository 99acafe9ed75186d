#include "classroom/players.h"

#include <gtest/gtest.h>

using namespace vireta::classroom;

TEST(ClassroomPlayers, NamesAreTrimmedCutAt30CharactersAndNumberedWhenTaken) {
    Players players;
    const struct {
        const char* typed;
        const char* shown; // null: refused
    } joins[] = {
        {"  Uxía ", "Uxía"},
        {"Uxía", "Uxía (2)"},
        {"Uxía", "Uxía (3)"},
        {"Uxía (2)", "Uxía (2) (2)"},
        {"   ", nullptr},
        {"<b>Brais</b>", "<b>Brais</b>"}, // kept as typed: the pages show it as text
    };
    int token = 0;
    for (const auto& j : joins) {
        const JoinResult r = players.join(j.typed, "t" + std::to_string(++token));
        if (!j.shown) {
            EXPECT_EQ(r.refusal, JoinRefusal::EmptyName) << j.typed;
            continue;
        }
        ASSERT_TRUE(r.player) << j.typed;
        EXPECT_EQ(players.all()[*r.player].name, j.shown);
    }
    // 31 letters of two bytes: 30 kept, never half a letter.
    std::string longName;
    for (int i = 0; i < 31; ++i)
        longName += "ñ";
    const JoinResult r = players.join(longName, "long");
    ASSERT_TRUE(r.player);
    EXPECT_EQ(players.all()[*r.player].name, longName.substr(0, 60));
}

TEST(ClassroomPlayers, AtMost200AndATokenBringsThePlayerBack) {
    Players players;
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(players.join("Alumno", "token" + std::to_string(i)).player);
    EXPECT_EQ(players.join("Un máis", "x").refusal, JoinRefusal::Full);
    players.at(41).points = 2500;
    players.at(41).connected = false;
    EXPECT_EQ(players.rejoin("token41"), std::optional<std::size_t>(41));
    EXPECT_TRUE(players.all()[41].connected);
    EXPECT_EQ(players.all()[41].points, 2500);
    EXPECT_EQ(players.rejoin("non-existe"), std::nullopt);
    EXPECT_EQ(players.rejoin(""), std::nullopt);
}
