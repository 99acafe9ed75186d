#include "classroom/results.h"

#include <gtest/gtest.h>

using namespace vireta::classroom;

TEST(ClassroomResults, ARowPerStudentThenTheShareRightPerQuestion) {
    GameResults r;
    r.names = {"Uxía", "Brais, o do fondo", "Iago \"Pico\""};
    r.points = {1750, 900, 0};
    QuestionResults q1;
    q1.answers = {GivenAnswer{"Miño", true}, GivenAnswer{"Miño", true}, GivenAnswer{"Sil", false}};
    q1.playersInRound = 3;
    QuestionResults q2;
    q2.answers = {GivenAnswer{"Santiago", true}, std::nullopt, std::nullopt}; // Iago had gone
    q2.playersInRound = 3;
    r.questions = {q1, q2};
    EXPECT_EQ(resultsCsv(r),
              "\xEF\xBB\xBF" "Nome,Puntos,Correctas,Pregunta 1,Correcta 1,Pregunta 2,Correcta 2\r\n"
              "Uxía,1750,2,Miño,si,Santiago,si\r\n"
              "\"Brais, o do fondo\",900,1,Miño,si,,non\r\n"
              "\"Iago \"\"Pico\"\"\",0,0,Sil,non,,non\r\n"
              "Pregunta 1,67 %\r\n"
              "Pregunta 2,33 %\r\n");
    EXPECT_EQ(resultsCsv(GameResults{}), "\xEF\xBB\xBF" "Nome,Puntos,Correctas\r\n");

    // What a student wrote is never a formula to the spreadsheet; the quiz's own answers
    // stay as the teacher wrote them.
    GameResults formulas;
    formulas.names = {"=HYPERLINK(\"http://x\")", "@Ana"};
    formulas.points = {0, 0};
    QuestionResults typed;
    typed.answers = {GivenAnswer{"-1+1", false, true}, GivenAnswer{"-1", true, false}};
    typed.playersInRound = 2;
    formulas.questions = {typed};
    const std::string csv = resultsCsv(formulas);
    EXPECT_NE(csv.find("\"'=HYPERLINK(\"\"http://x\"\")\",0,0,'-1+1,non\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("'@Ana,0,1,-1,si\r\n"), std::string::npos) << csv;
}

TEST(ClassroomResults, TheFileLiesBesideTheQuizNamedAfterItAndTheGamesStart) {
    EXPECT_EQ(resultsPath("/home/ana/ríos.xml", 2026, 12, 9, 8, 5),
              "/home/ana/ríos-resultados-2026-12-09-0805.csv");
    EXPECT_EQ(resultsPath("/q/XOGO.XML", 2027, 1, 31, 23, 59), "/q/XOGO-resultados-2027-01-31-2359.csv");
    EXPECT_EQ(resultsPath("sen-extension", 2026, 3, 4, 10, 0), "sen-extension-resultados-2026-03-04-1000.csv");
}
