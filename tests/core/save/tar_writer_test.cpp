#include "save/tar_writer.h"

#include "save/tar_test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <numeric>

#include <sys/stat.h>

using namespace vireta;
using namespace tartest;

namespace {

std::string zeros(std::size_t n) { return std::string(n, '\0'); }

std::string field(const TarBlock& h, std::size_t offset, std::size_t length) {
    return std::string(reinterpret_cast<const char*>(h.data()) + offset, length);
}

std::string headerAt(const std::string& archive, std::size_t offset) {
    return archive.substr(offset, 512);
}

// Packs the given files (name -> content) into `tarPath` with their own names.
std::vector<Entry> packFiles(const ScratchDir& dir, const std::string& tarPath,
                             const std::vector<Entry>& files) {
    ArchiveFile archive(tarPath);
    for (const auto& f : files) {
        const std::string source = dir / ("src/" + std::to_string(&f - files.data()));
        writeFile(source, f.data);
        archive.tar().AppendFile(source, f.name);
    }
    archive.finish();
    return files;
}

} // namespace

TEST(TarHeader, WorkedExampleMatchesByteForByte) {
    ScratchDir dir;
    const std::string source = dir / "son.mp3";
    const std::string content = someBytes(1000, 1);
    writeFile(source, content);
    setModificationTime(source, 1262304000); // 2010-01-01 00:00:00 UTC

    const std::string tarPath = dir / "quiz.tar";
    {
        ArchiveFile archive(tarPath);
        archive.tar().AppendFile(source, "son.mp3");
    } // released without Finish: the writer's destructor finishes

    const std::string expectedHeader = std::string("son.mp3") + zeros(93) // name
                                       + std::string("   777 \0", 8)        // mode
                                       + std::string("     0 \0", 8)        // user id
                                       + std::string("     0 \0", 8)        // group id
                                       + "       1750 "                     // size
                                       + "11317235400 "                     // time
                                       + std::string("  7512 \0", 8)        // checksum 3914
                                       + "0"                                // type flag
                                       + zeros(100)                         // link name
                                       + "ustar   "                         // magic and version
                                       + zeros(64)                          // user and group name
                                       + std::string("     0 \0", 8)        // device major
                                       + std::string("     0 \0", 8)        // device minor
                                       + zeros(167);
    ASSERT_EQ(expectedHeader.size(), 512u);

    const std::string archive = readFile(tarPath);
    ASSERT_EQ(archive.size(), 512u * 3 + 1024);
    EXPECT_EQ(headerAt(archive, 0), expectedHeader);
    EXPECT_EQ(archive.substr(512, 1000), content);
    EXPECT_EQ(archive.substr(1512), zeros(24 + 1024));
    expectReadersAgree(tarPath, {{"son.mp3", content}});

    const ToolRun verbose = runTool("TZ=UTC tar --quoting-style=literal -tvf '" + tarPath + "'", dir);
    EXPECT_NE(verbose.out.find("1000 2010-01-01 00:00 son.mp3"), std::string::npos) << verbose.out;
}

TEST(TarHeader, NumericFieldsBlankLeadingZerosAndSwitchToBase256WhenTooLarge) {
    struct Case {
        std::int64_t size;
        std::int64_t time;
        std::string sizeField;
        std::string timeField;
    };
    const std::string base256_8GiB = std::string("\x80\0\0\0\0\0\0\x02\0\0\0\0", 12);
    const Case cases[] = {
        {0, 0, "          0 ", "          0 "},
        {1000, 1262304000, "       1750 ", "11317235400 "},
        {512, 8, "       1000 ", "         10 "},
        {8589934591LL, -1, "77777777777 ", "          0 "}, // largest octal size; pre-1970 time
        {8589934592LL, -2209161600LL, base256_8GiB, "          0 "},
        {0, 8589934592LL, "          0 ", base256_8GiB}, // a time after the year 2242
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        TTarDirRec rec;
        rec.name = "x";
        rec.size = c.size;
        rec.modificationTime = c.time;
        rec.permissions = kTarAllPermissions;
        const TarBlock h = tarHeader(rec);
        EXPECT_EQ(field(h, 124, 12), c.sizeField);
        EXPECT_EQ(field(h, 136, 12), c.timeField);

        // The checksum is the sum of the block with its own field counted as spaces.
        TarBlock blanked = h;
        std::fill(blanked.begin() + 148, blanked.begin() + 156, ' ');
        const unsigned sum = std::accumulate(blanked.begin(), blanked.end(), 0u);
        EXPECT_EQ(std::stoul(field(h, 148, 6), nullptr, 8), sum);
        EXPECT_EQ(field(h, 154, 2), std::string(" \0", 2));
    }
}

