// The save step: writes a filled output buffer to the file the user chose, and
// packs and copies the quiz's media around it.
//
// The window runs a save like this ("Gardar", format index, check boxes):
//
//     buffer.clear();
//     SaveRequest request = writeQuizFile(general, model.questions, model.count, buffer);
//                                        // or another format's writer
//     dialog: filter request.filter, initial name offeredSavePath(...)
//     if the completed name (completeExtension) differs from the chosen one and a
//     file of that name exists: ask before replacing it
//     if cancelled: stop
//     SaveMedia media{chkcopia, chkempaqueta, format, &general, &settings, &model};
//     try { saveStep.save(chosenPath, request, buffer, media); }
//     catch (const SaveError& e) { message box "vireta": e.userMessage() + "\n" + e.userReason(); }
//     each of result.failedMedia: its source and galicianReason(problem)
#pragma once

#include "formats/export_settings.h"
#include "formats/output_buffer.h"
#include "io/pending_file.h" // writeFileReplacing, for the files a save writes beside the document
#include "io/save_problem.h" // SaveError, SaveProblem and their texts
#include "model/quiz.h"
#include "save/media_copier.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vireta {

// The chosen path completed with the format's extension: when the file-name part
// (after the last '/', '\\' or ':') holds no "." at all, "." + extension is appended;
// otherwise the path stays as chosen (a final "." or a leading "." counts as one).
std::string completeExtension(std::string_view chosen, std::string_view extension);

// The name the save dialog offers for a save of `request`'s format after a save as
// `last`: `last` itself when its extension is one the format's filter lists first
// (for the pages "htm" as well as "html"), otherwise `last` with its extension (the
// file-name part from its last ".", unless that is its first character) replaced by
// the format's own: "xeo.xml" is offered as "xeo.html" for a page and "xeo.ebk" for
// the book, so that an export never offers to replace the quiz file.
std::string offeredName(std::string_view last, const SaveRequest& request);

// A quiz's title as a file name without extension: lower case, the accents of Latin
// letters dropped, each run of anything but letters and digits one "-", none at
// either end, at most 60 characters ("Patrimonio de Galicia" -> "patrimonio-de-galicia");
// "cuestionario" when nothing is left.
std::string fileNameFromTitle(std::string_view title);

// The path the save dialog offers for a save of `request`: the quiz file's path with
// the format's extension (offeredName) when the quiz has a file; otherwise the title
// as a file name with the format's extension, in `folder`.
std::string offeredSavePath(std::string_view quizPath, std::string_view title,
                            std::string_view folder, const SaveRequest& request);

// What writes a document while it is saved: it fills the buffer it is given, whose
// text goes on to the document's pending file as it grows (OutputBuffer::passOnTo),
// so that the document never sits whole in memory.
using DocumentWriter = std::function<void(OutputBuffer&)>;

// What a save needs besides the buffer: the two check boxes of the save page, and the
// quiz whose media are copied and packed. Without `general`, `settings` and `model`
// no media are handled (the document alone is written and packed).
struct SaveMedia {
    bool copyFiles = true; // chkcopia, "Copiar arquivos"
    bool pack = true;      // chkempaqueta, "Empaquetar"
    Format format = Format::Xml;
    const GeneralData* general = nullptr;     // introduction and end-of-game sounds
    const ExportSettings* settings = nullptr; // style sheets of the HTML tabs
    QuizModel* model = nullptr;               // question media 1..N, copied-files list
    // Called with each media file's source path before it is copied or packed.
    std::function<void(const std::string& source)> progress;
};

struct SaveResult {
    std::string documentPath;             // the chosen path, extension completed
    std::string archivePath;              // empty unless packed
    // Packing was asked for, but the archive would have the document's own path
    // (a document named quiz.tar): the document was saved and no archive was made.
    bool archiveRefused = false;
    std::vector<MediaFailure> failedMedia; // media files that could not be copied or packed
};

// The save step's state over the run of the editor: the name the save dialog offers
// next.
class SaveStep {
public:
    // The full name of the previous save's document (extension included); empty
    // before the first save.
    const std::string& lastName() const { return lastName_; }

    // Everything after the dialog returned `chosen`, in this order:
    //  1. the extension is completed (the result is remembered for lastName());
    //  2. when packing, the archive's pending file is opened at archivePathFor(chosen)
    //     and the tar writer set to write to it: if the archive cannot be made there,
    //     nothing is written;
    //  3. the buffer is written completely to a pending file beside the document;
    //  4. the quiz's media are copied and packed (copyQuizMedia), file by file,
    //     unless the request says the document carries them itself; a media file
    //     named like the document or the archive is left out;
    //  5. the document is added to the archive as its last entry and the archive is
    //     completed;
    //  6. the save commits as a whole: both targets are checked once more, and only
    //     then the document and the archive are renamed into place.
    // A request that is not packable (a zip package, a PDF) makes no archive whatever
    // media.pack says. The request's unread media open the result's failedMedia.
    // Throws SaveError naming the document or the archive when either cannot be
    // written; a media file that fails is only listed in the result. A failed save
    // leaves an earlier document and archive of the same names as they were (media
    // copies are separate files, each replaced or kept on its own).
    SaveResult save(const std::string& chosen, const SaveRequest& request,
                    const OutputBuffer& buffer, const SaveMedia& media);
    // The same, with the document written in step 3 by `write` (for a writer whose
    // request is known before it runs, and whose text goes straight to the file: the
    // quiz file's, see quizFileRequest and writeQuizFile). An exception from `write`
    // leaves the earlier document and archive as they were.
    SaveResult save(const std::string& chosen, const SaveRequest& request,
                    const DocumentWriter& write, const SaveMedia& media);

private:
    template <typename Document>
    SaveResult saveWith(const std::string& chosen, const SaveRequest& request, const Document& document,
                        const SaveMedia& media);

    // A save's archive: the tar writer and the pending file it writes to.
    struct PendingArchive;

    std::string lastName_;
};

} // namespace vireta
