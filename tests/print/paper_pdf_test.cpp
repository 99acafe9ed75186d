// vireta-export -f pdf, read back with poppler-utils: every version shows its questions
// and answers in its own order, no question is split across pages, the key names the
// right answer's letter in each version, the fonts are embedded and pictures keep
// their size limits.
#include "formats/paper_test.h"
#include "formats/quiz_file.h"
#include "formats/writer_support.h"
#include "media/image_decoder.h"
#include "media/image_writer.h"
#include "quiz_samples.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <sys/wait.h>

using namespace vireta;
using namespace testfiles;

namespace {

int shell(const std::string& cmd) {
    const int raw = std::system(cmd.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// Runs vireta-export in `dir`; its standard error is left in dir/stderr.txt.
int exportTool(const ScratchDir& dir, const std::string& args) {
    return shell("cd " + quoted(dir.str()) + " && " + quoted(VIRETA_EXPORT_BIN) + " " + args +
                 " 2>stderr.txt");
}

// The output of a poppler tool run on `pdf`.
std::string poppler(const ScratchDir& dir, const std::string& tool, const std::string& pdf) {
    const std::string out = dir / "poppler.txt";
    EXPECT_EQ(shell(tool + " " + quoted(pdf) + " " + (tool.rfind("pdftotext", 0) == 0 ? "- " : "") +
                    ">" + quoted(out)),
              0)
        << tool << " " << pdf;
    return readFile(out);
}

std::string squeezed(const std::string& line) {
    std::string out;
    bool space = false;
    for (char c : line) {
        if (c == ' ' || c == '\t') {
            space = !out.empty();
            continue;
        }
        if (space)
            out += ' ';
        space = false;
        out += c;
    }
    return out;
}

// The pages' text as pdftotext -layout gives it, line by line, blank lines dropped.
std::vector<std::vector<std::string>> pagesOf(const ScratchDir& dir, const std::string& pdf) {
    const std::string text = poppler(dir, "pdftotext -layout -enc UTF-8", pdf);
    std::vector<std::vector<std::string>> pages(1);
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        for (std::size_t ff; (ff = line.find('\f')) != std::string::npos;) {
            const std::string before = squeezed(line.substr(0, ff));
            if (!before.empty())
                pages.back().push_back(before);
            pages.emplace_back();
            line.erase(0, ff + 1);
        }
        const std::string s = squeezed(line);
        if (!s.empty())
            pages.back().push_back(s);
    }
    if (pages.back().empty())
        pages.pop_back();
    return pages;
}

struct PrintedQuestion {
    int number = 0;
    std::string statement;
    std::vector<std::string> answers; // in printed order, lettered a), b) ... as read
    int firstPage = 0;
    int lastPage = 0;
};

struct PrintedVersion {
    std::vector<PrintedQuestion> questions;
    std::vector<int> footerPages; // "Páxina N de M": N per page
    int declaredPages = 0;        // M
};

struct PrintedTest {
    std::map<std::string, PrintedVersion> versions;         // by footer name ("" alone)
    std::map<std::string, std::map<int, std::string>> key; // version -> number -> letter
    std::vector<std::string> versionOrder;
    int keyPages = 0;
};

// Reads a paper test back from its pages' text.
PrintedTest parse(const std::vector<std::vector<std::string>>& pages) {
    static const std::regex footer("(.*) P\xC3\xA1xina ([0-9]+) de ([0-9]+)$");
    static const std::regex question("^([0-9]+)\\. (.+)$");
    static const std::regex answer("^([a-d])\\) (.+)$");
    static const std::regex modelo("Modelo ([A-D])");
    static const std::regex entry("([0-9]+)\\. ([a-d-])");
    PrintedTest t;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const auto& lines = pages[p];
        std::smatch m;
        if (lines.empty() || !std::regex_search(lines.back(), m, footer)) {
            ADD_FAILURE() << "page " << p + 1 << " has no foot";
            continue;
        }
        const std::string left = m[1];
        const int number = std::stoi(m[2]);
        const int of = std::stoi(m[3]);
        const bool keyPage = left.find("Soluci\xC3\xB3ns") != std::string::npos;
        std::smatch v;
        const std::string name = std::regex_search(left, v, modelo) ? "Modelo " + v[1].str() : "";
        if (keyPage) {
            ++t.keyPages;
            std::string current;
            for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
                if (std::regex_search(lines[i], v, modelo)) {
                    current = "Modelo " + v[1].str();
                    continue;
                }
                for (std::sregex_iterator it(lines[i].begin(), lines[i].end(), entry), end; it != end; ++it)
                    t.key[current][std::stoi((*it)[1])] = (*it)[2];
            }
            continue;
        }
        if (!t.versions.count(name))
            t.versionOrder.push_back(name);
        PrintedVersion& version = t.versions[name];
        version.footerPages.push_back(number);
        version.declaredPages = of;
        for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
            if (std::regex_match(lines[i], m, question)) {
                PrintedQuestion q;
                q.number = std::stoi(m[1]);
                q.statement = m[2];
                q.firstPage = q.lastPage = static_cast<int>(p);
                version.questions.push_back(q);
            } else if (std::regex_match(lines[i], m, answer) && !version.questions.empty()) {
                PrintedQuestion& q = version.questions.back();
                EXPECT_EQ(m[1].str(), std::string(1, static_cast<char>('a' + q.answers.size())))
                    << q.statement;
                q.answers.push_back(m[2]);
                q.lastPage = static_cast<int>(p);
            }
        }
    }
    return t;
}

