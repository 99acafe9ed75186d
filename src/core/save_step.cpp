#include "save_step.h"

#include "text.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vireta {

SaveError::SaveError(std::string path, const std::string& reason)
    : std::runtime_error(path + ": " + reason), path_(std::move(path)) {}

std::string SaveError::userMessage() const { return "Non se puido gardar o arquivo :" + path_; }

std::string completeExtension(std::string_view chosen, std::string_view extension) {
    std::string path(chosen);
    if (bareFileName(chosen).find('.') == std::string::npos) {
        path += '.';
        path += extension;
    }
    return path;
}

namespace {

std::string errnoText(int err) { return std::strerror(err); }

// A file descriptor closed on every way out unless released.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// Creates a new file beside `path` with a name no other file has; returns its name.
int createTemporary(const std::string& path, std::string& tempPath) {
    const std::string folder = folderPart(path);
    const std::string name = bareFileName(path);
    std::random_device seed;
    std::mt19937 gen(seed());
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix;
        for (int i = 0; i < 8; ++i)
            suffix += kChars[gen() % (sizeof kChars - 1)];
        tempPath = folder + "." + name + "." + suffix + ".tmp";
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

void writeAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw errno;
        }
        if (n == 0)
            throw ENOSPC;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

} // namespace

void writeFileReplacing(const std::string& path, std::string_view bytes) {
    if (bareFileName(path).empty())
        throw SaveError(path, "no file name");
    std::string tempPath;
    Fd fd(createTemporary(path, tempPath));
    if (fd.get() < 0)
        throw SaveError(path, errnoText(errno));
    try {
        struct stat old;
        if (::stat(path.c_str(), &old) == 0) {
            if (!S_ISREG(old.st_mode))
                throw EISDIR;
            ::fchmod(fd.get(), old.st_mode & 07777); // best effort: keep the old mode
        }
        writeAll(fd.get(), bytes);
        if (::fsync(fd.get()) != 0)
            throw errno;
        if (::close(fd.release()) != 0)
            throw errno;
        if (::rename(tempPath.c_str(), path.c_str()) != 0)
            throw errno;
    } catch (int err) {
        ::unlink(tempPath.c_str());
        throw SaveError(path, errnoText(err));
    }
    // Make the rename itself durable; the document is in place either way.
    const std::string folder = folderPart(path);
    Fd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

// The archive of one save.
struct SaveStep::Archive {};

SaveStep::SaveStep() = default;
SaveStep::~SaveStep() = default;

void SaveStep::finishLeftover() { archive_.reset(); }

std::string SaveStep::save(const std::string& chosen, const SaveRequest& request,
                           const OutputBuffer& buffer, const SaveMedia& media) {
    finishLeftover();

    // Packaging hook: with media.pack, the archive writer is created here on the
    // archive path formed from `chosen` (before the extension is completed); if it
    // cannot be created the save ends and the document is not written.

    const std::string documentPath = completeExtension(chosen, request.extension);
    lastName_ = documentPath;

    writeFileReplacing(documentPath, buffer.text());

    // Media hook: copy (media.copyFiles) and pack (media.pack) each distinct media
    // file of the quiz into folderPart(documentPath), failures file by file.

    // Packaging hook: the document goes into the archive as its last entry under its
    // bare file name, and the archive is finished.
    (void)media;
    return documentPath;
}

} // namespace vireta
