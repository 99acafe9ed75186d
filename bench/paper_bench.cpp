// The paper test of a full quiz: 200 questions, each with its own 800x600 JPEG
// photo, one version and its key, written as PDF bytes. Baselines of the same run:
// the same test without pictures, and the quiz file of the same quiz. The figures
// printed at the end are each case's time as a ratio of the test without pictures.
#include "formats/quiz_file.h"
#include "media/image_writer.h"
#include "paper_pdf.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

struct Quiz {
    vireta::GeneralData general;
    vireta::QuestionTable withPictures;
    vireta::QuestionTable withoutPictures;
    std::filesystem::path folder;
};

const Quiz& quiz() {
    static const Quiz q = [] {
        Quiz z;
        z.folder = std::filesystem::temp_directory_path() / "vireta-paper-bench";
        std::filesystem::create_directories(z.folder);
        z.general.title = "Xeografía de Galicia: 200 preguntas";
        z.general.subtitle = "Proba de avaliación";
        for (int k = 1; k <= vireta::kQuestionCapacity; ++k) {
            vireta::Question& q = z.withPictures.record(k);
            q[vireta::FieldSlot::enunciado] =
                "Pregunta número " + std::to_string(k) + ": cal destas respostas é a correcta?";
            for (int a = 1; a <= 4; ++a)
                q[vireta::answerSlot(a)] = "Resposta " + std::to_string(a) + " á pregunta " +
                                           std::to_string(k);
            z.withoutPictures.record(k) = q;
            const std::string photo = (z.folder / ("foto" + std::to_string(k) + ".jpg")).string();
            if (!std::filesystem::exists(photo)) {
                vireta::testing::writeJpeg(photo, 800, 600, [k](int x, int y) {
                    return vireta::testing::Rgba{static_cast<std::uint8_t>(x + k),
                                                 static_cast<std::uint8_t>(y * 2),
                                                 static_cast<std::uint8_t>((x ^ y) + k), 255};
                });
            }
            q[vireta::FieldSlot::imaxe] = photo;
        }
        return z;
    }();
    return q;
}

void paperTest(benchmark::State& state, const vireta::QuestionTable& questions) {
    const Quiz& z = quiz();
    vireta::ExportSettings settings;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        auto g = vireta::ShuffleGenerator::withFixedSeed(1);
        const vireta::PaperDocument doc = vireta::makePaperDocument(
            z.general, questions, vireta::kQuestionCapacity, settings, g);
        const vireta::PaperFiles files = vireta::paperTestFiles(doc, settings.paper);
        bytes += static_cast<std::int64_t>(files.test.size());
        if (!files.unreadPictures.empty())
            state.SkipWithError("a picture was not read");
        benchmark::DoNotOptimize(files.test.data());
    }
    state.SetBytesProcessed(bytes);
}

void BM_QuizFile(benchmark::State& state) {
    for (auto _ : state) {
        vireta::OutputBuffer out;
        vireta::writeQuizFile(quiz().general, quiz().withPictures, vireta::kQuestionCapacity, out);
        benchmark::DoNotOptimize(out.text().data());
    }
}

void BM_PaperTestWithoutPictures(benchmark::State& state) {
    paperTest(state, quiz().withoutPictures);
}

void BM_PaperTestWithPictures(benchmark::State& state) {
    paperTest(state, quiz().withPictures);
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (!run.error_occurred) {
                const std::string name = run.run_name.function_name;
                order_.push_back(name);
                times_[name] = {run.GetAdjustedCPUTime(), run.GetAdjustedRealTime()};
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto base = times_.find("BM_PaperTestWithoutPictures");
        if (base == times_.end())
            return;
        std::printf("\nTime as a ratio of BM_PaperTestWithoutPictures (CPU time; wall time):\n");
        for (const std::string& name : order_)
            std::printf("  %-32s %8.2f %8.2f\n", name.c_str(), times_[name].cpu / base->second.cpu,
                        times_[name].real / base->second.real);
    }

private:
    std::vector<std::string> order_;
    struct Times {
        double cpu = 0;
        double real = 0;
    };
    std::map<std::string, Times> times_;
};

} // namespace

BENCHMARK(BM_QuizFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaperTestWithoutPictures)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PaperTestWithPictures)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    quiz(); // the photos are written once, before any timing
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::filesystem::remove_all(quiz().folder);
    return 0;
}
