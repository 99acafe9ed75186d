#include "io/file_read.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

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
        ASSERT_TRUE(io::readWholeFile(path, bytes));
        EXPECT_EQ(bytes, content);
        for (std::size_t limit : {std::size_t{0}, std::size_t{1}, std::size_t{65535}, std::size_t{65537},
                                  content.size(), content.size() + 1}) {
            ASSERT_TRUE(io::readFileStart(path, limit, bytes));
            EXPECT_EQ(bytes, content.substr(0, limit)) << content.size() << " / " << limit;
        }
    }
    std::string status;
    ASSERT_TRUE(io::readWholeFile("/proc/self/status", status));
    EXPECT_NE(status.find("VmRSS"), std::string::npos);
    EXPECT_FALSE(io::readWholeFile(dir.str(), status));
    EXPECT_EQ(errno, EISDIR);
    EXPECT_FALSE(io::readWholeFile(dir.folder() + "missing", status));
    EXPECT_EQ(errno, ENOENT);
}

// The largest whole file a caller takes: up to it the file is read, beyond it the read
// fails with EFBIG, whether the size is told beforehand or only seen while reading.
TEST(WholeFile, RefusesAFileLargerThanTheCallerTakes) {
    ScratchDir dir;
    const std::string path = dir / "f";
    writeFile(path, std::string(1000, 'x'));
    const struct {
        std::string path;
        std::size_t largest;
        bool read;
    } cases[] = {
        {path, 1000, true},
        {path, 1001, true},
        {path, 999, false},
        {path, 0, false},
        {"/proc/self/status", 10, false}, // a size of 0 is told: the read itself finds more
        {"/proc/self/status", 1 << 20, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " / " + std::to_string(c.largest));
        std::string bytes = "left over";
        EXPECT_EQ(io::readWholeFile(c.path, bytes, c.largest), c.read);
        if (c.read) {
            EXPECT_FALSE(bytes.empty());
            EXPECT_LE(bytes.size(), c.largest);
        } else {
            EXPECT_EQ(errno, EFBIG);
            EXPECT_EQ(bytes, "");
        }
    }
}

// What a caller with memory of its own (the quiz file's reader) relies on: a file of
// known size takes one room of its size and a byte; more room is asked for only once
// the room is full, each time larger, and what was read stays in place. The kernel's
// symbol list is told as 0 bytes long and holds megabytes.
TEST(WholeFile, AsksForRoomOnlyWhenTheRoomIsFull) {
    ScratchDir dir;
    const std::string path = dir / "f";
    const std::string content(300000, 'q');
    writeFile(path, content);
    const std::string untold = "/proc/kallsyms";
    for (const std::string& file : {path, untold}) {
        SCOPED_TRACE(file);
        std::string expected;
        if (!io::readWholeFile(file, expected) || expected.size() < (std::size_t{1} << 17)) {
            ASSERT_NE(file, path);
            GTEST_SKIP() << untold << " cannot be read or is short";
        }
        std::vector<std::size_t> asked;
        std::vector<char> memory;
        const long long got = io::readWholeFileInto(file, io::kNoLimit, [&](std::size_t size) {
            if (!asked.empty()) {
                // New room comes as zeros, and the text holds none: all of it was read.
                EXPECT_EQ(std::find(memory.begin(), memory.end(), '\0'), memory.end())
                    << "asked again before the room was full";
                EXPECT_GT(size, asked.back());
            }
            asked.push_back(size);
            memory.resize(size); // keeps what was read, as a string's resize does
            return memory.data();
        });
        ASSERT_EQ(got, static_cast<long long>(expected.size()));
        EXPECT_TRUE(std::string(memory.data(), expected.size()) == expected);
        if (file == path)
            EXPECT_EQ(asked, std::vector<std::size_t>{content.size() + 1});
        else
            EXPECT_GT(asked.size(), 2u);
    }
}
