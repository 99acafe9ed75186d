// Why a file could not be read, written, copied or packed (the document of a save, its
// archive, a media file), told to the teacher in Galician and on the command line in
// English, and the exception that names the file and its problem.
#pragma once

#include <stdexcept>
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

// A file that could not be written (a document, an archive, a copy). path() names the
// file; what() is path + ": " + the English reason. userMessage() is the window's first
// line, "Non se puido gardar o arquivo :" + path, and userReason() the second, why.
class SaveError : public std::runtime_error {
public:
    SaveError(std::string path, SaveProblem problem, int err = 0);

    const std::string& path() const { return path_; }
    SaveProblem problem() const { return problem_; }
    // The errno value behind the problem; 0 when there was none.
    int error() const { return error_; }
    std::string userMessage() const;
    std::string userReason() const { return galicianReason(problem_); }

private:
    std::string path_;
    SaveProblem problem_;
    int error_;
};

} // namespace vireta
