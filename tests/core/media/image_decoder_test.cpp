#include "media/image_decoder.h"

#include "media/image_writer.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include <zlib.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vireta;
using namespace vireta::testing;
namespace fs = std::filesystem;

namespace {

// Four quadrants: red, green, blue, white.
Rgba quadrant(int x, int y, int width, int height) {
    const bool right = x >= width / 2;
    const bool bottom = y >= height / 2;
    if (!bottom) {
        return right ? Rgba{0, 255, 0, 255} : Rgba{255, 0, 0, 255};
    }
    return right ? Rgba{255, 255, 255, 255} : Rgba{0, 0, 255, 255};
}

PixelSource quadrants(int width, int height) {
    return [=](int x, int y) { return quadrant(x, y, width, height); };
}

::testing::AssertionResult near(const Image& image, int x, int y, Rgba want, int tolerance) {
    const std::uint8_t* p = image.pixel(x, y);
    const int got[4] = {p[0], p[1], p[2], image.channels == 4 ? p[3] : 255};
    const int expected[4] = {want.r, want.g, want.b, want.a};
    for (int i = 0; i < 4; ++i) {
        if (std::abs(got[i] - expected[i]) > tolerance) {
            return ::testing::AssertionFailure()
                   << "pixel (" << x << "," << y << ") is " << got[0] << "," << got[1] << ","
                   << got[2] << "," << got[3] << " not " << expected[0] << "," << expected[1] << ","
                   << expected[2] << "," << expected[3];
        }
    }
    return ::testing::AssertionSuccess();
}

// The four quadrant centres of an image of any size.
void expectQuadrants(const Image& image, int tolerance) {
    ASSERT_FALSE(image.empty());
    const int w = image.width;
    const int h = image.height;
    EXPECT_TRUE(near(image, w / 4, h / 4, {255, 0, 0, 255}, tolerance));
    EXPECT_TRUE(near(image, 3 * w / 4, h / 4, {0, 255, 0, 255}, tolerance));
    EXPECT_TRUE(near(image, w / 4, 3 * h / 4, {0, 0, 255, 255}, tolerance));
    EXPECT_TRUE(near(image, 3 * w / 4, 3 * h / 4, {255, 255, 255, 255}, tolerance));
}

class ImageDecoder : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir_ / name; }

    testfiles::ScratchDir dir_;
};

TEST(ImageFormatOf, ChoosesByExtensionRegardlessOfCase) {
    const std::pair<const char*, ImageFormat> cases[] = {
        {"foto.jpg", ImageFormat::Jpeg},
        {"/home/ana/FOTO.JPG", ImageFormat::Jpeg},
        {"C:\\fotos\\mapa.JpEg", ImageFormat::Jpeg},
        {"a.b.png", ImageFormat::Png},
        {"debuxo.PNG", ImageFormat::Png},
        {"icona.ico", ImageFormat::Other},
        {"foto.jpg.bak", ImageFormat::Other},
        {"/fotos.png/leme", ImageFormat::Other},
        {"png", ImageFormat::Other},
        {"", ImageFormat::Other},
    };
    for (const auto& [path, format] : cases) {
        EXPECT_EQ(imageFormatOf(path), format) << path;
    }
}

TEST(FitInBox, ScalesDownKeepingProportionsAndNeverEnlarges) {
    struct Case {
        int w, h, fitW, fitH;
    };
    const Case cases[] = {
        {6000, 4000, 196, 130},                     // landscape: the width decides
        {3000, 4000, 112, 150},                     // portrait: the height decides
        {196, 150, 196, 150},   {100, 40, 100, 40}, // fits already
        {392, 150, 196, 75},    {5000, 10, 196, 1}, // a sliver keeps one pixel
        {10, 5000, 1, 150},
    };
    for (const auto& c : cases) {
        const Size fit = fitInBox(c.w, c.h, kPreviewBoxWidth, kPreviewBoxHeight);
        EXPECT_EQ(fit.width, c.fitW) << c.w << "x" << c.h;
        EXPECT_EQ(fit.height, c.fitH) << c.w << "x" << c.h;
    }
}

