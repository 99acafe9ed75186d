#include "save/save_step.h"

#include "save/media_copier.h"
#include "save/tar_writer.h"
#include "text.h"

#include <cerrno>

namespace vireta {

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

// The ASCII letter of a Latin-1 or Latin Extended-A letter with an accent, in lower
// case; 0 for anything else.
char baseLetter(char32_t c) {
    static const char latin1[] = "aaaaaaaceeeeiiiidnooooo\0ouuuuyts" // U+00C0..U+00DF
                                 "aaaaaaaceeeeiiiidnooooo\0ouuuuyty"; // U+00E0..U+00FF
    if (c >= 0xC0 && c <= 0xFF)
        return latin1[c - 0xC0];
    if (c >= 0x100 && c <= 0x17F) {
        static const char extendedA[] = // U+0100..U+017F
            "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkklllllll"
            "lllnnnnnnnnnoooooooorrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
        return extendedA[c - 0x100];
    }
    return 0;
}

} // namespace

std::string fileNameFromTitle(std::string_view title) {
    constexpr std::size_t kMost = 60;
    std::string name;
    std::size_t characters = 0;
    bool gap = false;
    for (std::size_t pos = 0; pos < title.size() && characters < kMost;) {
        char32_t c;
        std::size_t len = decodeUtf8At(title, pos, c);
        if (len == 0) {
            c = 0xFFFD; // a stray byte is no letter
            len = 1;
        }
        pos += len;
        std::string letter;
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            letter = static_cast<char>(c);
        else if (c >= 'A' && c <= 'Z')
            letter = static_cast<char>(c - 'A' + 'a');
        else if (const char base = baseLetter(c))
            letter = base;
        if (letter.empty()) {
            gap = !name.empty();
            continue;
        }
        if (gap) {
            if (characters + 2 > kMost) // no room for "-" and a letter
                break;
            name += '-';
            ++characters;
        }
        gap = false;
        name += letter;
        ++characters;
    }
    return name.empty() ? std::string("cuestionario") : name;
}

std::string offeredSavePath(std::string_view quizPath, std::string_view title,
                            std::string_view folder, const SaveRequest& request) {
    if (!quizPath.empty())
        return offeredName(quizPath, request);
    std::string path(folder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + fileNameFromTitle(title) + "." + request.extension;
}

namespace {

[[noreturn]] void failWithErrno(const std::string& path, int err) {
    throw SaveError(path, problemOfErrno(err), err);
}

SaveError fromTarError(const std::string& archivePath, const TarError& e) {
    return SaveError(archivePath, problemOfErrno(e.error()), e.error());
}

// The document's bytes into its pending file: as they are, or as a writer makes them,
// passed on from its buffer as they grow.
void fill(PendingFile& file, std::string_view bytes) { file.write(bytes); }

void fill(PendingFile& file, const DocumentWriter& write) {
    OutputBuffer buffer;
    buffer.passOnTo([&](std::string_view bytes) { file.write(bytes); });
    write(buffer);
    buffer.finishPassingOn();
}

} // namespace

struct SaveStep::PendingArchive {
    explicit PendingArchive(const std::string& path) : file(path), tar(file, path) {}
    PendingFile file;
    TTarWriter tar;
};


SaveResult SaveStep::save(const std::string& chosen, const SaveRequest& request,
                          const OutputBuffer& buffer, const SaveMedia& media) {
    return saveWith(chosen, request, buffer.text(), media);
}

SaveResult SaveStep::save(const std::string& chosen, const SaveRequest& request,
                          const DocumentWriter& write, const SaveMedia& media) {
    return saveWith(chosen, request, write, media);
}

// `document` is what fill() writes: the bytes, or the writer that makes them.
template <typename Document>
SaveResult SaveStep::saveWith(const std::string& chosen, const SaveRequest& request,
                              const Document& document, const SaveMedia& media) {
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

    // This save's archive. Any way out of this function before the commit gives it
    // up, so that an earlier archive stays as it was.
    std::unique_ptr<PendingArchive> archive;
    struct Release {
        std::unique_ptr<PendingArchive>& archive;
        ~Release() {
            if (archive)
                archive->tar.Abandon();
        }
    } release{archive};
    if (pack) {
        result.archivePath = archivePathFor(chosen);
        // An archive that cannot be made stops the save before anything is written.
        archive = std::make_unique<PendingArchive>(result.archivePath);
    }

    PendingFile written(result.documentPath);
    fill(written, document);
    written.finish();

    try {
        if (media.general && media.settings && media.model && request.carriesMedia) {
            media.model->copiedFiles.clear();
        } else if (media.general && media.settings && media.model) {
            MediaCopyRequest r;
            r.documentFolder = folderPart(result.documentPath);
            r.format = media.format;
            r.copy = media.copyFiles;
            r.pack = pack;
            r.archive = archive ? &archive->tar : nullptr;
            r.progress = media.progress;
            r.documentName = bareFileName(result.documentPath);
            if (pack)
                r.archiveName = bareFileName(result.archivePath);
            for (auto& failed : copyQuizMedia(r, *media.general, *media.settings, *media.model))
                result.failedMedia.push_back(std::move(failed));
        }
        if (archive) {
            archive->tar.AppendFile(written.temporaryPath(), bareFileName(result.documentPath));
            archive->tar.Finish();
        }
    } catch (const TarError& e) {
        throw fromTarError(result.archivePath, e);
    }
    if (archive)
        archive->file.finish();

    // Both files are complete. Both targets are checked before either is renamed, so
    // that a target which may not be replaced leaves both earlier files in place.
    if (!written.replaceable())
        failWithErrno(result.documentPath, errno);
    if (archive && !archive->file.replaceable())
        failWithErrno(result.archivePath, errno);
    written.commit();
    if (archive)
        archive->file.commit();
    io::syncFolderOf(result.documentPath);
    return result;
}

} // namespace vireta
