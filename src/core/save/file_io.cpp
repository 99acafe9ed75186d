#include "save/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vireta::fileio {

UniqueFd& UniqueFd::operator=(UniqueFd&& o) noexcept {
    if (this != &o) {
        reset();
        fd_ = o.release();
    }
    return *this;
}

int UniqueFd::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::reset() {
    if (fd_ >= 0) {
        const int saved = errno;
        ::close(fd_);
        errno = saved;
        fd_ = -1;
    }
}

bool UniqueFd::close() {
    if (fd_ < 0)
        return true;
    // On Linux the descriptor is released even when close() fails, so no retry.
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
}

UniqueFd openRegularForReading(const std::string& path) {
    // O_NONBLOCK keeps open() from waiting for a writer when the path is a pipe.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid())
        return fd;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return UniqueFd();
    if (!S_ISREG(st.st_mode)) {
        fd.reset();
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return fd;
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

UniqueFd createTempBeside(const std::string& target, std::string& tempPath) {
    static unsigned long counter = 0;
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    unsigned long seed = static_cast<unsigned long>(now.tv_nsec) ^
                         (static_cast<unsigned long>(::getpid()) << 16);
    const auto cut = target.find_last_of('/');
    const std::string folder = cut == std::string::npos ? std::string() : target.substr(0, cut + 1);
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned long v = seed + ++counter * 7919UL;
        char suffix[7];
        for (char& c : suffix) {
            c = kDigits[v % 36];
            v /= 36;
        }
        suffix[6] = 0;
        tempPath = folder + ".vireta-" + suffix;
        UniqueFd fd(::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
        if (fd.valid() || errno != EEXIST)
            return fd;
        seed = seed * 6364136223846793005UL + 1442695040888963407UL;
    }
    errno = EEXIST;
    return UniqueFd();
}

bool mayReplace(const std::string& path, unsigned& mode) {
    mode = 0;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return true;
        return false;
    }
    if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0)
        return errno == ENOENT; // a dangling link is replaced like a missing file
    if (!S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    mode = st.st_mode & 07777;
    if ((st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0) {
        errno = EACCES;
        return false;
    }
    return true;
}

bool writeAll(int fd, const void* data, std::size_t size) {
    auto p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) { // should not happen for a regular file; avoid spinning
            errno = EIO;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

long long readFull(int fd, void* data, std::size_t size) {
    auto p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, p + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

bool readFileStart(const std::string& path, std::size_t limit, std::string& bytes) {
    bytes.clear();
    UniqueFd fd = openRegularForReading(path);
    if (!fd.valid())
        return false;
    // Straight into the string: in one read where the size is known (one byte more
    // tells the end), in pieces where it is not or the file grows meanwhile.
    constexpr std::size_t kPiece = std::size_t{1} << 16;
    std::size_t piece = kPiece;
    struct stat st {};
    if (::fstat(fd.get(), &st) == 0 && st.st_size > 0)
        piece = std::max(piece, static_cast<std::size_t>(st.st_size) + 1);
    while (bytes.size() < limit) {
        const std::size_t at = bytes.size();
        const std::size_t want = std::min(piece, limit - at);
        bytes.resize(at + want);
        const long long n = readFull(fd.get(), &bytes[at], want);
        if (n < 0) {
            const int err = errno;
            bytes.resize(at);
            errno = err;
            return false;
        }
        bytes.resize(at + static_cast<std::size_t>(n));
        if (static_cast<std::size_t>(n) < want)
            break;
        piece = kPiece;
    }
    return true;
}

bool readWholeFile(const std::string& path, std::string& bytes) {
    return readFileStart(path, std::numeric_limits<std::size_t>::max(), bytes);
}

std::string errorText(int err) { return std::strerror(err); }

} // namespace vireta::fileio