TEST(PreviewScale, SmallestReductionThatStillHoldsTheFittedSize) {
    struct Case {
        int w, h, jpegEighths, pngFactor;
    };
    const Case cases[] = {
        {6000, 4000, 1, 30}, // 24 megapixels: 750x500 at 1/8
        {4000, 3000, 1, 20}, // 500x375 at 1/8; 200x150 by 20
        {1600, 1200, 1, 8},  // 200x150 at 1/8 just holds 196x147
        {1500, 1000, 2, 7},  // 188 wide at 1/8 is too narrow for 196
        {300, 200, 6, 1},    // 225x150 at 6/8
        {196, 150, 8, 1},    // exactly the box
        {50, 50, 8, 1},      // small pictures are never reduced
    };
    for (const auto& c : cases) {
        const Size fit = fitInBox(c.w, c.h, kPreviewBoxWidth, kPreviewBoxHeight);
        const int eighths = detail::jpegPreviewScale(c.w, c.h, kPreviewBoxWidth, kPreviewBoxHeight);
        const int factor = detail::pngPreviewFactor(c.w, c.h, kPreviewBoxWidth, kPreviewBoxHeight);
        EXPECT_EQ(eighths, c.jpegEighths) << c.w << "x" << c.h;
        EXPECT_EQ(factor, c.pngFactor) << c.w << "x" << c.h;
        // Whatever was chosen must still hold the fitted size, and one step smaller must not.
        EXPECT_GE((c.w * eighths + 7) / 8, fit.width);
        EXPECT_GE((c.h * eighths + 7) / 8, fit.height);
        if (eighths > 1) {
            const int smaller = eighths - 1;
            EXPECT_TRUE((c.w * smaller + 7) / 8 < fit.width ||
                        (c.h * smaller + 7) / 8 < fit.height);
        }
        EXPECT_GE(c.w / factor, fit.width);
        EXPECT_GE(c.h / factor, fit.height);
    }
}

TEST_F(ImageDecoder, DecodesEveryKindOfJpegToRgb) {
    const JpegKind kinds[] = {JpegKind::Rgb, JpegKind::Progressive, JpegKind::AdobeCmyk};
    for (JpegKind kind : kinds) {
        const std::string file = path("foto.jpg");
        writeJpeg(file, 64, 48, quadrants(64, 48), kind);
        const Image image = decodeImage(file);
        EXPECT_EQ(image.width, 64);
        EXPECT_EQ(image.height, 48);
        EXPECT_EQ(image.channels, 3);
        EXPECT_EQ(image.pixels.size(), 64u * 48u * 3u);
        expectQuadrants(image, 12);
    }
    // Grey comes back as three equal channels.
    const std::string grey = path("gris.JPEG");
    writeJpeg(
        grey, 40, 30,
        [](int x, int) {
            return Rgba{0, static_cast<std::uint8_t>(x < 20 ? 40 : 200), 0, 255};
        },
        JpegKind::Grey);
    const Image image = decodeImage(grey);
    ASSERT_EQ(image.channels, 3);
    EXPECT_TRUE(near(image, 5, 15, {40, 40, 40, 255}, 6));
    EXPECT_TRUE(near(image, 35, 15, {200, 200, 200, 255}, 6));
}

TEST_F(ImageDecoder, DecodesEveryKindOfPngExactly) {
    const auto pattern = [](int x, int y) {
        return Rgba{static_cast<std::uint8_t>(x * 8), static_cast<std::uint8_t>(y * 8), 77,
                    static_cast<std::uint8_t>(x * 8 + y)};
    };
    for (bool interlaced : {false, true}) {
        const std::string rgb = path("rgb.png");
        writePng(rgb, 31, 17, pattern, PngKind::Rgb, interlaced);
        Image image = decodeImage(rgb);
        ASSERT_EQ(image.channels, 3);
        ASSERT_EQ(image.width, 31);
        ASSERT_EQ(image.height, 17);
        EXPECT_TRUE(near(image, 30, 16, {240, 128, 77, 255}, 0));

        const std::string rgba = path("rgba.PNG");
        writePng(rgba, 31, 17, pattern, PngKind::Rgba, interlaced);
        image = decodeImage(rgba);
        ASSERT_EQ(image.channels, 4);
        EXPECT_TRUE(near(image, 30, 16, {240, 128, 77, 0}, 0)); // alpha 240 + 16 wraps to 0
        EXPECT_TRUE(near(image, 3, 2, {24, 16, 77, 26}, 0));

        const std::string grey = path("grey16.png");
        writePng(grey, 31, 17, pattern, PngKind::Grey16, interlaced);
        image = decodeImage(grey);
        ASSERT_EQ(image.channels, 3);
        EXPECT_TRUE(near(image, 0, 5, {40, 40, 40, 255}, 0));

        const std::string palette = path("paleta.png");
        writePng(
            palette, 8, 8,
            [](int x, int) {
                return x < 4 ? Rgba{0, 0, 0, 0} : Rgba{255, 0, 0, 255};
            },
            PngKind::PaletteWithTransparency, interlaced);
        image = decodeImage(palette);
        ASSERT_EQ(image.channels, 4); // the transparent palette entry becomes alpha
        EXPECT_TRUE(near(image, 1, 1, {0, 0, 0, 0}, 0));
        EXPECT_TRUE(near(image, 6, 1, {255, 0, 0, 255}, 0));
    }
}

