#include "media/image_writer.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>

namespace vireta::testing {

namespace {

struct File {
    explicit File(const std::string& path) : f(std::fopen(path.c_str(), "wb")) {
        if (f == nullptr) {
            throw std::runtime_error("cannot write " + path);
        }
    }
    ~File() { std::fclose(f); }
    std::FILE* f;
};

} // namespace

// Test data only: the libraries' default error handlers end the program on a failure.
void writeJpeg(const std::string& path, int width, int height, const PixelSource& pixel,
               JpegKind kind, int quality) {
    File file(path);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file.f);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    switch (kind) {
    case JpegKind::Grey:
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
        break;
    case JpegKind::AdobeCmyk:
        cinfo.input_components = 4;
        cinfo.in_color_space = JCS_CMYK;
        break;
    default:
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        break;
    }
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (kind == JpegKind::Progressive) {
        jpeg_simple_progression(&cinfo);
    }
    if (kind == JpegKind::AdobeCmyk) {
        cinfo.write_Adobe_marker = TRUE;
    }
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * cinfo.input_components);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgba c = pixel(x, y);
            JSAMPLE* p = row.data() + static_cast<std::size_t>(x) * cinfo.input_components;
            if (kind == JpegKind::Grey) {
                p[0] = c.g;
            } else if (kind == JpegKind::AdobeCmyk) {
                // K = 0 (stored inverted: 255), inks from the colour, all inverted.
                p[0] = c.r;
                p[1] = c.g;
                p[2] = c.b;
                p[3] = 255;
            } else {
                p[0] = c.r;
                p[1] = c.g;
                p[2] = c.b;
            }
        }
        JSAMPROW rowPointer = row.data();
        jpeg_write_scanlines(&cinfo, &rowPointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
}

