#include "save/save_step.h"

#include "save/file_io.h"
#include "save/media_copier.h"
#include "text.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vireta {

SaveError::SaveError(std::string path, SaveProblem problem, int err)
    : std::runtime_error(path + ": " + englishReason(problem, err)), path_(std::move(path)),
      problem_(problem) {}

std::string SaveError::userMessage() const { return "Non se puido gardar o arquivo :" + path_; }

std::string completeExtension(std::string_view chosen, std::string_view extension) {
    std::string path(chosen);
    if (bareFileName(chosen).find('.') == std::string::npos) {
        path += '.';
        path += extension;
    }
    return path;
}

std::string offeredName(std::string_view last, const SaveRequest& request) {
    if (last.empty())
        return {};
    const std::string bare = bareFileName(last);
    const auto dot = bare.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string current = hasExtension ? bare.substr(dot + 1) : std::string();
    // The patterns of the filter's first entry ("*.htm;*.html;*.HTM;*.HTML").
    const std::string_view filter = request.filter;
    const auto bar = filter.find('|');
    std::string_view patterns = bar == std::string_view::npos ? std::string_view() : filter.substr(bar + 1);
    patterns = patterns.substr(0, patterns.find('|'));
    if (hasExtension) {
        for (std::size_t at = 0; at <= patterns.size();) {
            auto end = patterns.find(';', at);
            if (end == std::string_view::npos)
                end = patterns.size();
            if (patterns.substr(at, end - at) == "*." + current)
                return std::string(last);
            at = end + 1;
        }
    }
    std::string name(last.substr(0, last.size() - (hasExtension ? current.size() + 1 : 0)));
    return name + "." + request.extension;
}

namespace {

[[noreturn]] void failWithErrno(const std::string& path, int err) {
    throw SaveError(path, problemOfErrno(err), err);
}

SaveError fromTarError(const std::string& archivePath, const TarError& e) {
    return SaveError(archivePath, problemOfErrno(e.error()), e.error());
}

void syncFolderOf(const std::string& path) {
    const std::string folder = folderPart(path);
    fileio::UniqueFd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
}

} // namespace

PendingFile::PendingFile(std::string path, std::string_view bytes) : path_(std::move(path)) {
    fill([&](int fd) { writeAllOrFail(fd, bytes); });
}

PendingFile::PendingFile(std::string path, const DocumentWriter& write) : path_(std::move(path)) {
    fill([&](int fd) {
        OutputBuffer buffer;
        buffer.passOnTo([&](std::string_view bytes) { writeAllOrFail(fd, bytes); });
        write(buffer);
        buffer.finishPassingOn();
    });
}

void PendingFile::writeAllOrFail(int fd, std::string_view bytes) const {
    if (!fileio::writeAll(fd, bytes.data(), bytes.size()))
        failWithErrno(path_, errno);
}

void PendingFile::fill(const std::function<void(int fd)>& write) {
    if (bareFileName(path_).empty())
        throw SaveError(path_, SaveProblem::NotRegular, EISDIR);
    unsigned oldMode = 0;
    if (!fileio::mayReplace(path_, oldMode))
        failWithErrno(path_, errno);
    fileio::UniqueFd fd = fileio::createTempBeside(path_, temp_);
    if (!fd.valid()) {
        const int err = errno;
        temp_.clear();
        failWithErrno(path_, err);
    }
    if (oldMode != 0)
        ::fchmod(fd.get(), oldMode); // keep the old permissions; best effort
    auto giveUp = [&] {
        fd.reset();
        ::unlink(temp_.c_str());
        temp_.clear();
    };
    // Every write's count is checked (a full disk gives a short write), and the bytes
    // reach the disk before a rename makes them the document.
    try {
        write(fd.get());
    } catch (...) {
        giveUp();
        throw;
    }
    if (::fsync(fd.get()) != 0 || !fd.close()) {
        const int err = errno;
        giveUp();
        failWithErrno(path_, err);
    }
}

PendingFile::~PendingFile() {
    if (!temp_.empty())
        ::unlink(temp_.c_str());
}