TEST_F(ImageDecoder, JpegPreviewIsDecodedAtTheChosenScale) {
    struct Case {
        int w, h, previewW, previewH;
    };
    const Case cases[] = {
        {1600, 1200, 200, 150}, // 1/8
        {1500, 1000, 375, 250}, // 2/8
        {100, 60, 100, 60},     // smaller than the box: its own size
    };
    for (const auto& c : cases) {
        for (JpegKind kind : {JpegKind::Rgb, JpegKind::Progressive}) {
            const std::string file = path("grande.jpg");
            writeJpeg(file, c.w, c.h, quadrants(c.w, c.h), kind, 75);
            const Image image = decodePreview(file, kPreviewBoxWidth, kPreviewBoxHeight);
            EXPECT_EQ(image.width, c.previewW) << c.w;
            EXPECT_EQ(image.height, c.previewH) << c.w;
            expectQuadrants(image, 12);
        }
    }
}

// Camera files carry smaller copies of the photograph. Here the photograph shows the
// four quadrants and every embedded copy is plain magenta, so the preview tells which
// one was decoded.
TEST_F(ImageDecoder, JpegPreviewUsesAnEmbeddedCopyOnlyWhenItCoversTheBox) {
    const auto jpegBytes = [&](int w, int h, const PixelSource& pixel) {
        writeJpeg(path("part.jpg"), w, h, pixel, JpegKind::Rgb, 85);
        return readBytes(path("part.jpg"));
    };
    const PixelSource magenta = [](int, int) { return Rgba{255, 0, 255, 255}; };
    const std::vector<char> photo = jpegBytes(1600, 1200, quadrants(1600, 1200));
    const std::vector<char> none;
    std::vector<char> damaged = jpegBytes(320, 240, magenta);
    std::fill(damaged.begin() + static_cast<long>(damaged.size() / 2), damaged.end() - 2,
              static_cast<char>(0xFF)); // inside the scan

    struct Case {
        const char* name;
        std::vector<char> exif;
        std::vector<char> mpf;
        bool fromCopy;
    };
    const Case cases[] = {
        {"exif-320x240", jpegBytes(320, 240, magenta), none, true},
        {"exif-160x120", jpegBytes(160, 120, magenta), none, false}, // smaller than the box
        {"exif-200x140", jpegBytes(200, 140, magenta), none, false}, // 196x137 < 196x147
        {"exif-square", jpegBytes(320, 320, magenta), none, false},  // letterboxed
        {"exif-damaged", damaged, none, false},
        {"mpf-800x600", none, jpegBytes(800, 600, magenta), true},
        {"exif-small-mpf-large", jpegBytes(160, 120, magenta), jpegBytes(800, 600, magenta),
         true},
        {"mpf-3:2", none, jpegBytes(600, 400, magenta), false},
    };
    for (const auto& c : cases) {
        const std::string file = path(std::string(c.name) + ".jpg");
        writeBytes(file, jpegWithEmbeddedPreviews(photo, c.exif, c.mpf));
        const Image preview = decodePreview(file, kPreviewBoxWidth, kPreviewBoxHeight);
        EXPECT_GE(preview.width, 196) << c.name;
        EXPECT_GE(preview.height, 147) << c.name;
        if (c.fromCopy) {
            EXPECT_TRUE(near(preview, preview.width / 4, preview.height / 4, {255, 0, 255, 255}, 12))
                << c.name;
            EXPECT_TRUE(near(preview, 3 * preview.width / 4, 3 * preview.height / 4,
                             {255, 0, 255, 255}, 12))
                << c.name;
        } else {
            expectQuadrants(preview, 12);
        }
        // The whole picture is always the photograph.
        const Image whole = decodeImage(file);
        EXPECT_EQ(whole.width, 1600) << c.name;
        expectQuadrants(whole, 12);
    }

    // A photograph to be turned a quarter is fitted upright, by its turned thumbnail.
    writeBytes(path("turned.jpg"),
               jpegWithEmbeddedPreviews(photo, jpegBytes(320, 240, magenta), none, 6));
    const Image turned = decodePreview(path("turned.jpg"), 196, 150);
    EXPECT_EQ(turned.width, 120); // 320x240 at 4/8, turned
    EXPECT_EQ(turned.height, 160);
    EXPECT_TRUE(near(turned, 60, 80, {255, 0, 255, 255}, 12));

    // A photograph cut short is refused even though its thumbnail is whole.
    std::vector<char> bytes = jpegWithEmbeddedPreviews(photo, jpegBytes(320, 240, magenta), none);
    bytes.resize(bytes.size() - 300);
    writeBytes(path("cut.jpg"), bytes);
    EXPECT_THROW(decodePreview(path("cut.jpg"), 196, 150), ImageDecodeError);
}

