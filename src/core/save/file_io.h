// Small POSIX file helpers shared by the tar writer and the media copier.
// They report failure by returning false (or -1) with errno set; the callers
// turn that into their own exceptions.
#pragma once

#include <cstddef>
#include <string>

namespace vireta::fileio {

// Owns one open file descriptor and closes it when destroyed.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& o) noexcept : fd_(o.release()) {}
    UniqueFd& operator=(UniqueFd&& o) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release();
    void reset(); // closes quietly
    // Closes and reports whether the close succeeded (a deferred write error
    // can show up here).
    bool close();

private:
    int fd_ = -1;
};

// Opens an existing regular file for reading. A folder, a device or a pipe is
// refused with EISDIR or EINVAL, without blocking on a pipe.
UniqueFd openRegularForReading(const std::string& path);

// Creates a new, empty file beside `target`: in the same folder, under a short name
// of its own (".vireta-" and six characters), so that any target name the file
// system accepts leaves room for it. The file has the usual permissions for a new
// file; `tempPath` receives its name.
UniqueFd createTempBeside(const std::string& target, std::string& tempPath);

// Whether an existing file at `path` may be replaced by renaming a new file over it:
// true when nothing is there; false with errno set when a folder (EISDIR) or anything
// else but a regular file (EINVAL) is there, or a file that this user may not write
// or that carries no write bit at all (EACCES), so that a write-protected file stays
// as it is even for a user allowed to write anything. `mode` receives the existing
// file's permission bits (0 when there is none).
bool mayReplace(const std::string& path, unsigned& mode);

// write() until every byte is out, retrying after signals.
bool writeAll(int fd, const void* data, std::size_t size);

// read() until `size` bytes are in or the file ends; returns the count read or -1.
long long readFull(int fd, void* data, std::size_t size);

// The whole of a regular file (openRegularForReading's rules). Returns false with
// errno set when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& bytes);

// The same, stopping after the first `limit` bytes.
bool readFileStart(const std::string& path, std::size_t limit, std::string& bytes);

// The text of an errno value.
std::string errorText(int err);

} // namespace vireta::fileio