const char kTitle[] = "Exame de xeograf\xC3\xAD" "a: r\xC3\xAD" "as, Mi\xC3\xB1o e \xC3\x91" "and\xC3\xBA";
constexpr int kQuestions = 40;

std::string statementText(int k) {
    return "Pregunta n\xC3\xBAmero " + std::to_string(k) + ": cal \xC3\xA9 a boa?";
}
std::string answerText(int k, int a) {
    return "Resposta " + std::to_string(k) + "." + std::to_string(a) + (a == 1 ? " (certa) \xC3\xB1" : "");
}

// A quiz of 40 questions (some with two or three answers, every third with a picture)
// and the help text given, saved in `dir` as quiz.xml; returns it as the reader gives
// it back.
QuizModel writeQuiz(const ScratchDir& dir, bool inOrder = false, const std::string& help = "") {
    vireta::testing::writePng(dir / "foto.png", 400, 300, [](int x, int y) {
        return vireta::testing::Rgba{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 90, 255};
    });
    QuizModel model;
    GeneralData general;
    general.title = kTitle;
    general.subtitle = "2\xC2\xBA ESO";
    general.inOrder = inOrder;
    general.help = help;
    for (int k = 1; k <= kQuestions; ++k) {
        Question& q = model.questions.record(k);
        q[FieldSlot::enunciado] = statementText(k);
        const int answers = k % 5 == 0 ? 2 : k % 7 == 0 ? 3 : 4;
        for (int a = 1; a <= answers; ++a)
            q[answerSlot(a)] = answerText(k, a);
        if (k % 3 == 0)
            q[FieldSlot::imaxe] = dir / "foto.png";
    }
    OutputBuffer out;
    writeQuizFile(general, model.questions, kQuestions, out);
    writeFile(dir / "quiz.xml", out.text());
    QuizModel opened;
    GeneralData g;
    applyOpenedQuiz(openQuizFile(dir / "quiz.xml"), opened, g);
    return opened;
}

int recordOf(const std::string& statement) {
    for (int k = 1; k <= kQuestions; ++k) {
        if (statement == statementText(k))
            return k;
    }
    return 0;
}

