#include "save/save_step.h"

#include "formats/format_table.h"
#include "formats/quiz_file.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <functional>
#include <stdexcept>
#include <vector>

using namespace vireta;
using namespace testfiles;

namespace {

struct ExtensionCase {
    const char* chosen;
    const char* expected;
};

TEST(CompleteExtension, AddsTheExtensionOnlyWhenTheFileNameHasNoDot) {
    const ExtensionCase cases[] = {
        {"/d/quiz", "/d/quiz.xml"},
        {"/d/quiz.xml", "/d/quiz.xml"},
        {"/d/quiz.old.xml", "/d/quiz.old.xml"},
        {"/d/quiz.", "/d/quiz."},
        {"/d/.quiz", "/d/.quiz"},
        {"/d/.quiz.xml", "/d/.quiz.xml"},
        {"/d/my.folder/quiz", "/d/my.folder/quiz.xml"},
        {"C:\\my.folder\\quiz", "C:\\my.folder\\quiz.xml"},
        {"a.b:quiz", "a.b:quiz.xml"},
        {"quiz", "quiz.xml"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(completeExtension(c.chosen, "xml"), c.expected) << c.chosen;
    EXPECT_EQ(completeExtension("/d/quiz", "ebk"), "/d/quiz.ebk");
}

// The names in a folder, in the order the system lists them.
std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> out;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..")
                out.push_back(n);
        }
        closedir(d);
    }
    return out;
}

// Runs `save` in a child process whose files may not grow past `bytes`, as on a disk
// that fills up, and returns what it returned (-1 when the child did not end so).
int statusWithFileSizeLimit(rlim_t bytes, const std::function<int()>& save) {
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(save());
    }
    int status = -1;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST(SaveStep, WritesTheBufferUnderTheCompletedNameAndOffersItNextTime) {
    ScratchDir dir;
    SaveStep step;
    EXPECT_EQ(step.lastName(), "");
    OutputBuffer buffer;
    buffer.appendLine("linea");
    SaveMedia media;
    media.copyFiles = false;
    media.pack = false;
    const std::string written =
        step.save(dir.folder() + "proba", {"*.xml|*.xml", "xml"}, buffer, media).documentPath;
    EXPECT_EQ(written, dir.folder() + "proba.xml");
    EXPECT_EQ(step.lastName(), dir.folder() + "proba.xml");
    EXPECT_EQ(readFile(written), "linea\r\n");
}

// A document written while it is saved, large enough to go to its file in pieces,
// is the file the same writer gives in a buffer.
TEST(SaveStep, AWriterRunDuringTheSaveGivesTheSameFile) {
    ScratchDir dir;
    GeneralData general;
    QuizModel model;
    for (int k = 1; k <= 30; ++k)
        model.questions.record(k)[FieldSlot::enunciado] = std::string(30000, 'a') + "&<>\x01";
    model.count = 30;
    OutputBuffer whole;
    writeQuizFile(general, model.questions, model.count, whole);
    ASSERT_GT(whole.text().size(), 2 * OutputBuffer::kPassOnBytes);
    SaveMedia media;
    media.copyFiles = false;
    media.pack = false;
    SaveStep step;
    const std::string path = dir.folder() + "grande.xml";
    writeFile(path, "earlier");
    chmod(path.c_str(), 0640);
    const SaveResult r = step.save(
        dir.folder() + "grande", quizFileRequest(),
        [&](OutputBuffer& out) { writeQuizFile(general, model.questions, model.count, out); }, media);
    EXPECT_EQ(r.documentPath, path);
    EXPECT_EQ(readFile(path), whole.text());
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(dir.str()), std::vector<std::string>{"grande.xml"});
}

// A writer that fails half-way, or a disk that fills up while it writes, leaves the
// earlier document whole and no temporary file; the writer's own error goes on to
// the caller as it is.
TEST(SaveStep, AWriterThatFailsOrADiskThatFillsKeepsTheEarlierDocument) {
    ScratchDir dir;
    const std::string path = dir.folder() + "quiz.xml";
    const std::string previous = "<previous document/>\r\n";
    writeFile(path, previous);
    SaveMedia media;
    media.copyFiles = false;
    media.pack = false;
    auto writeLines = [](OutputBuffer& out, int lines) {
        for (int i = 0; i < lines; ++i)
            out.appendLine(std::string(1000, 'x'));
    };
    SaveStep step;
    EXPECT_THROW(step.save(path, quizFileRequest(),
                           [&](OutputBuffer& out) {
                               writeLines(out, 1000);
                               throw std::runtime_error("the writer failed");
                           },
                           media),
                 std::runtime_error);
    EXPECT_EQ(readFile(path), previous);
    EXPECT_EQ(entries(dir.str()), std::vector<std::string>{"quiz.xml"});

    const int status = statusWithFileSizeLimit(1 << 20, [&] {
        int written = 0;
        try {
            SaveStep inChild;
            inChild.save(path, quizFileRequest(),
                         [&](OutputBuffer& out) {
                             for (; written < 10000; ++written)
                                 writeLines(out, 1);
                         },
                         media);
        } catch (const SaveError& e) {
            // The writer was stopped at the first write that failed.
            return e.path() != path ? 2 : written >= 10000 ? 3 : 0;
        }
        return 1;
    });
    EXPECT_EQ(status, 0) << "1: the short write went unnoticed";
    EXPECT_EQ(readFile(path), previous);
    EXPECT_EQ(entries(dir.str()), std::vector<std::string>{"quiz.xml"});
}

