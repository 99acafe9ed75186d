// vireta-export over files of other programs: --check, --from, conversion to the quiz
// file, and the export formats of question banks.
#include "cli_fixture.h"
#include "quiz_samples.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace vireta::samples;
using namespace testfiles;

namespace {

using CliImport = CliFixture;

const char kGift[] =
    "// Ríos\n::R1:: Cal é o río máis longo? {=Miño ~Sil ~Ulla}\n\n"
    "::E:: Escribe sobre o Miño. {}\n\n"
    "O Sil desemboca no Miño. {T}\n";

TEST_F(CliImport, CheckCountsAndListsWhatIsNotImported) {
    write("preguntas.gift", kGift);
    Outcome r = run("--check preguntas.gift");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2\n");
    EXPECT_EQ(r.err, "vireta-export: preguntas.gift: line 4: essay question: not multiple choice\n");

    // Forced to Aiken, the same file has no questions.
    r = run("--check --from aiken preguntas.gift");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0\n");
    EXPECT_NE(r.err, "");

    r = run("--check --from word preguntas.gift");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("unknown import format 'word'"), std::string::npos) << r.err;

    write("nada.doc", "nada");
    r = run("--check --from csv nada.doc");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0\n");
}

// The format is told from a file's first megabyte; what is read then is the whole file.
TEST_F(CliImport, LargeFilesAreToldAndReadWhole) {
    const std::string longText(3 << 20, 'x');
    write("grande.gift", "::R1:: " + longText + " {=si ~non}\n\n::R2:: Outra? {=si ~non}\n");
    Outcome r = run("--check grande.gift");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2\n");

    write("grande.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><xogo version=\"1.0\"><preguntas>"
                        "<pregunta><enunciado>" + longText + "</enunciado></pregunta>"
                        "<pregunta><enunciado>&#233;</enunciado></pregunta></preguntas></xogo>");
    r = run("--check grande.xml");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2\n");
    r = run("-f xml -o copia.xml grande.xml");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string copy = readFile(dir_ + "copia.xml");
    EXPECT_NE(copy.find("<enunciado>" + longText + "</enunciado>"), std::string::npos);
    EXPECT_NE(copy.find("<enunciado>\xC3\xA9</enunciado>"), std::string::npos);
}

// For a quiz file of 8 MB or more the program readies its heap on huge pages: what
// it reads and writes is the same as without, whatever malloc tunables the user gives.
TEST_F(CliImport, LargeQuizFilesReadAndSaveTheSameWithHeapTunablesOrWithout) {
    std::string longText;
    while (longText.size() < (9u << 20))
        longText += "Cal é o río &amp; a ponte &lt;b&gt; máis longa? ";
    write("grande.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><xogo version=\"1.0\"><preguntas>"
                        "<pregunta><enunciado>" + longText + "</enunciado><resposta>Si</resposta></pregunta>"
                        "</preguntas></xogo>");
    const char* const given = std::getenv("GLIBC_TUNABLES");
    const std::string before = given ? given : "";
    std::string saved[3];
    const char* const tunables[] = {nullptr, "glibc.malloc.hugetlb=0", "glibc.malloc.tcache_count=7"};
    for (int i = 0; i < 3; ++i) {
        if (tunables[i])
            setenv("GLIBC_TUNABLES", tunables[i], 1);
        else
            unsetenv("GLIBC_TUNABLES");
        Outcome r = run("--check grande.xml");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "1\n");
        r = run("-f xml -o copia.xml grande.xml");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        saved[i] = readFile(dir_ + "copia.xml");
    }
    if (given)
        setenv("GLIBC_TUNABLES", before.c_str(), 1);
    else
        unsetenv("GLIBC_TUNABLES");
    // Read, the references become characters; saved, the same references again, and
    // the blank at the end is dropped.
    longText.pop_back();
    EXPECT_NE(saved[0].find("<enunciado>" + longText + "</enunciado>"), std::string::npos);
    EXPECT_EQ(saved[1], saved[0]);
    EXPECT_EQ(saved[2], saved[0]);
}

TEST_F(CliImport, ConvertsAnImportIntoAQuizFile) {
    write("preguntas.gift", kGift);
    Outcome r = run("-f xml -o quiz preguntas.gift");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string quiz = readFile(dir_ + "quiz.xml");
    EXPECT_NE(quiz.find("<enunciado>Cal é o río máis longo?</enunciado>"), std::string::npos) << quiz;
    EXPECT_NE(quiz.find("<resposta>Verdadeiro</resposta>"), std::string::npos);
    r = run("--check quiz.xml");
    EXPECT_EQ(r.out, "2\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(CliImport, ExportsEveryQuestionBankFormat) {
    const struct {
        const char* format;
        const char* file;
        const char* contains;
        const char* note;
    } cases[] = {
        {"moodle", "banco.xml", "<question type=\"multichoice\">", "Moodle XML does not carry"},
        {"gift", "banco.gift", "=Miño", "GIFT does not carry: picture, sound"},
        {"aiken", "banco.txt", "ANSWER: A", "Aiken does not carry"},
        {"csv", "banco.csv", "Pregunta,Correcta", nullptr},
    };
    for (const auto& c : cases) {
        const Outcome r = run(std::string("-f ") + c.format + " -o banco '" + dataPath("full_quiz.xml") + "'");
        EXPECT_EQ(r.status, 0) << c.format << r.err;
        EXPECT_NE(readFile(dir_ + c.file).find(c.contains), std::string::npos) << c.format;
        if (c.note)
            EXPECT_NE(r.err.find(c.note), std::string::npos) << c.format << ": " << r.err;
        else
            EXPECT_EQ(r.err, "") << c.format;
        // What is exported imports again.
        const Outcome back = run(std::string("--check ") + c.file);
        EXPECT_EQ(back.out, "1\n") << c.format << back.err;
    }
}

TEST_F(CliImport, SaysWhyAFileCannotBeImported) {
    write("roto.xml", "<quiz><question type=\"truefalse\"><name>");
    write("nada.doc", "nada");
    for (const char* args : {"--check roto.xml", "--check --from moodle nada.doc", "--check --from gift falta.gift"}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_NE(r.err, "") << args;
    }
    const Outcome r = run("-f xml -o q nada.doc");
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(exists("q.xml"));
}

} // namespace