// Everything a version must show, checked against the quiz alone and against the
// versions planned in core with the same seed.
void checkVersions(const PrintedTest& t, const QuizModel& quiz, const std::vector<PaperVersion>& plan) {
    ASSERT_EQ(t.versionOrder.size(), plan.size());
    for (std::size_t v = 0; v < plan.size(); ++v) {
        SCOPED_TRACE(plan[v].name);
        ASSERT_EQ(t.versionOrder[v], plan[v].name);
        const PrintedVersion& printed = t.versions.at(plan[v].name);
        // Several pages, numbered within the version.
        EXPECT_GE(printed.footerPages.size(), 3u);
        for (std::size_t p = 0; p < printed.footerPages.size(); ++p)
            EXPECT_EQ(printed.footerPages[p], static_cast<int>(p) + 1);
        EXPECT_EQ(printed.declaredPages, static_cast<int>(printed.footerPages.size()));

        ASSERT_EQ(printed.questions.size(), static_cast<std::size_t>(kQuestions));
        std::set<int> seen;
        for (std::size_t i = 0; i < printed.questions.size(); ++i) {
            const PrintedQuestion& q = printed.questions[i];
            SCOPED_TRACE(q.statement);
            EXPECT_EQ(q.number, static_cast<int>(i) + 1);
            const int record = recordOf(q.statement);
            ASSERT_NE(record, 0);
            seen.insert(record);
            EXPECT_EQ(record, plan[v].questions[i].record);
            EXPECT_EQ(q.firstPage, q.lastPage) << "split across pages";

            std::vector<std::string> expected;
            for (int a : plan[v].questions[i].answers)
                expected.push_back(quiz.questions.record(record)[answerSlot(a)]);
            EXPECT_EQ(q.answers, expected);
            std::vector<std::string> filled;
            for (int a : filledAnswers(quiz.questions.record(record)))
                filled.push_back(quiz.questions.record(record)[answerSlot(a)]);
            std::vector<std::string> sorted = q.answers;
            std::sort(sorted.begin(), sorted.end());
            std::sort(filled.begin(), filled.end());
            EXPECT_EQ(sorted, filled);

            // The key's letter is where the right answer stands in this version.
            const auto right = std::find(q.answers.begin(), q.answers.end(),
                                         quiz.questions.record(record)[FieldSlot::resposta1]);
            ASSERT_NE(right, q.answers.end());
            const std::string letter(1, static_cast<char>('a' + (right - q.answers.begin())));
            ASSERT_TRUE(t.key.count(plan[v].name));
            EXPECT_EQ(t.key.at(plan[v].name).at(q.number), letter);
        }
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(kQuestions));
        EXPECT_EQ(t.key.at(plan[v].name).size(), static_cast<std::size_t>(kQuestions));
    }
}

std::vector<PaperVersion> planned(const QuizModel& quiz, bool inOrder, int versions, bool shuffleAnswers,
                                  std::uint32_t seed) {
    PaperSettings s;
    s.versions = versions;
    s.shuffleAnswers = shuffleAnswers;
    auto g = ShuffleGenerator::withFixedSeed(seed);
    return planPaperTest(quiz.questions, quiz.count, inOrder, s, g);
}

std::vector<int> recordsOf(const PrintedVersion& v) {
    std::vector<int> r;
    for (const auto& q : v.questions)
        r.push_back(recordOf(q.statement));
    return r;
}

} // namespace

TEST(PaperPdf, EveryVersionInItsOwnOrderWithItsKey) {
    ScratchDir dir;
    const QuizModel quiz = writeQuiz(dir);
    ASSERT_EQ(exportTool(dir, "-f pdf -o proba --versions 3 --seed 11 quiz.xml"), 0)
        << readFile(dir / "stderr.txt");
    EXPECT_EQ(readFile(dir / "stderr.txt"), "");
    const auto pages = pagesOf(dir, dir / "proba.pdf");
    const PrintedTest t = parse(pages);
    checkVersions(t, quiz, planned(quiz, false, 3, true, 11));
    EXPECT_GE(t.keyPages, 1);
    EXPECT_NE(recordsOf(t.versions.at("Modelo A")), recordsOf(t.versions.at("Modelo B")));

    // The head of each version, every Galician character as typed.
    const std::vector<std::string>& first = pages.front();
    EXPECT_EQ(first[0], std::string(kTitle) + " Nota:"); // the box for the mark at its right
    EXPECT_EQ(first[1], "2\xC2\xBA ESO");
    EXPECT_EQ(first[2], "Modelo A");
    EXPECT_EQ(first[3], "Nome:");
    EXPECT_EQ(first[4], "Curso: Data:");
    EXPECT_EQ(first.back(), std::string(kTitle) + " Modelo A P\xC3\xA1xina 1 de " +
                                std::to_string(t.versions.at("Modelo A").declaredPages));
}

