// A PNG decoded by libpng into 8-bit RGB or RGBA rows: whole, or for a preview box
// read row by row and averaged down on the fly (an interlaced file is decoded whole
// first, then averaged down). The error handlers follow the rule in
// picture_decoding.h.
#include "media/picture_decoding.h"

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <png.h>

namespace vireta {

namespace decoding {

namespace {

constexpr std::size_t kMessageSize = 200;

struct PngJob {
    explicit PngJob(std::vector<unsigned char> bytes) : data(std::move(bytes)) { message[0] = '\0'; }
    ~PngJob() { png_destroy_read_struct(&png, &info, nullptr); }
    PngJob(const PngJob&) = delete;
    PngJob& operator=(const PngJob&) = delete;

    std::vector<unsigned char> data; // the whole file
    std::size_t read = 0;            // how much of it libpng has taken
    png_structp png = nullptr;
    png_infop info = nullptr;
    char message[kMessageSize];

    const Size* box = nullptr;
    int width = 0;
    int height = 0;
    int channels = 0;
    bool interlaced = false;
    bool tooLarge = false;
    Image image; // the result, or the whole picture when interlaced
    std::vector<png_bytep> rowPointers;
    std::vector<png_byte> row;       // one decoded row (reduced reading)
    std::vector<std::uint64_t> sums; // running sums of one output row (reduced reading)
};

void pngError(png_structp png, png_const_charp message) {
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    std::snprintf(job->message, sizeof job->message, "%s", message);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// libpng's input: the next bytes of the file, or an error where it ends.
void pngRead(png_structp png, png_bytep out, png_size_t size) {
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (job->data.size() - job->read < size) {
        png_error(png, "the file ends early");
    }
    std::memcpy(out, job->data.data() + job->read, size);
    job->read += size;
}

// The averaging of one output row: `sums` holds, per output pixel and channel, the
// sum over its block (colour weighted by alpha when there is alpha).
struct Reducer {
    int factor;
    int width;    // of the picture
    int channels; // 3 or 4
    int outWidth;

    void add(const png_byte* row, std::uint64_t* sums) const {
        for (int ox = 0; ox < outWidth; ++ox) {
            const int x0 = ox * factor;
            const int x1 = std::min(width, x0 + factor);
            std::uint64_t* s = sums + static_cast<std::size_t>(ox) * channels;
            const png_byte* p = row + static_cast<std::size_t>(x0) * channels;
            if (channels == 4) {
                for (int x = x0; x < x1; ++x, p += 4) {
                    const unsigned a = p[3];
                    s[0] += p[0] * a;
                    s[1] += p[1] * a;
                    s[2] += p[2] * a;
                    s[3] += a;
                }
            } else {
                for (int x = x0; x < x1; ++x, p += 3) {
                    s[0] += p[0];
                    s[1] += p[1];
                    s[2] += p[2];
                }
            }
        }
    }

    void emit(std::uint64_t* sums, int rows, std::uint8_t* out) const {
        for (int ox = 0; ox < outWidth; ++ox) {
            const int cols = std::min(width, (ox + 1) * factor) - ox * factor;
            const std::uint64_t count = static_cast<std::uint64_t>(cols) * rows;
            std::uint64_t* s = sums + static_cast<std::size_t>(ox) * channels;
            std::uint8_t* o = out + static_cast<std::size_t>(ox) * channels;
            if (channels == 4) {
                const std::uint64_t alpha = s[3];
                for (int i = 0; i < 3; ++i) {
                    o[i] = alpha == 0 ? 0 : static_cast<std::uint8_t>((s[i] + alpha / 2) / alpha);
                }
                o[3] = static_cast<std::uint8_t>((alpha + count / 2) / count);
            } else {
                for (int i = 0; i < 3; ++i) {
                    o[i] = static_cast<std::uint8_t>((s[i] + count / 2) / count);
                }
            }
            std::fill(s, s + channels, 0);
        }
    }
};

// Runs libpng on the job. Returns false after a libpng error (message in job.message).
// Holds no C++ object of its own across the setjmp.
bool runPng(PngJob& job) {
    if (setjmp(png_jmpbuf(job.png))) {
        return false;
    }
    png_structp png = job.png;
    png_infop info = job.info;
    png_set_read_fn(png, &job, pngRead);
    png_read_info(png, info);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    png_set_expand(png); // palette to RGB, grey below 8 bits to 8 bits, tRNS to alpha
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    job.interlaced = interlace != PNG_INTERLACE_NONE;
    if (job.interlaced) {
        png_set_interlace_handling(png);
    }
    png_read_update_info(png, info);
    job.width = static_cast<int>(width); // libpng limits both sides to 1000000
    job.height = static_cast<int>(height);
    job.channels = png_get_channels(png, info);
    if (job.channels != 3 && job.channels != 4) {
        std::snprintf(job.message, sizeof job.message, "unexpected channel count");
        return false;
    }

    const int factor =
        job.box == nullptr
            ? 1
            : detail::pngPreviewFactor(job.width, job.height, job.box->width, job.box->height);
    if (factor == 1 || job.interlaced) {
        // The whole picture; an interlaced one is reduced afterwards.
        if (static_cast<std::int64_t>(width) * height > kMaxDecodedPixels) {
            job.tooLarge = true;
            return true;
        }
        allocate(job.image, job.width, job.height, job.channels);
        job.rowPointers.resize(height);
        for (png_uint_32 y = 0; y < height; ++y) {
            job.rowPointers[y] = job.image.pixels.data() + y * job.image.rowBytes();
        }
        png_read_image(png, job.rowPointers.data());
        return true;
    }

    const Reducer reducer{factor, job.width, job.channels, (job.width + factor - 1) / factor};
    const int outHeight = (job.height + factor - 1) / factor;
    allocate(job.image, reducer.outWidth, outHeight, job.channels);
    job.row.resize(png_get_rowbytes(png, info));
    job.sums.assign(static_cast<std::size_t>(reducer.outWidth) * job.channels, 0);
    for (int oy = 0; oy < outHeight; ++oy) {
        const int rows = std::min(job.height, (oy + 1) * factor) - oy * factor;
        for (int i = 0; i < rows; ++i) {
            png_read_row(png, job.row.data(), nullptr);
            reducer.add(job.row.data(), job.sums.data());
        }
        reducer.emit(job.sums.data(), rows,
                     job.image.pixels.data() + static_cast<std::size_t>(oy) * job.image.rowBytes());
    }
    return true;
}

Image reduce(const Image& source, int factor) {
    const Reducer reducer{factor, source.width, source.channels,
                          (source.width + factor - 1) / factor};
    Image out;
    allocate(out, reducer.outWidth, (source.height + factor - 1) / factor, source.channels);
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(out.width) * out.channels, 0);
    for (int oy = 0; oy < out.height; ++oy) {
        const int y0 = oy * factor;
        const int y1 = std::min(source.height, y0 + factor);
        for (int y = y0; y < y1; ++y) {
            reducer.add(source.pixel(0, y), sums.data());
        }
        reducer.emit(sums.data(), y1 - y0,
                     out.pixels.data() + static_cast<std::size_t>(oy) * out.rowBytes());
    }
    return out;
}

} // namespace

Image decodePng(const std::string& path, const Size* box) {
    PngJob job(readPicture(path));
    job.box = box;

    constexpr std::size_t kSignatureSize = 8;
    if (job.data.size() < kSignatureSize || png_sig_cmp(job.data.data(), 0, kSignatureSize) != 0) {
        throw ImageDecodeError("not a PNG file");
    }
    job.read = kSignatureSize;
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, pngError, pngWarning);
    if (job.png == nullptr) {
        throw ImageDecodeError("cannot start the PNG decoder");
    }
    job.info = png_create_info_struct(job.png);
    if (job.info == nullptr) {
        throw ImageDecodeError("cannot start the PNG decoder");
    }
    png_set_sig_bytes(job.png, static_cast<int>(kSignatureSize));

    if (!runPng(job)) {
        throw ImageDecodeError(std::string("damaged PNG file: ") + job.message);
    }
    if (job.tooLarge) {
        throw ImageDecodeError("picture too large");
    }
    if (box != nullptr && job.interlaced) {
        const int factor = detail::pngPreviewFactor(job.width, job.height, box->width, box->height);
        if (factor > 1) {
            return reduce(job.image, factor);
        }
    }
    return std::move(job.image);
}

} // namespace decoding

namespace detail {

int pngPreviewFactor(int width, int height, int boxWidth, int boxHeight) {
    const Size fit = fitInBox(width, height, boxWidth, boxHeight);
    if (fit.width <= 0 || fit.height <= 0) {
        return 1;
    }
    // Whole blocks only, so that even without the partial last block the result
    // holds the fitted size.
    return std::max(1, std::min(width / fit.width, height / fit.height));
}

} // namespace detail

} // namespace vireta