// The entry names of a tar archive, in order.
std::vector<std::string> tarNames(const std::string& archive) {
    std::vector<std::string> names;
    for (std::size_t at = 0; at + 512 <= archive.size();) {
        const std::string name(archive.c_str() + at);
        if (name.empty())
            break;
        names.push_back(name);
        const std::size_t size = std::stoul(archive.substr(at + 124, 12), nullptr, 8);
        at += 512 + (size + 511) / 512 * 512;
    }
    return names;
}

struct PackingFixture : testing::Test {
    ScratchDir dir;
    GeneralData general;
    ExportSettings settings;
    QuizModel model;
    OutputBuffer buffer;
    SaveStep step;

    void SetUp() override {
        mkdir((dir.folder() + "media").c_str(), 0755);
        mkdir((dir.folder() + "out").c_str(), 0755);
        writeFile(dir.folder() + "media/son.mp3", "sound");
        writeFile(dir.folder() + "media/foto.png", "picture");
        general.introSound = dir.folder() + "media/son.mp3";
        Question& q = model.questions.record(1);
        q[FieldSlot::enunciado] = "Pregunta";
        q[FieldSlot::imaxe] = dir.folder() + "media/foto.png";
        q[FieldSlot::sonben] = dir.folder() + "media/missing.wav";
        q[FieldSlot::son] = dir.folder() + "media/son.mp3"; // the same file again
        writeQuizFile(general, model.questions, model.count, buffer);
    }

    SaveMedia media(bool copy, bool pack) {
        SaveMedia m;
        m.copyFiles = copy;
        m.pack = pack;
        m.general = &general;
        m.settings = &settings;
        m.model = &model;
        return m;
    }
};

TEST_F(PackingFixture, PacksTheMediaFirstAndTheDocumentLast) {
    const SaveResult r =
        step.save(dir.folder() + "out/quiz", {kQuizFileFilter, "xml"}, buffer, media(true, true));
    EXPECT_EQ(r.documentPath, dir.folder() + "out/quiz.xml");
    EXPECT_EQ(r.archivePath, dir.folder() + "out/quiz.tar");
    EXPECT_EQ(sourcesOf(r.failedMedia), std::vector<std::string>{dir.folder() + "media/missing.wav"});
    EXPECT_EQ(readFile(r.documentPath), buffer.text());
    EXPECT_EQ(tarNames(readFile(r.archivePath)),
              (std::vector<std::string>{"son.mp3", "foto.png", "quiz.xml"}));
    EXPECT_EQ(readFile(dir.folder() + "out/foto.png"), "picture");
    std::vector<std::string> out = entries(dir / "out");
    std::sort(out.begin(), out.end());
    EXPECT_EQ(out, (std::vector<std::string>{"foto.png", "quiz.tar", "quiz.xml", "son.mp3"}));
}

TEST_F(PackingFixture, ADocumentWrittenDuringTheSaveIsPackedLastAsWell) {
    const SaveResult r = step.save(
        dir.folder() + "out/quiz", quizFileRequest(),
        [&](OutputBuffer& out) { writeQuizFile(general, model.questions, model.count, out); },
        media(true, true));
    EXPECT_EQ(readFile(r.documentPath), buffer.text());
    EXPECT_EQ(tarNames(readFile(r.archivePath)),
              (std::vector<std::string>{"son.mp3", "foto.png", "quiz.xml"}));
    EXPECT_NE(readFile(r.archivePath).find(buffer.text()), std::string::npos);
}

TEST_F(PackingFixture, WithBothBoxesClearedOnlyTheDocumentIsWritten) {
    step.save(dir.folder() + "out/quiz.xml", {kQuizFileFilter, "xml"}, buffer, media(false, false));
    struct stat st;
    EXPECT_EQ(stat((dir.folder() + "out/quiz.tar").c_str(), &st), -1);
    EXPECT_EQ(stat((dir.folder() + "out/foto.png").c_str(), &st), -1);
    EXPECT_EQ(readFile(dir.folder() + "out/quiz.xml"), buffer.text());
}

