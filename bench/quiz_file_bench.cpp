// Opening a quiz: the quiz reader's walk against the parse it runs on (the baseline),
// over a full quiz of 200 questions written by the quiz file writer.
//
// Large quizzes (Big/...): a quiz file of about 50 MB (200 questions with long
// texts, accented letters and markup characters), written to a temporary folder:
// - Big/Check, what `vireta-export --check` does in this process, against
//   Big/ParseOnly, the bare parse of the same file;
// - Big/ResaveCli, the program `vireta-export -f xml` re-saving it, against
//   Big/Cp, the program `cp` copying it, each with the counter "child_ms", the
//   program's CPU time (user and system) per run;
// - the counter "peak/size" of Big/Check and Big/Resave (the same re-save in this
//   process): the largest number of heap bytes held at once, divided by the file
//   size; and "rss/size" of the programs: their largest resident memory (the
//   program itself included) over the file size.
// - Big/Check and Big/ResaveCli also against Big/ParseOnly: what the open and the
//   re-save add to the parse they cannot do without.
// The ratios to the baselines are printed after the table.
#include "formats/quiz_file.h"
#include "model/question_editor.h"
#include "save/save_step.h"
#include "xml/xml_parser.h"

#include "ratio_report.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

// ---------------------------------------------------------------------------
// Counting every heap byte held, for the peak of one open or re-save.

namespace {

std::size_t gCurrent = 0;
std::size_t gPeak = 0;
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* countedMalloc(std::size_t size) {
    auto* p = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!p)
        return nullptr;
    std::memcpy(p, &size, sizeof size);
    gCurrent += size;
    gPeak = std::max(gPeak, gCurrent);
    return p + kHeader;
}

void countedFree(void* ptr) {
    if (!ptr)
        return;
    auto* p = static_cast<unsigned char*>(ptr) - kHeader;
    std::size_t size;
    std::memcpy(&size, p, sizeof size);
    gCurrent -= size;
    std::free(p);
}

} // namespace

