// The structure of a JPEG file as the picture decoder and the orientation reader walk
// it: the marker segments before the first scan, and the TIFF-structured blocks that
// EXIF and MPF segments hold. Only for media/; bytes from untrusted files, so every
// offset is checked against the size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace vireta::jpeg {

inline unsigned read16(const unsigned char* p, bool bigEndian) {
    return bigEndian ? (p[0] << 8u) | p[1] : (p[1] << 8u) | p[0];
}

inline std::uint32_t read32(const unsigned char* p, bool bigEndian) {
    return bigEndian ? (std::uint32_t{read16(p, true)} << 16) | read16(p + 2, true)
                     : (std::uint32_t{read16(p + 2, false)} << 16) | read16(p, false);
}

inline bool startsWith(const unsigned char* p, std::size_t size, const char* text, std::size_t n) {
    return size >= n && std::memcmp(p, text, n) == 0;
}

// One marker segment: its marker byte and its contents (after the length).
struct Segment {
    unsigned marker;
    const unsigned char* content;
    std::size_t size;
    std::size_t at; // where the contents start in the file
};

// Calls visit(segment) for each marker segment of the JPEG in `data` before its first
// scan, in order, as long as visit returns true. Stray bytes between segments are
// skipped, as libjpeg tolerates; a segment running past the end stops the walk.
// Returns where the first scan's entropy-coded data starts; 0 when there is none
// (no JPEG, a walk stopped early, or bytes that end before the scan).
template <typename Visit>
std::size_t forEachSegment(const unsigned char* data, std::size_t size, Visit visit) {
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return 0;
    std::size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xFF) {
            ++at; // stray bytes between segments
            continue;
        }
        const unsigned marker = data[at + 1];
        if (marker == 0xFF) {
            ++at; // fill byte
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at += 2; // no length
            continue;
        }
        if (marker == 0xD9)
            return 0;
        const std::size_t length = read16(data + at + 2, true);
        if (length < 2 || at + 2 + length > size)
            return 0;
        if (marker == 0xDA)
            return at + 2 + length;
        if (!visit(Segment{marker, data + at + 4, length - 2, at + 4}))
            return 0;
        at += 2 + length;
    }
    return 0;
}

// The EXIF segment's signature ("Exif" and two NULs), before its TIFF block.
inline constexpr std::size_t kExifSignatureSize = 6;
inline bool isExif(const Segment& s) {
    return s.marker == 0xE1 && startsWith(s.content, s.size, "Exif\0\0", kExifSignatureSize);
}

// A TIFF-structured block (EXIF and MPF both use one): a byte order, then directories
// of 12-byte entries, offsets counted from the block's start.
class TiffBlock {
public:
    TiffBlock(const unsigned char* data, std::size_t size) : data_(data), size_(size) {
        if (size < 8)
            return;
        if (data[0] == 'M' && data[1] == 'M')
            big_ = true;
        else if (!(data[0] == 'I' && data[1] == 'I'))
            return;
        if (read16(data + 2, big_) == 42) {
            first_ = read32(data + 4, big_);
            valid_ = true;
        }
    }
    bool valid() const { return valid_; }
    std::uint32_t firstDirectory() const { return first_; }

    // The directory's entries' (tag, value or offset) pairs, and the next directory's
    // offset (0 when none or damaged). A directory that runs past the block is none.
    std::uint32_t directory(std::uint32_t at,
                            std::vector<std::pair<unsigned, std::uint32_t>>& entries) const {
        entries.clear();
        if (at < 8 || at > size_ || size_ - at < 2)
            return 0;
        const unsigned count = read16(data_ + at, big_);
        if (std::size_t{count} * 12 + 6 > size_ - at)
            return 0;
        const unsigned char* entry = data_ + at + 2;
        for (unsigned i = 0; i < count; ++i, entry += 12) {
            const unsigned type = read16(entry + 2, big_);
            // A SHORT value sits in the first two bytes of the value field.
            const std::uint32_t value = type == 3 ? read16(entry + 8, big_) : read32(entry + 8, big_);
            entries.emplace_back(read16(entry, big_), value);
        }
        return read32(entry, big_);
    }
    // A 16-byte MP entry's fields at `at`, or false past the end.
    bool mpEntry(std::uint32_t at, std::uint32_t& size, std::uint32_t& offset) const {
        if (at > size_ || size_ - at < 16)
            return false;
        size = read32(data_ + at + 4, big_);
        offset = read32(data_ + at + 8, big_);
        return true;
    }

private:
    const unsigned char* data_;
    std::size_t size_;
    bool big_ = false;
    bool valid_ = false;
    std::uint32_t first_ = 0;
};

inline std::uint32_t tagValue(const std::vector<std::pair<unsigned, std::uint32_t>>& entries,
                              unsigned tag) {
    for (const auto& e : entries)
        if (e.first == tag)
            return e.second;
    return 0;
}

} // namespace vireta::jpeg
