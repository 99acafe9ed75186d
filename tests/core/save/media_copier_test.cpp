#include "save/media_copier.h"

#include "save/tar_test_support.h"
#include "text.h"

#include <gtest/gtest.h>

#include <memory>

using namespace vireta;
using namespace tartest;

using Paths = std::vector<std::string>;

TEST(ArchivePath, CutsTheFileNameAtItsFirstDotAndAddsTar) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/ana/quiz", "/home/ana/quiz.tar"},
        {"/home/ana/quiz.xml", "/home/ana/quiz.tar"},
        {"/home/ana/quiz.old.xml", "/home/ana/quiz.tar"},
        {"/home/ana/quiz.", "/home/ana/quiz.tar"},
        {"/home/ana/.quiz", "/home/ana/.quiz.tar"},
        {"/home/ana/.quiz.xml", "/home/ana/.quiz.xml.tar"},
        {"/home/ana/v1.2/quiz", "/home/ana/v1.2/quiz.tar"},
        {"C:\\probas.v2\\quiz.htm", "C:\\probas.v2\\quiz.tar"},
        {"quiz.ebk", "quiz.tar"},
    };
    for (const auto& [chosen, archive] : cases)
        EXPECT_EQ(archivePathFor(chosen), archive) << chosen;
}

namespace {

// A quiz whose media lie in a source folder, saved into a document folder.
struct MediaFixture : ::testing::Test {
    ScratchDir dir;
    std::string src = dir / "media/";
    std::string doc = dir / "doc/";
    GeneralData general;
    ExportSettings settings;
    QuizModel model;

    MediaFixture() { fs::create_directories(doc); }

    // Creates the media file `name` in the source folder and returns its path.
    std::string media(const std::string& name) {
        const std::string path = src + name;
        writeFile(path, "content of " + name);
        return path;
    }

    Question& question(int k) {
        model.count = std::max(model.count, k);
        return model.questions.record(k);
    }

    struct Result {
        Paths failed; // the sources of `failures`
        std::vector<MediaFailure> failures;
        Paths progress;
        std::vector<Entry> archive; // entries, when packing
    };

    Result save(Format format, bool copy, bool pack) {
        Result r;
        const std::string tarPath = doc + "quiz.tar";
        std::unique_ptr<ArchiveFile> archive;
        if (pack)
            archive = std::make_unique<ArchiveFile>(tarPath);
        MediaCopyRequest request{doc, format, copy, pack, archive ? &archive->tar() : nullptr,
                                 [&](const std::string& s) { r.progress.push_back(s); }};
        r.failures = copyQuizMedia(request, general, settings, model);
        r.failed = sourcesOf(r.failures);
        if (archive) {
            archive->finish();
            r.archive = readEntries(tarPath);
            expectReadersAgree(tarPath, r.archive);
            fs::remove(tarPath);
        }
        return r;
    }

