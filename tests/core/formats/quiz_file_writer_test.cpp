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

// XML cannot carry the C0 controls other than tab, line feed and carriage return, not
// even as references: they are left out, and every other character stays.
TEST(Escaping, ControlCharactersXmlCannotCarryAreLeftOut) {
    EXPECT_EQ(escapeText(std::string("a\x01" "b\x00" "c\x1f\td\ne\rf\x7f", 14)), "abc\td\ne\rf\x7f");
    EXPECT_EQ(escapeAttribute("s\x0bo\x0cn\x1b" ".mp3"), "son.mp3");

    SampleQuiz q = newQuiz();
    q.general.title = "T\x01\x02itulo";
    q.general.introSound = "/sons/in\x07tro.mp3";
    q.questions.record(1)[FieldSlot::enunciado] = "Cal\x08?\tsi";
    q.questions.record(1)[FieldSlot::ben] = "ben\x1e";
    q.questions.record(1)[FieldSlot::sonben] = "b\x03" "en.wav";
    q.count = 1;
    const std::string file = written(q);
    for (char c : file) {
        const auto u = static_cast<unsigned char>(c);
        EXPECT_TRUE(u >= 0x20 || c == '\t' || c == '\n' || c == '\r') << "control " << int(u);
    }
    for (const char* piece : {"<titulo>Titulo</titulo>", "<intro son=\"intro.mp3\">",
                              "<enunciado>Cal?\tsi</enunciado>", "<ben son=\"ben.wav\">ben</ben>"})
        EXPECT_NE(file.find(piece), std::string::npos) << piece << "\n" << file;
}

} // namespace