// Every version's first page has the box for the mark at the top right and, under the
// lines to fill in, the quiz's help text as the instructions; the HTML tab's extra line
// is the pages' own.
TEST(PaperPdf, TheHelpTextIsTheInstructionsAndEveryVersionHasTheBoxForTheMark) {
    const std::string help = "Marca cunha X a resposta correcta. Cada acerto vale 0,25 puntos.";
    for (const std::string& given : {help, std::string()}) {
        SCOPED_TRACE(given);
        ScratchDir dir;
        writeQuiz(dir, false, given);
        ASSERT_EQ(exportTool(dir, "-f pdf -o proba --versions 3 --seed 2 --text 'Texto da web' quiz.xml"), 0)
            << readFile(dir / "stderr.txt");
        const auto pages = pagesOf(dir, dir / "proba.pdf");
        int firstPages = 0;
        for (const auto& page : pages) {
            if (page.back().find(" P\xC3\xA1xina 1 de ") == std::string::npos ||
                page.back().find("Soluci\xC3\xB3ns") != std::string::npos)
                continue;
            ++firstPages;
            ASSERT_GE(page.size(), 7u);
            EXPECT_EQ(page[0], std::string(kTitle) + " Nota:");
            EXPECT_EQ(page[4], "Curso: Data:");
            if (given.empty()) {
                EXPECT_EQ(page[5].rfind("1. ", 0), 0u) << page[5];
            } else {
                EXPECT_EQ(page[5], given);
            }
            for (const std::string& line : page)
                EXPECT_EQ(line.find("Texto da web"), std::string::npos);
        }
        EXPECT_EQ(firstPages, 3);
    }
}

TEST(PaperPdf, AnswersInFieldOrderWhenNotShuffledAndQuestionsInOrderWithConOrde) {
    const struct {
        bool inOrder;
        bool shuffleAnswers;
    } cases[] = {{false, false}, {true, true}, {true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.inOrder) + std::to_string(c.shuffleAnswers));
        ScratchDir dir;
        const QuizModel quiz = writeQuiz(dir, c.inOrder);
        ASSERT_EQ(exportTool(dir, std::string("-f pdf -o proba --versions 2 --seed 5 ") +
                                      (c.shuffleAnswers ? "" : "--no-shuffle-answers ") + "quiz.xml"),
                  0)
            << readFile(dir / "stderr.txt");
        const PrintedTest t = parse(pagesOf(dir, dir / "proba.pdf"));
        const auto plan = planned(quiz, c.inOrder, 2, c.shuffleAnswers, 5);
        checkVersions(t, quiz, plan);
        for (const PaperVersion& v : plan) {
            for (const PaperQuestion& q : v.questions) {
                if (c.inOrder) {
                    EXPECT_EQ(q.record, q.number);
                }
                if (!c.shuffleAnswers) {
                    EXPECT_EQ(q.answers, filledAnswers(quiz.questions.record(q.record)));
                }
            }
        }
    }
}

TEST(PaperPdf, TheSameSeedGivesTheSameTextAndAnotherSeedAnotherOne) {
    ScratchDir dir;
    writeQuiz(dir);
    ASSERT_EQ(exportTool(dir, "-f pdf -o a --versions 4 --seed 8 quiz.xml"), 0);
    ASSERT_EQ(exportTool(dir, "-f pdf -o b --versions 4 --seed 8 quiz.xml"), 0);
    ASSERT_EQ(exportTool(dir, "-f pdf -o c --versions 4 --seed 9 quiz.xml"), 0);
    const std::string a = poppler(dir, "pdftotext -layout", dir / "a.pdf");
    EXPECT_GT(a.size(), 1000u);
    EXPECT_EQ(a, poppler(dir, "pdftotext -layout", dir / "b.pdf"));
    EXPECT_NE(a, poppler(dir, "pdftotext -layout", dir / "c.pdf"));
}

TEST(PaperPdf, FontsAreEmbeddedDejaVuSans) {
    ScratchDir dir;
    writeQuiz(dir);
    ASSERT_EQ(exportTool(dir, "-f pdf -o proba quiz.xml"), 0);
    std::istringstream fonts(poppler(dir, "pdffonts", dir / "proba.pdf"));
    std::string line;
    std::set<std::string> names;
    int rows = 0;
    while (std::getline(fonts, line)) {
        if (rows++ < 2 || line.empty())
            continue; // the heading and its rule
        std::istringstream words(line);
        std::vector<std::string> w{std::istream_iterator<std::string>(words), {}};
        ASSERT_GE(w.size(), 7u) << line;
        names.insert(w[0].substr(w[0].find('+') + 1));
        EXPECT_EQ(w[w.size() - 5], "yes") << "not embedded: " << line;
    }
    EXPECT_EQ(names, (std::set<std::string>{"DejaVuSans", "DejaVuSans-Bold"}));
}

