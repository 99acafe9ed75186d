// Writes small JPEG and PNG files for the decoder's tests and benchmark.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vireta::testing {

struct Rgba {
    std::uint8_t r, g, b, a;
};

// The colour of pixel (x, y).
using PixelSource = std::function<Rgba(int x, int y)>;

enum class JpegKind { Rgb, Grey, Progressive, AdobeCmyk };

// Quality 1..100. AdobeCmyk writes inverted CMYK with an Adobe marker, as image editors do.
void writeJpeg(const std::string& path, int width, int height, const PixelSource& pixel,
               JpegKind kind = JpegKind::Rgb, int quality = 90);

enum class PngKind { Rgb, Rgba, Grey16, PaletteWithTransparency };

void writePng(const std::string& path, int width, int height, const PixelSource& pixel,
              PngKind kind = PngKind::Rgb, bool interlaced = false, int compression = 6);

// A camera-style JPEG: `primary` (a whole JPEG file's bytes) with, when not empty, an
// EXIF thumbnail (an APP1 segment whose second directory points at `exifThumbnail`)
// and an MPF preview (an APP2 index whose second entry points at `mpfPreview`,
// appended after the primary picture). Both are whole JPEG files' bytes too. An
// orientation of 1 to 8 is written in the EXIF segment's first directory.
std::vector<char> jpegWithEmbeddedPreviews(const std::vector<char>& primary,
                                           const std::vector<char>& exifThumbnail,
                                           const std::vector<char>& mpfPreview,
                                           int orientation = 0);

std::vector<char> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<char>& bytes);

} // namespace vireta::testing
