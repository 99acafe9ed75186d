// Packing about 200 MB of media with TTarWriter, against GNU tar packing the
// same files in the same run. Reports wall and CPU time per archive for each and
// their ratios (ours / GNU tar; below 1 is better). Each benchmark packs once
// untimed first; the ratios compare the medians of the timed runs, which holds
// up better than the mean on a shared machine.
//
// The media are generated in a scratch folder under $TMPDIR (or /tmp), on the
// same file system the archives are written to.
#include "io/pending_file.h"
#include "save/tar_writer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Media {
    fs::path dir;
    std::vector<std::string> names;
    std::int64_t bytes = 0;
};

// 10 videos of 10 MB, 30 sounds of 3 MB, 100 pictures of 100 kB: 200 MB.
Media& media() {
    static Media m = [] {
        Media m;
        std::string pattern = (fs::temp_directory_path() / "vireta-tar-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        m.dir = pattern;
        fs::create_directories(m.dir / "media");
        const struct {
            int count;
            std::size_t size;
            const char* stem;
        } kinds[] = {{10, 10'000'000, "video"}, {30, 3'000'000, "son"}, {100, 100'000, "imaxe"}};
        std::uint32_t x = 12345;
        for (const auto& k : kinds) {
            for (int i = 0; i < k.count; ++i) {
                std::string data(k.size, '\0');
                for (auto& c : data) {
                    x ^= x << 13;
                    x ^= x >> 17;
                    x ^= x << 5;
                    c = static_cast<char>(x);
                }
                const std::string name = std::string(k.stem) + std::to_string(i) + ".bin";
                std::ofstream(m.dir / "media" / name, std::ios::binary).write(data.data(), data.size());
                m.names.push_back(name);
                m.bytes += static_cast<std::int64_t>(k.size);
            }
        }
        return m;
    }();
    return m;
}

double seconds(const struct timeval& t) { return t.tv_sec + t.tv_usec / 1e6; }

double cpuSeconds(int who) {
    struct rusage ru {};
    ::getrusage(who, &ru);
    return seconds(ru.ru_utime) + seconds(ru.ru_stime);
}

struct Samples {
    std::vector<double> wall, cpu;
};
Samples ours, gnu;

double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

template <typename Pack>
void timePacking(benchmark::State& state, Samples& samples, int rusageWho, Pack pack) {
    const Media& m = media();
    const std::string out = (m.dir / "out.tar").string();
    pack(m, out); // warm-up
    double cpuTotal = 0;
    for (auto _ : state) {
        fs::remove(out);
        ::sync(); // start each run without the previous archive still being written back
        const double cpu0 = cpuSeconds(rusageWho);
        const auto t0 = std::chrono::steady_clock::now();
        pack(m, out);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double cpu = cpuSeconds(rusageWho) - cpu0;
        state.SetIterationTime(wall);
        samples.wall.push_back(wall);
        samples.cpu.push_back(cpu);
        cpuTotal += cpu;
        if (std::getenv("TAR_BENCH_VERBOSE"))
            std::fprintf(stderr, "%s wall %.1f cpu %.1f\n", rusageWho == RUSAGE_SELF ? "ours" : "gnu", wall * 1e3, cpu * 1e3);
    }
    state.counters["cpu_ms"] = cpuTotal * 1000 / static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * m.bytes);
    fs::remove(out);
}

void BM_TTarWriter(benchmark::State& state) {
    timePacking(state, ours, RUSAGE_SELF, [](const Media& m, const std::string& out) {
        vireta::PendingFile file(out);
        vireta::TTarWriter tar(file, out);
        for (const auto& name : m.names)
            tar.AppendFile((m.dir / "media" / name).string(), name);
        tar.Finish();
        file.commit();
    });
}

void BM_GnuTar(benchmark::State& state) {
    timePacking(state, gnu, RUSAGE_CHILDREN, [](const Media& m, const std::string& out) {
        std::vector<std::string> args = {"tar", "-cf", out, "-C", (m.dir / "media").string()};
        args.insert(args.end(), m.names.begin(), m.names.end());
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        int status = 0;
        if (::posix_spawnp(&pid, "tar", nullptr, nullptr, argv.data(), environ) != 0 ||
            ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "GNU tar failed\n");
            std::abort();
        }
    });
}

} // namespace

BENCHMARK(BM_TTarWriter)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_GnuTar)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_TTarWriter)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_GnuTar)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    media();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double w = median(ours.wall), gw = median(gnu.wall);
    const double c = median(ours.cpu), gc = median(gnu.cpu);
    std::printf("\nPacking %.0f MB in %zu files, median of %zu runs each (ours / GNU tar):\n",
                media().bytes / 1e6, media().names.size(), ours.wall.size());
    std::printf("  wall time  %7.1f ms / %7.1f ms = %.2f\n", w * 1e3, gw * 1e3, w / gw);
    std::printf("  CPU time   %7.1f ms / %7.1f ms = %.2f\n", c * 1e3, gc * 1e3, c / gc);
    std::error_code ec;
    fs::remove_all(media().dir, ec);
    return 0;
}
