// The example quiz shipped in examples/: it is in the program's own layout, opens,
// and saves in every format with its media copied and packed.
#include "save/tar_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace tartest;

namespace {

const std::string kExample = std::string(VIRETA_EXAMPLE_DIR) + "/xeografia.xml";

// The media the quiz names, in the order a save handles them: the introduction and
// end-of-game sounds, then each question's image, sound and answer sounds.
const std::vector<std::string> kMedia = {
    "intro.mp3", "final-ben.mp3", "final-mal.mp3", "rio.png",     "pregunta1.mp3", "ben.mp3",
    "mal.mp3",   "monte.jpg",     "illas.png",     "muralla.png", "cabo.jpg",      "torre.jpg",
};

// Runs vireta-export with `args` from inside `dir`; returns its exit status and
// leaves its standard output in dir/stdout.txt.
int exportTool(const ScratchDir& dir, const std::string& args) {
    const std::string cmd = "cd '" + dir.str() + "' && '" + VIRETA_EXPORT_BIN + "' " + args +
                            " >stdout.txt 2>stderr.txt";
    const int raw = std::system(cmd.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(ExampleQuiz, OpensWithTenQuestions) {
    ScratchDir dir;
    ASSERT_EQ(exportTool(dir, "--check '" + kExample + "'"), 0) << readFile(dir / "stderr.txt");
    EXPECT_EQ(readFile(dir / "stdout.txt"), "10\n");
}

TEST(ExampleQuiz, IsInTheProgramsOwnLayout) {
    // Opened and saved again, the file comes back byte for byte: it is exactly what
    // "Gardar" writes (CR LF, indentation, trailing spaces, UTF-8).
    ScratchDir dir;
    ASSERT_EQ(exportTool(dir, "-f xml -o again '" + kExample + "'"), 0)
        << readFile(dir / "stderr.txt");
    const std::string original = readFile(kExample);
    EXPECT_TRUE(readFile(dir / "again.xml") == original);
    EXPECT_NE(original.find("\r\n"), std::string::npos);
    EXPECT_EQ(original.find("\r\n\n"), std::string::npos);
}

TEST(ExampleQuiz, SavesInEveryFormatWithItsMediaCopiedAndPacked) {
    const struct {
        const char* format;
        const char* document; // the saved document's file name
    } formats[] = {{"xml", "quiz.xml"}, {"html", "quiz.html"}, {"js", "quiz.html"}, {"ebk", "quiz.ebk"},
                   {"web", "quiz.html"}};

    for (const auto& f : formats) {
        SCOPED_TRACE(f.format);
        ScratchDir dir;
        ASSERT_EQ(exportTool(dir, std::string("-f ") + f.format + " -o quiz --copy --pack --seed 3 '" +
                                      kExample + "'"),
                  0)
            << readFile(dir / "stderr.txt");

        std::vector<Entry> expected;
        for (const auto& name : kMedia) {
            const std::string original = readFile(std::string(VIRETA_EXAMPLE_DIR) + "/" + name);
            ASSERT_FALSE(original.empty()) << name << " is missing from the example";
            EXPECT_TRUE(readFile(dir / name) == original) << name << " was not copied whole";
            expected.push_back({name, original});
        }
        const std::string document = readFile(dir / f.document);
        ASSERT_FALSE(document.empty());
        expected.push_back({f.document, document});
        EXPECT_EQ(readEntries(dir / "quiz.tar"), expected);
    }
}

} // namespace
