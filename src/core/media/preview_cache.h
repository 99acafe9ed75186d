// The question pictures' previews, decoded once and kept while their files stay the
// same, so that stepping back and forth through questions with camera photos does not
// decode the same file again; and decoded ahead, on one background thread, for the
// questions the user is likely to show next.
//
// A file is taken as unchanged while its size, modification and change times and
// inode stay the same; any write to it, or a new file under the same name, is decoded
// again. A missing file counts as one more state of the file: its failure is
// remembered until the file appears.
//
// Thread safety: every member may be called from any thread. get() decodes on the
// calling thread, except that a picture which the background thread (or another
// get()) is decoding at that moment is waited for rather than decoded twice.
#pragma once

#include "media/image_decoder.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vireta {

struct PreviewResult {
    enum class Status {
        Picture, // `image` holds the preview
        Failed,  // the file cannot be shown (missing, damaged...); `error` says why
        NotMine, // not a JPEG or PNG file name: the caller loads it some other way
    };
    Status status = Status::NotMine;
    std::shared_ptr<const Image> image; // set for Picture only; shared with the cache
    std::string error;                  // set for Failed only
};

class PreviewCache {
public:
    // Produces the preview of a file for a box; reports failure by throwing (any
    // std::exception). Called from the background thread too, so it must be safe to
    // call concurrently with itself.
    using Decoder = std::function<Image(const std::string& path, int boxWidth, int boxHeight)>;

    struct Limits {
        std::size_t entries = 16;                 // pictures and failures kept
        std::size_t bytes = std::size_t{16} << 20; // pixel bytes kept
    };

    // decodePreview into the questions page's picture box by default.
    PreviewCache();
    PreviewCache(int boxWidth, int boxHeight, Decoder decoder, Limits limits);
    // Drops the work not started, waits for a decode in progress (it cannot be
    // interrupted) and stops the background thread.
    ~PreviewCache();
    PreviewCache(const PreviewCache&) = delete;
    PreviewCache& operator=(const PreviewCache&) = delete;

    // The preview of the file at `path`: from the cache when the file is unchanged,
    // otherwise decoded now (and kept). Never throws for a bad file.
    PreviewResult get(const std::string& path);

    // Has the background thread decode these files, in this order, into the cache.
    // Replaces the files of an earlier call not yet started (the latest request wins).
    // Files already cached unchanged, and names that are not JPEG or PNG, are
    // skipped. Returns at once.
    void prefetch(const std::vector<std::string>& paths);

    // The cached preview of the file at `path` when the file is unchanged since it was
    // decoded; nullopt otherwise. Never decodes and never waits.
    std::optional<PreviewResult> cached(const std::string& path);

    // Called on the background thread each time a file it was asked to prefetch is in
    // the cache (decoded now, or found there already unchanged), with the file's path.
    // Replaces the previous handler; an empty one stops the calls. Once this returns,
    // the old handler is not running and is not called again.
    using ReadyHandler = std::function<void(const std::string& path)>;
    void setReadyHandler(ReadyHandler handler);

    // Pictures and failures currently kept.
    std::size_t size() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace vireta
