#include "save/media_copier.h"

#include "io/file_read.h"
#include "io/pending_file.h"
#include "text.h"

#include <algorithm>
#include <optional>
#include <cerrno>
#include <stdexcept>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace vireta {
namespace {

enum class CopyResult { Copied, SameFile, Failed };

// Copies source to target, replacing it through a pending file, so that a failed copy
// leaves the target as it was and a target this user may not write, or one without
// any write bit, is left alone. The copy is not flushed to the disk on its own: the
// source is still there to copy again. When the target is the source itself (the same file,
// however it is spelt), nothing is done. A failure leaves its errno value in `err`.
CopyResult copyFile(const std::string& source, const std::string& target, int& err) {
    io::UniqueFd in = io::openRegularForReading(source);
    struct stat from {};
    if (!in.valid() || ::fstat(in.get(), &from) != 0) {
        err = errno;
        return CopyResult::Failed;
    }
    struct stat to {};
    if (::stat(target.c_str(), &to) == 0 && to.st_dev == from.st_dev && to.st_ino == from.st_ino)
        return CopyResult::SameFile;
    try {
        PendingFile out(target, PendingFile::Flush::Unforced);
        std::vector<char> buffer(256 * 1024);
        for (;;) {
            const long long n = io::readFull(in.get(), buffer.data(), buffer.size());
            if (n < 0) {
                err = errno;
                return CopyResult::Failed;
            }
            out.write(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
            if (n < static_cast<long long>(buffer.size()))
                break;
        }
        out.commit();
    } catch (const SaveError& e) {
        err = e.error();
        return CopyResult::Failed;
    }
    return CopyResult::Copied;
}

} // namespace

std::string archivePathFor(std::string_view chosenPath) {
    const std::string folder = folderPart(chosenPath);
    std::string name = bareFileName(chosenPath);
    const auto dot = name.find('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return folder + name + ".tar";
}

MediaCopier::MediaCopier(const MediaCopyRequest& request, std::vector<std::string>& copiedFiles)
    : request_(request), copiedFiles_(copiedFiles) {
    if (request_.pack && request_.archive == nullptr)
        throw std::logic_error("MediaCopier: packing needs an archive");
}

void MediaCopier::handle(const std::string& source, const std::string& target) {
    if (std::find(copiedFiles_.begin(), copiedFiles_.end(), source) != copiedFiles_.end())
        return;
    copiedFiles_.push_back(source);
    if (request_.progress)
        request_.progress(source);

    std::optional<MediaFailure> failure;
    auto fail = [&](SaveProblem problem, int err) {
        if (!failure)
            failure = MediaFailure{source, problem, err};
    };
    const std::string name = bareFileName(source);
    const std::string targetName = bareFileName(target);
    const bool asDocument = !request_.documentName.empty() &&
                            (name == request_.documentName || targetName == request_.documentName);
    const bool asArchive = request_.pack && !request_.archiveName.empty() &&
                           targetName == request_.archiveName;
    if (request_.copy) {
        int err = 0;
        if (asDocument)
            fail(SaveProblem::SameNameAsDocument, 0);
        else if (asArchive)
            fail(SaveProblem::SameNameAsArchive, 0);
        else if (copyFile(source, target, err) == CopyResult::Failed)
            fail(problemOfErrno(err), err);
    }
    if (request_.pack) {
        if (asDocument) {
            fail(SaveProblem::SameNameAsDocument, 0);
        } else {
            try {
                request_.archive->AppendFile(source, name);
            } catch (const TarSourceError& e) {
                fail(problemOfErrno(e.error()), e.error());
            }
        }
    }
    if (failure)
        failures_.push_back(std::move(*failure));
}

std::vector<std::string> sourcesOf(const std::vector<MediaFailure>& failures) {
    std::vector<std::string> out;
    out.reserve(failures.size());
    for (const auto& f : failures)
        out.push_back(f.source);
    return out;
}

std::vector<MediaFailure> copyQuizMedia(const MediaCopyRequest& request, const GeneralData& general,
                                        const ExportSettings& settings, QuizModel& model) {
    model.copiedFiles.clear();
    MediaCopier copier(request, model.copiedFiles);
    auto handle = [&](const std::string& path) {
        if (!path.empty())
            copier.handle(path, request.documentFolder + bareFileName(path));
    };

    if (request.format == Format::Html)
        handle(settings.style);
    if (request.format == Format::JavaScript)
        handle(settings.styleJs);
    handle(general.introSound);
    handle(general.endWellSound);
    handle(general.endBadSound);
    for (int k = 1; k <= model.count; ++k) {
        const Question& q = model.questions.record(k);
        for (FieldSlot slot : {FieldSlot::imaxe, FieldSlot::son, FieldSlot::sonben, FieldSlot::sonmal})
            handle(q[slot]);
    }
    return copier.failures();
}

} // namespace vireta
