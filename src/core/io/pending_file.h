// Replacing a file so that the previous one stays whole unless the new one was
// completely written: the bytes go to a temporary file beside the target (".vireta-"
// and six characters, in the same folder), every write is checked, the file is flushed
// to the disk and only then renamed over the target. An existing target keeps its
// permission bits; one that may not be replaced (a folder, a device, a file this user
// may not write or one without any write bit) is left as it is.
#pragma once

#include "io/byte_sink.h"
#include "io/save_problem.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vireta {

namespace io {

// write() until every byte is out, retrying after signals; false with errno set.
bool writeAll(int fd, const void* data, std::size_t size);

// Flushes the folder of `path` to the disk, so that a rename in it lasts; best effort.
void syncFolderOf(const std::string& path);

} // namespace io

// The new contents of `path`, pending in a temporary file beside it until commit().
// Every failure throws SaveError naming `path`. Dropped before its commit, or after a
// failure, it removes the temporary file and `path` keeps what it held.
class PendingFile : public io::ByteSink {
public:
    // Whether finish() flushes the file to the disk before it may be renamed.
    enum class Flush {
        ToDisk, // a document or an archive: nothing else holds its bytes
        // A copy that can be made again from its source (a save's media): the system
        // writes it back in its own time, which spares a save of many media a wait
        // on the disk per file.
        Unforced,
    };

    // Creates the temporary file, empty. Throws when `path` may not be replaced or
    // the file cannot be made in its folder.
    explicit PendingFile(std::string path, Flush flush = Flush::ToDisk);
    // The same, holding `bytes`, finished.
    PendingFile(std::string path, std::string_view bytes);
    ~PendingFile() override;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::string& path() const { return path_; }
    const std::string& temporaryPath() const { return temp_; }

    // The sink for a writer: false with errno set when the bytes could not all be
    // written. A failed write is remembered: finish() and commit() then throw.
    bool put(const void* data, std::size_t size) override;
    // Writes every byte or throws.
    void write(std::string_view bytes);
    // Flushes the file to the disk (unless made Unforced) and closes it: it is
    // complete in temporaryPath(), and nothing more can be written. A second call
    // does nothing.
    void finish();

    // Whether `path` may still be replaced; on false, errno says why.
    bool replaceable() const;
    // Finishes the file if it is not yet, checks once more that `path` may be
    // replaced and renames the file over it. Does nothing once done.
    void commit();

private:
    [[noreturn]] void fail(int err);
    void discard() noexcept;

    std::string path_;
    std::string temp_;
    Flush flush_;
    int fd_ = -1;
    int writeError_ = 0; // the first failed write's errno
    bool committed_ = false;
};

// The whole of writeFileReplacing: `bytes` as the new contents of `path`, committed,
// and the folder flushed so that the rename lasts.
void writeFileReplacing(const std::string& path, std::string_view bytes);

} // namespace vireta
