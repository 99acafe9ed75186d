// The picture decoder's entry points: the format named by the extension, the size a
// picture takes in a box, the decoding of a whole picture or of its preview; and what
// both formats' decoders share, the file read whole and the rows allocated.
#include "media/image_decoder.h"

#include "io/file_read.h"
#include "media/picture_decoding.h"
#include "text.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cerrno>
#include <cstdint>
#include <new>

namespace vireta {

namespace {

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

Image decode(const std::string& path, const Size* box) {
    try {
        switch (imageFormatOf(path)) {
        case ImageFormat::Jpeg:
            return decoding::decodeJpeg(path, box);
        case ImageFormat::Png:
            return decoding::decodePng(path, box);
        case ImageFormat::Other:
            break;
        }
    } catch (const std::bad_alloc&) {
        throw ImageDecodeError("not enough memory for the picture");
    }
    throw ImageDecodeError("not a JPEG or PNG file name: " + path);
}

} // namespace

namespace decoding {

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

} // namespace decoding

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

} // namespace vireta