void* operator new(std::size_t size) {
    if (void* p = countedMalloc(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { countedFree(p); }
void operator delete[](void* p) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { countedFree(p); }

namespace {

std::string fullQuizFile() {
    vireta::GeneralData g;
    g.title = "Os ríos de Galicia & outros";
    g.intro = "Primeira liña\r\nSegunda liña <con marcas>";
    g.introSound = "/sons/intro.mp3";
    g.endWell = "Moi ben";
    g.endWellSound = "/sons/ben.wav";
    vireta::QuestionTable t;
    for (int k = 1; k <= vireta::kQuestionCapacity; ++k) {
        vireta::Question& q = t.record(k);
        q[vireta::FieldSlot::enunciado] = "Pregunta número " + std::to_string(k) + ": cal é?";
        for (int a = 1; a <= 4; ++a)
            q[vireta::answerSlot(a)] = "Resposta " + std::to_string(a) + " á pregunta";
        q[vireta::FieldSlot::imaxe] = "/imaxes/foto" + std::to_string(k) + ".jpg";
        q[vireta::FieldSlot::son] = "/sons/son" + std::to_string(k) + ".mp3";
        q[vireta::FieldSlot::ben] = "Certo!";
        q[vireta::FieldSlot::sonben] = "/sons/ben.wav";
        q[vireta::FieldSlot::mal] = "Non é así";
        q[vireta::FieldSlot::enlace] = "http://example.org/?p=" + std::to_string(k) + "&q=1";
    }
    vireta::OutputBuffer out;
    vireta::writeQuizFile(g, t, vireta::kQuestionCapacity, out);
    return out.text();
}

void BM_ParseOnly(benchmark::State& state) {
    const std::string file = fullQuizFile();
    vireta::TXMLDoc doc;
    for (auto _ : state) {
        doc.loadFromBytes(file);
        benchmark::DoNotOptimize(doc.root());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}

void BM_ParseAndReadQuiz(benchmark::State& state) {
    const std::string file = fullQuizFile();
    vireta::TXMLDoc doc;
    for (auto _ : state) {
        doc.loadFromBytes(file);
        vireta::OpenedQuiz q = vireta::readQuiz(doc, "/aulas/", "/aulas/quiz.xml");
        benchmark::DoNotOptimize(q.questions.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}

void BM_WriteQuizFile(benchmark::State& state) {
    const std::string file = fullQuizFile();
    vireta::TXMLDoc doc;
    doc.loadFromBytes(file);
    const vireta::OpenedQuiz q = vireta::readQuiz(doc, "/aulas/", "/aulas/quiz.xml");
    vireta::QuestionTable t;
    for (int k = 1; k <= q.count(); ++k)
        t.record(k) = q.questions[static_cast<std::size_t>(k - 1)];
    for (auto _ : state) {
        vireta::OutputBuffer out;
        vireta::writeQuizFile(q.general, t, q.count(), out);
        benchmark::DoNotOptimize(out.text().data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}

// ---------------------------------------------------------------------------
// The large quiz

// A paragraph of about `bytes` bytes of Galician text with a few markup characters.
std::string longText(std::size_t bytes, unsigned seed) {
    static const char* const words[] = {"río",   "montaña", "&",        "Galicia", "<b>",    "século",
                                        "xeografía", "número", "canción", "\"ola\"", "mar", "ponte",
                                        "Santiago", "cal",   "é",        "máis",    "a",      "o"};
    std::string s;
    s.reserve(bytes + 16);
    while (s.size() < bytes) {
        seed = seed * 1103515245u + 12345u;
        s += words[(seed >> 8) % (sizeof words / sizeof *words)];
        s += ' ';
    }
    return s;
}

class BigQuiz {
public:
    BigQuiz() {
        char pattern[] = "/tmp/vireta-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made)
            std::abort();
        folder_ = made;
        vireta::GeneralData g;
        g.title = "Un cuestionario grande";
        g.intro = longText(20000, 1);
        vireta::QuestionTable t;
        // Eight texts of each question share 50 MB.
        const std::size_t perText = 50u * 1024 * 1024 / (vireta::kQuestionCapacity * 8);
        for (int k = 1; k <= vireta::kQuestionCapacity; ++k) {
            vireta::Question& q = t.record(k);
            const unsigned seed = static_cast<unsigned>(k) * 8;
            q[vireta::FieldSlot::enunciado] = longText(perText, seed);
            for (int a = 1; a <= 4; ++a)
                q[vireta::answerSlot(a)] = longText(perText, seed + static_cast<unsigned>(a));
            q[vireta::FieldSlot::ben] = longText(perText, seed + 5);
            q[vireta::FieldSlot::mal] = longText(perText, seed + 6);
            q[vireta::FieldSlot::enlace] = longText(perText, seed + 7);
            q[vireta::FieldSlot::imaxe] = "/imaxes/foto" + std::to_string(k) + ".jpg";
        }
        vireta::OutputBuffer out;
        vireta::writeQuizFile(g, t, vireta::kQuestionCapacity, out);
        size_ = out.text().size();
        std::ofstream(path(), std::ios::binary) << out.text();
    }
    ~BigQuiz() {
        std::remove(path().c_str());
        std::remove(copyPath().c_str());
        std::remove(resavedPath().c_str());
        rmdir(folder_.c_str());
    }
    std::string path() const { return folder_ + "/grande.xml"; }
    std::string copyPath() const { return folder_ + "/copia.xml"; }
    std::string resavedPath() const { return folder_ + "/gardado.xml"; }
    std::size_t size() const { return size_; }

private:
    std::string folder_;
    std::size_t size_ = 0;
};

const BigQuiz& bigQuiz() {
    static const BigQuiz q;
    return q;
}

void BM_BigParseOnly(benchmark::State& state) {
    const BigQuiz& big = bigQuiz();
    for (auto _ : state) {
        vireta::TXMLDoc doc;
        doc.loadFromFile(big.path());
        benchmark::DoNotOptimize(doc.root());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * big.size()));
}

// The largest heap held at once while `work` runs, over the file size.
template <typename Work>
double peakOverSize(Work work) {
    const std::size_t before = gCurrent;
    gPeak = gCurrent;
    work();
    return static_cast<double>(gPeak - before) / static_cast<double>(bigQuiz().size());
}

bool check(const std::string& path) {
    vireta::OpenedQuiz q = vireta::openQuizFile(path);
    return q.count() == vireta::kQuestionCapacity;
}

void BM_BigCheck(benchmark::State& state) {
    const BigQuiz& big = bigQuiz();
    for (auto _ : state) {
        if (!check(big.path()))
            state.SkipWithError("the quiz did not open whole");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * big.size()));
    state.counters["peak/size"] = peakOverSize([&] { check(big.path()); });
}

// What `vireta-export -f xml` does.
void resave(const std::string& from, const std::string& to) {
    vireta::OpenedQuiz opened = vireta::openQuizFile(from);
    vireta::QuizModel model;
    vireta::GeneralData general;
    vireta::applyOpenedQuiz(std::move(opened), model, general);
    vireta::SaveMedia media;
    media.copyFiles = false;
    media.pack = false;
    media.format = vireta::Format::Xml;
    media.general = &general;
    const vireta::ExportSettings settings;
    media.settings = &settings;
    media.model = &model;
    vireta::SaveStep step;
    step.save(to, vireta::quizFileRequest(),
              [&](vireta::OutputBuffer& out) { vireta::writeQuizFile(general, model.questions, model.count, out); },
              media);
}

void BM_BigResave(benchmark::State& state) {
    const BigQuiz& big = bigQuiz();
    for (auto _ : state)
        resave(big.path(), big.resavedPath());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * big.size()));
    state.counters["peak/size"] = peakOverSize([&] { resave(big.path(), big.resavedPath()); });
}

struct ProgramRun {
    bool ok = false; // ended with status 0
    double cpuSeconds = 0;
    double peakBytes = 0; // the largest resident memory of the program
};

// Runs a program to its end. Its peak memory is read through GNU time when that is
// installed: a program started straight from this process would count this
// process's memory as its own (the peak survives the exec).
ProgramRun runProgram(std::vector<std::string> args) {
    char peakFile[] = "/tmp/vireta-bench-peak-XXXXXX";
    const int peakFd = mkstemp(peakFile);
    const bool timed = peakFd >= 0 && access("/usr/bin/time", X_OK) == 0;
    if (peakFd >= 0)
        close(peakFd);
    if (timed)
        args.insert(args.begin(), {"/usr/bin/time", "-f", "%M", "-o", peakFile});
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    ProgramRun result;
    // What the program prints (the question count of --check) is not wanted here.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    struct rusage usage {};
    const bool ended = spawned == 0 && wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) &&
                       WEXITSTATUS(status) == 0;
    if (ended) {
        auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
        result.ok = true;
        result.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
        if (timed) {
            long kilobytes = 0;
            if (std::FILE* f = std::fopen(peakFile, "r")) {
                if (std::fscanf(f, "%ld", &kilobytes) == 1)
                    result.peakBytes = static_cast<double>(kilobytes) * 1024.0;
                std::fclose(f);
            }
        }
    }
    if (peakFd >= 0)
        std::remove(peakFile);
    return result;
}

void runTimes(benchmark::State& state, const std::vector<std::string>& args) {
    const BigQuiz& big = bigQuiz();
    double cpu = 0;
    double peak = 0;
    for (auto _ : state) {
        const ProgramRun run = runProgram(args);
        if (!run.ok) {
            state.SkipWithError("the program failed");
            break;
        }
        cpu += run.cpuSeconds;
        peak = std::max(peak, run.peakBytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * big.size()));
    state.counters["child_ms"] = benchmark::Counter(cpu * 1000.0, benchmark::Counter::kAvgIterations);
    if (peak > 0)
        state.counters["rss/size"] = peak / static_cast<double>(big.size());
}

void BM_BigCp(benchmark::State& state) {
    runTimes(state, {"cp", bigQuiz().path(), bigQuiz().copyPath()});
}

void BM_BigResaveCli(benchmark::State& state) {
    runTimes(state, {VIRETA_EXPORT_PROGRAM, "-f", "xml", "-o", bigQuiz().resavedPath(), bigQuiz().path()});
}

void BM_BigCheckCli(benchmark::State& state) {
    runTimes(state, {VIRETA_EXPORT_PROGRAM, "--check", bigQuiz().path()});
}

BENCHMARK(BM_ParseOnly);
BENCHMARK(BM_ParseAndReadQuiz);
BENCHMARK(BM_WriteQuizFile);
BENCHMARK(BM_BigParseOnly)->Name("Big/ParseOnly")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BigCheck)->Name("Big/Check")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BigResave)->Name("Big/Resave")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BigCp)->Name("Big/Cp")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BigResaveCli)->Name("Big/ResaveCli")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BigCheckCli)->Name("Big/CheckCli")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // The heap is kept as it grows (never trimmed, large blocks at a fixed size
    // mapped on their own), so that the in-process figures do not depend on what an
    // earlier benchmark left behind: they are a warm run, and the programs' figures
    // (*Cli, Cp) a cold one.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    return vireta::bench::runWithRatios(argc, argv,
                                        {{"BM_ParseAndReadQuiz", "BM_ParseOnly"},
                                         {"Big/Check", "Big/ParseOnly"},
                                         {"Big/Resave", "Big/Cp"},
                                         {"Big/ResaveCli", "Big/Cp"},
                                         {"Big/Resave", "Big/ParseOnly"},
                                         {"Big/CheckCli", "Big/Cp"}});
}
