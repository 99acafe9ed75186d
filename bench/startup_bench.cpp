// The editor window's start-up: from constructing TForm1 to its first completed paint,
// against a bare Qt window holding as many plain widgets (line edits, tool buttons and
// labels) as the editor window has, measured in the same run under the offscreen
// platform.
//
// Two figures:
// - warm: both windows built and painted again and again in this process (Google
//   Benchmark), so what is cached process-wide (fonts, style, icons' files) is paid
//   once;
// - cold (--cold N): N fresh processes of this program for each window, alternating,
//   each timing its one window only, as a teacher's start of the program does.
//
// And opening a quiz (`vireta FILE`): from LoadItem on a shown window to the next
// completed paint (the general page), for a quiz whose first question has a 24 MP
// camera JPEG against the same quiz without it (open_first_paint_photo against
// open_first_paint_no_photo); open_until_preview_shown_photo runs on until the
// photo's preview is in its box.
#include "actions/file_actions.h"
#include "dialogs.h"
#include "fake_dialogs.h"
#include "formats/quiz_file.h"
#include "media/image_writer.h"
#include "preguntas.h"
#include "preview_box.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>

#include <fstream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

namespace {

// Start-up asks nothing; every dialog would answer "no".
// The window's dialogs answered without a display: every question is declined. The
// tests' scripted dialogs follow the interface as it grows.
class SilentDialogs : public vireta::FakeDialogs {
public:
    SilentDialogs() { confirmAnswer = false; }
};

// Flags the first paint event of a window; the paint is complete once the event loop
// returns from the pass that delivered it (children are painted in the same pass).
class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

void showAndWaitForPaint(QWidget* window) {
    PaintWatch watch;
    window->installEventFilter(&watch);
    window->show();
    while (!watch.painted) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    window->removeEventFilter(&watch);
}

int widgetCount(QWidget* window) {
    return static_cast<int>(window->findChildren<QWidget*>().size());
}

int editorWidgetCount() {
    static const int count = [] {
        SilentDialogs dialogs;
        vireta::TForm1 form(dialogs);
        return widgetCount(&form);
    }();
    return count;
}

// The baseline: a top-level widget of the editor's size with `count` plain children in
// rows, every third a line edit, a tool button with text, a label.
std::unique_ptr<QWidget> makeBareWindow(int count) {
    auto window = std::make_unique<QWidget>();
    window->resize(vireta::TForm1::kDesignWidth - 16, vireta::TForm1::kDesignHeight - 39);
    const int columns = 8;
    for (int i = 0; i < count; ++i) {
        QWidget* w = nullptr;
        switch (i % 3) {
        case 0:
            w = new QLineEdit(QStringLiteral("Texto %1").arg(i), window.get());
            break;
        case 1: {
            auto* b = new QToolButton(window.get());
            b->setText(QStringLiteral("Botón %1").arg(i));
            w = b;
            break;
        }
        default:
            w = new QLabel(QStringLiteral("Etiqueta %1").arg(i), window.get());
            break;
        }
        w->setGeometry((i % columns) * 85, (i / columns) * 26, 80, 24);
    }
    return window;
}

std::unique_ptr<QWidget> makeEditor(SilentDialogs& dialogs) {
    return std::make_unique<vireta::TForm1>(dialogs);
}

void editorFirstPaint(benchmark::State& state) {
    SilentDialogs dialogs;
    for (auto _ : state) {
        auto window = makeEditor(dialogs);
        showAndWaitForPaint(window.get());
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["widgets"] = editorWidgetCount();
}

void editorConstructionOnly(benchmark::State& state) {
    SilentDialogs dialogs;
    for (auto _ : state) {
        auto window = makeEditor(dialogs);
        benchmark::DoNotOptimize(window.get());
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void bareFirstPaint(benchmark::State& state) {
    const int count = editorWidgetCount();
    for (auto _ : state) {
        auto window = makeBareWindow(count);
        showAndWaitForPaint(window.get());
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["widgets"] = count;
}

// What one icon per button costs: 16 small buttons alternating two SVG icons, each
// with its own QIcon made from the file (as the window makes them) or sharing one
// QIcon per picture, from construction to first paint.
void iconButtons(benchmark::State& state, bool shared) {
    editorWidgetCount(); // the window's resources are registered by then
    const QString files[2] = {QStringLiteral(":/icons/open-file.svg"),
                              QStringLiteral(":/icons/play.svg")};
    for (auto _ : state) {
        auto window = std::make_unique<QWidget>();
        window->resize(400, 100);
        const QIcon sharedIcons[2] = {QIcon(files[0]), QIcon(files[1])};
        for (int i = 0; i < 16; ++i) {
            auto* b = new QToolButton(window.get());
            b->setIcon(shared ? sharedIcons[i % 2] : QIcon(files[i % 2]));
            b->setIconSize(QSize(18, 18));
            b->setAutoRaise(true);
            b->setGeometry((i % 8) * 30, (i / 8) * 30, 26, 26);
        }
        showAndWaitForPaint(window.get());
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
void iconPerButton(benchmark::State& state) { iconButtons(state, false); }
void iconShared(benchmark::State& state) { iconButtons(state, true); }

// The three pictures the window renders from SVG while it is built (the about page's
// logo, the video placeholder and the invalid-image cross), whether shown or not.
void stockPictures(benchmark::State& state) {
    editorWidgetCount();
    for (auto _ : state) {
        QPixmap logo = QIcon(QStringLiteral(":/icons/vireta.svg")).pixmap(96, 96);
        QPixmap video = QIcon(QStringLiteral(":/icons/video.svg")).pixmap(128, 128);
        QPixmap invalid = QIcon(QStringLiteral(":/icons/invalid.svg")).pixmap(64, 64);
        benchmark::DoNotOptimize(logo.cacheKey() + video.cacheKey() + invalid.cacheKey());
    }
}

// ---------------------------------------------------------------- opening a quiz

// A folder with a 24 MP JPEG and two quizzes of ten questions, the first question
// of one showing the photo.
class OpenFixture {
public:
    OpenFixture() {
        const std::string folder = dir_.path().toStdString() + "/";
        vireta::testing::writeJpeg(
            folder + "foto.jpg", 6000, 4000,
            [](int x, int y) {
                return vireta::testing::Rgba{static_cast<std::uint8_t>(x * 7 + y),
                                             static_cast<std::uint8_t>(y * 3 ^ x),
                                             static_cast<std::uint8_t>((x + y) / 40), 255};
            },
            vireta::testing::JpegKind::Rgb, 90);
        write(folder + "con_foto.xml", folder + "foto.jpg");
        write(folder + "sen_foto.xml", "");
        withPhoto = QString::fromStdString(folder + "con_foto.xml");
        withoutPhoto = QString::fromStdString(folder + "sen_foto.xml");
    }
    QString withPhoto;
    QString withoutPhoto;

private:
    static void write(const std::string& path, const std::string& picture) {
        vireta::GeneralData g;
        g.title = "Xeografía";
        vireta::QuestionTable t;
        for (int k = 1; k <= 10; ++k) {
            vireta::Question& q = t.record(k);
            q[vireta::FieldSlot::enunciado] = "Pregunta " + std::to_string(k);
            q[vireta::answerSlot(1)] = "Si";
            q[vireta::answerSlot(2)] = "Non";
        }
        t.record(1)[vireta::FieldSlot::imaxe] = picture;
        vireta::OutputBuffer out;
        vireta::writeQuizFile(g, t, 10, out);
        std::ofstream(path, std::ios::binary) << out.text();
    }
    QTemporaryDir dir_;
};

const OpenFixture& openFixture() {
    static const OpenFixture f;
    return f;
}

void waitForPaint(QWidget* window) {
    PaintWatch watch;
    window->installEventFilter(&watch);
    while (!watch.painted) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    window->removeEventFilter(&watch);
}

void openFirstPaint(benchmark::State& state, bool photo, bool untilPreview) {
    const QString file = photo ? openFixture().withPhoto : openFixture().withoutPhoto;
    SilentDialogs dialogs;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<vireta::TForm1>(dialogs);
        showAndWaitForPaint(window.get());
        state.ResumeTiming();
        window->fileActions().LoadItem(file);
        waitForPaint(window.get());
        if (untilPreview) {
            while (window->findChild<vireta::PreviewBox*>(QStringLiteral("imaxe"))->state() !=
                   vireta::PreviewBox::State::Picture) {
                QCoreApplication::processEvents(QEventLoop::AllEvents);
            }
        }
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
void openPhoto(benchmark::State& state) { openFirstPaint(state, true, false); }
void openNoPhoto(benchmark::State& state) { openFirstPaint(state, false, false); }
void openUntilPreview(benchmark::State& state) { openFirstPaint(state, true, true); }

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // With repetitions the medians count, otherwise the single runs.
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            const std::string& name = run.run_name.function_name;
            const bool median =
                run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) {
                continue;
            }
            if (!median && medians_.count(name) != 0) {
                continue;
            }
            if (median) {
                medians_.insert(name);
            }
            times_[name] = {run.GetAdjustedCPUTime(), run.GetAdjustedRealTime()};
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto base = times_.find("bare_window_first_paint");
        if (base != times_.end() && base->second.first > 0 && base->second.second > 0) {
            std::printf("\nWarm, against bare_window_first_paint (%d widgets each), "
                        "CPU time; wall time:\n",
                        editorWidgetCount());
            for (const auto& [name, t] : times_) {
                std::printf("  %-36s %6.2fx %6.2fx\n", name.c_str(), t.first / base->second.first,
                            t.second / base->second.second);
            }
        }
        const auto noPhoto = times_.find("open_first_paint_no_photo");
        if (noPhoto != times_.end() && noPhoto->second.second > 0) {
            std::printf("\nOpening a quiz, against open_first_paint_no_photo, wall time:\n");
            for (const char* name : {"open_first_paint_photo", "open_until_preview_shown_photo"}) {
                const auto t = times_.find(name);
                if (t != times_.end())
                    std::printf("  %-36s %6.2fx\n", name, t->second.second / noPhoto->second.second);
            }
        }
    }

private:
    std::map<std::string, std::pair<double, double>> times_; // CPU, wall
    std::set<std::string> medians_;
};

// --once editor, --once bare N: this process times its one window (the bare one
// with N widgets) and prints milliseconds.
int runOnce(const char* which, int count) {
    SilentDialogs dialogs;
    if (std::strcmp(which, "bare") != 0) {
        count = 0;
    }
    QElapsedTimer timer;
    timer.start();
    auto window = count > 0 ? makeBareWindow(count) : makeEditor(dialogs);
    showAndWaitForPaint(window.get());
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    std::printf("%.3f\n", ms);
    return 0;
}

double runChild(const std::string& self, const char* which) {
    const std::string command =
        "'" + self + "' --once " + which + " " + std::to_string(editorWidgetCount());
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    double ms = -1;
    if (std::fscanf(pipe, "%lf", &ms) != 1) {
        ms = -1;
    }
    ::pclose(pipe);
    return ms;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int runCold(const std::string& self, int rounds) {
    std::vector<double> editor;
    std::vector<double> bare;
    for (int i = 0; i < rounds; ++i) {
        bare.push_back(runChild(self, "bare"));
        editor.push_back(runChild(self, "editor"));
    }
    if (std::count(editor.begin(), editor.end(), -1.0) + std::count(bare.begin(), bare.end(), -1.0) >
        0) {
        std::fprintf(stderr, "a child process failed\n");
        return 1;
    }
    const double e = median(editor);
    const double b = median(bare);
    std::printf("Cold start, median of %d fresh processes each (%d widgets each):\n", rounds,
                editorWidgetCount());
    std::printf("  bare window first paint   %8.1f ms\n", b);
    std::printf("  editor first paint        %8.1f ms   %.2fx the bare window\n", e, e / b);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--once") == 0) {
            return runOnce(argv[i + 1], i + 2 < argc ? std::atoi(argv[i + 2]) : 0);
        }
        if (std::strcmp(argv[i], "--cold") == 0) {
            return runCold(argv[0], std::max(1, std::atoi(argv[i + 1])));
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("editor_first_paint", editorFirstPaint)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(2.0);
    benchmark::RegisterBenchmark("editor_construction_only", editorConstructionOnly)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(2.0);
    benchmark::RegisterBenchmark("bare_window_first_paint", bareFirstPaint)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(2.0);
    benchmark::RegisterBenchmark("icons_16_buttons_own_qicon", iconPerButton)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
    benchmark::RegisterBenchmark("icons_16_buttons_shared_qicon", iconShared)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
    benchmark::RegisterBenchmark("stock_pictures_rendered", stockPictures)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
    // A fixed count: closing a window waits, untimed, for its background decode.
    benchmark::RegisterBenchmark("open_first_paint_no_photo", openNoPhoto)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(40);
    benchmark::RegisterBenchmark("open_first_paint_photo", openPhoto)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(40);
    benchmark::RegisterBenchmark("open_until_preview_shown_photo", openUntilPreview)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(40);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
