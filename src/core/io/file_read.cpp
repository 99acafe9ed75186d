#include "io/file_read.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vireta::io {

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

namespace {

// The reader itself: at most `limit` bytes of the file at `path`; with `refuseBeyond`,
// a file holding more than `limit` bytes fails with EFBIG instead of being cut.
long long readInto(const std::string& path, std::size_t limit, bool refuseBeyond, const ReadRoom& room) {
    UniqueFd fd = openRegularForReading(path);
    if (!fd.valid())
        return -1;
    struct stat st {};
    const std::size_t told =
        ::fstat(fd.get(), &st) == 0 && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    if (refuseBeyond && told > limit) {
        errno = EFBIG;
        return -1;
    }
    // One byte beyond what may be kept shows that the file holds more.
    const std::size_t most = refuseBeyond && limit < kNoLimit ? limit + 1 : limit;
    constexpr std::size_t kPiece = std::size_t{1} << 16;
    std::size_t want = told > 0 && told < kNoLimit ? told + 1 : kPiece;
    std::size_t capacity = 0;
    std::size_t got = 0;
    char* data = nullptr;
    while (got < most) {
        if (got == capacity) {
            capacity = std::min(most, std::max(want, capacity > most / 2 ? most : capacity * 2));
            data = room(capacity);
        }
        const long long n = readFull(fd.get(), data + got, capacity - got);
        if (n < 0)
            return -1;
        got += static_cast<std::size_t>(n);
        if (got < capacity)
            break; // the end of the file
    }
    if (refuseBeyond && got > limit) {
        errno = EFBIG;
        return -1;
    }
    return static_cast<long long>(got);
}

bool intoString(long long got, std::string& bytes) {
    if (got < 0) {
        const int err = errno;
        bytes.clear();
        errno = err;
        return false;
    }
    bytes.resize(static_cast<std::size_t>(got));
    return true;
}

ReadRoom roomIn(std::string& bytes) {
    return [&bytes](std::size_t size) {
        bytes.resize(size);
        return bytes.data();
    };
}

} // namespace

long long readWholeFileInto(const std::string& path, std::size_t largest, const ReadRoom& room) {
    return readInto(path, largest, largest < kNoLimit, room);
}

long long readFileStartInto(const std::string& path, std::size_t limit, const ReadRoom& room) {
    return readInto(path, limit, false, room);
}

bool readWholeFile(const std::string& path, std::string& bytes, std::size_t largest) {
    bytes.clear();
    return intoString(readWholeFileInto(path, largest, roomIn(bytes)), bytes);
}

bool readFileStart(const std::string& path, std::size_t limit, std::string& bytes) {
    bytes.clear();
    return intoString(readFileStartInto(path, limit, roomIn(bytes)), bytes);
}

std::string errorText(int err) { return std::strerror(err); }

} // namespace vireta::io
