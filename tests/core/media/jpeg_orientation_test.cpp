// The EXIF orientation as the picture decoder and the paper test both read it, over
// the shapes of EXIF segments where readers tend to differ.
#include "media/jpeg_orientation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace vireta;

namespace {

using Bytes = std::string;

void put16(Bytes& b, unsigned v, bool big) {
    const char hi = static_cast<char>(v >> 8), lo = static_cast<char>(v & 0xFF);
    b += big ? hi : lo;
    b += big ? lo : hi;
}

void put32(Bytes& b, std::uint32_t v, bool big) {
    put16(b, big ? v >> 16 : v & 0xFFFF, big);
    put16(b, big ? v & 0xFFFF : v >> 16, big);
}

struct Tag {
    unsigned tag, type;
    std::uint32_t value;
};

// A TIFF block: its first directory with `first`, and a second one with `second`.
Bytes tiff(bool big, const std::vector<Tag>& first, const std::vector<Tag>& second = {}) {
    Bytes b = big ? "MM" : "II";
    put16(b, 42, big);
    put32(b, 8, big);
    auto directory = [&](const std::vector<Tag>& tags, std::uint32_t next) {
        put16(b, static_cast<unsigned>(tags.size()), big);
        for (const Tag& t : tags) {
            put16(b, t.tag, big);
            put16(b, t.type, big);
            put32(b, 1, big);
            if (t.type == 3) { // a SHORT in the first two bytes of the value field
                put16(b, t.value, big);
                put16(b, 0, big);
            } else {
                put32(b, t.value, big);
            }
        }
        put32(b, next, big);
    };
    const std::uint32_t secondAt = second.empty() ? 0 : static_cast<std::uint32_t>(8 + 2 + 12 * first.size() + 4);
    directory(first, secondAt);
    if (!second.empty())
        directory(second, 0);
    return b;
}

Bytes segment(unsigned marker, const Bytes& content) {
    Bytes b = "\xFF";
    b += static_cast<char>(marker);
    put16(b, static_cast<unsigned>(content.size() + 2), true);
    return b + content;
}

Bytes exif(const Bytes& tiffBlock) { return segment(0xE1, Bytes("Exif\0\0", 6) + tiffBlock); }

// A JPEG's start: the segments, then a frame, a scan and a little entropy-coded data.
Bytes jpegWith(const std::vector<Bytes>& segments) {
    Bytes b = "\xFF\xD8";
    for (const Bytes& s : segments)
        b += s;
    b += segment(0xC0, Bytes("\x08\x00\x10\x00\x10\x01\x01\x11\x00", 9));
    b += segment(0xDA, Bytes("\x01\x01\x00\x00\x3F\x00", 6));
    return b + "\x12\x34\xFF\xD9";
}

const Tag kTurned{0x0112, 3, 6}; // a quarter clockwise

} // namespace

TEST(JpegOrientation, TheFirstExifSegmentsFirstDirectoryDecides) {
    const Bytes xmp = segment(0xE1, Bytes("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>", 41));
    const Bytes jfif = segment(0xE0, Bytes("JFIF\0\x01\x02\0\0\x01\0\x01\0\0", 14));
    Bytes runsPast = tiff(false, {kTurned});
    runsPast[8] = 2; // the directory claims two entries and ends after one
    const struct {
        const char* label;
        Bytes file;
        int orientation;
    } cases[] = {
        {"no EXIF", jpegWith({jfif}), 1},
        {"little-endian SHORT", jpegWith({jfif, exif(tiff(false, {{0x0100, 3, 16}, kTurned}))}), 6},
        {"big-endian SHORT", jpegWith({exif(tiff(true, {kTurned}))}), 6},
        {"each value 1 to 8", jpegWith({exif(tiff(true, {{0x0112, 3, 8}}))}), 8},
        {"stored as a LONG", jpegWith({exif(tiff(true, {{0x0112, 4, 3}}))}), 3},
        {"0 is no orientation", jpegWith({exif(tiff(false, {{0x0112, 3, 0}}))}), 1},
        {"9 is no orientation", jpegWith({exif(tiff(false, {{0x0112, 3, 9}}))}), 1},
        {"after an XMP segment", jpegWith({xmp, exif(tiff(false, {kTurned}))}), 6},
        {"only in the thumbnail's directory", jpegWith({exif(tiff(false, {{0x0100, 3, 16}}, {kTurned}))}), 1},
        {"a second EXIF segment is not read",
         jpegWith({exif(tiff(false, {{0x0100, 3, 16}})), exif(tiff(false, {kTurned}))}), 1},
        {"a directory running past its block", jpegWith({exif(runsPast)}), 1},
        {"no TIFF byte order", jpegWith({exif("XX" + tiff(false, {kTurned}).substr(2))}), 1},
        {"after the scan", jpegWith({}) + exif(tiff(false, {kTurned})), 1},
        {"no JPEG", exif(tiff(false, {kTurned})), 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jpegOrientation(c.file), c.orientation) << c.label;
}

// The paper test reads only the file's start: a segment cut off there gives 1, and any
// cut of a damaged file gives an orientation without reading beyond the bytes given.
TEST(JpegOrientation, AStartCutShortIsReadSafely) {
    const Bytes file = jpegWith({exif(tiff(true, {{0x0100, 3, 16}, {0x0101, 3, 16}, kTurned}))});
    const std::size_t exifEnd = 2 + 4 + 6 + 8 + 2 + 3 * 12 + 4;
    for (std::size_t size = 0; size <= file.size(); ++size) {
        const int orientation = jpegOrientation(file.substr(0, size));
        EXPECT_EQ(orientation, size >= exifEnd ? 6 : 1) << size;
    }
}
