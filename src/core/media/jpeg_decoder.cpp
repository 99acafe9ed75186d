// A JPEG decoded by libjpeg: whole, or for a preview box at the smallest of libjpeg's
// scales that still holds the fitted size (from the embedded preview instead when the
// file has one that fits), CMYK inks turned to RGB, and the result turned upright as
// the file's EXIF orientation says. The error handlers follow the rule in
// picture_decoding.h.
#include "media/picture_decoding.h"

#include "media/jpeg_orientation.h"
#include "media/jpeg_previews.h"

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace vireta {

namespace decoding {

namespace {

// libjpeg's working memory (a progressive file keeps all its coefficients).
constexpr long kJpegMemoryLimit = 1L << 30;

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jpegErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings that mean the picture's data is cut short or damaged end the decode like
// errors do; others (stray bytes between segments and the like) are ignored, as is
// every trace message.
void jpegEmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) {
        return;
    }
    switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
        jpegErrorExit(cinfo);
    default:
        break;
    }
}

struct JpegJob {
    explicit JpegJob(std::vector<unsigned char> bytes) : data(std::move(bytes)) {
        std::memset(&cinfo, 0, sizeof cinfo);
        std::memset(&err, 0, sizeof err);
    }
    ~JpegJob() { jpeg_destroy_decompress(&cinfo); } // a no-op before creation
    JpegJob(const JpegJob&) = delete;
    JpegJob& operator=(const JpegJob&) = delete;

    std::vector<unsigned char> data;
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    Image image;
    std::vector<JSAMPLE> cmykRow;
    const Size* box = nullptr; // null: full size
    bool tooLarge = false;
};

// Four inks to light. Files with an Adobe marker store the inks inverted.
void cmykToRgb(const JSAMPLE* cmyk, std::uint8_t* rgb, int width, bool inverted) {
    for (int x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        for (int i = 0; i < 3; ++i) {
            const unsigned c = inverted ? cmyk[i] : 255u - cmyk[i];
            rgb[i] = static_cast<std::uint8_t>((c * k + 127) / 255);
        }
    }
}

// In a progressive file, whether every component's DC coefficients have arrived.
bool allDcRead(const jpeg_decompress_struct& cinfo) {
    if (cinfo.coef_bits == nullptr) {
        return false;
    }
    for (int c = 0; c < cinfo.num_components; ++c) {
        if (cinfo.coef_bits[c][0] < 0) {
            return false;
        }
    }
    return true;
}

// Whether an end-of-image marker follows in the input not yet read. Inside
// entropy-coded data every 0xFF byte is followed by 0x00 or a restart marker, so the
// pair FF D9 is the marker itself.
bool endMarkerFollows(const jpeg_decompress_struct& cinfo) {
    const unsigned char* p = cinfo.src->next_input_byte;
    const unsigned char* end = p + cinfo.src->bytes_in_buffer;
    while (p < end) {
        p = static_cast<const unsigned char*>(
            std::memchr(p, 0xFF, static_cast<std::size_t>(end - p)));
        if (p == nullptr || p + 1 >= end) {
            return false;
        }
        if (p[1] == 0xD9) {
            return true;
        }
        ++p;
    }
    return false;
}

// Runs libjpeg on the job. Returns false after a libjpeg error (message in job.err).
// Holds no C++ object of its own across the setjmp.
bool runJpeg(JpegJob& job) {
    jpeg_decompress_struct& cinfo = job.cinfo;
    cinfo.err = jpeg_std_error(&job.err.pub);
    job.err.pub.error_exit = jpegErrorExit;
    job.err.pub.emit_message = jpegEmitMessage;
    if (setjmp(job.err.jump)) {
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kJpegMemoryLimit;
    if (job.data.empty()) {
        std::snprintf(job.err.message, sizeof job.err.message, "empty file");
        return false;
    }
    jpeg_mem_src(&cinfo, job.data.data(), static_cast<unsigned long>(job.data.size()));
    jpeg_read_header(&cinfo, TRUE);

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    if (job.box != nullptr) {
        cinfo.scale_num = static_cast<unsigned>(detail::jpegPreviewScale(
            static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height),
            job.box->width, job.box->height));
        cinfo.scale_denom = 8;
    }
    // At 1/8 each block gives one pixel, its DC coefficient. A progressive file sends
    // those first, so its later scans (most of the file) need not be decoded at all.
    const bool dcOnly = job.box != nullptr && cinfo.scale_num == 1 && cinfo.progressive_mode;
    if (dcOnly) {
        cinfo.buffered_image = TRUE;
        cinfo.do_block_smoothing = FALSE;
    }
    jpeg_calc_output_dimensions(&cinfo);
    const std::int64_t width = cinfo.output_width;
    const std::int64_t height = cinfo.output_height;
    if (width <= 0 || height <= 0 || width * height > kMaxDecodedPixels) {
        job.tooLarge = true;
        return true;
    }
    allocate(job.image, static_cast<int>(width), static_cast<int>(height), 3);
    if (cmyk) {
        job.cmykRow.resize(static_cast<std::size_t>(width) * 4);
    }

    jpeg_start_decompress(&cinfo);
    int status = JPEG_SCAN_COMPLETED;
    if (dcOnly) {
        do {
            status = jpeg_consume_input(&cinfo);
        } while (status != JPEG_REACHED_EOI &&
                 !(status == JPEG_SCAN_COMPLETED && allDcRead(cinfo)));
        jpeg_start_output(&cinfo, cinfo.input_scan_number);
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        std::uint8_t* out = job.image.pixels.data() +
                            static_cast<std::size_t>(cinfo.output_scanline) * job.image.rowBytes();
        JSAMPROW row = cmyk ? job.cmykRow.data() : out;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
            break; // cannot happen with a memory source; the check below reports it
        }
        if (cmyk) {
            cmykToRgb(row, out, job.image.width, cinfo.saw_Adobe_marker != 0);
        }
    }
    if (cinfo.output_scanline < cinfo.output_height) {
        std::snprintf(job.err.message, sizeof job.err.message, "JPEG data cut short");
        return false;
    }
    if (dcOnly) {
        jpeg_finish_output(&cinfo);
        // The skipped scans are not decoded, but a file cut short is still refused.
        if (status != JPEG_REACHED_EOI && !endMarkerFollows(cinfo)) {
            std::snprintf(job.err.message, sizeof job.err.message, "JPEG data cut short");
            return false;
        }
    }
    // The rest of the file (after the last scan needed) is not read.
    jpeg_abort_decompress(&cinfo);
    return true;
}

