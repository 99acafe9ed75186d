#include "save/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

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
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[40];
        std::snprintf(suffix, sizeof suffix, ".%06lx.tmp", (seed + ++counter * 7919UL) & 0xFFFFFFUL);
        tempPath = target + suffix;
        UniqueFd fd(::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
        if (fd.valid() || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return UniqueFd();
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

bool readWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    UniqueFd fd = openRegularForReading(path);
    if (!fd.valid())
        return false;
    char buffer[1 << 16];
    for (;;) {
        const long long n = readFull(fd.get(), buffer, sizeof buffer);
        if (n < 0)
            return false;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (static_cast<std::size_t>(n) < sizeof buffer)
            return true;
    }
}

std::string errorText(int err) { return std::strerror(err); }

} // namespace vireta::fileio
