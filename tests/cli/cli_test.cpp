// vireta-export run as a program: exit codes, messages and what it writes.
#include "cli_fixture.h"
#include "quiz_samples.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vireta::samples;
using namespace testfiles;

namespace {

using Cli = CliFixture;

TEST_F(Cli, HelpAndUsageErrors) {
    Outcome r = run("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("usage: vireta-export"), std::string::npos);
    EXPECT_EQ(r.err, "");

    const char* wrong[] = {
        "",                                   // nothing at all
        "--check",                            // no quiz
        "--check a.xml b.xml",                // two quizzes
        "--check -f xml a.xml",               // --check with export options
        "--check --pack a.xml",
        "-o out a.xml",                       // no format
        "-f xml a.xml",                       // no output name
        "-f xml -o out/ a.xml",               // an output name without file name
        "-f docx -o out a.xml",               // unknown format
        "-f xml -o out --frobnicate a.xml",   // unknown option
        "-f xml -o out --seed 12x a.xml",     // seed not a number
        "-f xml -o out --seed 4294967296 a.xml",
        "-f xml -o out --copy=yes a.xml",     // a flag with a value
        "-f xml -o out --style",              // an option without its value
        "-f scorm -o out --pass-mark 101 a.xml", // a pass mark over 100
        "-f scorm -o out --pass-mark -1 a.xml",
        "-f scorm -o out --pass-mark 5.5 a.xml",
        "-f web -o out --single-file=1 a.xml",
    };
    for (const char* args : wrong) {
        r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage: vireta-export"), std::string::npos) << args;
        EXPECT_EQ(r.out, "") << args;
    }
}

TEST_F(Cli, CheckPrintsTheNumberOfQuestions) {
    const struct {
        const char* file;
        const char* count;
    } cases[] = {{"full_quiz.xml", "1\n"}, {"mixed_quiz.xml", "2\n"}, {"new_quiz.xml", "0\n"}};
    for (const auto& c : cases) {
        const Outcome r = run("--check '" + dataPath(c.file) + "'");
        EXPECT_EQ(r.status, 0) << c.file << r.err;
        EXPECT_EQ(r.out, c.count) << c.file;
    }
}

TEST_F(Cli, CheckReportsWhyAFileDoesNotOpen) {
    write("lone-amp.xml", "<xogo version=\"1.0\"><titulo>a & b</titulo></xogo>");
    write("other-root.xml", "<quiz version=\"1.0\"/>");
    write("empty.xml", "");
    write("broken.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<xogo version=\"1.0\">\r\n"
                        "  <titulo>Ría de Arousa</titulo><autor>Tom & Xerry</autor>\r\n</xogo>\r\n");
    const struct {
        const char* file;
        const char* reason;
    } cases[] = {
        {"lone-amp.xml", "Missing reference end ';'."},
        // Where the XML breaks, the column in characters (45 in bytes).
        {"broken.xml", "vireta-export: broken.xml: line 3, column 44: Missing reference end ';'.\n"},
        {"other-root.xml", "xogo"},
        {"empty.xml", "empty"},
        {"missing.xml", "missing.xml"},
    };
    for (const auto& c : cases) {
        const Outcome r = run(std::string("--check ") + c.file);
        EXPECT_EQ(r.status, 1) << c.file;
        EXPECT_EQ(r.out, "") << c.file;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.file << ": " << r.err;
        EXPECT_EQ(r.err.find("usage"), std::string::npos) << c.file;
    }
}

TEST_F(Cli, SavesTheQuizFileAsTheEditorDoes) {
    Outcome r = run("-f xml -o copia '" + dataPath("full_quiz.xml") + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(dir_ + "copia.xml"), readFile(dataPath("full_quiz.xml")));
    struct stat st;
    EXPECT_NE(stat((dir_ + "copia.tar").c_str(), &st), 0) << "packs only with --pack";

    r = run("-f xml -o no/such/folder/copia '" + dataPath("full_quiz.xml") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no/such/folder/copia.xml"), std::string::npos) << r.err;
}

TEST_F(Cli, CopiesAndPacksTheMediaAndReportsMissingOnes) {
    mkdir((dir_ + "src").c_str(), 0755);
    mkdir((dir_ + "out").c_str(), 0755);
    write("src/foto.png", "picture");
    write("src/quiz.xml", "<xogo version=\"1.0\"><preguntas><pregunta><enunciado>E</enunciado>"
                          "<imaxe>foto.png</imaxe><son>falta.mp3</son></pregunta></preguntas></xogo>");
    const Outcome r = run("-f xml -o out/novo --copy --pack src/quiz.xml");
    EXPECT_EQ(r.status, 1) << "a media file was missing";
    EXPECT_NE(r.err.find("falta.mp3"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(dir_ + "out/foto.png"), "picture");
    const std::string tar = readFile(dir_ + "out/novo.tar");
    ASSERT_GE(tar.size(), 2048u);
    EXPECT_EQ(std::string(tar.c_str()), "foto.png");
    EXPECT_NE(readFile(dir_ + "out/novo.xml").find("<imaxe>foto.png</imaxe>"), std::string::npos);
}

// A pipe or a device given as the quiz ends at once with a clear reason; `timeout`
// turns a reader that blocks into a failure instead of a hung test.
TEST_F(Cli, CheckRefusesAPipeOrADeviceAtOnce) {
    ASSERT_EQ(mkfifo((dir_ + "pipe.xml").c_str(), 0644), 0);
    for (const char* quiz : {"pipe.xml", "/dev/zero"}) {
        const std::string cmd = "cd '" + dir_ + "' && timeout 10 '" + VIRETA_EXPORT_BIN +
                                "' --check " + quiz + " 2>stderr.txt";
        const int raw = std::system(cmd.c_str());
        const std::string err = readFile(dir_ + "stderr.txt");
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1) << quiz << " (124: it blocked): " << err;
        EXPECT_NE(err.find("not a regular file"), std::string::npos) << quiz << ": " << err;
    }
}

// Each failure names the file and says why, in English.
TEST_F(Cli, SaysWhyAMediaFileOrTheDocumentCouldNotBeWritten) {
    mkdir((dir_ + "src").c_str(), 0755);
    mkdir((dir_ + "out").c_str(), 0755);
    write("src/novo.xml", "a sound named like the document");
    write("src/locked.png", "picture");
    write("out/locked.png", "earlier copy");
    chmod((dir_ + "out/locked.png").c_str(), 0444);
    write("src/quiz.xml", "<xogo version=\"1.0\"><intro son=\"novo.xml\"></intro><preguntas><pregunta>"
                          "<enunciado>E</enunciado><imaxe>locked.png</imaxe><son>falta.mp3</son>"
                          "</pregunta></preguntas></xogo>");
    Outcome r = run("-f xml -o out/novo --copy src/quiz.xml");
    EXPECT_EQ(r.status, 1);
    const std::string src = "src/";
    for (const std::string& line :
         {"media file not copied or packed: " + src + "novo.xml: it has the name of the document\n",
          "media file not copied or packed: " + src + "locked.png: permission denied or write-protected\n",
          "media file not copied or packed: " + src + "falta.mp3: no such file or folder\n"})
        EXPECT_NE(r.err.find(line), std::string::npos) << line << "\n" << r.err;
    EXPECT_EQ(readFile(dir_ + "out/novo.xml").substr(0, 5), "<?xml");
    EXPECT_EQ(readFile(dir_ + "out/locked.png"), "earlier copy");

    chmod((dir_ + "out/novo.xml").c_str(), 0444);
    r = run("-f xml -o out/novo src/quiz.xml");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write out/novo.xml: permission denied or write-protected"),
              std::string::npos)
        << r.err;
}

// The exports: either built in, and then the same seed gives the same document, or
// refused with a clear message.
TEST_F(Cli, ExportsAreRepeatableWithASeedOrSayTheyAreNotBuilt) {
    std::string quiz = "<xogo version=\"1.0\"><preguntas>";
    for (int k = 1; k <= 12; ++k)
        quiz += "<pregunta><enunciado>P" + std::to_string(k) +
                "</enunciado><resposta>a</resposta><resposta>b</resposta></pregunta>";
    write("quiz.xml", quiz + "</preguntas></xogo>");
    for (const char* format : {"html", "js", "ebk"}) {
        const std::string args = std::string("-f ") + format + " --shuffle-answers --seed 7 quiz.xml";
        EXPECT_EQ(run("-o first " + args).status, 0) << format;
        EXPECT_EQ(run("-o second " + args).status, 0) << format;
        const std::string ext = std::string(format) == "ebk" ? ".ebk" : ".html";
        const std::string first = readFile(dir_ + "first" + ext);
        EXPECT_FALSE(first.empty()) << format;
        EXPECT_EQ(first, readFile(dir_ + "second" + ext)) << format;
    }
}

// The web game: NAME.html with its media beside it, or alone with --single-file (a
// missing file reported, the page written); the SCORM package NAME.zip never packed
// into a tar.
TEST_F(Cli, WritesTheWebGameAndItsScormPackage) {
    mkdir((dir_ + "src").c_str(), 0755);
    mkdir((dir_ + "out").c_str(), 0755);
    write("src/foto.png", "picture");
    write("src/quiz.xml", "<xogo version=\"1.0\"><titulo>T</titulo><preguntas><pregunta>"
                          "<enunciado>E</enunciado><resposta>Si</resposta><resposta>Non</resposta>"
                          "<imaxe>foto.png</imaxe><son>falta.mp3</son></pregunta></preguntas></xogo>");
    Outcome r = run("-f web -o out/xogo --copy src/quiz.xml");
    EXPECT_EQ(r.status, 1) << "a media file was missing";
    EXPECT_NE(r.err.find("falta.mp3"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(dir_ + "out/foto.png"), "picture");
    EXPECT_NE(readFile(dir_ + "out/xogo.html").find("\"picture\":\"foto.png\""), std::string::npos);

    r = run("-f web -o out/unico --single-file --copy --pack src/quiz.xml");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("falta.mp3"), std::string::npos) << r.err;
    EXPECT_NE(readFile(dir_ + "out/unico.html").find("\"picture\":\"data:image/png;base64,cGljdHVyZQ==\""),
              std::string::npos);
    const std::string tar = readFile(dir_ + "out/unico.tar");
    ASSERT_GE(tar.size(), 2048u);
    EXPECT_EQ(std::string(tar.c_str()), "unico.html") << "the page alone is packed";

    r = run("-f scorm -o out/paquete --pass-mark 80 --copy --pack src/quiz.xml");
    EXPECT_EQ(r.status, 1);
    const std::string zip = readFile(dir_ + "out/paquete.zip");
    EXPECT_EQ(zip.substr(0, 4), "PK\x03\x04");
    struct stat st;
    EXPECT_EQ(stat((dir_ + "out/paquete.tar").c_str(), &st), -1) << "a zip is not packed again";

    write("src/falta.mp3", "sound");
    EXPECT_EQ(run("-f scorm -o out/paquete src/quiz.xml").status, 0);
}

// --review: one line per finding, errors first, and the exit status tells whether
// there was an error.
TEST_F(Cli, ReviewPrintsTheFindingsAndTellsErrorsByItsStatus) {
    write("foto.png", "picture");
    write("quiz.xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
          "<xogo version=\"1.0\"><titulo>Ríos → mar</titulo><preguntas>"
          "<pregunta><enunciado>Un</enunciado><resposta>Miño</resposta><resposta>miño</resposta>"
          "<imaxe>foto.png</imaxe></pregunta>"
          "<pregunta><enunciado>Dous</enunciado><resposta>a</resposta><resposta>b</resposta>"
          "<imaxe>falta.png</imaxe></pregunta></preguntas></xogo>");
    write("empty.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><xogo version=\"1.0\"><titulo>" +
                           std::string(201, 'x') + "</titulo><preguntas/></xogo>");
    const std::string missing = "falta.png"; // the quiz's folder is the relative ""
    const struct {
        const char* args;
        int status;
        std::string out;
    } cases[] = {
        {"--review quiz.xml", 3,
         "question 2: error: the picture '" + missing + "' does not exist\n"
         "question 1: warning: answers 1 and 2 are alike\n"},
        {"--review -f ebk quiz.xml", 3,
         "question 2: error: the picture '" + missing + "' does not exist\n"
         "general: warning: the text has characters the book cannot hold in Windows-1252 (such "
         "as '→'): they become numeric references\n"
         "question 1: warning: answers 1 and 2 are alike\n"},
        {"--review --format=html -o out/foto.png quiz.xml", 3,
         "question 1: error: the picture 'foto.png' has the same name as the "
         "document being saved: it cannot be copied beside it\n"
         "question 2: error: the picture '" + missing + "' does not exist\n"
         "general: warning: 'Revolver respostas' is clear: on the form page the correct answer "
         "is the first of every question\n"
         "question 1: warning: answers 1 and 2 are alike\n"},
        {"--review -f html --shuffle-answers '" VIRETA_EXAMPLE_DIR "/xeografia.xml'", 0, ""},
        {"--review -f js -o xeografia '" VIRETA_EXAMPLE_DIR "/xeografia.xml'", 0, ""},
        // A package holds its media inside: no name beside it is taken.
        {"--review -f scorm -o out/foto.png quiz.xml", 3,
         "question 2: error: the picture '" + missing + "' does not exist\n"
         "question 1: warning: answers 1 and 2 are alike\n"},
        // Findings of the whole quiz are general ones, with or without questions.
        {"--review -f scorm empty.xml", 0,
         "general: warning: no question has a statement: the saved files will hold no "
         "questions\n"
         "general: warning: the title is longer than 200 characters: the package's manifest "
         "gives the platform only the first 200 (the game shows it whole)\n"},
    };
    for (const auto& c : cases) {
        const Outcome r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args;
        EXPECT_EQ(r.err, "") << c.args;
    }

    // An importable file is reviewed as it would be imported.
    write("banco.gift", "::P1:: Cal é o río máis longo? {=Miño ~Sil ~miño}\n");
    Outcome r = run("--review banco.gift");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "question 1: warning: answers 1 and 3 are alike\n");

    // Media embedded in a question bank are not written by a review, and are not
    // reported missing: the import would write them.
    write("banco.xml",
          "<?xml version=\"1.0\"?><quiz><question type=\"multichoice\"><name><text>P</text></name>"
          "<questiontext format=\"html\"><text>&lt;p&gt;Cal?&lt;img src=\"@@PLUGINFILE@@/mapa.png\"&gt;"
          "&lt;/p&gt;</text><file name=\"mapa.png\" path=\"/\" encoding=\"base64\">UE5H</file>"
          "</questiontext><answer fraction=\"100\"><text>Si</text></answer>"
          "<answer fraction=\"0\"><text>Non</text></answer></question>"
          "<question type=\"multichoice\"><name><text>Q</text></name><questiontext format=\"html\">"
          "<text>&lt;p&gt;E?&lt;img src=\"falta.png\"&gt;&lt;/p&gt;</text></questiontext>"
          "<answer fraction=\"100\"><text>Si</text></answer><answer fraction=\"0\"><text>Non</text>"
          "</answer></question></quiz>");
    r = run("--review -f html --shuffle-answers banco.xml");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "") << "the picture counts as there";
    EXPECT_FALSE(exists("banco-media")) << "a review writes nothing";
    r = run("-f xml -o banco-xogo.xml banco.xml");
    EXPECT_TRUE(exists("banco-media/mapa.png")) << r.err;

    r = run("--review missing.xml");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.xml"), std::string::npos) << r.err;
    for (const char* wrong : {"--review --copy quiz.xml", "--review -f odt quiz.xml",
                              "--review --check quiz.xml", "--check --shuffle-answers quiz.xml",
                              "--review --seed 3 quiz.xml", "--review"}) {
        r = run(wrong);
        EXPECT_EQ(r.status, 2) << wrong;
        EXPECT_EQ(r.out, "") << wrong;
    }
}

} // namespace
