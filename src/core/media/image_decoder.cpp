#include "media/image_decoder.h"

#include "io/file_read.h"
#include "media/jpeg_orientation.h"
#include "media/jpeg_segments.h"
#include "text.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <jerror.h>
#include <jpeglib.h>
#include <png.h>

// Both libraries report a fatal error by calling a handler that must not return. The
// handlers here record the message and longjmp back to a setjmp in a function that
// holds no C++ object of its own: all state lives in a job object owned by the
// caller, which is destroyed normally after the jump, and the jump only ever crosses
// the libraries' C frames.

namespace vireta {

namespace {

constexpr std::size_t kMessageSize = 200;
// libjpeg's working memory (a progressive file keeps all its coefficients).
constexpr long kJpegMemoryLimit = 1L << 30;
constexpr std::size_t kMaxPictureFileBytes = std::size_t{512} << 20;

std::string lowerExtension(const std::string& path) {
    const std::string name = bareFileName(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) {
        return {};
    }
    std::string ext = name.substr(dot + 1);
    for (char& c : ext) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return ext;
}

// The whole file. libjpeg decodes fastest from memory: its Huffman decoder takes a
// slower path whenever fewer than a few kilobytes of input are buffered; libpng reads
// from it as well.
std::vector<unsigned char> readPicture(const std::string& path) {
    std::vector<unsigned char> data;
    const long long got = io::readWholeFileInto(path, kMaxPictureFileBytes, [&](std::size_t size) {
        data.resize(size);
        return reinterpret_cast<char*>(data.data());
    });
    if (got < 0) {
        if (errno == EFBIG)
            throw ImageDecodeError("file too large for a picture");
        throw ImageDecodeError("cannot read " + path + ": " + io::errorText(errno));
    }
    data.resize(static_cast<std::size_t>(got));
    return data;
}

void allocate(Image& image, int width, int height, int channels) {
    image.width = width;
    image.height = height;
    image.channels = channels;
    image.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                            static_cast<std::size_t>(channels),
                        0);
}

// ---------------------------------------------------------------- JPEG

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


// ---------------------------------------------------------------- embedded previews
//
// Cameras store, beside the photograph, smaller JPEG copies of it: an EXIF thumbnail
// (APP1, usually 160x120) and often a larger screen preview indexed by an MPF segment
// (APP2) and appended after the photograph. Decoding one of those that still covers
// the preview box skips the Huffman decoding of the whole photograph, which no libjpeg
// scale can avoid.

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

// The smallest embedded preview that can stand in for the photograph in `box`: its
// own fitted size holds the photograph's fitted size, and its proportions are the
// photograph's within 2% (a letterboxed thumbnail would show bars). Empty when none
// qualifies or the photograph looks cut short (then the whole decode reports it).
std::vector<unsigned char> embeddedPreview(const std::vector<unsigned char>& data,
                                           const JpegLayout& main, const Size& box) {
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

Image decodeJpeg(const std::string& path, const Size* box) {
    std::vector<unsigned char> data = readPicture(path);
    const JpegLayout layout = jpegLayout(data.data(), data.size(), true);
    const int orientation = jpegOrientation(data.data(), data.size());
    // Decoding works on the stored rows: a box for a picture turned a quarter is
    // turned with it.
    Size storedBox;
    if (box != nullptr) {
        storedBox = orientation >= 5 ? Size{box->height, box->width} : *box;
        std::vector<unsigned char> preview = embeddedPreview(data, layout, storedBox);
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

// ---------------------------------------------------------------- PNG

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

Image decode(const std::string& path, const Size* box) {
    try {
        switch (imageFormatOf(path)) {
        case ImageFormat::Jpeg:
            return decodeJpeg(path, box);
        case ImageFormat::Png:
            return decodePng(path, box);
        case ImageFormat::Other:
            break;
        }
    } catch (const std::bad_alloc&) {
        throw ImageDecodeError("not enough memory for the picture");
    }
    throw ImageDecodeError("not a JPEG or PNG file name: " + path);
}

} // namespace

ImageFormat imageFormatOf(const std::string& path) {
    const std::string ext = lowerExtension(path);
    if (ext == "jpg" || ext == "jpeg") {
        return ImageFormat::Jpeg;
    }
    if (ext == "png") {
        return ImageFormat::Png;
    }
    return ImageFormat::Other;
}

Size fitInBox(int width, int height, int boxWidth, int boxHeight) {
    if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0) {
        return {};
    }
    if (width <= boxWidth && height <= boxHeight) {
        return {width, height};
    }
    // The width that the box's height gives; if it fits, the height decides.
    const std::int64_t byHeight = static_cast<std::int64_t>(boxHeight) * width / height;
    if (byHeight <= boxWidth) {
        return {std::max<int>(1, static_cast<int>(byHeight)), boxHeight};
    }
    const std::int64_t byWidth = static_cast<std::int64_t>(boxWidth) * height / width;
    return {boxWidth, std::max<int>(1, static_cast<int>(byWidth))};
}

Image decodeImage(const std::string& path) {
    return decode(path, nullptr);
}

Image decodePreview(const std::string& path, int boxWidth, int boxHeight) {
    if (boxWidth <= 0 || boxHeight <= 0) {
        throw ImageDecodeError("empty preview box");
    }
    const Size box{boxWidth, boxHeight};
    return decode(path, &box);
}

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