TEST(TarHeader, ModeIsTheSumOfPermissionAndModeBits) {
    TTarDirRec rec;
    rec.permissions = tpReadByOwner | tpWriteByOwner | tpReadByGroup | tpReadByOther;
    EXPECT_EQ(field(tarHeader(rec), 100, 8), std::string("   644 \0", 8));
    rec.mode = tmSetUid | tmSaveText;
    rec.permissions = kTarAllPermissions;
    EXPECT_EQ(field(tarHeader(rec), 100, 8), std::string("  5777 \0", 8));
}

TEST(TarHeader, PythonReadsTheBase256SizeOfAnEightGibibyteFile) {
    if (!haveTool("python3"))
        GTEST_SKIP() << "python3 is not installed";
    ScratchDir dir;
    TTarDirRec rec;
    rec.name = "big.mp4";
    rec.size = 8589934592LL + 5;
    rec.permissions = kTarAllPermissions;
    rec.magic = "ustar";
    const TarBlock h = tarHeader(rec);
    writeFile(dir / "header", std::string(reinterpret_cast<const char*>(h.data()), h.size()));
    const ToolRun run = runTool(
        "python3 -c 'import sys, tarfile; "
        "print(tarfile.TarInfo.frombuf(open(sys.argv[1], \"rb\").read(), \"utf-8\", \"strict\").size)' '" +
            (dir / "header") + "'",
        dir);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "8589934597\n");
}

TEST(TarWriter, DataTakesWholeBlocksPaddedWithZeros) {
    ScratchDir dir;
    // Sizes around the block size, and one larger than the writer's buffer.
    const std::vector<std::size_t> sizes = {0, 1, 511, 512, 513, 1000, 700000};
    std::vector<Entry> files;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        files.push_back({"f" + std::to_string(sizes[i]) + ".bin", someBytes(sizes[i], static_cast<unsigned>(i))});
    const std::string tarPath = dir / "blocks.tar";
    packFiles(dir, tarPath, files);

    const std::string archive = readFile(tarPath);
    std::size_t pos = 0;
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const std::size_t blocks = (f.data.size() + 511) / 512;
        EXPECT_EQ(archive.substr(pos, f.name.size()), f.name);
        pos += 512;
        EXPECT_EQ(archive.substr(pos, f.data.size()), f.data);
        EXPECT_EQ(archive.substr(pos + f.data.size(), blocks * 512 - f.data.size()),
                  zeros(blocks * 512 - f.data.size()));
        pos += blocks * 512;
    }
    EXPECT_EQ(archive.size(), pos + 1024);
    EXPECT_EQ(archive.substr(pos), zeros(1024));
    EXPECT_EQ(field(tarHeader(TTarDirRec{}), 124, 12), "          0 ");
    expectReadersAgree(tarPath, files);
}