// A document that carries its media (a single-file page, a zip package) gets none
// copied or packed beside it; one that is not packable (a zip) gets no tar at all;
// the media the writer could not read come first in the failed list.
TEST_F(PackingFixture, ADocumentCarryingItsMediaIsSavedAloneWithTheWritersFailures) {
    SaveRequest page{" *.htm|*.htm", "html"};
    page.carriesMedia = true;
    page.unreadMedia = {{"/nowhere/son.mp3", ENOENT}, {"/a/b.png", EEXIST}, {"/a/big.wav", EFBIG}};
    SaveResult r = step.save(dir.folder() + "out/xogo", page, buffer, media(true, true));
    EXPECT_EQ(r.failedMedia, (std::vector<MediaFailure>{{"/nowhere/son.mp3", SaveProblem::NotFound},
                                                        {"/a/b.png", SaveProblem::SameNameInPackage},
                                                        {"/a/big.wav", SaveProblem::TooLargeToEmbed}}));
    EXPECT_EQ(tarNames(readFile(dir.folder() + "out/xogo.tar")), std::vector<std::string>{"xogo.html"});
    EXPECT_TRUE(model.copiedFiles.empty());

    SaveRequest zip{" *.zip|*.zip", "zip"};
    zip.carriesMedia = true;
    zip.packable = false;
    r = step.save(dir.folder() + "out/paquete", zip, buffer, media(true, true));
    EXPECT_TRUE(r.archivePath.empty());
    EXPECT_FALSE(r.archiveRefused);
    std::vector<std::string> out = entries(dir / "out");
    std::sort(out.begin(), out.end());
    EXPECT_EQ(out, (std::vector<std::string>{"paquete.zip", "xogo.html", "xogo.tar"}));
}

// The paper test's PDF holds its pictures: with both boxes checked its save writes the
// PDF alone, with no media beside it and no archive.
TEST_F(PackingFixture, ThePaperTestIsSavedAloneWithBothBoxesChecked) {
    const SaveRequest request = formatInfo(Format::Pdf).request(settings);
    SaveMedia m = media(true, true);
    m.format = Format::Pdf;
    model.copiedFiles = {"from an earlier save"};
    const SaveResult r = step.save(dir.folder() + "out/proba", request, buffer, m);
    EXPECT_EQ(r.documentPath, dir.folder() + "out/proba.pdf");
    EXPECT_TRUE(r.archivePath.empty());
    EXPECT_TRUE(r.failedMedia.empty()); // the missing sound is not even looked for
    EXPECT_TRUE(model.copiedFiles.empty());
    EXPECT_EQ(entries(dir / "out"), std::vector<std::string>{"proba.pdf"});
}

TEST_F(PackingFixture, ADocumentNamedLikeItsArchiveIsSavedWithoutAnArchive) {
    writeFile(dir.folder() + "out/quiz.tar", "old");
    const SaveResult r =
        step.save(dir.folder() + "out/quiz.tar", {kQuizFileFilter, "xml"}, buffer, media(true, true));
    EXPECT_TRUE(r.archiveRefused);
    EXPECT_EQ(r.archivePath, dir.folder() + "out/quiz.tar");
    EXPECT_EQ(readFile(dir.folder() + "out/quiz.tar"), buffer.text()); // the document, not a tar
}

TEST_F(PackingFixture, AnArchiveThatCannotBeCreatedStopsTheSaveBeforeTheDocument) {
    mkdir((dir.folder() + "out/quiz.tar").c_str(), 0755); // a folder in the way
    try {
        step.save(dir.folder() + "out/quiz", {kQuizFileFilter, "xml"}, buffer, media(true, true));
        FAIL() << "no error";
    } catch (const SaveError& e) {
        EXPECT_EQ(e.path(), dir.folder() + "out/quiz.tar");
    }
    struct stat st;
    EXPECT_EQ(stat((dir.folder() + "out/quiz.xml").c_str(), &st), -1) << "no document written";
}

TEST_F(PackingFixture, ADocumentThatCannotBeWrittenEndsTheSaveBeforeTheMedia) {
    writeFile(dir.folder() + "out/quiz.tar", "earlier archive");
    mkdir((dir.folder() + "out/quiz.xml").c_str(), 0755); // a folder in the way
    try {
        step.save(dir.folder() + "out/quiz", {kQuizFileFilter, "xml"}, buffer, media(true, true));
        FAIL() << "no error";
    } catch (const SaveError& e) {
        EXPECT_EQ(e.path(), dir.folder() + "out/quiz.xml");
    }
    struct stat st;
    EXPECT_EQ(stat((dir.folder() + "out/foto.png").c_str(), &st), -1) << "no media copied";
    EXPECT_EQ(readFile(dir.folder() + "out/quiz.tar"), "earlier archive");
    EXPECT_EQ(entries(dir / "out").size(), 2u) << "no temporary file left behind";
    EXPECT_EQ(step.lastName(), dir.folder() + "out/quiz.xml");
}

} // namespace
