#include "save/save_step.h"

#include "save/file_io.h"
#include "save/media_copier.h"
#include "text.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

void writeFileReplacing(const std::string& path, std::string_view bytes) {
    if (bareFileName(path).empty())
        throw SaveError(path, "no file name");
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        throw SaveError(path, fileio::errorText(S_ISDIR(old.st_mode) ? EISDIR : EINVAL));
    std::string temp;
    fileio::UniqueFd fd = fileio::createTempBeside(path, temp);
    if (!fd.valid())
        throw SaveError(path, fileio::errorText(errno));
    if (exists)
        ::fchmod(fd.get(), old.st_mode & 07777); // keep the old permissions; best effort
    // Every write's count is checked (a full disk gives a short write), and the bytes
    // reach the disk before the rename makes them the document.
    const bool ok = fileio::writeAll(fd.get(), bytes.data(), bytes.size()) &&
                    ::fsync(fd.get()) == 0 && fd.close() &&
                    ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        const int err = errno;
        fd.reset();
        ::unlink(temp.c_str());
        throw SaveError(path, fileio::errorText(err));
    }
    // Make the rename itself durable; the document is in place either way.
    const std::string folder = folderPart(path);
    fileio::UniqueFd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
}

SaveStep::SaveStep() = default;
SaveStep::~SaveStep() = default;

void SaveStep::finishLeftover() { archive_.reset(); }

SaveResult SaveStep::save(const std::string& chosen, const SaveRequest& request,
                          const OutputBuffer& buffer, const SaveMedia& media) {
    finishLeftover();
    SaveResult result;
    result.documentPath = completeExtension(chosen, request.extension);
    lastName_ = result.documentPath;

    bool pack = media.pack;
    if (pack && archivePathFor(chosen) == result.documentPath) {
        // A document named like its own archive (quiz.tar): the document is saved and
        // the media copied, but no archive is made; the result says so.
        pack = false;
        result.archivePath = archivePathFor(chosen);
        result.archiveRefused = true;
    }
    if (pack) {
        result.archivePath = archivePathFor(chosen);
        // An archive that cannot be created stops the save before the document is
        // written. The writer itself is created only once the document is in place,
        // so a document that fails leaves an earlier archive of that name untouched.
        struct stat st {};
        if (::stat(result.archivePath.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            throw SaveError(result.archivePath, fileio::errorText(S_ISDIR(st.st_mode) ? EISDIR : EINVAL));
        std::string probe;
        if (!fileio::createTempBeside(result.archivePath, probe).valid())
            throw SaveError(result.archivePath, fileio::errorText(errno));
        ::unlink(probe.c_str());
    }

    writeFileReplacing(result.documentPath, buffer.text());

    // From here on, any way out of this function releases the archive: finished when
    // complete, dropped (the earlier archive kept) when it could not be written.
    struct Release {
        std::unique_ptr<TTarWriter>& archive;
        ~Release() { archive.reset(); }
    } release{archive_};
    if (pack) {
        try {
            archive_ = std::make_unique<TTarWriter>(result.archivePath);
        } catch (const TarError& e) {
            throw SaveError(result.archivePath, e.what());
        }
    }

    try {
        if (media.general && media.settings && media.model) {
            MediaCopyRequest r;
            r.documentFolder = folderPart(result.documentPath);
            r.format = media.format;
            r.copy = media.copyFiles;
            r.pack = pack;
            r.archive = archive_.get();
            r.progress = media.progress;
            result.failedMedia = copiaelementos(r, *media.general, *media.settings, *media.model);
        }
        if (archive_) {
            archive_->AppendFile(result.documentPath, bareFileName(result.documentPath));
            archive_->Finish();
        }
    } catch (const TarError& e) {
        throw SaveError(result.archivePath, e.what());
    }
    return result;
}

} // namespace vireta
