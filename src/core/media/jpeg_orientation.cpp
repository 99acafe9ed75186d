#include "media/jpeg_orientation.h"

#include "media/jpeg_segments.h"

namespace vireta {

int jpegOrientation(const unsigned char* data, std::size_t size) {
    int orientation = 1;
    jpeg::forEachSegment(data, size, [&](const jpeg::Segment& s) {
        if (!jpeg::isExif(s))
            return true;
        const jpeg::TiffBlock block(s.content + jpeg::kExifSignatureSize, s.size - jpeg::kExifSignatureSize);
        if (block.valid()) {
            std::vector<std::pair<unsigned, std::uint32_t>> entries;
            block.directory(block.firstDirectory(), entries);
            const std::uint32_t value = jpeg::tagValue(entries, 0x0112);
            if (value >= 1 && value <= 8)
                orientation = static_cast<int>(value);
        }
        return false; // the first EXIF segment decides
    });
    return orientation;
}

} // namespace vireta
