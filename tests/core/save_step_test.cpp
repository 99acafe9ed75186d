#include "save_step.h"

#include "quiz_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace vireta;

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

// A fresh folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder() {
        char tmpl[] = "/tmp/vireta-save-XXXXXX";
        path_ = mkdtemp(tmpl);
        path_ += '/';
    }
    ~TempFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    const std::string& path() const { return path_; }

    std::vector<std::string> entries() const {
        std::vector<std::string> out;
        if (DIR* d = opendir(path_.c_str())) {
            while (dirent* e = readdir(d)) {
                const std::string n = e->d_name;
                if (n != "." && n != "..")
                    out.push_back(n);
            }
            closedir(d);
        }
        return out;
    }

private:
    std::string path_;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(WriteFileReplacing, WritesEveryByteAndLeavesNoTemporaryFile) {
    TempFolder dir;
    const std::string path = dir.path() + "quiz.xml";
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
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"quiz.xml"});
}

TEST(WriteFileReplacing, ReportsAFolderThatCannotBeWritten) {
    TempFolder dir;
    const std::string missing = dir.path() + "no/such/folder/quiz.xml";
    try {
        writeFileReplacing(missing, "x");
        FAIL() << "no error";
    } catch (const SaveError& e) {
        EXPECT_EQ(e.path(), missing);
        EXPECT_EQ(e.userMessage(), "Non se puido gardar o arquivo :" + missing);
    }
    // A folder in the way of the document.
    mkdir((dir.path() + "quiz.xml").c_str(), 0755);
    EXPECT_THROW(writeFileReplacing(dir.path() + "quiz.xml", "x"), SaveError);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"quiz.xml"});
}

// A disk that fills up in the middle of a save: the file size limit makes a write
// stop short. The previous document must survive whole, and nothing else remains.
TEST(WriteFileReplacing, AShortWriteNeverDestroysThePreviousFile) {
    TempFolder dir;
    const std::string path = dir.path() + "quiz.xml";
    const std::string previous = "<previous document/>\r\n";
    writeFile(path, previous);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        int status = 1;
        try {
            writeFileReplacing(path, std::string(100000, 'x'));
        } catch (const SaveError& e) {
            status = e.path() == path ? 0 : 2;
        }
        _exit(status);
    }
    int status = -1;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the short write went unnoticed";
    EXPECT_EQ(readFile(path), previous);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"quiz.xml"});
}

TEST(SaveStep, WritesTheBufferUnderTheCompletedNameAndOffersItNextTime) {
    TempFolder dir;
    SaveStep step;
    EXPECT_EQ(step.lastName(), "");
    OutputBuffer buffer;
    buffer.appendLine("linea");
    SaveMedia media;
    media.copyFiles = false;
    media.pack = false;
    const std::string written = step.save(dir.path() + "proba", {"*.xml|*.xml", "xml"}, buffer, media);
    EXPECT_EQ(written, dir.path() + "proba.xml");
    EXPECT_EQ(step.lastName(), dir.path() + "proba.xml");
    EXPECT_EQ(readFile(written), "linea\r\n");
}

} // namespace