bool PendingFile::replaceable() const {
    unsigned mode = 0;
    return fileio::mayReplace(path_, mode);
}

void PendingFile::commit() {
    if (temp_.empty())
        return;
    if (!replaceable() || ::rename(temp_.c_str(), path_.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        temp_.clear();
        failWithErrno(path_, err);
    }
    temp_.clear();
}

void writeFileReplacing(const std::string& path, std::string_view bytes) {
    PendingFile file(path, bytes);
    file.commit();
    // Make the rename itself durable; the document is in place either way.
    syncFolderOf(path);
}

SaveStep::SaveStep() = default;
SaveStep::~SaveStep() = default;

void SaveStep::finishLeftover() { archive_.reset(); }

SaveResult SaveStep::save(const std::string& chosen, const SaveRequest& request,
                          const OutputBuffer& buffer, const SaveMedia& media) {
    return saveWith(chosen, request, buffer.text(), media);
}

SaveResult SaveStep::save(const std::string& chosen, const SaveRequest& request,
                          const DocumentWriter& write, const SaveMedia& media) {
    return saveWith(chosen, request, write, media);
}

// `document` is what PendingFile writes: the bytes, or the writer that makes them.
template <typename Document>
SaveResult SaveStep::saveWith(const std::string& chosen, const SaveRequest& request,
                              const Document& document, const SaveMedia& media) {
    finishLeftover();
    SaveResult result;
    result.documentPath = completeExtension(chosen, request.extension);
    lastName_ = result.documentPath;

    for (const auto& unread : request.unreadMedia)
        result.failedMedia.push_back({unread.source, problemOfUnreadMedium(unread.error), unread.error});
    bool pack = media.pack && request.packable;
    if (pack && archivePathFor(chosen) == result.documentPath) {
        // A document named like its own archive (quiz.tar): the document is saved and
        // the media copied, but no archive is made; the result says so.
        pack = false;
        result.archivePath = archivePathFor(chosen);
        result.archiveRefused = true;
    }

    // Any way out of this function before the commit gives the archive up, so that
    // an earlier archive stays as it was.
    struct Release {
        std::unique_ptr<TTarWriter>& archive;
        ~Release() {
            if (archive)
                archive->Abandon();
            archive.reset();
        }
    } release{archive_};
    if (pack) {
        result.archivePath = archivePathFor(chosen);
        // An archive that cannot be made stops the save before anything is written.
        try {
            archive_ = std::make_unique<TTarWriter>(result.archivePath);
        } catch (const TarError& e) {
            throw fromTarError(result.archivePath, e);
        }
    }

    PendingFile written(result.documentPath, document);

    try {
        if (media.general && media.settings && media.model && request.carriesMedia) {
            media.model->copiedFiles.clear();
        } else if (media.general && media.settings && media.model) {
            MediaCopyRequest r;
            r.documentFolder = folderPart(result.documentPath);
            r.format = media.format;
            r.copy = media.copyFiles;
            r.pack = pack;
            r.archive = archive_.get();
            r.progress = media.progress;
            r.documentName = bareFileName(result.documentPath);
            if (pack)
                r.archiveName = bareFileName(result.archivePath);
            for (auto& failed : copyQuizMedia(r, *media.general, *media.settings, *media.model))
                result.failedMedia.push_back(std::move(failed));
        }
        if (archive_) {
            archive_->AppendFile(written.temporaryPath(), bareFileName(result.documentPath));
            archive_->Close();
        }
    } catch (const TarError& e) {
        throw fromTarError(result.archivePath, e);
    }

    // Both files are complete. Both targets are checked before either is renamed, so
    // that a target which may not be replaced leaves both earlier files in place.
    if (!written.replaceable())
        failWithErrno(result.documentPath, errno);
    if (archive_) {
        unsigned mode = 0;
        if (!fileio::mayReplace(result.archivePath, mode))
            failWithErrno(result.archivePath, errno);
    }
    written.commit();
    if (archive_) {
        try {
            archive_->Commit();
        } catch (const TarError& e) {
            throw fromTarError(result.archivePath, e);
        }
    }
    syncFolderOf(result.documentPath);
    return result;
}

} // namespace vireta
