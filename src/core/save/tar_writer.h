// Tar archive writer.
//
// TTarWriter writes an archive to a sink its caller opens, appending regular files
// from disk to it, each under a name of the caller's choosing, and ends it:
//
//     vireta::PendingFile file("/home/ana/quiz.tar");   // throws SaveError
//     vireta::TTarWriter tar(file, file.path());
//     tar.AppendFile("/home/ana/son/son.mp3", "son.mp3"); // TarSourceError, TarWriteError
//     tar.AppendFile("/home/ana/quiz.xml", "quiz.xml");
//     tar.Finish();                                     // throws TarWriteError
//     file.commit();                                    // throws SaveError
//
// The writer never creates, renames or removes a file: what becomes of the bytes is
// the sink's owner's business (the save step writes the archive to a pending file and
// puts it in place together with the document, or drops it). Destroying a writer that
// was not finished finishes it quietly (a destructor never throws); call Finish
// yourself to learn whether it worked.
//
// Format: 512-byte blocks. Each entry is one header block followed by its data,
// padded with zeros to whole blocks. Header fields (offset, length):
//   name 0/100, mode 100/8, uid 108/8, gid 116/8, size 124/12, mtime 136/12,
//   checksum 148/8, type flag 156/1, link name 157/100, magic+version 257/8
//   ("ustar" and three spaces), user name 265/32, group name 297/32,
//   device major 329/8, device minor 337/8, then zeros.
// Numbers are octal with leading zeros turned into spaces: width-12 fields end
// in a space, width-8 fields in a space and a NUL (the checksum too). A number
// too large for its digits (a size of 8 GiB or more, for one) is written in the
// base-256 form GNU tar and libarchive read: 0x80, then the value big-endian.
// A name longer than 100 bytes is preceded by a POSIX extended header
// ('x' entry with a "path" record); its own header keeps the first 100 bytes.
// Modification times before 1970 are written as 0. The archive ends with two
// zero blocks. Every entry has mode 0777, owner and group 0 and no names.
#pragma once

#include "io/byte_sink.h"

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace vireta {

// Any failure of the tar writer.
class TarError : public std::runtime_error {
public:
    TarError(const std::string& message, std::string path, int err = 0)
        : std::runtime_error(message), path_(std::move(path)), error_(err) {}
    // The file the failure is about (the source, or the archive by the name its
    // writer was given).
    const std::string& path() const { return path_; }
    // The errno value of the failure; 0 when there was none.
    int error() const { return error_; }

private:
    std::string path_;
    int error_;
};

// A source file could not be opened or read. The archive stays well-formed and
// further entries can be appended: if the file failed after its header was
// written, its entry is completed with zeros.
class TarSourceError : public TarError {
public:
    using TarError::TarError;
};

// The archive itself could not be written: its sink failed, or the writer was used
// after it was finished or given up. The writer is unusable afterwards: every further
// call throws again.
class TarWriteError : public TarError {
public:
    using TarError::TarError;
};

// Entry types and the type-flag byte each is written with.
enum class TTarFileType : int {
    ftNormal = 0,          // '0' "Regular"
    ftLink = 1,            // '1' "Link"
    ftSymbolicLink = 2,    // '2' "Symbolic Link"
    ftCharacter = 3,       // '3' "Char File"
    ftBlock = 4,           // '4' "Block File"
    ftDirectory = 5,       // '5' "Directory"
    ftFifo = 6,            // '6' "FIFO File"
    ftContiguous = 7,      // '7' "Contiguous"
    ftDumpDir = 8,         // 'D' "Dir Dump"
    ftMultiVolume = 9,     // 'M' "Multivol"
    ftVolumeHeader = 10,   // 'V' "Volume Header"
    ftExtendedHeader = 11, // 'x' "Extended Header" (POSIX, holds the long name)
};
char tarTypeFlag(TTarFileType type);
const char* tarTypeName(TTarFileType type);

// Permission and mode flags, as the bits of the header's mode number.
enum TTarPermission : std::uint32_t {
    tpReadByOwner = 0400, tpWriteByOwner = 0200, tpExecuteByOwner = 0100,
    tpReadByGroup = 040,  tpWriteByGroup = 020,  tpExecuteByGroup = 010,
    tpReadByOther = 04,   tpWriteByOther = 02,   tpExecuteByOther = 01,
};
inline constexpr std::uint32_t kTarAllPermissions = 0777;
enum TTarMode : std::uint32_t { tmSetUid = 04000, tmSetGid = 02000, tmSaveText = 01000 };

// The description of one entry, from which its header is written. A default
// constructed record is "cleared": empty texts, zero numbers and sets.
struct TTarDirRec {
    std::string name;
    std::int64_t size = 0;
    std::int64_t modificationTime = 0; // seconds since 1970-01-01 UTC; earlier means 0
    std::uint32_t permissions = 0;      // TTarPermission bits
    TTarFileType fileType = TTarFileType::ftNormal;
    std::string linkName;
    std::int32_t userId = 0;
    std::int32_t groupId = 0;
    std::string userName;
    std::string groupName;
    bool checksumCorrect = false; // set when the writer fills the record; not written
    std::uint32_t mode = 0;       // TTarMode bits
    std::string magic;
    std::int32_t majorDevice = 0;
    std::int32_t minorDevice = 0;
    std::int64_t filePos = 0;     // not used by the writer
};

inline constexpr std::size_t kTarBlockSize = 512;
using TarBlock = std::array<unsigned char, kTarBlockSize>;

// The header block of an entry, checksum included. The name is written as given
// (at most 100 bytes); the writer's long-name and backslash handling is in AppendFile.
TarBlock tarHeader(const TTarDirRec& rec);

class TTarWriter {
public:
    // An archive written to `sink`, which must outlive the writer. `name` (the
    // archive's path, for a file) names the archive in every TarWriteError.
    TTarWriter(io::ByteSink& sink, std::string name);
    ~TTarWriter();
    TTarWriter(const TTarWriter&) = delete;
    TTarWriter& operator=(const TTarWriter&) = delete;

    // Appends the regular file at sourcePath as one entry named archiveName (the
    // source path when archiveName is empty), backslashes turned into '/'.
    // Throws TarSourceError when the source cannot be opened (nothing is written
    // for it) or fails while being read, TarWriteError when the archive cannot be
    // written. A source that shrinks while it is read is completed with zeros and
    // keeps the size its header gives.
    void AppendFile(const std::string& sourcePath, const std::string& archiveName = {});

    // Writes the end of the archive (two zero blocks) and hands every byte still
    // buffered to the sink; nothing more can be appended. Throws TarWriteError on
    // failure. A second call does nothing.
    void Finish();

    // Gives the archive up: nothing more reaches the sink, and every further call
    // throws. Does nothing once the archive is finished.
    void Abandon() noexcept;

    bool finished() const { return finished_; }
    const std::string& name() const { return name_; }

private:
    void append(const void* data, std::size_t size);
    void appendZeros(std::size_t size);
    void flush();
    void writeEntry(const TTarDirRec& rec, int sourceFd, const std::string& sourcePath);
    [[noreturn]] void fail(const std::string& what, int err);
    void checkUsable() const;

    io::ByteSink& sink_;
    std::string name_;
    bool finished_ = false;
    bool failed_ = false;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t used_ = 0;

    // The values every entry is written with; this program never changes them.
    std::uint32_t permissions_ = kTarAllPermissions;
    std::int32_t userId_ = 0;
    std::int32_t groupId_ = 0;
    std::string userName_;
    std::string groupName_;
    std::uint32_t mode_ = 0;
    std::string magic_ = "ustar";
};

} // namespace vireta
