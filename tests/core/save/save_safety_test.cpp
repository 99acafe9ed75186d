// What a save must never do to a teacher's files, whatever the folder holds and
// however the disk fails: grouped by the way a save could lose work.
#include "save/save_step.h"

#include "save/tar_test_support.h"
#include "text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <optional>

using namespace vireta;
using namespace tartest;

namespace vireta {
void PrintTo(const MediaFailure& f, std::ostream* os) {
    *os << f.source << " (" << englishReason(f.problem, f.error) << ")";
}
} // namespace vireta

namespace {

using Paths = std::vector<std::string>;

Paths folderNames(const std::string& folder) {
    Paths names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

unsigned modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A quiz with media in src/, saved into out/ with both boxes ticked.
struct SaveFixture : testing::Test {
    ScratchDir dir;
    std::string src = dir / "src/";
    std::string out = dir / "out/";
    GeneralData general;
    ExportSettings settings;
    QuizModel model;
    OutputBuffer buffer;
    SaveStep step;

    SaveFixture() {
        fs::create_directories(src);
        fs::create_directories(out);
        buffer.appendLine("<new document/>");
        model.count = 1;
        model.questions.record(1)[FieldSlot::enunciado] = "Pregunta";
    }

    std::string media(const std::string& name, const std::string& bytes = "") {
        writeFile(src + name, bytes.empty() ? "media " + name : bytes);
        return src + name;
    }

    SaveMedia boxes(bool copy = true, bool pack = true, Format format = Format::Xml) {
        SaveMedia m;
        m.copyFiles = copy;
        m.pack = pack;
        m.format = format;
        m.general = &general;
        m.settings = &settings;
        m.model = &model;
        return m;
    }

    SaveResult save(const std::string& name, const std::string& extension = "xml",
                    SaveMedia m = SaveMedia()) {
        if (!m.general)
            m = boxes();
        return step.save(out + name, {"*", extension}, buffer, m);
    }

    // The save's SaveError, or nothing when it succeeded.
    std::optional<SaveError> failedSave(const std::string& name) {
        try {
            save(name);
        } catch (const SaveError& e) {
            return e;
        }
        return std::nullopt;
    }
};

// ---------------------------------------------------------------------------
// An export never offers the quiz file's name.

TEST(OfferedName, TakesTheExtensionOfTheFormatNowChosen) {
    const SaveRequest xml{"*.xml|*.xml;*.XML", "xml"};
    const SaveRequest html{" *.htm|*.htm;*.html;*.HTM;*.HTML", "html"};
    const SaveRequest ebk{" *.ebk|*.ebk;*.EBK|*.xml|*.xml;*.XML", "ebk"};
    const struct {
        const char* last;
        const SaveRequest& request;
        const char* offered;
    } cases[] = {
        {"", html, ""},
        {"/d/xeo.xml", html, "/d/xeo.html"},
        {"/d/xeo.xml", ebk, "/d/xeo.ebk"}, // the book's second filter entry is no reason to keep .xml
        {"/d/xeo.xml", xml, "/d/xeo.xml"},
        {"/d/xeo.XML", xml, "/d/xeo.XML"},
        {"/d/xeo.htm", html, "/d/xeo.htm"},
        {"/d/xeo.html", xml, "/d/xeo.xml"},
        {"/d/xeo.old.xml", html, "/d/xeo.old.html"},
        {"/d/xeo.", html, "/d/xeo.html"},
        {"/d/.xeo", html, "/d/.xeo.html"},
        {"/d/v1.2/xeo.ebk", xml, "/d/v1.2/xeo.xml"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(offeredName(c.last, c.request), c.offered) << c.last << " for " << c.request.extension;
}

TEST(OfferedName, AQuizWithoutAFileOffersItsTitleInTheFolderGiven) {
    const SaveRequest html{" *.htm|*.htm;*.html;*.HTM;*.HTML", "html"};
    const SaveRequest pdf{" *.pdf|*.pdf;*.PDF", "pdf"};
    const struct {
        const char* quiz;
        const char* title;
        const char* folder;
        const SaveRequest& request;
        const char* offered;
    } cases[] = {
        {"", "Patrimonio de Galicia", "/home/ana", html, "/home/ana/patrimonio-de-galicia.html"},
        {"", "Patrimonio de Galicia", "/home/ana/", pdf, "/home/ana/patrimonio-de-galicia.pdf"},
        {"", "  Os ríos: Miño & Sil!  ", "/d", html, "/d/os-rios-mino-sil.html"},
        {"", "ÁÉÍÓÚ Ñandú Çedilla Łódź ŒUVRE ß", "/d", html, "/d/aeiou-nandu-cedilla-lodz-ouvre-s.html"},
        {"", "Ελληνικά 2 × 3", "/d", html, "/d/2-3.html"}, // letters it cannot spell in ASCII go
        {"", "", "/d", html, "/d/cuestionario.html"},
        {"", "¿?", "/d", pdf, "/d/cuestionario.pdf"},
        {"", "a/b\\c:d", "/d", html, "/d/a-b-c-d.html"}, // no separator survives
        {"", "x\xFFy", "/d", html, "/d/x-y.html"},
        {"/q/xeo.xml", "Patrimonio", "/d", html, "/q/xeo.html"}, // the quiz file's name wins
    };
    for (const auto& c : cases)
        EXPECT_EQ(offeredSavePath(c.quiz, c.title, c.folder, c.request), c.offered) << c.title;
    // At most 60 characters, never ending in "-".
    const std::string cut = fileNameFromTitle(std::string(59, 'a') + " bcd");
    EXPECT_EQ(cut, std::string(59, 'a'));
    EXPECT_EQ(fileNameFromTitle(std::string(80, 'x')), std::string(60, 'x'));
}

// ---------------------------------------------------------------------------
// A media file named like the document or the archive never replaces them.

TEST_F(SaveFixture, AMediaFileNamedLikeTheDocumentOrArchiveIsLeftOutAndSaysWhy) {
    const struct {
        const char* mediaName;
        const char* extension;
        Format format;
        SaveProblem problem;
    } cases[] = {
        {"doc.xml", "xml", Format::Xml, SaveProblem::SameNameAsDocument},
        {"doc.html", "html", Format::Html, SaveProblem::SameNameAsDocument},
        {"doc.html", "html", Format::JavaScript, SaveProblem::SameNameAsDocument},
        {"doc.ebk", "ebk", Format::Ebk, SaveProblem::SameNameAsDocument},
        {"doc.tar", "xml", Format::Xml, SaveProblem::SameNameAsArchive},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mediaName);
        fs::remove_all(out);
        fs::create_directories(out);
        general.introSound = media(c.mediaName, "the sound");
        model.questions.record(1)[FieldSlot::imaxe] = media("foto.png");
        const SaveResult r = save("doc", c.extension, boxes(true, true, c.format));
        const std::string docName = std::string("doc.") + c.extension;
        EXPECT_EQ(readFile(out + docName), buffer.text()) << "the document was replaced";
        EXPECT_EQ(r.failedMedia, (std::vector<MediaFailure>{{src + c.mediaName, c.problem}}));
        const std::vector<Entry> entries = readEntries(out + "doc.tar");
        ASSERT_FALSE(entries.empty()) << "no archive";
        EXPECT_EQ(entries.back(), (Entry{docName, buffer.text()}));
        EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                                [&](const Entry& e) { return e.name == docName; }),
                  1)
            << "two entries of the document's name";
        EXPECT_EQ(readFile(out + "foto.png"), "media foto.png") << "the other media still copied";
        EXPECT_EQ(readFile(src + c.mediaName), "the sound");
    }
}

TEST_F(SaveFixture, WithoutAnArchiveAMediaFileNamedLikeOneIsCopied) {
    general.introSound = media("doc.tar");
    const SaveResult r = save("doc", "xml", boxes(true, false));
    EXPECT_TRUE(r.failedMedia.empty());
    EXPECT_EQ(readFile(out + "doc.tar"), "media doc.tar");
}

// ---------------------------------------------------------------------------
// A write-protected target stays as it was, and so does the rest of the save.

TEST_F(SaveFixture, AWriteProtectedTargetIsNeverReplaced) {
    const char* const protectedNames[] = {"doc.xml", "doc.tar", "son.mp3"};
    for (const char* name : protectedNames) {
        SCOPED_TRACE(name);
        fs::remove_all(out);
        fs::create_directories(out);
        writeFile(out + "doc.xml", "earlier document");
        writeFile(out + "doc.tar", "earlier archive");
        writeFile(out + "son.mp3", "earlier copy");
        ::chmod((out + name).c_str(), 0444);
        general.introSound = media("son.mp3");

        std::optional<SaveError> error;
        SaveResult r;
        try {
            r = save("doc");
        } catch (const SaveError& e) {
            error = e;
        }
        EXPECT_EQ(modeOf(out + name), 0444u);
        if (std::string(name) == "son.mp3") {
            // A media copy is a file of its own: the save goes on without it.
            EXPECT_FALSE(error);
            EXPECT_EQ(r.failedMedia,
                      (std::vector<MediaFailure>{{src + "son.mp3", SaveProblem::NoPermission}}));
            EXPECT_EQ(readFile(out + "son.mp3"), "earlier copy");
            EXPECT_EQ(readFile(out + "doc.xml"), buffer.text());
        } else {
            ASSERT_TRUE(error) << "the save did not fail";
            EXPECT_EQ(error->path(), out + name);
            EXPECT_EQ(error->problem(), SaveProblem::NoPermission);
            EXPECT_EQ(readFile(out + "doc.xml"), "earlier document");
            EXPECT_EQ(readFile(out + "doc.tar"), "earlier archive");
        }
        EXPECT_EQ(folderNames(out), (Paths{"doc.tar", "doc.xml", "son.mp3"})) << "a temporary file is left";
    }
}

// Checked as a user who may not write the file (though the folder lets anyone
// rename into it): a forked child drops to "nobody".
TEST(WriteProtection, AFileThisUserMayNotWriteIsNotReplaced) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to another user";
    ScratchDir dir;
    ::chmod(dir.str().c_str(), 0777);
    const std::string doc = dir.folder() + "doc.xml";
    const std::string media = dir.folder() + "son.mp3";
    writeFile(doc, "root's document");
    writeFile(media, "root's sound");
    writeFile(dir.folder() + "src/son.mp3", "new sound");
    ::chmod((dir.folder() + "src").c_str(), 0755);
    ::chmod(doc.c_str(), 0644);
    ::chmod(media.c_str(), 0644);

    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(77);
        int code = 0;
        try {
            writeFileReplacing(doc, "nobody's document");
            code |= 1;
        } catch (const SaveError& e) {
            if (e.problem() != SaveProblem::NoPermission)
                code |= 2;
        }
        GeneralData general;
        general.introSound = dir.folder() + "src/son.mp3";
        ExportSettings settings;
        QuizModel model;
        MediaCopyRequest r{dir.folder(), Format::Xml, true, false, nullptr, {}};
        const auto failed = copyQuizMedia(r, general, settings, model);
        if (failed.size() != 1 || failed[0].problem != SaveProblem::NoPermission)
            code |= 4;
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "cannot drop to user 65534";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: replaced, 2: wrong reason, 4: media copy replaced";
    EXPECT_EQ(readFile(doc), "root's document");
    EXPECT_EQ(readFile(media), "root's sound");
    EXPECT_EQ(folderNames(dir.str()), (Paths{"doc.xml", "son.mp3", "src"}));
}

