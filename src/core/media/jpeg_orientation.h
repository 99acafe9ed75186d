// The EXIF orientation of a JPEG: how its stored rows are to be turned to show the
// picture as it was taken (cameras store portrait photos lying on their side). Read by
// the picture decoder and by the paper test, so that both turn a photo alike.
#pragma once

#include <cstddef>
#include <string_view>

namespace vireta {

// 1 as stored, 2 mirrored, 3 turned half round, 4 flipped, 5 transposed, 6 turned a
// quarter clockwise, 7 transverse, 8 turned a quarter anticlockwise. From the first
// EXIF segment before the picture data: the orientation tag of its first directory
// (the picture's own; the second is the thumbnail's), of any number type, when it is
// 1 to 8. Anything else gives 1: no EXIF segment, a damaged one, bytes that are no
// JPEG, or a segment that runs past the end of the bytes given.
int jpegOrientation(const unsigned char* data, std::size_t size);
inline int jpegOrientation(std::string_view bytes) {
    return jpegOrientation(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// Enough of a JPEG's start for its orientation when the file is not read whole: the
// EXIF segment comes before the picture data, at most 64 KiB long, usually first.
inline constexpr std::size_t kJpegOrientationBytes = std::size_t{256} << 10;

} // namespace vireta