TEST(PaperPdf, KeyApartAndLetterPaper) {
    ScratchDir dir;
    const QuizModel quiz = writeQuiz(dir);
    ASSERT_EQ(exportTool(dir, "-f pdf -o exame.pdf --key-apart --letter --versions 2 --seed 3 quiz.xml"), 0)
        << readFile(dir / "stderr.txt");
    const PrintedTest test = parse(pagesOf(dir, dir / "exame.pdf"));
    EXPECT_EQ(test.keyPages, 0);
    EXPECT_EQ(test.versionOrder, (std::vector<std::string>{"Modelo A", "Modelo B"}));
    const PrintedTest key = parse(pagesOf(dir, dir / "exame-solucions.pdf"));
    EXPECT_TRUE(key.versions.empty());
    EXPECT_EQ(key.key.size(), 2u);
    // Test and key together read as one test with its key.
    PrintedTest whole = test;
    whole.key = key.key;
    checkVersions(whole, quiz, planned(quiz, false, 2, true, 3));
    for (const char* file : {"exame.pdf", "exame-solucions.pdf"})
        EXPECT_NE(poppler(dir, "pdfinfo", dir / file).find("(letter)"), std::string::npos) << file;

    ASSERT_EQ(exportTool(dir, "-f pdf -o a4 quiz.xml"), 0);
    EXPECT_NE(poppler(dir, "pdfinfo", dir / "a4.pdf").find("(A4)"), std::string::npos);
    EXPECT_FALSE(std::ifstream(dir / "a4-solucions.pdf").good());
}

TEST(PaperPdf, PicturesAtMostSixCentimetresHighAndTheColumnWideNeverEnlarged) {
    // Natural size: the pixels at 96 dpi. The column is 170 mm (A4 less the margins)
    // less the 8 mm the question number takes.
    const struct {
        int width, height;
        double mmWide, mmHigh;
    } cases[] = {
        {48, 30, 12.7, 7.9375},    // small: as it is
        {400, 300, 80.0, 60.0},    // tall: 6 cm high
        {2400, 200, 162.0, 13.5},  // wide: the column's width
        {120, 600, 12.0, 60.0},    // narrow and tall
    };
    ScratchDir dir;
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xogo version=\"1.0\"><titulo>Fotos</titulo>"
                      "<orde>1</orde><preguntas>\n";
    int n = 0;
    for (const auto& c : cases) {
        ++n;
        const std::string name = "f" + std::to_string(n) + (n % 2 ? ".png" : ".jpg");
        auto grey = [](int x, int y) {
            const auto v = static_cast<std::uint8_t>((x * 7 + y * 3) % 256);
            return vireta::testing::Rgba{v, v, v, 255};
        };
        if (n % 2)
            vireta::testing::writePng(dir / name, c.width, c.height, grey);
        else
            vireta::testing::writeJpeg(dir / name, c.width, c.height, grey);
        xml += "<pregunta><enunciado>Foto " + std::to_string(n) + "</enunciado><resposta>Si</resposta>"
               "<imaxe>" + name + "</imaxe></pregunta>\n";
    }
    xml += "<pregunta><enunciado>Sen foto</enunciado><resposta>Si</resposta><imaxe>falta.png</imaxe>"
           "</pregunta>\n<pregunta><enunciado>Video</enunciado><resposta>Si</resposta>"
           "<imaxe>video.flv</imaxe></pregunta>\n</preguntas></xogo>\n";
    writeFile(dir / "video.flv", "FLV");
    writeFile(dir / "quiz.xml", xml);

    // A picture that cannot be read is left out, and said so; the test is written.
    EXPECT_EQ(exportTool(dir, "-f pdf -o fotos quiz.xml"), 1);
    EXPECT_NE(readFile(dir / "stderr.txt").find("falta.png"), std::string::npos);
    EXPECT_EQ(readFile(dir / "stderr.txt").find("video.flv"), std::string::npos); // not a picture
    EXPECT_NE(poppler(dir, "pdftotext -layout", dir / "fotos.pdf").find("Sen foto"), std::string::npos);

    // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
    std::istringstream list(poppler(dir, "pdfimages -list", dir / "fotos.pdf"));
    std::string line;
    std::getline(list, line);
    std::getline(list, line);
    std::vector<std::pair<double, double>> drawn;
    while (std::getline(list, line)) {
        std::istringstream words(line);
        std::vector<std::string> w{std::istream_iterator<std::string>(words), {}};
        if (w.size() < 14 || w[2] != "image")
            continue; // soft masks and the like
        drawn.emplace_back(std::stod(w[3]) / std::stod(w[12]) * 25.4,
                           std::stod(w[4]) / std::stod(w[13]) * 25.4);
    }
    ASSERT_EQ(drawn.size(), std::size(cases));
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(drawn[i].first, cases[i].mmWide, 0.6);
        EXPECT_NEAR(drawn[i].second, cases[i].mmHigh, 0.6);
    }
}