// ---------------------------------------------------------------------------
// The document and its archive are committed together.

TEST_F(SaveFixture, AFullDiskWhileWritingTheArchiveKeepsBothEarlierFiles) {
    writeFile(out + "doc.xml", "earlier document");
    writeFile(out + "doc.tar", "earlier archive");
    general.introSound = media("big.mp3", someBytes(1 << 20, 7));
    const int code = runWithFileSizeLimit(200000, [&] {
        try {
            save("doc", "xml", boxes(false, true));
        } catch (const SaveError& e) {
            return e.path() == out + "doc.tar" && e.problem() == SaveProblem::NoSpace ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(code, 0) << "1: no error, 2: the wrong file or reason";
    EXPECT_EQ(readFile(out + "doc.xml"), "earlier document");
    EXPECT_EQ(readFile(out + "doc.tar"), "earlier archive");
    EXPECT_EQ(folderNames(out), (Paths{"doc.tar", "doc.xml"}));
}

TEST_F(SaveFixture, AFullDiskWhileWritingTheDocumentKeepsBothEarlierFiles) {
    writeFile(out + "doc.xml", "earlier document");
    writeFile(out + "doc.tar", "earlier archive");
    buffer.setText(someBytes(1 << 20, 9));
    const int code = runWithFileSizeLimit(200000, [&] {
        try {
            save("doc", "xml", boxes(false, true));
        } catch (const SaveError& e) {
            return e.path() == out + "doc.xml" && e.problem() == SaveProblem::NoSpace ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(out + "doc.xml"), "earlier document");
    EXPECT_EQ(readFile(out + "doc.tar"), "earlier archive");
    EXPECT_EQ(folderNames(out), (Paths{"doc.tar", "doc.xml"}));
}

TEST_F(SaveFixture, AReplacedArchiveKeepsItsPermissions) {
    writeFile(out + "doc.tar", "earlier archive");
    ::chmod((out + "doc.tar").c_str(), 0640);
    save("doc");
    EXPECT_EQ(modeOf(out + "doc.tar"), 0640u);
    EXPECT_FALSE(readEntries(out + "doc.tar").empty());
}

// ---------------------------------------------------------------------------
// Every failure says why.

TEST_F(SaveFixture, ADocumentThatCannotBeSavedSaysWhy) {
    fs::create_directories(out + "folder.xml");
    const std::string tooLong(256, 'n');
    const struct {
        std::string name;
        SaveProblem problem;
        const char* galician;
    } cases[] = {
        {"no/such/folder/doc", SaveProblem::NotFound, "Non existe o arquivo ou o cartafol"},
        {"folder.xml", SaveProblem::NotRegular, "Non é un arquivo normal"},
        {tooLong, SaveProblem::NameTooLong, "O nome é demasiado longo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            save(c.name, "xml", boxes(false, false));
            ADD_FAILURE() << "no error";
        } catch (const SaveError& e) {
            EXPECT_EQ(e.problem(), c.problem);
            EXPECT_EQ(e.userMessage(), "Non se puido gardar o arquivo :" + e.path());
            EXPECT_EQ(e.userReason(), c.galician);
            EXPECT_NE(std::string(e.what()).find(englishReason(c.problem)), std::string::npos);
        }
    }
}

TEST_F(SaveFixture, EveryMediaFileNotCopiedOrPackedIsListedWithItsReason) {
    fs::create_directories(src + "folder.png");
    ASSERT_EQ(::mkfifo((src + "pipe.mp3").c_str(), 0644), 0);
    writeFile(out + "locked.mp3", "earlier copy");
    ::chmod((out + "locked.mp3").c_str(), 0444);
    const std::string longName(256, 'm');
    general.introSound = src + "missing.mp3";
    general.endWellSound = src + "folder.png";
    general.endBadSound = src + "pipe.mp3";
    Question& q = model.questions.record(1);
    q[FieldSlot::imaxe] = media("doc.xml");
    q[FieldSlot::son] = src + longName;
    q[FieldSlot::sonben] = media("locked.mp3");
    q[FieldSlot::sonmal] = media("fine.mp3");
    const SaveResult r = save("doc", "xml", boxes(true, false));
    EXPECT_EQ(r.failedMedia, (std::vector<MediaFailure>{
                                 {src + "missing.mp3", SaveProblem::NotFound},
                                 {src + "folder.png", SaveProblem::NotRegular},
                                 {src + "pipe.mp3", SaveProblem::NotRegular},
                                 {src + "doc.xml", SaveProblem::SameNameAsDocument},
                                 {src + longName, SaveProblem::NameTooLong},
                                 {src + "locked.mp3", SaveProblem::NoPermission},
                             }));
    EXPECT_EQ(readFile(out + "fine.mp3"), "media fine.mp3");
}

TEST_F(SaveFixture, AMediaCopyCutShortByAFullDiskSaysSo) {
    general.introSound = media("big.mp3", someBytes(1 << 20, 3));
    const int code = runWithFileSizeLimit(200000, [&] {
        const SaveResult r = save("doc", "xml", boxes(true, false));
        return r.failedMedia == std::vector<MediaFailure>{{src + "big.mp3", SaveProblem::NoSpace}} ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(folderNames(out), Paths{"doc.xml"});
}

// ---------------------------------------------------------------------------
// Any name the file system accepts can be saved.

TEST_F(SaveFixture, NamesOf255BytesAreSavedCopiedAndPacked) {
    const std::string base(251, 'x');          // + ".xml" = 255 bytes, + ".tar" too
    const std::string mediaName(251, 'm');
    general.introSound = media(mediaName + ".mp3");
    const SaveResult r = save(base);
    EXPECT_TRUE(r.failedMedia.empty());
    EXPECT_EQ(bareFileName(r.documentPath).size(), 255u);
    EXPECT_EQ(readFile(out + base + ".xml"), buffer.text());
    EXPECT_EQ(readFile(out + mediaName + ".mp3"), "media " + mediaName + ".mp3");
    EXPECT_EQ(readEntries(out + base + ".tar"),
              (std::vector<Entry>{{mediaName + ".mp3", "media " + mediaName + ".mp3"},
                                  {base + ".xml", buffer.text()}}));
    EXPECT_EQ(folderNames(out).size(), 3u) << "a temporary file is left";
}

} // namespace
