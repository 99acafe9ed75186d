// Copying and packing the media files of a quiz during a save.
//
// The documents refer to their media (sounds, images, style sheets) by bare file
// name, so a save can copy each media file into the document's folder and pack it
// into the save's tar archive. The save step uses this header in three places:
//
//     std::string tarPath = archivePathFor(chosenPath);          // before the document is written
//     PendingFile tarFile(tarPath);                               // when packing
//     TTarWriter tar(tarFile, tarPath);
//     ... write the document ...
//     MediaCopyRequest r{folderPart(documentPath), format, copy, pack, &tar, progress};
//     std::vector<MediaFailure> failed = copyQuizMedia(r, general, settings, model);
//     tar.AppendFile(documentPath, bareFileName(documentPath));
//     tar.Finish();
//     ... commit the document, then tarFile ...
//
// `failed` lists the media files that could not be copied or packed; the save
// itself goes on. A TarWriteError (the archive could not be written) is not a
// media failure: it leaves copyQuizMedia and ends the save.
#pragma once

#include "formats/export_settings.h"
#include "io/save_problem.h"
#include "model/quiz.h"
#include "save/tar_writer.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vireta {

// The archive path for the path chosen in the save dialog (before the extension
// is added): the file-name part is cut before its first '.', unless that '.' is
// its first character; the folder part is kept and ".tar" appended.
//   quiz -> quiz.tar, quiz.xml -> quiz.tar, quiz.old.xml -> quiz.tar,
//   quiz. -> quiz.tar, .quiz -> .quiz.tar, .quiz.xml -> .quiz.xml.tar
std::string archivePathFor(std::string_view chosenPath);

struct MediaCopyRequest {
    std::string documentFolder;    // folder of the document path, with its separator
    Format format = Format::Xml;   // the style sheet of a format is handled only for it
    bool copy = false;             // chkcopia: copy into documentFolder
    bool pack = false;             // chkempaqueta: append to archive
    TTarWriter* archive = nullptr; // this save's archive; must be set when pack is
    // Called with the source path before each distinct file is handled.
    std::function<void(const std::string& source)> progress;
    // The bare names of this save's document and (when packing) archive. A media
    // file of either name is neither copied (it would replace them) nor packed (the
    // archive would hold two entries of the document's name); it is listed as failed.
    std::string documentName = {};
    std::string archiveName = {};
};

// A media file that could not be copied or packed, and why.
struct MediaFailure {
    std::string source;
    SaveProblem problem = SaveProblem::Other;
    int error = 0; // the errno value behind the problem, 0 when none

    bool operator==(const MediaFailure& o) const { return source == o.source && problem == o.problem; }
};

// The source paths of a list of failures, in order.
std::vector<std::string> sourcesOf(const std::vector<MediaFailure>& failures);

// Handles one media file at a time; keeps the list of the paths handled in this
// save (`copiedFiles`) and of those that failed.
class MediaCopier {
public:
    MediaCopier(const MediaCopyRequest& request, std::vector<std::string>& copiedFiles);

    // Handles `source` unless the same text was handled before in this save:
    // copies it to `target` (when copying; never onto itself, judged by file
    // identity, and never over a write-protected file) and appends it to the archive
    // under its bare file name (when packing). A failure of either is recorded in
    // failures(), once per source, with the first problem met.
    // Throws TarWriteError when the archive cannot be written.
    void handle(const std::string& source, const std::string& target);

    const std::vector<MediaFailure>& failures() const { return failures_; }

private:
    MediaCopyRequest request_;
    std::vector<std::string>& copiedFiles_;
    std::vector<MediaFailure> failures_;
};

// Handles every media file of the quiz, in this order: the style sheet of the
// format being saved (HTML: settings.style, JavaScript: settings.styleJs), the
// introduction sound, the end-well and end-bad sounds, then for each question
// 1..model.count its imaxe, son, sonben and sonmal. Empty paths are skipped; each
// distinct path (exact text) is handled once. model.copiedFiles is emptied first
// and then lists every distinct path. Returns the media files that could not be
// copied or packed, in the order they were handled.
std::vector<MediaFailure> copyQuizMedia(const MediaCopyRequest& request, const GeneralData& general,
                                        const ExportSettings& settings, QuizModel& model);

} // namespace vireta
