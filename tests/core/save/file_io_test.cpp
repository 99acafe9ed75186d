#include "save/file_io.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include <sys/stat.h>

using namespace vireta;
using namespace testfiles;

// A file's start and the whole of it, whatever its size against the limit and the
// pieces it is read in; a file whose size the system does not tell (as those of
// /proc) is read to its end all the same.
TEST(FileStart, ReadsUpToTheLimitOrTheEnd) {
    ScratchDir dir;
    std::string large;
    for (int i = 0; large.size() < 200000; ++i)
        large += std::to_string(i) + ' ';
    for (const std::string& content : {std::string(), std::string("a"), std::string(65536, 'b'), large}) {
        const std::string path = dir.folder() + "f";
        writeFile(path, content);
        std::string bytes = "left over";
        ASSERT_TRUE(fileio::readWholeFile(path, bytes));
        EXPECT_EQ(bytes, content);
        for (std::size_t limit : {std::size_t{0}, std::size_t{1}, std::size_t{65535}, std::size_t{65537},
                                  content.size(), content.size() + 1}) {
            ASSERT_TRUE(fileio::readFileStart(path, limit, bytes));
            EXPECT_EQ(bytes, content.substr(0, limit)) << content.size() << " / " << limit;
        }
    }
    std::string status;
    ASSERT_TRUE(fileio::readWholeFile("/proc/self/status", status));
    EXPECT_NE(status.find("VmRSS"), std::string::npos);
    EXPECT_FALSE(fileio::readWholeFile(dir.str(), status));
    EXPECT_EQ(errno, EISDIR);
    EXPECT_FALSE(fileio::readWholeFile(dir.folder() + "missing", status));
    EXPECT_EQ(errno, ENOENT);
}
