#include "formats/quiz_file.h"
#include "quiz_samples.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string_view>
#include <vector>

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
                                         WriterCase{"mixed_quiz.xml", mixedQuiz},
                                         WriterCase{"kinds_quiz.xml", kindsQuiz}),
                         [](const auto& info) {
                             std::string n = info.param.file;
                             return n.substr(0, n.find('.'));
                         });

TEST(QuizFileWriterRequest, HandsTheXmlFilterAndExtensionToTheSaveStep) {
    SaveRequest r;
    written(newQuiz(), &r);
    EXPECT_EQ(r.filter, "*.xml|*.xml;*.XML");
    EXPECT_EQ(r.extension, "xml");
    // The save step is told it before the file is written.
    EXPECT_EQ(quizFileRequest().filter, r.filter);
    EXPECT_EQ(quizFileRequest().extension, r.extension);
}

// The pieces a buffer passes on while the quiz file is written into it.
std::vector<std::string> passedOn(const SampleQuiz& q) {
    std::vector<std::string> pieces;
    OutputBuffer out;
    out.passOnTo([&](std::string_view piece) { pieces.emplace_back(piece); });
    EXPECT_FALSE(out.holdsWholeText());
    writeQuizFile(q.general, q.questions, q.count, out);
    out.finishPassingOn();
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(out.holdsWholeText());
    return pieces;
}

std::string joined(const std::vector<std::string>& pieces) {
    std::string all;
    for (const std::string& piece : pieces)
        all += piece;
    return all;
}

// Passed on as it is written, the file is the same byte for byte: a small one in
// one piece, a large one in pieces that end at line ends once the buffer holds
// enough, whatever long texts, references and dropped controls they cut through.
TEST(QuizFileWriterPassingOn, GivesTheSameFileInPiecesThatEndLines) {
    for (SampleQuiz (*quiz)() : {newQuiz, fullQuiz, mixedQuiz}) {
        const std::vector<std::string> pieces = passedOn(quiz());
        EXPECT_EQ(pieces.size(), 1u);
        EXPECT_EQ(joined(pieces), written(quiz()));
    }
    SampleQuiz big = fullQuiz();
    big.general.intro = std::string(300000, 'i') + "\n<&>\x01";
    for (int k = 1; k <= 40; ++k) {
        Question& q = big.questions.record(k);
        std::string text;
        while (text.size() < 20000 + 1000 * static_cast<std::size_t>(k))
            text += "río & <b>montaña</b>\x02 \"ola\" ";
        q[FieldSlot::enunciado] = text;
        q[answerSlot(1)] = text;
        q[FieldSlot::sonben] = "/sons/b&n.wav";
    }
    big.count = 40;
    const std::vector<std::string> pieces = passedOn(big);
    const std::string whole = written(big);
    ASSERT_GT(whole.size(), 4 * OutputBuffer::kPassOnBytes);
    EXPECT_GT(pieces.size(), 3u);
    EXPECT_EQ(joined(pieces), whole);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(pieces[i].substr(pieces[i].size() - 2), "\r\n") << i;
        if (i + 1 < pieces.size()) {
            EXPECT_GE(pieces[i].size(), OutputBuffer::kPassOnBytes) << i;
        }
    }
}

// A sink that fails (a full disk) ends the writing there, with nothing passed on
// twice and nothing left in the buffer.
TEST(QuizFileWriterPassingOn, ASinkThatThrowsStopsTheWriter) {
    SampleQuiz big = newQuiz();
    for (int k = 1; k <= 20; ++k)
        big.questions.record(k)[FieldSlot::enunciado] = std::string(100000, 'a');
    big.count = 20;
    OutputBuffer out;
    int calls = 0;
    out.passOnTo([&](std::string_view) {
        if (++calls == 2)
            throw std::runtime_error("disk full");
    });
    EXPECT_THROW(writeQuizFile(big.general, big.questions, big.count, out), std::runtime_error);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(out.empty());
}

// The pass mark is the root's attribute, left out at the default so that a quiz
// without one keeps its bytes; nothing else of the file changes with it.
TEST(QuizFileWriterPassMark, IsTheRootsAttributeAbsentAtTheDefault) {
    const SampleQuiz plain = fullQuiz();
    const std::string atDefault = written(plain);
    const std::string root = "  <xogo version=\"1.0\">\r\n";
    ASSERT_NE(atDefault.find(root), std::string::npos);
    const struct {
        int passMark;
        const char* line;
    } cases[] = {
        {kDefaultPassMark, "  <xogo version=\"1.0\">\r\n"},
        {60, "  <xogo version=\"1.0\" aprobado=\"60\">\r\n"},
        {0, "  <xogo version=\"1.0\" aprobado=\"0\">\r\n"},
        {100, "  <xogo version=\"1.0\" aprobado=\"100\">\r\n"},
        {250, "  <xogo version=\"1.0\" aprobado=\"100\">\r\n"}, // clamped
    };
    for (const auto& c : cases) {
        SampleQuiz q = fullQuiz();
        q.general.passMark = c.passMark;
        std::string expected = atDefault;
        expected.replace(expected.find(root), root.size(), c.line);
        EXPECT_EQ(written(q), expected) << c.passMark;
    }
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