// The markers, EXIF and MPF directories are read from untrusted files: bytes changed
// anywhere in them must give a picture or ImageDecodeError, nothing else.
TEST_F(ImageDecoder, DamagedEmbeddedPreviewIndexesAreSafe) {
    const PixelSource magenta = [](int, int) { return Rgba{255, 0, 255, 255}; };
    writeJpeg(path("part.jpg"), 400, 300, quadrants(400, 300), JpegKind::Rgb, 50);
    const std::vector<char> photo = readBytes(path("part.jpg"));
    writeJpeg(path("part.jpg"), 240, 180, magenta, JpegKind::Rgb, 50);
    const std::vector<char> copy = readBytes(path("part.jpg"));
    const std::vector<char> good = jpegWithEmbeddedPreviews(photo, copy, copy);
    // The two index segments come first: the header, the EXIF block with its copy,
    // and the MPF block.
    const std::size_t indexBytes = 2 + 4 + 6 + 44 + copy.size() + 4 + 74;

    std::mt19937 random(11);
    const std::string file = path("mutated.jpg");
    for (int round = 0; round < 400; ++round) {
        std::vector<char> bytes = good;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            // Mostly the directories (outside the copy's own data), sometimes anywhere.
            std::size_t at = random() % indexBytes;
            if (at >= 56 && at < 56 + copy.size() && random() % 4 != 0) {
                at = 56 + copy.size() + random() % 78;
            }
            const char values[] = {0, 1, static_cast<char>(0xFF), static_cast<char>(0x7F),
                                   static_cast<char>(random())};
            bytes[at] = values[random() % 5];
        }
        writeBytes(file, bytes);
        try {
            const Image preview = decodePreview(file, kPreviewBoxWidth, kPreviewBoxHeight);
            EXPECT_FALSE(preview.empty()) << round;
        } catch (const ImageDecodeError&) {
        }
    }
}

// The four quadrants of a picture stored with each EXIF orientation, as they must be
// seen: top left, top right, bottom left, bottom right.
TEST_F(ImageDecoder, JpegIsTurnedAsItsExifOrientationSays) {
    const Rgba r{255, 0, 0, 255}, g{0, 255, 0, 255}, b{0, 0, 255, 255}, w{255, 255, 255, 255};
    struct Case {
        int orientation;
        Rgba corners[4];
    };
    const Case cases[] = {
        {0, {r, g, b, w}}, // no tag
        {1, {r, g, b, w}}, {2, {g, r, w, b}}, {3, {w, b, g, r}}, {4, {b, w, r, g}},
        {5, {r, b, g, w}}, {6, {b, r, w, g}}, {7, {w, g, b, r}}, {8, {g, w, r, b}},
    };
    writeJpeg(path("part.jpg"), 1600, 1200, quadrants(1600, 1200), JpegKind::Rgb, 85);
    const std::vector<char> photo = readBytes(path("part.jpg"));
    writeJpeg(path("part.jpg"), 320, 240, quadrants(320, 240), JpegKind::Rgb, 85);
    const std::vector<char> thumbnail = readBytes(path("part.jpg"));
    for (const auto& c : cases) {
        const bool across = c.orientation >= 5;
        for (bool withThumbnail : {false, true}) {
            const std::string file = path("turned.jpg");
            writeBytes(file, jpegWithEmbeddedPreviews(photo, withThumbnail ? thumbnail : std::vector<char>{},
                                                      {}, c.orientation));
            const Image preview = decodePreview(file, kPreviewBoxWidth, kPreviewBoxHeight);
            const Image whole = decodeImage(file);
            EXPECT_EQ(whole.width, across ? 1200 : 1600) << c.orientation;
            EXPECT_EQ(whole.height, across ? 1600 : 1200) << c.orientation;
            // Upright, the picture is 112x150 in the box; the preview must hold that.
            EXPECT_GE(preview.width, across ? 112 : 196) << c.orientation;
            EXPECT_GE(preview.height, across ? 150 : 147) << c.orientation;
            EXPECT_EQ(preview.width > preview.height, !across) << c.orientation;
            for (const Image* image : {&preview, &whole}) {
                const int iw = image->width;
                const int ih = image->height;
                const std::string what = std::to_string(c.orientation) +
                                         (image == &whole ? " whole" : " preview") +
                                         (withThumbnail ? " from thumbnail" : "");
                EXPECT_TRUE(near(*image, iw / 4, ih / 4, c.corners[0], 12)) << what;
                EXPECT_TRUE(near(*image, 3 * iw / 4, ih / 4, c.corners[1], 12)) << what;
                EXPECT_TRUE(near(*image, iw / 4, 3 * ih / 4, c.corners[2], 12)) << what;
                EXPECT_TRUE(near(*image, 3 * iw / 4, 3 * ih / 4, c.corners[3], 12)) << what;
            }
        }
    }
}

