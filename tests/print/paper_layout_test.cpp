// The paper test laid out with the fonts it is printed in, on the offscreen platform,
// and not drawn: questions fill every page in reading order and move to the next one
// only when they do not fit; the plan is the PDF that is then written.
#include "formats/quiz_file.h"
#include "formats/writer_support.h"
#include "paper_pdf.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <cstdlib>
#include <regex>
#include <sstream>
#include <sys/wait.h>

using namespace vireta;
using namespace testfiles;

namespace {

const std::string kExample = VIRETA_EXAMPLE_DIR;

struct Quiz {
    GeneralData general;
    QuizModel model;
};

Quiz exampleQuiz() {
    Quiz quiz;
    applyOpenedQuiz(openQuizFile(kExample + "/xeografia.xml"), quiz.model, quiz.general);
    return quiz;
}

// Sixteen short questions, three of them with one of the example's pictures, under a
// head with a subtitle and instructions (on A4 they took four pages in most versions).
Quiz sixteenShortQuestions() {
    Quiz quiz;
    quiz.general.title = "Proba curta";
    quiz.general.subtitle = "2\xC2\xBA ESO";
    quiz.general.help = "Marca unha soa resposta en cada pregunta.";
    const char* pictures[] = {"rio.png", "monte.jpg", "torre.jpg"};
    for (int k = 1; k <= 16; ++k) {
        Question& q = quiz.model.questions.record(k);
        q[FieldSlot::enunciado] = "Pregunta " + std::to_string(k) + ": cal \xC3\xA9 a boa?";
        const char* answers[] = {"Si", "Non", "Quizais", "Nunca"};
        for (int a = 1; a <= 4; ++a)
            q[answerSlot(a)] = answers[a - 1];
        if (k % 5 == 4)
            q[FieldSlot::imaxe] = kExample + "/" + pictures[k / 5];
    }
    quiz.model.count = 16;
    return quiz;
}

PaperDocument documentOf(const Quiz& quiz, int versions, bool letter = false, std::uint32_t seed = 4) {
    ExportSettings settings;
    settings.paper.versions = versions;
    settings.paper.letter = letter;
    auto generator = ShuffleGenerator::withFixedSeed(seed);
    return makePaperDocument(quiz.general, quiz.model.questions, quiz.model.count, settings, generator);
}

int shell(const std::string& cmd) {
    const int raw = std::system(cmd.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Each page's question numbers as pdftotext reads them ("7. Cal é ...").
std::vector<std::vector<int>> printedNumbers(const std::string& pdf) {
    ScratchDir dir;
    writeFile(dir / "test.pdf", pdf);
    EXPECT_EQ(shell("pdftotext -layout '" + (dir / "test.pdf") + "' '" + (dir / "test.txt") + "'"), 0);
    std::vector<std::vector<int>> pages(1);
    static const std::regex question("^\\s*([0-9]+)\\. \\S");
    std::istringstream in(readFile(dir / "test.txt"));
    std::string line;
    while (std::getline(in, line)) {
        for (std::size_t ff; (ff = line.find('\f')) != std::string::npos; line.erase(0, ff + 1))
            pages.emplace_back();
        std::smatch m;
        if (std::regex_search(line, m, question))
            pages.back().push_back(std::stoi(m[1]));
    }
    if (pages.back().empty())
        pages.pop_back();
    return pages;
}

} // namespace

// On every page of a version but its last, the room left below its last question (and
// the space that would part it from the next) is smaller than the question that opens
// the next page; no question is cut, and the questions stand in their order.
TEST(PaperLayout, EveryPageIsFilledUntilTheNextQuestionDoesNotFit) {
    const Quiz example = exampleQuiz();
    const Quiz sixteen = sixteenShortQuestions();
    const struct {
        const char* what;
        const Quiz& quiz;
        bool letter;
    } cases[] = {
        {"example, A4", example, false},
        {"example, Letter", example, true},
        {"sixteen short questions, A4", sixteen, false},
        {"sixteen short questions, Letter", sixteen, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PaperDocument doc = documentOf(c.quiz, 4, c.letter);
        const PaperPlan plan = planPaperPdf(doc, PaperPart::Test, c.letter);
        ASSERT_EQ(plan.sections.size(), 4u);
        EXPECT_TRUE(plan.unreadPictures.empty());
        for (std::size_t v = 0; v < plan.sections.size(); ++v) {
            const PaperSectionPlan& section = plan.sections[v];
            SCOPED_TRACE(section.name);
            EXPECT_EQ(section.name, doc.versions[v].name);
            int expected = 0; // the number of the question before
            for (std::size_t p = 0; p < section.pages.size(); ++p) {
                SCOPED_TRACE("page " + std::to_string(p + 1));
                const auto& page = section.pages[p];
                ASSERT_FALSE(page.empty());
                EXPECT_EQ(page.front().top, 0);
                for (std::size_t i = 0; i < page.size(); ++i) {
                    const PaperPlacedBlock& b = page[i];
                    EXPECT_EQ(b.kind, p == 0 && i == 0 ? PaperBlockKind::Head : PaperBlockKind::Question);
                    if (b.kind == PaperBlockKind::Question) {
                        EXPECT_EQ(b.question, ++expected);
                    }
                    EXPECT_LE(b.top + b.size.height, plan.pageHeight + 1e-9);
                    if (i > 0) { // parted from the one before, by a shrunk space at most
                        const PaperPlacedBlock& before = page[i - 1];
                        const double space = b.top - (before.top + before.size.height);
                        EXPECT_LE(space, before.size.spaceAfter + 1e-9);
                        EXPECT_GE(space, before.size.spaceAfter - before.size.shrink - 1e-9);
                        EXPECT_GT(before.size.spaceAfter - before.size.shrink, 1.5); // never touching
                    }
                }
                if (p + 1 == section.pages.size())
                    continue;
                // The room left where the next question would stand, its space shrunk.
                const PaperPlacedBlock& last = page.back();
                const double left = plan.pageHeight -
                                    (last.top + last.size.height + last.size.spaceAfter - last.size.shrink);
                EXPECT_LT(left, section.pages[p + 1].front().size.height);
            }
            EXPECT_EQ(expected, static_cast<int>(doc.versions[v].questions.size()));
        }
    }
}

// A picture (the example's 8 x 6 cm river) stands beside answers that keep their lines
// there, so the question is about as tall as the picture; under answers that would
// wrap beside it, it adds its own height and a gap.
TEST(PaperLayout, APictureStandsBesideShortAnswersAndAboveLongOnes) {
    const std::string longAnswer = "Un r\xC3\xAD" "o que nace en Galicia e corre cara ao mar Cant\xC3\xA1" "brico";
    Quiz quiz;
    quiz.general.inOrder = true;
    for (int k = 1; k <= 4; ++k) {
        Question& q = quiz.model.questions.record(k);
        q[FieldSlot::enunciado] = "Cal \xC3\xA9?";
        const bool longOnes = k > 2;
        for (int a = 1; a <= 4; ++a)
            q[answerSlot(a)] = longOnes && a == 2 ? longAnswer : "Si";
        if (k % 2 == 0)
            q[FieldSlot::imaxe] = kExample + "/rio.png";
    }
    quiz.model.count = 4;
    const PaperPlan plan = planPaperPdf(documentOf(quiz, 1), PaperPart::Test, false);
    std::vector<double> heights;
    for (const auto& page : plan.sections.at(0).pages) {
        for (const PaperPlacedBlock& b : page) {
            if (b.kind == PaperBlockKind::Question)
                heights.push_back(b.size.height);
        }
    }
    ASSERT_EQ(heights.size(), 4u);
    const double shortAlone = heights[0], shortBeside = heights[1], longAlone = heights[2],
                 longUnder = heights[3];
    EXPECT_GE(shortBeside, 62);                   // the statement, a gap and the picture
    EXPECT_LT(shortBeside, shortAlone + 62 - 20); // not the four answers' lines besides
    EXPECT_NEAR(longUnder, longAlone + 2 + 60, 0.01);
}

// A short answer gets a line to write on, a centimetre under its statement; a
// several-answer question the line that asks for every right answer above its answers.
TEST(PaperLayout, AShortAnswerHasRoomToWriteAndSeveralAnswersTheirInstruction) {
    Quiz quiz;
    quiz.general.inOrder = true;
    const QuestionKind kinds[] = {QuestionKind::One, QuestionKind::Short, QuestionKind::One,
                                  QuestionKind::Several};
    for (int k = 1; k <= 4; ++k) {
        Question& q = quiz.model.questions.record(k);
        q.kind = kinds[k - 1];
        q[FieldSlot::enunciado] = "Cal \xC3\xA9?";
        if (q.kind == QuestionKind::Several)
            q.marked = {true, false, false, false};
        if (k > 2) {
            q[FieldSlot::resposta1] = "Si";
            q[FieldSlot::resposta2] = "Non";
        }
    }
    quiz.model.count = 4;
    ExportSettings settings;
    settings.paper.shuffleAnswers = false;
    auto generator = ShuffleGenerator::withFixedSeed(1);
    const PaperPlan plan = planPaperPdf(
        makePaperDocument(quiz.general, quiz.model.questions, 4, settings, generator), PaperPart::Test, false);
    std::vector<double> heights;
    for (const PaperPlacedBlock& b : plan.sections.at(0).pages.at(0))
        if (b.kind == PaperBlockKind::Question)
            heights.push_back(b.size.height);
    ASSERT_EQ(heights.size(), 4u);
    EXPECT_NEAR(heights[1], heights[0] + 2 + 10, 0.01);
    EXPECT_GT(heights[3], heights[2] + 3); // a line of 10 points and its gap
    EXPECT_LT(heights[3], heights[2] + 6);
}

// The PDF written holds the pages the plan lays out, each with its questions.
TEST(PaperLayout, ThePdfIsDrawnAsPlanned) {
    const Quiz example = exampleQuiz();
    const PaperDocument doc = documentOf(example, 2);
    const PaperPlan plan = planPaperPdf(doc, PaperPart::Whole, false);
    std::vector<std::vector<int>> planned;
    for (const PaperSectionPlan& section : plan.sections) {
        for (const auto& page : section.pages) {
            std::vector<int> numbers;
            for (const PaperPlacedBlock& b : page) {
                if (b.kind == PaperBlockKind::Question)
                    numbers.push_back(b.question);
            }
            planned.push_back(numbers);
        }
    }
    ASSERT_EQ(static_cast<int>(planned.size()), plan.pageCount());
    ASSERT_EQ(plan.sections.back().name, kPaperKeyTitle);
    // The key's pages hold entries ("7. c"), not questions.
    for (std::size_t k = 0; k < plan.sections.back().pages.size(); ++k)
        planned.pop_back();
    std::vector<std::vector<int>> printed = printedNumbers(paperTestPdf(doc, PaperPart::Whole, false));
    ASSERT_EQ(static_cast<int>(printed.size()), plan.pageCount());
    printed.resize(planned.size());
    EXPECT_EQ(printed, planned);
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen")); // the fonts need no display
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
