#include "io/pending_file.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using namespace vireta;
using namespace testfiles;

namespace {

// The names in a folder, sorted.
std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(WriteFileReplacing, WritesEveryByteAndLeavesNoTemporaryFile) {
    ScratchDir dir;
    const std::string path = dir.folder() + "quiz.xml";
    std::string bytes("a\r\nb\0c\xC3\xA1\r\n", 10);
    writeFileReplacing(path, bytes);
    EXPECT_EQ(readFile(path), bytes);
    writeFile(path, "old content that is longer");
    chmod(path.c_str(), 0640);
    writeFileReplacing(path, "new");
    EXPECT_EQ(readFile(path), "new");
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the replaced file keeps its permissions";
    EXPECT_EQ(entries(dir.str()), std::vector<std::string>{"quiz.xml"});
}

TEST(WriteFileReplacing, ReportsAFolderThatCannotBeWritten) {
    ScratchDir dir;
    const std::string missing = dir.folder() + "no/such/folder/quiz.xml";
    try {
        writeFileReplacing(missing, "x");
        FAIL() << "no error";
    } catch (const SaveError& e) {
        EXPECT_EQ(e.path(), missing);
        EXPECT_EQ(e.userMessage(), "Non se puido gardar o arquivo :" + missing);
    }
    // A folder in the way of the document.
    mkdir((dir.folder() + "quiz.xml").c_str(), 0755);
    EXPECT_THROW(writeFileReplacing(dir.folder() + "quiz.xml", "x"), SaveError);
    EXPECT_EQ(entries(dir.str()), std::vector<std::string>{"quiz.xml"});
}

// A disk that fills up in the middle of a save: the file size limit makes a write
// stop short. The previous document must survive whole, and nothing else remains.
TEST(WriteFileReplacing, AShortWriteNeverDestroysThePreviousFile) {
    ScratchDir dir;
    const std::string path = dir.folder() + "quiz.xml";
    const std::string previous = "<previous document/>\r\n";
    writeFile(path, previous);
    const int status = runWithFileSizeLimit(4096, [&] {
        try {
            writeFileReplacing(path, std::string(100000, 'x'));
        } catch (const SaveError& e) {
            return e.path() == path ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(status, 0) << "1: the short write went unnoticed";
    EXPECT_EQ(readFile(path), previous);
    EXPECT_EQ(entries(dir.str()), std::vector<std::string>{"quiz.xml"});
}


// While pending, the new contents are a file of their own beside the target, under a
// short name, and the target keeps what it held; dropped, in any state, the pending
// file leaves nothing behind.
TEST(PendingFile, StaysBesideTheTargetUntilCommitted) {
    ScratchDir dir;
    const std::string path = dir.folder() + "quiz.xml";
    enum class Drop { Open, Written, Finished, Committed };
    for (Drop drop : {Drop::Open, Drop::Written, Drop::Finished, Drop::Committed}) {
        SCOPED_TRACE(static_cast<int>(drop));
        writeFile(path, "previous");
        {
            PendingFile file(path);
            const std::string temp = file.temporaryPath();
            EXPECT_EQ(temp.substr(0, dir.folder().size() + 8), dir.folder() + ".vireta-");
            EXPECT_EQ(temp.size(), dir.folder().size() + 14);
            if (drop >= Drop::Written)
                file.write("new contents");
            if (drop >= Drop::Finished)
                file.finish();
            if (drop == Drop::Committed)
                file.commit();
            EXPECT_EQ(readFile(path), drop == Drop::Committed ? "new contents" : "previous");
            EXPECT_EQ(entries(dir.str()).size(), drop == Drop::Committed ? 1u : 2u);
        }
        EXPECT_EQ(readFile(path), drop == Drop::Committed ? "new contents" : "previous");
        EXPECT_EQ(entries(dir.str()), std::vector<std::string>{"quiz.xml"});
    }
}

// Each target that may not be replaced is refused before anything is written, with its
// reason, and stays as it is.
TEST(PendingFile, RefusesATargetThatMayNotBeReplaced) {
    ScratchDir dir;
    std::filesystem::create_directories(dir / "folder.tar");
    writeFile(dir / "locked.xml", "locked");
    ::chmod((dir / "locked.xml").c_str(), 0444); // no write bit: refused even for root
    const struct {
        std::string path;
        SaveProblem problem;
    } cases[] = {
        {dir / "no such folder/quiz.tar", SaveProblem::NotFound},
        {dir / "folder.tar", SaveProblem::NotRegular},
        {dir.folder() + "folder.tar/", SaveProblem::NotRegular},
        {dir / "locked.xml", SaveProblem::NoPermission},
        {"/dev/null", SaveProblem::NotRegular},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        try {
            PendingFile file(c.path);
            ADD_FAILURE() << "accepted";
        } catch (const SaveError& e) {
            EXPECT_EQ(e.path(), c.path);
            EXPECT_EQ(e.problem(), c.problem);
        }
    }
    EXPECT_EQ(readFile(dir / "locked.xml"), "locked");
    EXPECT_EQ(entries(dir.str()), (std::vector<std::string>{"folder.tar", "locked.xml"}));
}

// The target is looked at once more when the file is committed: one write-protected
// meanwhile is left alone, and the new contents go.
TEST(PendingFile, CommitChecksTheTargetAgain) {
    ScratchDir dir;
    const std::string path = dir / "quiz.xml";
    writeFile(path, "previous");
    PendingFile file(path);
    file.write("new");
    ::chmod(path.c_str(), 0444);
    try {
        file.commit();
        ADD_FAILURE() << "committed over a write-protected file";
    } catch (const SaveError& e) {
        EXPECT_EQ(e.problem(), SaveProblem::NoPermission);
    }
    EXPECT_EQ(readFile(path), "previous");
    EXPECT_EQ(entries(dir.str()), std::vector<std::string>{"quiz.xml"});
}

// A writer that streams into the file through the sink and does not look at what put()
// returns still cannot get a file cut short into place.
TEST(PendingFile, AFailedWriteIsRememberedUntilTheCommit) {
    ScratchDir dir;
    const std::string path = dir / "quiz.tar";
    writeFile(path, "previous archive");
    const int status = runWithFileSizeLimit(4096, [&] {
        PendingFile file(path);
        io::ByteSink& sink = file;
        const std::string piece(3000, 'x');
        const bool first = sink.put(piece.data(), piece.size());
        const bool second = sink.put(piece.data(), piece.size());
        if (!first || second || errno != EFBIG)
            return 3;
        try {
            file.commit();
        } catch (const SaveError& e) {
            return e.problem() == SaveProblem::NoSpace ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(status, 0) << "1: committed, 2: the wrong reason, 3: the failed write not told";
    EXPECT_EQ(readFile(path), "previous archive");
    EXPECT_EQ(entries(dir.str()), std::vector<std::string>{"quiz.tar"});
}