TEST_F(ImageDecoder, PngPreviewAveragesBlocksWeightedByAlpha) {
    // 2000x1500 reduces by 10 to 200x150. The left half is a one-pixel black and white
    // checkerboard (grey once averaged); the right half alternates opaque red with fully
    // transparent green, which must give half-transparent red, not brown.
    const auto pixel = [](int x, int y) {
        if (x < 1000) {
            return (x + y) % 2 == 0 ? Rgba{0, 0, 0, 255} : Rgba{255, 255, 255, 255};
        }
        return (x + y) % 2 == 0 ? Rgba{255, 0, 0, 255} : Rgba{0, 255, 0, 0};
    };
    for (bool interlaced : {false, true}) {
        const std::string file = path("grande.png");
        writePng(file, 2000, 1500, pixel, PngKind::Rgba, interlaced, 1);
        const Image image = decodePreview(file, kPreviewBoxWidth, kPreviewBoxHeight);
        ASSERT_EQ(image.width, 200) << interlaced;
        ASSERT_EQ(image.height, 150);
        ASSERT_EQ(image.channels, 4);
        EXPECT_TRUE(near(image, 10, 70, {128, 128, 128, 255}, 1)) << interlaced;
        EXPECT_TRUE(near(image, 150, 70, {255, 0, 0, 128}, 1)) << interlaced;
    }
    // A size that leaves a partial block at the right and bottom edges: 1999x1499 by 10
    // gives 200x150, the last column and row averaging 9 pixels across.
    const std::string odd = path("impar.png");
    writePng(odd, 1999, 1499, quadrants(1999, 1499), PngKind::Rgb, false, 1);
    const Image image = decodePreview(odd, kPreviewBoxWidth, kPreviewBoxHeight);
    EXPECT_EQ(image.width, 200);
    EXPECT_EQ(image.height, 150);
    expectQuadrants(image, 0);
    EXPECT_TRUE(near(image, 199, 149, {255, 255, 255, 255}, 0));
}

