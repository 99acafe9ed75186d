#include "formats/quiz_file.h"
#include "quiz_samples.h"
#include "test_files.h"

#include <gtest/gtest.h>

using namespace vireta;
using namespace vireta::samples;
using testfiles::readFile;

namespace {

std::string written(const SampleQuiz& q, SaveRequest* request = nullptr) {
    OutputBuffer out;
    SaveRequest r = writeQuizFile(q.general, q.questions, q.count, out);
    if (request)
        *request = r;
    return out.text();
}

struct WriterCase {
    const char* file;
    SampleQuiz (*quiz)();
};

class QuizFileWriter : public testing::TestWithParam<WriterCase> {};

TEST_P(QuizFileWriter, WritesTheExpectedBytes) {
    const std::string expected = readFile(dataPath(GetParam().file));
    ASSERT_FALSE(expected.empty()) << GetParam().file;
    EXPECT_EQ(written(GetParam().quiz()), expected);
}

INSTANTIATE_TEST_SUITE_P(Samples, QuizFileWriter,
                         testing::Values(WriterCase{"new_quiz.xml", newQuiz},
                                         WriterCase{"full_quiz.xml", fullQuiz},
                                         WriterCase{"mixed_quiz.xml", mixedQuiz}),
                         [](const auto& info) {
                             std::string n = info.param.file;
                             return n.substr(0, n.find('.'));
                         });

TEST(QuizFileWriterRequest, HandsTheXmlFilterAndExtensionToTheSaveStep) {
    SaveRequest r;
    written(newQuiz(), &r);
    EXPECT_EQ(r.filter, "*.xml|*.xml;*.XML");
    EXPECT_EQ(r.extension, "xml");
}

TEST(QuizFileWriterIntro, LoneLineFeedsBecomeCrLf) {
    SampleQuiz q = newQuiz();
    q.general.intro = "a\nb";
    EXPECT_NE(written(q).find("<intro son=\"\"> a\r\nb    </intro>\r\n"), std::string::npos);
}

TEST(Escaping, ElementTextAndAttributeEscapeTheirOwnCharacters) {
    EXPECT_EQ(escapeText("a&b<c>d\"e'"), "a&amp;b&lt;c&gt;d\"e'");
    EXPECT_EQ(escapeAttribute("a&b<c>d\"e'"), "a&amp;b&lt;c>d&quot;e'");
}

} // namespace
