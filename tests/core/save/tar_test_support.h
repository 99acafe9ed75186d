// Helpers for the tar writer and media copier tests: the shared file helpers, an
// archive written to a file as the save step writes one, a minimal archive reader and
// checks with the common tar readers.
#pragma once

#include "io/pending_file.h"
#include "save/tar_writer.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <stdlib.h>
#include <fcntl.h>
#include <csignal>
#include <cstdio>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tartest {

namespace fs = std::filesystem;

using testfiles::readFile;
using testfiles::ScratchDir;
using testfiles::writeFile;

// Deterministic, not very compressible bytes.
inline std::string someBytes(std::size_t size, unsigned seed) {
    std::string s(size, '\0');
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& c : s) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    return s;
}

inline void setModificationTime(const std::string& path, long long seconds) {
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        throw std::runtime_error("utimensat failed on " + path);
}

// An archive written as the save step writes one: the tar writer streams into a
// pending file for `path`, which is put in place when the writer is done, either by
// finish() or when the archive is dropped (after the writer's destructor has ended
// the archive; an archive whose writing failed is never put in place).
class ArchiveFile {
public:
    explicit ArchiveFile(const std::string& path) : file_(path) { tar_.emplace(file_, path); }
    ~ArchiveFile() {
        tar_.reset();
        try {
            file_.commit();
        } catch (const vireta::SaveError&) {
        }
    }
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    vireta::TTarWriter& tar() { return *tar_; }
    // Ends the archive and puts it in place.
    void finish() {
        tar_->Finish();
        file_.commit();
    }

private:
    vireta::PendingFile file_;
    std::optional<vireta::TTarWriter> tar_;
};

inline ino_t inodeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

struct Entry {
    std::string name; // the full name (from the extended header when there is one)
    std::string data;
    bool operator==(const Entry& o) const { return name == o.name && data == o.data; }
};

inline std::ostream& operator<<(std::ostream& os, const Entry& e) {
    return os << e.name << " (" << e.data.size() << " bytes)";
}

// Reads the entries of an archive this writer makes (octal or base-256 sizes,
// 'x' headers with a path record, end at the first zero block).
inline std::vector<Entry> readEntries(const std::string& archive) {
    const std::string bytes = readFile(archive);
    std::vector<Entry> entries;
    std::string longName;
    std::size_t pos = 0;
    while (pos + 512 <= bytes.size()) {
        const std::string h = bytes.substr(pos, 512);
        if (h == std::string(512, '\0'))
            break;
        std::uint64_t size = 0;
        for (int i = 124; i < 135; ++i)
            if (h[i] >= '0' && h[i] <= '7')
                size = size * 8 + static_cast<unsigned>(h[i] - '0');
        const std::string data = bytes.substr(pos + 512, size);
        pos += 512 + (size + 511) / 512 * 512;
        if (h[156] == 'x') {
            const auto eq = data.find("path=");
            longName = data.substr(eq + 5, data.size() - eq - 6);
            continue;
        }
        std::string name = h.substr(0, 100);
        name = name.substr(0, name.find('\0'));
        entries.push_back({longName.empty() ? name : longName, data});
        longName.clear();
    }
    return entries;
}

inline std::vector<std::string> namesOf(const std::vector<Entry>& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries)
        names.push_back(e.name);
    return names;
}

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a shell command, capturing standard output and standard error.
inline ToolRun runTool(const std::string& command, const ScratchDir& scratch) {
    const std::string errPath = scratch / ".tool-stderr";
    ToolRun run;
    FILE* p = ::popen((command + " 2>'" + errPath + "'").c_str(), "r");
    if (!p)
        return run;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        run.out.append(buf, n);
    const int rc = ::pclose(p);
    run.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    run.err = readFile(errPath);
    fs::remove(errPath);
    return run;
}

inline bool haveTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// GNU tar, bsdtar and Python's tarfile must each list exactly `expected` (in order)
// without a word on standard error, and extract every file byte for byte (for a
// name that occurs twice, the later entry wins).
inline void expectReadersAgree(const std::string& archive, const std::vector<Entry>& expected) {
    SCOPED_TRACE(archive);
    ScratchDir work;
    std::vector<std::string> names = namesOf(expected);
    std::map<std::string, std::string> finalContent;
    for (const auto& e : expected)
        finalContent[e.name] = e.data;

    struct Reader {
        const char* label;
        const char* program;
        std::string list;
        std::string extract;
    };
    const std::string q = "'" + archive + "'";
    const std::string py =
        "python3 -W error -c 'import sys, tarfile\n"
        "with tarfile.open(sys.argv[1]) as t:\n"
        "    for m in t.getmembers(): print(m.name)\n"
        "    if len(sys.argv) > 2:\n"
        "        t.extractall(sys.argv[2], **({\"filter\": \"fully_trusted\"} if hasattr(tarfile, \"data_filter\") else {}))\n' ";
    const std::vector<Reader> readers = {
        {"GNU tar", "tar", "tar --quoting-style=literal -tvf " + q + " >/dev/null && tar --quoting-style=literal -tf " + q,
         "tar -xf " + q + " -C "},
        {"bsdtar", "bsdtar", "bsdtar -tvf " + q + " >/dev/null && bsdtar -tf " + q, "bsdtar -xf " + q + " -C "},
        {"tarfile", "python3", py + q, py + q + " "},
    };
    for (const auto& r : readers) {
        SCOPED_TRACE(r.label);
        if (!haveTool(r.program)) {
            ADD_FAILURE() << r.program << " is not installed (scripts/install-deps.sh installs it)";
            continue;
        }
        const ToolRun list = runTool(r.list, work);
        EXPECT_EQ(list.status, 0);
        EXPECT_EQ(list.err, "");
        EXPECT_EQ(splitLines(list.out), names);

        const std::string into = work / r.program;
        fs::create_directories(into);
        const ToolRun extract = runTool(r.extract + "'" + into + "' >/dev/null", work);
        EXPECT_EQ(extract.status, 0);
        EXPECT_EQ(extract.err, "");
        for (const auto& [name, data] : finalContent) {
            const std::string path = into + "/" + name;
            EXPECT_TRUE(fs::is_regular_file(path)) << name;
            EXPECT_TRUE(readFile(path) == data) << name << " differs after extraction";
        }
    }
}

using testfiles::runWithFileSizeLimit;

} // namespace tartest