// A photo stored lying on its side is printed the way the window shows it: turned as
// its EXIF orientation says, by the same reading of it. The printed pictures are taken
// out of the PDF and their quadrants compared with the window's decoding.
TEST(PaperPdf, AJpegIsTurnedAsTheWindowShowsIt) {
    using vireta::testing::Rgba;
    const Rgba quadrant[4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
    ScratchDir dir;
    vireta::testing::writeJpeg(dir / "stored.jpg", 400, 300, [&](int x, int y) {
        return quadrant[(y < 150 ? 0 : 2) + (x < 200 ? 0 : 1)];
    });
    const std::vector<char> stored = vireta::testing::readBytes(dir / "stored.jpg");
    const int orientations[] = {1, 2, 3, 5, 6, 7, 8};
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xogo version=\"1.0\"><titulo>Fotos</titulo>"
                      "<orde>1</orde><preguntas>\n";
    for (int o : orientations) {
        const std::string name = "o" + std::to_string(o) + ".jpg";
        vireta::testing::writeBytes(dir / name, vireta::testing::jpegWithEmbeddedPreviews(stored, {}, {}, o));
        xml += "<pregunta><enunciado>Foto " + std::to_string(o) + "</enunciado><resposta>Si</resposta>"
               "<imaxe>" + name + "</imaxe></pregunta>\n";
    }
    writeFile(dir / "quiz.xml", xml + "</preguntas></xogo>\n");
    ASSERT_EQ(exportTool(dir, "-f pdf -o fotos quiz.xml"), 0) << readFile(dir / "stderr.txt");
    ASSERT_EQ(shell("pdfimages -png " + quoted(dir / "fotos.pdf") + " " + quoted(dir / "printed")), 0);

    auto colourAt = [](const Image& image, double fx, double fy) {
        const std::uint8_t* p = image.pixel(static_cast<int>(fx * image.width), static_cast<int>(fy * image.height));
        return std::vector<int>{p[0] / 128, p[1] / 128, p[2] / 128};
    };
    for (std::size_t i = 0; i < std::size(orientations); ++i) {
        SCOPED_TRACE(orientations[i]);
        const std::string number = std::to_string(i);
        const Image printed = decodeImage(dir / ("printed-" + std::string(3 - number.size(), '0') + number + ".png"));
        const Image shown = decodeImage(dir / ("o" + std::to_string(orientations[i]) + ".jpg"));
        EXPECT_EQ(printed.width > printed.height, shown.width > shown.height);
        for (double fy : {0.25, 0.75})
            for (double fx : {0.25, 0.75})
                EXPECT_EQ(colourAt(printed, fx, fy), colourAt(shown, fx, fy)) << fx << ", " << fy;
    }
}

TEST(PaperPdf, WrongVersionCountsAreRefused) {
    ScratchDir dir;
    writeQuiz(dir);
    for (const char* n : {"0", "5", "x", "", "12"})
        EXPECT_EQ(exportTool(dir, std::string("-f pdf -o p --versions '") + n + "' quiz.xml"), 2) << n;
    EXPECT_FALSE(std::ifstream(dir / "p.pdf").good());
}

// A several-answer question says to tick every right one and its key names them all;
// a true-or-false one offers "Verdadeiro" and "Falso" in that order; a short-answer one
// has no answers to tick and its key lists the accepted answers on a row of their own.
TEST(PaperPdf, EachKindIsPrintedAsItIsAskedWithItsKey) {
    ScratchDir dir;
    const samples::SampleQuiz sample = samples::kindsQuiz();
    OutputBuffer out;
    writeQuizFile(sample.general, sample.questions, sample.count, out);
    writeFile(dir / "kinds.xml", out.text());
    ASSERT_EQ(exportTool(dir, "-f pdf -o kinds --versions 3 --seed 6 kinds.xml"), 0) << readFile(dir / "stderr.txt");
    const auto pages = pagesOf(dir, dir / "kinds.pdf");
    const PrintedTest t = parse(pages);
    ASSERT_EQ(t.versionOrder.size(), 3u);

    const std::string several = "Cales son r\xC3\xADos galegos?";
    const std::string trueFalse = "O Mi\xC3\xB1o nace en Ourense.";
    const std::string typed = "Capital de Galicia?";
    const std::string one = "R\xC3\xADo m\xC3\xA1is longo?";
    // The key's rows, as printed: "2. a, c", and a short answer's "3. Santiago ..." alone.
    std::map<std::string, std::vector<std::string>> keyRows;
    std::map<std::string, std::vector<std::string>> hints; // the line after the several one's statement
    std::string version;
    for (const auto& page : pages) {
        const bool keyPage = page.back().find("Soluci\xC3\xB3ns") != std::string::npos;
        for (std::size_t i = 0; i + 1 < page.size(); ++i) {
            if (page[i].rfind("Modelo ", 0) == 0) {
                version = page[i];
                continue;
            }
            if (keyPage)
                keyRows[version].push_back(page[i]);
            else if (page[i].find(several) != std::string::npos)
                hints[version].push_back(page[i + 1]);
        }
    }
    static const std::regex lettered("([0-9]+)\\. ([a-d](?:, [a-d])*|-)(?= |$)");
    static const std::regex alone("^([0-9]+)\\. (.+)$");
    for (const std::string& name : t.versionOrder) {
        SCOPED_TRACE(name);
        ASSERT_EQ(t.versions.at(name).questions.size(), 4u);
        EXPECT_EQ(hints[name], std::vector<std::string>{"Marca todas as correctas."});
        std::map<int, std::string> key; // number -> entry
        for (const std::string& row : keyRows[name]) {
            bool any = false;
            for (std::sregex_iterator it(row.begin(), row.end(), lettered), end; it != end; ++it, any = true)
                key[std::stoi((*it)[1])] = (*it)[2];
            std::smatch m;
            if (!any && std::regex_match(row, m, alone))
                key[std::stoi(m[1])] = m[2];
        }
        ASSERT_EQ(key.size(), 4u);
        for (const PrintedQuestion& q : t.versions.at(name).questions) {
            SCOPED_TRACE(q.statement);
            std::string letters;
            for (std::size_t i = 0; i < q.answers.size(); ++i)
                if (q.answers[i] == "Mi\xC3\xB1o" || q.answers[i] == "Ulla" || q.answers[i] == "Falso")
                    letters += (letters.empty() ? "" : ", ") + std::string(1, static_cast<char>('a' + i));
            if (q.statement == several) {
                std::vector<std::string> sorted = q.answers;
                std::sort(sorted.begin(), sorted.end());
                EXPECT_EQ(sorted, (std::vector<std::string>{"Douro", "Mi\xC3\xB1o", "Mondego", "Ulla"}));
                EXPECT_EQ(letters.size(), 4u); // two of them
            } else if (q.statement == trueFalse) {
                EXPECT_EQ(q.answers, (std::vector<std::string>{"Verdadeiro", "Falso"}));
            } else if (q.statement == typed) {
                EXPECT_TRUE(q.answers.empty());
                letters = "Santiago de Compostela / Santiago";
            } else {
                EXPECT_EQ(q.statement, one);
            }
            EXPECT_EQ(key[q.number], letters);
        }
    }
}
