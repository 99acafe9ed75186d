#include "io/unique_fd.h"

#include <cerrno>

#include <unistd.h>

namespace vireta::io {

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

} // namespace vireta::io
