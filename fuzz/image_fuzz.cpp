// Reads arbitrary bytes as a question's picture, as the preview reads it from disk: a
// JPEG or a PNG (told by the bytes' first one, so both decoders get every input), and
// the EXIF orientation of the same bytes. Whatever the bytes, the decoder gives a
// picture that holds together or an ImageDecodeError, and nothing else.
#include "media/image_decoder.h"
#include "media/jpeg_orientation.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// One file per process, written again for every input.
std::string pictureFile(const char* extension) {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder && *folder ? folder : "/tmp") + "/vireta-image-fuzz-" +
           std::to_string(::getpid()) + extension;
}

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int orientation = vireta::jpegOrientation(data, size);
    check(orientation >= 1 && orientation <= 8);

    const bool png = size > 0 && data[0] == 0x89;
    const std::string path = pictureFile(png ? ".png" : ".jpg");
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                  static_cast<std::streamsize>(size));
    try {
        const vireta::Image image =
            vireta::decodePreview(path, vireta::kPreviewBoxWidth, vireta::kPreviewBoxHeight);
        check(!image.empty() && (image.channels == 3 || image.channels == 4));
        check(image.pixels.size() == image.rowBytes() * static_cast<std::size_t>(image.height));
        check(static_cast<std::int64_t>(image.width) * image.height <= vireta::kMaxDecodedPixels);
    } catch (const vireta::ImageDecodeError&) {
    }
    std::remove(path.c_str());
    return 0;
}