// Every way a file can fail ends in ImageDecodeError, from both entry points.
TEST_F(ImageDecoder, BadFilesThrowImageDecodeError) {
    const std::string jpeg = path("bo.jpg");
    const std::string png = path("bo.png");
    writeJpeg(jpeg, 320, 240, quadrants(320, 240), JpegKind::Rgb);
    writePng(png, 320, 240, quadrants(320, 240), PngKind::Rgb);
    const std::vector<char> jpegBytes = readBytes(jpeg);
    const std::vector<char> pngBytes = readBytes(png);
    const std::vector<char> progressiveBytes = [&] {
        writeJpeg(path("p.jpg"), 320, 240, quadrants(320, 240), JpegKind::Progressive);
        return readBytes(path("p.jpg"));
    }();

    // Big enough for a 1/8 preview, which reads only the first scans of a progressive file.
    const std::vector<char> bigProgressiveBytes = [&] {
        writeJpeg(path("bp.jpg"), 1600, 1200, quadrants(1600, 1200), JpegKind::Progressive);
        return readBytes(path("bp.jpg"));
    }();

    std::mt19937 random(7);
    std::vector<char> garbage(5000);
    for (char& c : garbage) {
        c = static_cast<char>(random());
    }
    auto prefix = [](const std::vector<char>& bytes, std::size_t n) {
        return std::vector<char>(bytes.begin(), bytes.begin() + static_cast<long>(n));
    };
    std::vector<char> badCrc = pngBytes;
    badCrc[badCrc.size() / 2] ^= 0x55; // inside the image data
    // A valid header claiming 50000 x 50000 pixels, and nothing after it.
    std::vector<char> hugePng = prefix(pngBytes, 33);
    hugePng[16] = hugePng[20] = 0x00;
    hugePng[17] = hugePng[21] = 0x00;
    hugePng[18] = hugePng[22] = static_cast<char>(0xC3);
    hugePng[19] = hugePng[23] = 0x50;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(hugePng.data() + 12), 17);
    for (int i = 0; i < 4; ++i) {
        hugePng[29 + i] = static_cast<char>((crc >> (24 - 8 * i)) & 0xFF);
    }

    struct Case {
        const char* name;
        std::vector<char> bytes;
    };
    const Case cases[] = {
        {"empty.jpg", {}},
        {"empty.png", {}},
        {"garbage.jpg", garbage},
        {"garbage.png", garbage},
        {"jpeg-header-only.jpg", prefix(jpegBytes, 120)},
        {"jpeg-half.jpg", prefix(jpegBytes, jpegBytes.size() / 2)},
        {"jpeg-without-end.jpg", prefix(jpegBytes, jpegBytes.size() - 40)},
        {"progressive-half.jpg", prefix(progressiveBytes, progressiveBytes.size() / 2)},
        {"big-progressive-early.jpg", prefix(bigProgressiveBytes, 2000)},
        {"big-progressive-most.jpg", prefix(bigProgressiveBytes, bigProgressiveBytes.size() - 100)},
        {"big-progressive-no-end.jpg", prefix(bigProgressiveBytes, bigProgressiveBytes.size() - 2)},
        {"png-signature-only.png", prefix(pngBytes, 8)},
        {"png-header-only.png", prefix(pngBytes, 40)},
        {"png-half.png", prefix(pngBytes, pngBytes.size() / 2)},
        {"png-bad-crc.png", badCrc},
        {"png-huge-header.png", hugePng},
        {"png-named-jpeg.jpg", pngBytes}, // the extension decides the decoder
        {"jpeg-named-png.png", jpegBytes},
        {"good-png-as-gif.gif", pngBytes}, // not a format of this decoder
        {"no-extension", jpegBytes},
    };
    for (const auto& c : cases) {
        const std::string file = path(c.name);
        writeBytes(file, c.bytes);
        EXPECT_THROW(decodeImage(file), ImageDecodeError) << c.name;
        EXPECT_THROW(decodePreview(file, kPreviewBoxWidth, kPreviewBoxHeight), ImageDecodeError)
            << c.name;
    }
    EXPECT_THROW(decodeImage(path("missing.jpg")), ImageDecodeError);
    EXPECT_THROW(decodePreview(path("missing.png"), 196, 150), ImageDecodeError);
    fs::create_directory(path("folder.jpg"));
    fs::create_directory(path("folder.png"));
    EXPECT_THROW(decodeImage(path("folder.jpg")), ImageDecodeError);
    EXPECT_THROW(decodePreview(path("folder.png"), 196, 150), ImageDecodeError);
    EXPECT_THROW(decodeImage(""), ImageDecodeError);

    // The good files still decode after all that (no state is left behind).
    EXPECT_EQ(decodePreview(jpeg, 196, 150).width, 200); // 5/8 of 320 holds 196
    EXPECT_EQ(decodePreview(png, 196, 150).width, 320);  // a factor of 1: whole
}

// A pipe or a device named like a picture is refused at once: the preview's thread
// would otherwise wait for a writer for ever (or read /dev/zero to the end of memory).
// The decoding runs in a child with an alarm, so that one that blocks fails the test.
TEST_F(ImageDecoder, PipesAndDevicesAreRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo(path("pipe.png").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(path("pipe.jpg").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/zero", path("zero.jpg").c_str()), 0);
    for (const std::string& file : {path("pipe.png"), path("pipe.jpg"), path("zero.jpg")}) {
        std::fflush(nullptr);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::alarm(5);
            try {
                decodePreview(file, kPreviewBoxWidth, kPreviewBoxHeight);
            } catch (const ImageDecodeError&) {
                ::_exit(0);
            }
            ::_exit(1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << file << " blocked or was decoded";
    }
}

} // namespace
