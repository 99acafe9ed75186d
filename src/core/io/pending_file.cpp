#include "io/pending_file.h"

#include "io/unique_fd.h"
#include "text.h"

#include <cerrno>
#include <ctime>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vireta {

namespace io {

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

void syncFolderOf(const std::string& path) {
    const std::string folder = folderPart(path);
    UniqueFd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
}

} // namespace io

namespace {

// Creates a new, empty file beside `target`: in the same folder, under a short name
// of its own (".vireta-" and six characters), so that any target name the file
// system accepts leaves room for it. `tempPath` receives its name.
io::UniqueFd createTempBeside(const std::string& target, std::string& tempPath) {
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
        io::UniqueFd fd(::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
        if (fd.valid() || errno != EEXIST)
            return fd;
        seed = seed * 6364136223846793005UL + 1442695040888963407UL;
    }
    errno = EEXIST;
    return io::UniqueFd();
}

// Whether an existing file at `path` may be replaced by renaming a new file over it:
// true when nothing is there; false with errno set when a folder (EISDIR) or anything
// else but a regular file (EINVAL) is there, or a file that this user may not write
// or that carries no write bit at all (EACCES), so that a write-protected file stays
// as it is even for a user allowed to write anything. `mode` receives the existing
// file's permission bits (0 when there is none).
bool mayReplace(const std::string& path, unsigned& mode) {
    mode = 0;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT;
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

} // namespace

PendingFile::PendingFile(std::string path, Flush flush) : path_(std::move(path)), flush_(flush) {
    if (bareFileName(path_).empty())
        throw SaveError(path_, SaveProblem::NotRegular, EISDIR);
    unsigned oldMode = 0;
    if (!mayReplace(path_, oldMode)) {
        const int err = errno;
        throw SaveError(path_, problemOfErrno(err), err);
    }
    io::UniqueFd fd = createTempBeside(path_, temp_);
    if (!fd.valid()) {
        const int err = errno;
        temp_.clear();
        throw SaveError(path_, problemOfErrno(err), err);
    }
    if (oldMode != 0)
        ::fchmod(fd.get(), oldMode); // keep the old permissions; best effort
    fd_ = fd.release();
}

PendingFile::PendingFile(std::string path, std::string_view bytes) : PendingFile(std::move(path)) {
    write(bytes);
    finish();
}

PendingFile::~PendingFile() { discard(); }

void PendingFile::discard() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

void PendingFile::fail(int err) {
    discard();
    throw SaveError(path_, problemOfErrno(err), err);
}

bool PendingFile::put(const void* data, std::size_t size) {
    if (writeError_ != 0 || fd_ < 0) {
        errno = writeError_ != 0 ? writeError_ : EBADF;
        return false;
    }
    // Every write's count is checked: a full disk gives a short write.
    if (!io::writeAll(fd_, data, size)) {
        writeError_ = errno;
        return false;
    }
    return true;
}

void PendingFile::write(std::string_view bytes) {
    if (!put(bytes.data(), bytes.size()))
        fail(errno);
}

void PendingFile::finish() {
    if (writeError_ != 0)
        fail(writeError_);
    if (fd_ < 0) {
        if (temp_.empty() && !committed_)
            fail(EBADF); // given up after an earlier failure
        return;
    }
    // The bytes reach the disk before a rename makes them the file. A file system
    // that cannot flush a file (EINVAL) has still taken every byte.
    if (flush_ == Flush::ToDisk && ::fsync(fd_) != 0 && errno != EINVAL)
        fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        fail(errno);
}

bool PendingFile::replaceable() const {
    unsigned mode = 0;
    return mayReplace(path_, mode);
}

void PendingFile::commit() {
    if (committed_)
        return;
    finish();
    if (!replaceable() || ::rename(temp_.c_str(), path_.c_str()) != 0)
        fail(errno);
    temp_.clear();
    committed_ = true;
}

void writeFileReplacing(const std::string& path, std::string_view bytes) {
    PendingFile file(path, bytes);
    file.commit();
    // Make the rename itself durable; the file is in place either way.
    io::syncFolderOf(path);
}

} // namespace vireta
