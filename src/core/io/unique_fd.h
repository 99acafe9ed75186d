// One open file descriptor, closed when its owner goes.
#pragma once

namespace vireta::io {

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
    void reset(); // closes quietly, keeping errno
    // Closes and reports whether the close succeeded (a deferred write error
    // can show up here).
    bool close();

private:
    int fd_ = -1;
};

} // namespace vireta::io