    Paths docFolderFiles() const {
        Paths names;
        for (const auto& e : fs::directory_iterator(doc))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

} // namespace

TEST_F(MediaFixture, HandlesStyleGeneralSoundsThenEachQuestionsMediaInOrder) {
    settings.style = media("estilo.css");
    general.introSound = media("intro.mp3");
    general.endWellSound = media("ben.mp3");
    general.endBadSound = media("mal.mp3");
    question(1)[FieldSlot::imaxe] = media("q1.png");
    question(1)[FieldSlot::sonben] = media("q1ben.mp3");
    question(1)[FieldSlot::enlace] = media("ligazon.html"); // links are not media
    question(2)[FieldSlot::son] = media("q2.mp3");         // a question without a statement
    question(2)[FieldSlot::sonmal] = media("q2mal.mp3");
    question(2)[FieldSlot::imaxe] = media("q2.jpg");

    const Paths order = {src + "estilo.css", src + "intro.mp3", src + "ben.mp3",   src + "mal.mp3",
                         src + "q1.png",     src + "q1ben.mp3", src + "q2.jpg",    src + "q2.mp3",
                         src + "q2mal.mp3"};
    const Result r = save(Format::Html, true, true);
    EXPECT_EQ(r.failed, Paths{});
    EXPECT_EQ(model.copiedFiles, order);
    EXPECT_EQ(r.progress, order);
    Paths bare;
    for (const auto& p : order)
        bare.push_back(bareFileName(p));
    EXPECT_EQ(namesOf(r.archive), bare);
    for (const auto& e : r.archive)
        EXPECT_EQ(e.data, "content of " + e.name);
    Paths copied = bare;
    std::sort(copied.begin(), copied.end());
    EXPECT_EQ(docFolderFiles(), copied);
    for (const auto& name : copied)
        EXPECT_EQ(readFile(doc + name), "content of " + name);
}

TEST_F(MediaFixture, EachCheckBoxActsOnItsOwn) {
    general.introSound = media("intro.mp3");
    question(1)[FieldSlot::son] = media("q1.mp3");
    const Paths all = {src + "intro.mp3", src + "q1.mp3"};
    for (bool copy : {false, true}) {
        for (bool pack : {false, true}) {
            SCOPED_TRACE(std::string(copy ? "copy" : "no copy") + (pack ? ", pack" : ", no pack"));
            const Result r = save(Format::Xml, copy, pack);
            EXPECT_EQ(r.failed, Paths{});
            EXPECT_EQ(model.copiedFiles, all); // filled in every state
            EXPECT_EQ(docFolderFiles(), (copy ? Paths{"intro.mp3", "q1.mp3"} : Paths{}));
            EXPECT_EQ(namesOf(r.archive), (pack ? Paths{"intro.mp3", "q1.mp3"} : Paths{}));
            fs::remove_all(doc);
            fs::create_directories(doc);
        }
    }
}

TEST_F(MediaFixture, EachStyleSheetOnlyForItsOwnFormat) {
    settings.style = media("form.css");
    settings.styleJs = media("quiz.css");
    const std::pair<Format, Paths> cases[] = {
        {Format::Xml, {}},
        {Format::Html, {src + "form.css"}},
        {Format::JavaScript, {src + "quiz.css"}},
        {Format::Ebk, {}},
    };
    for (const auto& [format, handled] : cases) {
        SCOPED_TRACE(static_cast<int>(format));
        save(format, true, false);
        EXPECT_EQ(model.copiedFiles, handled);
    }
}

TEST_F(MediaFixture, DuplicatesAreHandledOnceByExactText) {
    const std::string image = media("mapa.png");
    for (int k = 1; k <= 20; ++k)
        question(k)[FieldSlot::imaxe] = image;
    general.introSound = media("intro.mp3");
    question(3)[FieldSlot::sonben] = general.introSound;
    // The same file spelt differently is a different path.
    question(21)[FieldSlot::imaxe] = dir / "media//mapa.png";

    const Result r = save(Format::Xml, true, true);
    EXPECT_EQ(model.copiedFiles, (Paths{src + "intro.mp3", image, dir / "media//mapa.png"}));
    EXPECT_EQ(namesOf(r.archive), (Paths{"intro.mp3", "mapa.png", "mapa.png"}));
    EXPECT_EQ(r.progress, model.copiedFiles);
    EXPECT_EQ(r.failed, Paths{});
}

TEST_F(MediaFixture, SameNameFromTwoFoldersLastOneWinsTheCopyAndBothArePacked) {
    writeFile(dir / "a/son.mp3", "first");
    writeFile(dir / "b/son.mp3", "second");
    question(1)[FieldSlot::son] = dir / "a/son.mp3";
    question(2)[FieldSlot::son] = dir / "b/son.mp3";
    const Result r = save(Format::Xml, true, true);
    EXPECT_EQ(readFile(doc + "son.mp3"), "second");
    EXPECT_EQ(r.archive, (std::vector<Entry>{{"son.mp3", "first"}, {"son.mp3", "second"}}));
}

TEST_F(MediaFixture, FailuresAreListedOnceAndTheRestIsStillHandled) {
    const std::string missing = src + "missing.mp3";
    general.introSound = missing;
    question(1)[FieldSlot::son] = missing;
    // The target cannot be written: a folder holds its name.
    question(1)[FieldSlot::imaxe] = media("blocked.png");
    fs::create_directories(doc + "blocked.png");
    question(2)[FieldSlot::son] = media("fine.mp3");

    for (bool pack : {false, true}) {
        SCOPED_TRACE(pack ? "packing" : "copying only");
        const Result r = save(Format::Xml, true, pack);
        EXPECT_EQ(r.failed, (Paths{missing, src + "blocked.png"}));
        EXPECT_EQ(r.progress, (Paths{missing, src + "blocked.png", src + "fine.mp3"}));
        EXPECT_EQ(docFolderFiles(), (Paths{"blocked.png", "fine.mp3"})) << "no temporary file is left";
        EXPECT_TRUE(fs::is_directory(doc + "blocked.png"));
        // Packing reads from the source, whether or not the copy worked.
        EXPECT_EQ(namesOf(r.archive), (pack ? Paths{"blocked.png", "fine.mp3"} : Paths{}));
    }
    // Packing only: a missing file is the one failure.
    EXPECT_EQ(save(Format::Xml, false, true).failed, Paths{missing});
}

TEST_F(MediaFixture, AFileIsNeverCopiedOntoItself) {
    // The media already lie in the document folder, reached through another spelling.
    writeFile(dir / "real/son.mp3", "keep me");
    fs::create_directory_symlink(dir / "real", dir / "link");
    const ino_t before = inodeOf(dir / "real/son.mp3");
    question(1)[FieldSlot::son] = dir / "real/son.mp3";
    doc = dir / "link/";

    const Result r = save(Format::Xml, true, true);
    EXPECT_EQ(r.failed, Paths{});
    EXPECT_EQ(inodeOf(dir / "real/son.mp3"), before) << "the file was replaced by a copy";
    EXPECT_EQ(readFile(dir / "real/son.mp3"), "keep me");
    EXPECT_EQ(r.archive, (std::vector<Entry>{{"son.mp3", "keep me"}}));
}

TEST_F(MediaFixture, EveryDistinctPathIsHandledHoweverManyThereAre) {
    // 200 questions with four media each: 800 distinct paths.
    model.count = kQuestionCapacity;
    Paths expected;
    for (int k = 1; k <= kQuestionCapacity; ++k) {
        for (FieldSlot slot : {FieldSlot::imaxe, FieldSlot::son, FieldSlot::sonben, FieldSlot::sonmal}) {
            const std::string name = "m" + std::to_string(k) + "_" + fieldName(slot);
            question(k)[slot] = media(name);
            expected.push_back(src + name);
        }
    }
    question(kQuestionCapacity)[FieldSlot::sonmal] = src + "m1_imaxe"; // one repeat
    expected.pop_back();
    const Result r = save(Format::Xml, true, true);
    EXPECT_EQ(r.failed, Paths{});
    EXPECT_EQ(model.copiedFiles, expected);
    EXPECT_EQ(r.archive.size(), expected.size());
    EXPECT_EQ(docFolderFiles().size(), expected.size());
}

TEST_F(MediaFixture, AnArchiveThatCannotBeWrittenEndsTheSave) {
    question(1)[FieldSlot::son] = media("a.mp3");
    writeFile(src + "big.mp3", someBytes(1 << 20, 3));
    question(2)[FieldSlot::son] = src + "big.mp3";
    const int code = runWithFileSizeLimit(100000, [&] {
        ArchiveFile archive(doc + "quiz.tar");
        MediaCopyRequest request{doc, Format::Xml, false, true, &archive.tar(), {}};
        try {
            copyQuizMedia(request, general, settings, model);
        } catch (const TarWriteError&) {
            return 0;
        }
        return 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(fs::exists(doc + "quiz.tar"));
}

TEST_F(MediaFixture, ACopyCutShortLeavesTheOldTargetInPlace) {
    writeFile(doc + "son.mp3", "old copy");
    writeFile(src + "son.mp3", someBytes(1 << 20, 5));
    question(1)[FieldSlot::son] = src + "son.mp3";
    const int code = runWithFileSizeLimit(100000, [&] {
        MediaCopyRequest request{doc, Format::Xml, true, false, nullptr, {}};
        return sourcesOf(copyQuizMedia(request, general, settings, model)) == Paths{src + "son.mp3"} ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(doc + "son.mp3"), "old copy");
    EXPECT_EQ(docFolderFiles(), Paths{"son.mp3"}) << "no temporary file is left";
}
