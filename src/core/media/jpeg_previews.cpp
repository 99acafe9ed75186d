// Finding a JPEG's embedded previews: the EXIF thumbnail and the images an MPF segment
// lists, walked from the markers before the first scan, and the choice of the one that
// stands in for the photograph in a box.
#include "media/jpeg_previews.h"

#include "media/jpeg_segments.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace vireta::decoding {

namespace {

struct ByteRange {
    std::size_t offset = 0;
    std::size_t size = 0;
};

// What the markers before the first scan say.
struct JpegLayout {
    int width = 0;
    int height = 0;
    std::size_t scanData = 0; // where the first scan's entropy-coded data starts; 0: none
    std::vector<ByteRange> previews;
};

// From the EXIF block: the thumbnail, the JPEG that its second directory (IFD1)
// points at.
void findExifThumbnail(const unsigned char* tiff, std::size_t size, std::size_t tiffAt,
                       std::vector<ByteRange>& previews) {
    const jpeg::TiffBlock block(tiff, size);
    if (!block.valid()) {
        return;
    }
    std::vector<std::pair<unsigned, std::uint32_t>> entries;
    const std::uint32_t second = block.directory(block.firstDirectory(), entries);
    if (second == 0) {
        return;
    }
    block.directory(second, entries);
    const std::uint32_t offset = jpeg::tagValue(entries, 0x0201); // JPEGInterchangeFormat
    const std::uint32_t length = jpeg::tagValue(entries, 0x0202); // ...Length
    if (offset != 0 && length != 0) {
        previews.push_back({tiffAt + offset, length});
    }
}

// The MPF images other than the first (the photograph itself). Their offsets count
// from the MPF block's start.
void findMpfImages(const unsigned char* tiff, std::size_t size, std::size_t tiffAt,
                   std::vector<ByteRange>& previews) {
    const jpeg::TiffBlock block(tiff, size);
    if (!block.valid()) {
        return;
    }
    std::vector<std::pair<unsigned, std::uint32_t>> entries;
    block.directory(block.firstDirectory(), entries);
    const std::uint32_t list = jpeg::tagValue(entries, 0xB002); // MPEntry
    const std::uint32_t count = std::min<std::uint32_t>(jpeg::tagValue(entries, 0xB001), 16);
    for (std::uint32_t i = 1; i < (count == 0 ? 16 : count); ++i) {
        std::uint32_t length = 0;
        std::uint32_t offset = 0;
        if (list == 0 || !block.mpEntry(list + 16 * i, length, offset)) {
            break;
        }
        if (offset != 0 && length != 0) {
            previews.push_back({tiffAt + offset, length});
        }
    }
}

// Walks the markers of the JPEG in `data` up to its first scan. With `withPreviews`,
// also collects the embedded previews' byte ranges (unchecked): the thumbnail of the
// first EXIF segment and the images an MPF segment lists.
JpegLayout jpegLayout(const unsigned char* data, std::size_t size, bool withPreviews) {
    JpegLayout layout;
    bool exifSeen = false;
    layout.scanData = jpeg::forEachSegment(data, size, [&](const jpeg::Segment& s) {
        const bool frame = s.marker >= 0xC0 && s.marker <= 0xCF && s.marker != 0xC4 &&
                           s.marker != 0xC8 && s.marker != 0xCC;
        if (frame && s.size >= 5) {
            layout.height = static_cast<int>(jpeg::read16(s.content + 1, true));
            layout.width = static_cast<int>(jpeg::read16(s.content + 3, true));
        } else if (withPreviews && jpeg::isExif(s) && !exifSeen) {
            exifSeen = true;
            findExifThumbnail(s.content + jpeg::kExifSignatureSize, s.size - jpeg::kExifSignatureSize,
                              s.at + jpeg::kExifSignatureSize, layout.previews);
        } else if (withPreviews && s.marker == 0xE2 && jpeg::startsWith(s.content, s.size, "MPF\0", 4)) {
            findMpfImages(s.content + 4, s.size - 4, s.at + 4, layout.previews);
        }
        return true;
    });
    return layout;
}

// Whether the end-of-image marker follows `from`. Entropy-coded data never holds the
// pair FF D9, so a photograph cut short has none (unless a later embedded picture
// brings its own, in which case the photograph itself is whole).
bool endMarkerAfter(const std::vector<unsigned char>& data, std::size_t from) {
    const unsigned char* p = data.data() + from;
    const unsigned char* end = data.data() + data.size();
    while (p + 1 < end) {
        p = static_cast<const unsigned char*>(
            std::memchr(p, 0xFF, static_cast<std::size_t>(end - 1 - p)));
        if (p == nullptr) {
            return false;
        }
        if (p[1] == 0xD9) {
            return true;
        }
        ++p;
    }
    return false;
}

} // namespace

std::vector<unsigned char> embeddedPreview(const std::vector<unsigned char>& data, const Size& box) {
    const JpegLayout main = jpegLayout(data.data(), data.size(), true);
    if (main.previews.empty() || main.width <= 0 || main.height <= 0 || main.scanData == 0) {
        return {};
    }
    const Size want = fitInBox(main.width, main.height, box.width, box.height);
    if (want.width == main.width && want.height == main.height) {
        return {}; // the photograph is no larger than the box
    }
    const ByteRange* best = nullptr;
    std::int64_t bestPixels = 0;
    for (const ByteRange& range : main.previews) {
        if (range.offset >= data.size() || data.size() - range.offset < range.size ||
            (range.offset < main.scanData && range.offset + range.size > main.scanData)) {
            continue;
        }
        const JpegLayout own = jpegLayout(data.data() + range.offset, range.size, false);
        if (own.width <= 0 || own.height <= 0 || own.scanData == 0 || own.width > main.width ||
            own.height > main.height) {
            continue;
        }
        const Size got = fitInBox(own.width, own.height, box.width, box.height);
        const std::int64_t skew =
            std::llabs(std::int64_t{own.width} * main.height - std::int64_t{own.height} * main.width);
        if (got.width < want.width || got.height < want.height ||
            skew * 50 > std::int64_t{own.height} * main.width) {
            continue;
        }
        const std::int64_t pixels = std::int64_t{own.width} * own.height;
        if (best == nullptr || pixels < bestPixels) {
            best = &range;
            bestPixels = pixels;
        }
    }
    if (best == nullptr || !endMarkerAfter(data, main.scanData)) {
        return {};
    }
    const auto first = data.begin() + static_cast<std::ptrdiff_t>(best->offset);
    return {first, first + static_cast<std::ptrdiff_t>(best->size)};
}

} // namespace vireta::decoding