void writePng(const std::string& path, int width, int height, const PixelSource& pixel,
              PngKind kind, bool interlaced, int compression) {
    File file(path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    // No setjmp: an error of libpng then ends the test program, which is what a test wants.
    png_init_io(png, file.f);
    png_set_compression_level(png, compression);
    const int interlace = interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE;
    int colorType = PNG_COLOR_TYPE_RGB;
    int depth = 8;
    int bytesPerPixel = 3;
    switch (kind) {
    case PngKind::Rgb:
        break;
    case PngKind::Rgba:
        colorType = PNG_COLOR_TYPE_RGB_ALPHA;
        bytesPerPixel = 4;
        break;
    case PngKind::Grey16:
        colorType = PNG_COLOR_TYPE_GRAY;
        depth = 16;
        bytesPerPixel = 2;
        break;
    case PngKind::PaletteWithTransparency:
        colorType = PNG_COLOR_TYPE_PALETTE;
        bytesPerPixel = 1;
        break;
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 depth, colorType, interlace, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // Palette pictures use four entries: the colours of pixels are matched by red only.
    const png_color palette[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    const png_byte alphas[1] = {0};
    if (kind == PngKind::PaletteWithTransparency) {
        png_set_PLTE(png, info, palette, 4);
        png_set_tRNS(png, info, alphas, 1, nullptr);
    }
    png_write_info(png, info);
    if (depth == 16) {
        png_set_swap(png); // rows below are little-endian 16-bit samples
    }
    std::vector<png_byte> image(static_cast<std::size_t>(width) * height * bytesPerPixel);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgba c = pixel(x, y);
            png_byte* p = image.data() + (static_cast<std::size_t>(y) * width + x) * bytesPerPixel;
            switch (kind) {
            case PngKind::Rgba:
                p[3] = c.a;
                [[fallthrough]];
            case PngKind::Rgb:
                p[0] = c.r;
                p[1] = c.g;
                p[2] = c.b;
                break;
            case PngKind::Grey16:
                p[0] = c.g; // low byte
                p[1] = c.g;
                break;
            case PngKind::PaletteWithTransparency:
                p[0] = c.a == 0 ? 0 : c.r == 255 ? 1 : c.g == 255 ? 2 : 3;
                break;
            }
        }
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        rows[static_cast<std::size_t>(y)] =
            image.data() + static_cast<std::size_t>(y) * width * bytesPerPixel;
    }
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
}

namespace {

void put16(std::vector<char>& out, unsigned v) { // little-endian, as in "II" headers
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void put32(std::vector<char>& out, std::size_t v) {
    put16(out, static_cast<unsigned>(v & 0xFFFF));
    put16(out, static_cast<unsigned>((v >> 16) & 0xFFFF));
}
void putMarker(std::vector<char>& out, unsigned marker, std::size_t payload) {
    if (payload + 2 > 0xFFFF) {
        throw std::runtime_error("segment too long");
    }
    out.push_back(static_cast<char>(0xFF));
    out.push_back(static_cast<char>(marker));
    out.push_back(static_cast<char>((payload + 2) >> 8)); // lengths are big-endian
    out.push_back(static_cast<char>((payload + 2) & 0xFF));
}
void putTiffHeader(std::vector<char>& out) {
    out.insert(out.end(), {'I', 'I', 42, 0});
    put32(out, 8); // first directory right after the header
}
void putEntry(std::vector<char>& out, unsigned tag, unsigned type, std::size_t count,
              std::size_t value) {
    put16(out, tag);
    put16(out, type);
    put32(out, count);
    put32(out, value);
}

} // namespace

std::vector<char> jpegWithEmbeddedPreviews(const std::vector<char>& primary,
                                           const std::vector<char>& exifThumbnail,
                                           const std::vector<char>& mpfPreview, int orientation) {
    std::vector<char> out{static_cast<char>(0xFF), static_cast<char>(0xD8)};
    if (!exifThumbnail.empty() || orientation != 0) {
        // Header (8), directory 0 with the orientation or nothing, directory 1 with
        // two entries (30) when there is a thumbnail.
        const std::size_t first = orientation != 0 ? 2 + 12 + 4 : 2 + 4;
        const std::size_t second = exifThumbnail.empty() ? 0 : 30;
        const std::size_t thumbnailOffset = 8 + first + second;
        putMarker(out, 0xE1, 6 + thumbnailOffset + exifThumbnail.size());
        out.insert(out.end(), {'E', 'x', 'i', 'f', 0, 0});
        putTiffHeader(out);
        put16(out, orientation != 0 ? 1 : 0);
        if (orientation != 0) {
            putEntry(out, 0x0112, 3, 1, static_cast<std::size_t>(orientation)); // SHORT
        }
        put32(out, second != 0 ? 8 + first : 0); // the next directory: the thumbnail's
        if (second != 0) {
            put16(out, 2);
            putEntry(out, 0x0201, 4, 1, thumbnailOffset);
            putEntry(out, 0x0202, 4, 1, exifThumbnail.size());
            put32(out, 0);
        }
        out.insert(out.end(), exifThumbnail.begin(), exifThumbnail.end());
    }
    if (!mpfPreview.empty()) {
        // Header (8), one directory with two entries (30), two image entries (32).
        const std::size_t payload = 4 + 8 + 30 + 32;
        const std::size_t headerAt = out.size() + 8; // marker, length, "MPF\0"
        const std::size_t primarySize = out.size() + 4 + payload + primary.size() - 2;
        putMarker(out, 0xE2, payload);
        out.insert(out.end(), {'M', 'P', 'F', 0});
        putTiffHeader(out);
        put16(out, 2);
        putEntry(out, 0xB000, 7, 4, 0x30303130); // version "0100"
        putEntry(out, 0xB002, 7, 32, 8 + 30);
        put32(out, 0);
        put32(out, 0x20030000); // primary picture, baseline
        put32(out, primarySize);
        put32(out, 0);
        put32(out, 0);
        put32(out, 0x00010001); // large thumbnail
        put32(out, mpfPreview.size());
        put32(out, primarySize - headerAt);
        put32(out, 0);
    }
    out.insert(out.end(), primary.begin() + 2, primary.end());
    out.insert(out.end(), mpfPreview.begin(), mpfPreview.end());
    return out;
}

std::vector<char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace vireta::testing