// The stored picture turned as the EXIF orientation says: 2 mirrored, 3 turned half
// round, 4 flipped, 5 transposed, 6 turned a quarter clockwise, 7 transverse, 8 turned
// a quarter anticlockwise.
Image orient(Image source, int orientation) {
    if (orientation <= 1 || orientation > 8) {
        return source;
    }
    const std::ptrdiff_t w = source.width;
    const std::ptrdiff_t h = source.height;
    // Where stored pixel (x, y) lands, in pixels: start + x * dx + y * dy.
    std::ptrdiff_t start = 0;
    std::ptrdiff_t dx = 1;
    std::ptrdiff_t dy = w;
    switch (orientation) {
    case 2: start = w - 1; dx = -1; dy = w; break;
    case 3: start = (h - 1) * w + w - 1; dx = -1; dy = -w; break;
    case 4: start = (h - 1) * w; dx = 1; dy = -w; break;
    case 5: start = 0; dx = h; dy = 1; break;
    case 6: start = h - 1; dx = h; dy = -1; break;
    case 7: start = (w - 1) * h + h - 1; dx = -h; dy = -1; break;
    default: start = (w - 1) * h; dx = -h; dy = 1; break; // 8
    }
    Image out;
    if (orientation >= 5) {
        allocate(out, source.height, source.width, source.channels);
    } else {
        allocate(out, source.width, source.height, source.channels);
    }
    const std::ptrdiff_t channels = source.channels;
    for (std::ptrdiff_t y = 0; y < h; ++y) {
        const std::uint8_t* from = source.pixel(0, static_cast<int>(y));
        std::ptrdiff_t at = start + y * dy;
        for (std::ptrdiff_t x = 0; x < w; ++x, from += channels, at += dx) {
            std::memcpy(out.pixels.data() + at * channels, from, static_cast<std::size_t>(channels));
        }
    }
    return out;
}

} // namespace

Image decodeJpeg(const std::string& path, const Size* box) {
    std::vector<unsigned char> data = readPicture(path);
    const int orientation = jpegOrientation(data.data(), data.size());
    // Decoding works on the stored rows: a box for a picture turned a quarter is
    // turned with it.
    Size storedBox;
    if (box != nullptr) {
        storedBox = orientation >= 5 ? Size{box->height, box->width} : *box;
        std::vector<unsigned char> preview = embeddedPreview(data, storedBox);
        if (!preview.empty()) {
            JpegJob small(std::move(preview));
            small.box = &storedBox;
            if (runJpeg(small) && !small.tooLarge) {
                return orient(std::move(small.image), orientation);
            }
            // A damaged preview: the photograph itself decides.
        }
    }
    JpegJob job(std::move(data));
    job.box = box != nullptr ? &storedBox : nullptr;
    if (!runJpeg(job)) {
        throw ImageDecodeError(std::string("damaged JPEG file: ") + job.err.message);
    }
    if (job.tooLarge) {
        throw ImageDecodeError("picture too large");
    }
    return orient(std::move(job.image), orientation);
}

} // namespace decoding

namespace detail {

int jpegPreviewScale(int width, int height, int boxWidth, int boxHeight) {
    const Size fit = fitInBox(width, height, boxWidth, boxHeight);
    for (int eighths = 1; eighths < 8; ++eighths) {
        // libjpeg's output size at eighths/8, rounded up
        const std::int64_t w = (static_cast<std::int64_t>(width) * eighths + 7) / 8;
        const std::int64_t h = (static_cast<std::int64_t>(height) * eighths + 7) / 8;
        if (w >= fit.width && h >= fit.height) {
            return eighths;
        }
    }
    return 8;
}

} // namespace detail

} // namespace vireta
