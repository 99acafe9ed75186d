#include "save/media_copier.h"

#include "save/file_io.h"
#include "text.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace vireta {
namespace {

enum class CopyResult { Copied, SameFile, Failed };

// Copies source to target, replacing it. The copy is written to a temporary file
// beside the target and renamed over it only when every write and the close have
// succeeded, so a failed copy leaves the target as it was. When the target is the
// source itself (the same file, however it is spelt), nothing is done.
CopyResult copyFile(const std::string& source, const std::string& target) {
    fileio::UniqueFd in = fileio::openRegularForReading(source);
    struct stat from {};
    if (!in.valid() || ::fstat(in.get(), &from) != 0)
        return CopyResult::Failed;
    struct stat to {};
    if (::stat(target.c_str(), &to) == 0 && to.st_dev == from.st_dev && to.st_ino == from.st_ino)
        return CopyResult::SameFile;

    std::string temp;
    fileio::UniqueFd out = fileio::createTempBeside(target, temp);
    if (!out.valid())
        return CopyResult::Failed;
    std::vector<char> buffer(256 * 1024);
    bool ok = true;
    for (;;) {
        const long long n = fileio::readFull(in.get(), buffer.data(), buffer.size());
        if (n < 0 || (n > 0 && !fileio::writeAll(out.get(), buffer.data(), static_cast<std::size_t>(n)))) {
            ok = false;
            break;
        }
        if (n < static_cast<long long>(buffer.size()))
            break;
    }
    ok = out.close() && ok;
    if (ok && ::rename(temp.c_str(), target.c_str()) == 0)
        return CopyResult::Copied;
    ::unlink(temp.c_str());
    return CopyResult::Failed;
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

void MediaCopier::crea(const std::string& source, const std::string& target) {
    if (std::find(copiedFiles_.begin(), copiedFiles_.end(), source) != copiedFiles_.end())
        return;
    copiedFiles_.push_back(source);
    if (request_.progress)
        request_.progress(source);

    bool failed = false;
    if (request_.copy)
        failed = copyFile(source, target) == CopyResult::Failed;
    if (request_.pack) {
        try {
            request_.archive->AppendFile(source, bareFileName(source));
        } catch (const TarSourceError&) {
            failed = true;
        }
    }
    if (failed)
        failures_.push_back(source);
}

std::vector<std::string> copiaelementos(const MediaCopyRequest& request, const GeneralData& general,
                                        const ExportSettings& settings, QuizModel& model) {
    model.copiedFiles.clear();
    MediaCopier copier(request, model.copiedFiles);
    auto handle = [&](const std::string& path) {
        if (!path.empty())
            copier.crea(path, request.documentFolder + bareFileName(path));
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
