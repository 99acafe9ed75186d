// Preview decoding of camera-sized pictures, against decoding them whole and scaling
// the result down to the preview box (what the window would do with Qt's image reader
// and no scaled size). The program prints, after the usual table, each case's time as
// a ratio to its baseline measured in the same run.
#include "media/image_decoder.h"
#include "media/image_writer.h"
#include "media/preview_cache.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>

#include <unistd.h>

#include <jpeglib.h>

using namespace vireta;

namespace {

// Smooth light and colour with fine grain on top, so that the files carry about as
// much detail as a photograph and the decoders do a photograph's work.
testing::PixelSource photoLike(int width, int height) {
    auto noise = std::make_shared<std::vector<std::uint8_t>>(1 << 16);
    std::mt19937 random(42);
    for (auto& n : *noise) {
        n = static_cast<std::uint8_t>(random() % 25);
    }
    return [=](int x, int y) {
        const double u = static_cast<double>(x) / width;
        const double v = static_cast<double>(y) / height;
        const int grain = (*noise)[static_cast<std::size_t>(x * 7919 + y * 104729) & 0xFFFF];
        auto clamp = [](double c) {
            return static_cast<std::uint8_t>(std::max(0.0, std::min(255.0, c)));
        };
        return testing::Rgba{clamp(120 + 90 * std::sin(6 * u + 2 * v) + grain),
                             clamp(110 + 80 * std::cos(5 * v - 3 * u) + grain),
                             clamp(100 + 70 * std::sin(9 * u * v) + grain), 255};
    };
}

struct Files {
    std::string jpeg;        // 6000 x 4000, 24 megapixels, sequential as cameras write
    std::string progressive; // the same picture progressive, as often found on the web
    std::string png;         // 4000 x 3000
    // The sequential one with what cameras embed: a 160x120 EXIF thumbnail (too small
    // for the box) and a 1620x1080 MPF screen preview appended after the photograph.
    std::string cameraWithPreview;
    // Only the 160x120 EXIF thumbnail: the photograph itself must be decoded.
    std::string cameraWithThumbnail;
};

const Files& files() {
    static const Files made = [] {
        const auto dir = std::filesystem::temp_directory_path() /
                         ("vireta_image_bench_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        Files f{(dir / "camera.jpg").string(), (dir / "web.jpg").string(),
                (dir / "screen.png").string(), (dir / "camera_mpf.jpg").string(),
                (dir / "camera_exif.jpg").string()};
        testing::writeJpeg(f.jpeg, 6000, 4000, photoLike(6000, 4000), testing::JpegKind::Rgb, 90);
        const std::string part = (dir / "part.jpg").string();
        testing::writeJpeg(part, 160, 120, photoLike(160, 120), testing::JpegKind::Rgb, 90);
        const std::vector<char> thumbnail = testing::readBytes(part);
        testing::writeJpeg(part, 1620, 1080, photoLike(1620, 1080), testing::JpegKind::Rgb, 90);
        const std::vector<char> screen = testing::readBytes(part);
        const std::vector<char> photo = testing::readBytes(f.jpeg);
        testing::writeBytes(f.cameraWithPreview,
                            testing::jpegWithEmbeddedPreviews(photo, thumbnail, screen));
        testing::writeBytes(f.cameraWithThumbnail,
                            testing::jpegWithEmbeddedPreviews(photo, thumbnail, {}));
        testing::writeJpeg(f.progressive, 6000, 4000, photoLike(6000, 4000),
                           testing::JpegKind::Progressive, 90);
        testing::writePng(f.png, 4000, 3000, photoLike(4000, 3000), testing::PngKind::Rgb);
        for (const std::string* file :
             {&f.jpeg, &f.progressive, &f.png, &f.cameraWithPreview, &f.cameraWithThumbnail}) {
            std::fprintf(stderr, "test picture %s: %.1f MB\n", file->c_str(),
                         static_cast<double>(std::filesystem::file_size(*file)) / 1e6);
        }
        return f;
    }();
    return made;
}

QImage asQImage(const Image& image) {
    return QImage(image.pixels.data(), image.width, image.height,
                  static_cast<qsizetype>(image.rowBytes()),
                  image.channels == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
}

// The window's last step: fit into the box, smoothly.
QImage shown(const QImage& image) {
    const Size fit = fitInBox(image.width(), image.height(), kPreviewBoxWidth, kPreviewBoxHeight);
    return image.scaled(fit.width, fit.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

const std::string& fileFor(const benchmark::State& state) {
    switch (state.range(0)) {
    case 0:
        return files().jpeg;
    case 1:
        return files().progressive;
    case 2:
        return files().png;
    case 3:
        return files().cameraWithPreview;
    default:
        return files().cameraWithThumbnail;
    }
}

// The floor for any JPEG decode: reading every coefficient of the file with libjpeg,
// without any inverse DCT, colour conversion or output.
void libjpegCoefficientsOnly(benchmark::State& state) {
    const std::string& file = fileFor(state);
    for (auto _ : state) {
        std::FILE* f = std::fopen(file.c_str(), "rb");
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_stdio_src(&cinfo, f);
        jpeg_read_header(&cinfo, TRUE);
        benchmark::DoNotOptimize(jpeg_read_coefficients(&cinfo));
        jpeg_destroy_decompress(&cinfo);
        std::fclose(f);
    }
}

// libjpeg alone at 1/8 from memory, with its default output settings or with the
// cheaper ones (no fancy upsampling, fast integer DCT, no block smoothing), to see
// whether any of them matters once the output is an eighth of the size.
void libjpegEighth(benchmark::State& state, bool cheap) {
    const std::vector<char> bytes = testing::readBytes(fileFor(state));
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
                     static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&cinfo, TRUE);
        cinfo.scale_num = 1;
        cinfo.scale_denom = 8;
        cinfo.out_color_space = JCS_RGB;
        if (cheap) {
            cinfo.do_fancy_upsampling = FALSE;
            cinfo.do_block_smoothing = FALSE;
            cinfo.dct_method = JDCT_IFAST;
        }
        jpeg_start_decompress(&cinfo);
        std::vector<JSAMPLE> row(static_cast<std::size_t>(cinfo.output_width) * 3);
        JSAMPROW rows[1] = {row.data()};
        while (cinfo.output_scanline < cinfo.output_height) {
            jpeg_read_scanlines(&cinfo, rows, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(row.data());
    }
}
void libjpegEighthDefault(benchmark::State& state) { libjpegEighth(state, false); }
void libjpegEighthCheap(benchmark::State& state) { libjpegEighth(state, true); }

// A step back to a question already shown: the cache checks the file and hands back
// the kept preview.
void coreCacheHit(benchmark::State& state) {
    const std::string& file = fileFor(state);
    PreviewCache cache;
    cache.get(file);
    for (auto _ : state) {
        PreviewResult result = cache.get(file);
        benchmark::DoNotOptimize(result.image.get());
    }
}

void corePreview(benchmark::State& state) {
    const std::string& file = fileFor(state);
    for (auto _ : state) {
        Image image = decodePreview(file, kPreviewBoxWidth, kPreviewBoxHeight);
        benchmark::DoNotOptimize(image.pixels.data());
    }
}

// What the window decodes: a preview for a box twice the design size
// (media/picture_preview.cpp), so that the box can grow with the window, then fitted
// into the box at its design size.
void corePreviewTwiceTheBoxShown(benchmark::State& state) {
    const std::string& file = fileFor(state);
    for (auto _ : state) {
        const Image image = decodePreview(file, 2 * kPreviewBoxWidth, 2 * kPreviewBoxHeight);
        QImage picture = shown(asQImage(image));
        benchmark::DoNotOptimize(picture.constBits());
    }
}

void corePreviewShown(benchmark::State& state) {
    const std::string& file = fileFor(state);
    for (auto _ : state) {
        const Image image = decodePreview(file, kPreviewBoxWidth, kPreviewBoxHeight);
        QImage picture = shown(asQImage(image));
        benchmark::DoNotOptimize(picture.constBits());
    }
}

void coreFullShown(benchmark::State& state) {
    const std::string& file = fileFor(state);
    for (auto _ : state) {
        const Image image = decodeImage(file);
        QImage picture = shown(asQImage(image));
        benchmark::DoNotOptimize(picture.constBits());
    }
}

// Baseline: Qt's reader without a scaled size, then the window's scaling.
void qtFullShown(benchmark::State& state) {
    const QString file = QString::fromStdString(fileFor(state));
    for (auto _ : state) {
        QImageReader reader(file);
        QImage picture = shown(reader.read());
        if (picture.isNull()) {
            state.SkipWithError("Qt could not read the picture");
            break;
        }
        benchmark::DoNotOptimize(picture.constBits());
    }
}

// For comparison: Qt's reader asked for the fitted size (its JPEG reader scales in the
// decoder too).
void qtScaledRead(benchmark::State& state) {
    const QString file = QString::fromStdString(fileFor(state));
    for (auto _ : state) {
        QImageReader reader(file);
        const QSize size = reader.size();
        const Size fit = fitInBox(size.width(), size.height(), kPreviewBoxWidth, kPreviewBoxHeight);
        reader.setScaledSize(QSize(fit.width, fit.height));
        QImage picture = reader.read();
        benchmark::DoNotOptimize(picture.constBits());
    }
}

void registerAll() {
    struct Case {
        const char* name;
        void (*run)(benchmark::State&);
    };
    const Case cases[] = {
        {"qt_full_then_scaled", qtFullShown},    {"core_full_then_scaled", coreFullShown},
        {"core_preview", corePreview},           {"core_preview_then_fitted", corePreviewShown},
        {"core_preview_twice_the_box_then_fitted", corePreviewTwiceTheBoxShown},
        {"qt_reader_scaled_size", qtScaledRead},
    };
    const char* formats[] = {"jpeg_24mp", "progressive_jpeg_24mp", "png_4000x3000",
                             "jpeg_24mp_mpf_preview", "jpeg_24mp_exif_160x120"};
    for (int index = 0; index < 5; ++index) {
        const std::string format = formats[index];
        for (const auto& c : cases) {
            benchmark::RegisterBenchmark((format + "/" + c.name).c_str(), c.run)
                ->Arg(index)
                ->Unit(benchmark::kMillisecond)
                ->MinTime(1.0);
        }
        if (index == 0) {
            for (const auto& c : {Case{"libjpeg_eighth_default", libjpegEighthDefault},
                                  Case{"libjpeg_eighth_cheap_settings", libjpegEighthCheap},
                                  Case{"core_cache_hit", coreCacheHit}}) {
                benchmark::RegisterBenchmark((format + "/" + c.name).c_str(), c.run)
                    ->Arg(index)
                    ->Unit(benchmark::kMillisecond)
                    ->MinTime(1.0);
            }
        }
        if (index != 2) {
            benchmark::RegisterBenchmark((format + "/libjpeg_coefficients_only").c_str(),
                                         libjpegCoefficientsOnly)
                ->Arg(index)
                ->Unit(benchmark::kMillisecond)
                ->MinTime(1.0);
        }
    }
}

// The usual console table, then every case's time as a ratio of the baseline
// "qt_full_then_scaled" of its format.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (!run.error_occurred) {
                const std::string name = run.run_name.function_name; // "format/case"
                order_.push_back(name);
                times_[name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nSpeed-up against its format's qt_full_then_scaled (CPU time; wall time):\n");
        for (const std::string& name : order_) {
            const std::string format = name.substr(0, name.find('/'));
            const auto base = times_.find(format + "/qt_full_then_scaled");
            const Times& t = times_[name];
            if (base != times_.end() && t.real > 0 && t.cpu > 0) {
                std::printf("  %-48s %6.1fx  %6.1fx\n", name.c_str(), base->second.cpu / t.cpu,
                            base->second.real / t.real);
            }
        }
    }

private:
    struct Times {
        double real = 0;
        double cpu = 0;
    };
    std::vector<std::string> order_;
    std::map<std::string, Times> times_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    files(); // made once, before any timing
    registerAll();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::filesystem::remove_all(std::filesystem::path(files().jpeg).parent_path());
    return 0;
}
