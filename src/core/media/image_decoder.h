// Decoding of the question pictures (JPEG with libjpeg, PNG with libpng) into plain
// pixel rows, with a preview path that decodes only as much as a picture box needs.
//
// The format is chosen by the file's extension regardless of case: "jpg" and "jpeg"
// are JPEG, "png" is PNG. Other formats are not decoded here (the window loads them
// another way).
//
// Failures: every decoding function throws ImageDecodeError, and nothing else, when
// the picture cannot be produced: no such file, an extension of another format, data
// that is not of the format, damaged or cut short (a JPEG whose data ends early or has
// bad entropy-coded data is refused rather than shown half grey; stray bytes between
// its segments are tolerated). The libraries' error handlers never jump across C++
// objects, and nothing is written to the standard streams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vireta {

class ImageDecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Rows from top to bottom, each `width * channels` bytes without padding.
// channels is 3 (R, G, B) or 4 (R, G, B and straight, not premultiplied, alpha).
struct Image {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<std::uint8_t> pixels;

    bool empty() const { return width == 0 || height == 0; }
    std::size_t rowBytes() const { return static_cast<std::size_t>(width) * channels; }
    const std::uint8_t* pixel(int x, int y) const {
        return pixels.data() + static_cast<std::size_t>(y) * rowBytes() +
               static_cast<std::size_t>(x) * channels;
    }
};

enum class ImageFormat { Other, Jpeg, Png };

// The format named by the path's extension (text after the last '.' of the bare
// file name), case-insensitive.
ImageFormat imageFormatOf(const std::string& path);

// The size of a width x height picture once centred in a box of boxWidth x boxHeight:
// scaled down with its proportions kept to fit, never enlarged. Both sides at least 1.
struct Size {
    int width = 0;
    int height = 0;
};
Size fitInBox(int width, int height, int boxWidth, int boxHeight);

// The whole picture at its own size. JPEG gives 3 channels; PNG gives 4 when the file
// has transparency (an alpha channel or a transparent colour) and 3 otherwise.
// Pictures above kMaxDecodedPixels are refused.
// A JPEG is turned upright as its EXIF orientation says (cameras store portrait photos
// lying on their side), so width and height are those of the picture as seen; here
// and in decodePreview, whose box applies to the upright picture.
Image decodeImage(const std::string& path);

// The picture reduced for a box, as cheaply as the format allows, but never below
// the size that fitting it into the box gives (fitInBox), so the caller's final
// scaling only ever shrinks:
// - a JPEG that embeds a smaller copy of itself, as cameras write (the EXIF
//   thumbnail, or a screen preview listed in an MPF segment), is previewed from the
//   smallest such copy whose fitted size still holds the photograph's and whose
//   proportions are the photograph's (within 2%); the photograph's own data is then
//   only checked for its end marker, so a file cut short is still refused (damaged
//   data in the middle of it is not noticed). A damaged copy falls back to the
//   photograph;
// - any other JPEG is decoded by libjpeg at the smallest of its scales 1/8, 2/8, ...
//   8/8 whose output still holds that fitted size (libjpeg scales in the DCT, so the
//   inverse transforms and colour conversion of the full size are never done; the
//   entropy decoding of every coefficient still is, and it is most of the time). At 1/8 a progressive file is decoded
//   from its first (DC) scans only, and the rest is only checked for its end marker;
// - PNG is read row by row and averaged down on the fly by the largest whole factor
//   that still holds the fitted size (interlaced files, which cannot be read that
//   way, are decoded whole first).
// A picture no larger than the box comes back at its own size.
Image decodePreview(const std::string& path, int boxWidth, int boxHeight);

// The size of the picture box on the questions page.
constexpr int kPreviewBoxWidth = 196;
constexpr int kPreviewBoxHeight = 150;

// Largest picture decodeImage accepts (width * height).
constexpr std::int64_t kMaxDecodedPixels = 120'000'000;

namespace detail {
// The libjpeg output scale, in eighths (1 to 8), that decodePreview uses for a JPEG
// of that size.
int jpegPreviewScale(int width, int height, int boxWidth, int boxHeight);
// The whole-number reduction decodePreview uses for a PNG of that size.
int pngPreviewFactor(int width, int height, int boxWidth, int boxHeight);
} // namespace detail

} // namespace vireta
