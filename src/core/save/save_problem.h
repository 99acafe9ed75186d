// Why a file of a save (the document, its archive or a media file) could not be
// written, copied or packed, told to the teacher in Galician and on the command line
// in English.
#pragma once

#include <string>

namespace vireta {

enum class SaveProblem {
    NotFound,           // the file, or the folder it goes into, does not exist
    NotRegular,         // a folder, a device or a pipe
    SameNameAsDocument, // a media file named like the document it is saved with
    SameNameAsArchive,  // a media file named like the archive it is saved with
    NoSpace,            // the disk (or the user's quota or file-size limit) is full
    NameTooLong,
    NoPermission,       // no right to read the source or to write the target, or write-protected
    SameNameInPackage,  // another media file of the same bare name is in the zip package already
    TooLargeToEmbed,    // too large to embed in a single-file page
    Other,
};

// The problem an errno value stands for (Other for anything not listed above).
SaveProblem problemOfErrno(int err);

// The problem of a media file a writer could not read (EEXIST and EFBIG stand for
// SameNameInPackage and TooLargeToEmbed there).
SaveProblem problemOfUnreadMedium(int err);

// The reason as the window shows it, in Galician (UTF-8), one line without a final stop.
const char* galicianReason(SaveProblem problem);

// The reason as the command line writes it, in English; `err` (an errno value, 0 when
// none) gives the system's own text for Other.
std::string englishReason(SaveProblem problem, int err = 0);

} // namespace vireta