TEST(TarWriter, LongNamesGetAnExtendedHeaderAndKeepTheirFirstHundredBytes) {
    ScratchDir dir;
    const std::string name100(100, 'a');
    const std::string name101 = std::string(96, 'b') + ".mp3x";
    // Names whose path records are 999 and 1001 bytes long: in the second, the
    // record's length gains a digit by counting its own digits. Folders keep each
    // part of the name short enough to extract.
    auto deepName = [](std::size_t length) {
        std::string n;
        while (n.size() + 10 < length)
            n += "carpeta9/";
        return n + std::string(length - n.size(), 'z');
    };
    const std::vector<Entry> files = {
        {name100, "hundred"},
        {name101, "hundred and one"},
        {deepName(989), "deep 989"},
        {deepName(990), "deep 990"},
        {"son/canción longa " + std::string(120, 'n') + ".mp3", "accented"},
    };
    const std::string tarPath = dir / "names.tar";
    packFiles(dir, tarPath, files);

    const std::string archive = readFile(tarPath);
    // The exactly-100 name fills the field without a NUL and has no extended header.
    EXPECT_EQ(archive.substr(0, 100), name100);
    EXPECT_EQ(archive[156], '0');
    // The 101-byte name: an 'x' entry with its path record, then the cut name.
    const std::string pax = headerAt(archive, 1024);
    EXPECT_EQ(pax[156], 'x');
    const std::string record = "111 path=" + name101 + "\n";
    EXPECT_EQ(archive.substr(1536, record.size()), record);
    EXPECT_EQ(headerAt(archive, 2048).substr(0, 100), name101.substr(0, 100));
    EXPECT_EQ(headerAt(archive, 2048)[156], '0');
    EXPECT_NE(archive.find("999 path=" + files[2].name + "\n"), std::string::npos);
    EXPECT_NE(archive.find("1001 path=" + files[3].name + "\n"), std::string::npos);

    const auto entries = readEntries(tarPath);
    ASSERT_EQ(entries.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(entries[i], files[i]);
    expectReadersAgree(tarPath, files);
}

TEST(TarWriter, BackslashesInNamesBecomeSlashesAndAnEmptyNameMeansTheSourcePath) {
    ScratchDir dir;
    writeFile(dir / "a\\b.mp3", "backslash file");
    writeFile(dir / "son.mp3", "plain");
    const std::string tarPath = dir / "slashes.tar";
    const std::string cwd = fs::current_path().string();
    fs::current_path(dir.str()); // a relative source, so that the name has no leading '/'
    {
        ArchiveFile archive(tarPath);
        TTarWriter& tar = archive.tar();
        tar.AppendFile("a\\b.mp3", "");
        tar.AppendFile("son.mp3", "sons\\nivel 1\\son.mp3");
    }
    fs::current_path(cwd);
    const std::vector<Entry> expected = {{"a/b.mp3", "backslash file"},
                                         {"sons/nivel 1/son.mp3", "plain"}};
    EXPECT_EQ(readEntries(tarPath), expected);
    expectReadersAgree(tarPath, expected);
}

TEST(TarWriter, AnArchiveWithoutEntriesIsTwoZeroBlocks) {
    ScratchDir dir;
    const std::string tarPath = dir / "empty.tar";
    { ArchiveFile archive(tarPath); }
    EXPECT_EQ(readFile(tarPath), zeros(1024));
    expectReadersAgree(tarPath, {});
}

TEST(TarWriter, ReplacesAnExistingArchiveOnlyWhenFinished) {
    ScratchDir dir;
    const std::string tarPath = dir / "quiz.tar";
    writeFile(tarPath, "previous archive");
    writeFile(dir / "quiz.xml", "<xogo/>");
    ArchiveFile archive(tarPath);
    TTarWriter& tar = archive.tar();
    tar.AppendFile(dir / "quiz.xml", "quiz.xml");
    EXPECT_EQ(readFile(tarPath), "previous archive");
    archive.finish();
    EXPECT_TRUE(tar.finished());
    tar.Finish(); // a second Finish writes nothing more
    EXPECT_EQ(readEntries(tarPath), (std::vector<Entry>{{"quiz.xml", "<xogo/>"}}));
    EXPECT_EQ(readFile(tarPath).size(), 512u * 2 + 1024);
    EXPECT_THROW(tar.AppendFile(dir / "quiz.xml", "again.xml"), TarWriteError);
    // Nothing but the three files is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.str()), fs::directory_iterator()), 2);
}

TEST(TarWriter, UnreadableSourcesAreRefusedAndTheArchiveGoesOn) {
    ScratchDir dir;
    writeFile(dir / "good.mp3", "good");
    fs::create_directories(dir / "folder.mp3");
    ASSERT_EQ(::mkfifo((dir / "pipe.mp3").c_str(), 0600), 0);
    const std::string tarPath = dir / "quiz.tar";
    {
        ArchiveFile archive(tarPath);
        TTarWriter& tar = archive.tar();
        for (const char* bad : {"missing.mp3", "folder.mp3", "pipe.mp3"}) {
            try {
                tar.AppendFile(dir / bad, bad);
                ADD_FAILURE() << bad << " was accepted";
            } catch (const TarSourceError& e) {
                EXPECT_EQ(e.path(), dir / bad);
            }
        }
        tar.AppendFile(dir / "good.mp3", "good.mp3");
    }
    const std::vector<Entry> expected = {{"good.mp3", "good"}};
    EXPECT_EQ(readEntries(tarPath), expected);
    EXPECT_EQ(readFile(tarPath).size(), 512u * 2 + 1024);
    expectReadersAgree(tarPath, expected);
}

// Writes that fail (the file-size limit stands in for a full disk) are reported,
// and the path keeps the archive it held before.
TEST(TarWriter, FailedWritesAreReportedAndKeepThePreviousArchive) {
    ScratchDir dir;
    const std::string tarPath = dir / "quiz.tar";
    writeFile(tarPath, "previous archive");
    writeFile(dir / "big.mp3", someBytes(1 << 20, 7));
    writeFile(dir / "small.mp3", someBytes(60000, 8));

    enum { Ok = 0, NoThrow = 1, ThrowsLater = 2 };
    // A write during AppendFile fails: that and every later call throw.
    EXPECT_EQ(runWithFileSizeLimit(200000,
                                   [&] {
                                       ArchiveFile archive(tarPath);
                                       TTarWriter& tar = archive.tar();
                                       try {
                                           tar.AppendFile(dir / "big.mp3", "big.mp3");
                                           return int(NoThrow);
                                       } catch (const TarWriteError&) {
                                       }
                                       try {
                                           tar.Finish();
                                           return int(ThrowsLater);
                                       } catch (const TarWriteError&) {
                                       }
                                       return int(Ok);
                                   }),
              Ok);
    // The data fits the buffer; the failure shows when Finish writes it out.
    EXPECT_EQ(runWithFileSizeLimit(30000,
                                   [&] {
                                       ArchiveFile archive(tarPath);
                                       TTarWriter& tar = archive.tar();
                                       tar.AppendFile(dir / "small.mp3", "small.mp3");
                                       try {
                                           tar.Finish();
                                           return int(NoThrow);
                                       } catch (const TarWriteError& e) {
                                           return e.path() == tarPath ? int(Ok) : 3;
                                       }
                                   }),
              Ok);
    // A writer released without Finish after a failed write does not throw.
    EXPECT_EQ(runWithFileSizeLimit(30000,
                                   [&] {
                                       ArchiveFile archive(tarPath);
                                       TTarWriter& tar = archive.tar();
                                       tar.AppendFile(dir / "small.mp3", "small.mp3");
                                       return int(Ok);
                                   }),
              Ok);
    EXPECT_EQ(readFile(tarPath), "previous archive");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.str()), fs::directory_iterator()), 3)
        << "a temporary file was left behind";
}

// A file that holds fewer bytes than its size says (as a sysfs attribute does,
// or a file cut short while it is packed) is completed with zeros.
TEST(TarWriter, ASourceShorterThanItsSizeIsCompletedWithZeros) {
    const std::string source = "/sys/devices/system/cpu/online";
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0 || st.st_size != 4096)
        GTEST_SKIP() << source << " is not available";
    const std::string content = readFile(source);
    ASSERT_LT(content.size(), 4096u);
    ScratchDir dir;
    const std::string tarPath = dir / "short.tar";
    {
        ArchiveFile archive(tarPath);
        archive.tar().AppendFile(source, "online");
    }
    const std::string archive = readFile(tarPath);
    ASSERT_EQ(archive.size(), 512u + 4096 + 1024);
    EXPECT_EQ(archive.substr(124, 12), "      10000 ");
    EXPECT_EQ(archive.substr(512, 4096), content + zeros(4096 - content.size()));
    expectReadersAgree(tarPath, {{"online", content + zeros(4096 - content.size())}});
}
