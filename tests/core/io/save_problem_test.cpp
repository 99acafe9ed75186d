#include "io/save_problem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

using namespace vireta;

TEST(SaveProblems, EachHasItsOwnTextInBothLanguages) {
    const SaveProblem all[] = {SaveProblem::NotFound,     SaveProblem::NotRegular,
                               SaveProblem::SameNameAsDocument, SaveProblem::SameNameAsArchive,
                               SaveProblem::NoSpace,      SaveProblem::NameTooLong,
                               SaveProblem::NoPermission, SaveProblem::Other};
    std::vector<std::string> galician, english;
    for (SaveProblem p : all) {
        galician.push_back(galicianReason(p));
        english.push_back(englishReason(p));
    }
    std::sort(galician.begin(), galician.end());
    std::sort(english.begin(), english.end());
    EXPECT_EQ(std::unique(galician.begin(), galician.end()), galician.end());
    EXPECT_EQ(std::unique(english.begin(), english.end()), english.end());
    EXPECT_EQ(problemOfErrno(ENOSPC), SaveProblem::NoSpace);
    EXPECT_EQ(problemOfErrno(EFBIG), SaveProblem::NoSpace);
    EXPECT_EQ(problemOfErrno(EROFS), SaveProblem::NoPermission);
}
