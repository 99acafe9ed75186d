// Parsing speed and memory of the XML reader against expat and pugixml, on a
// generated 200-question quiz file and on a generated file of about 50 MB in the
// same format; and on the shapes that stress one part of a reader: one element with
// very many attributes (against expat, whose duplicate check is a hash table too),
// deep nesting and text dense with references (against pugixml). The ratios to the
// baselines are printed after the table.
//
// Speed: bytes per second of each benchmark; compare TXMLDoc with the others of the
// same file. Memory: the counter "peak/size" is the largest number of heap bytes
// held at once during one parse (the input excluded), divided by the file size.
//
// Freed memory stays in the process (malloc's trimming is turned off, and blocks up
// to 32 MB come from the heap): otherwise whichever parser runs first pays for the
// kernel clearing fresh pages on every parse, and the one after finds them kept,
// which compares the allocator's state rather than the parsers.
//
// TXMLDoc builds the complete tree (loadFromBytes, which copies the input); pugixml
// builds its tree from a copy of the input (load_buffer); expat builds nothing and
// reports elements and character data to handlers that count them.
//
// Opening quiz files (Open/...): a quiz as large as a teacher's gets (200 questions,
// about 1 MB of Galician text with accents and references) and the file of about
// 50 MB, both written to a temporary folder and read from there as the editor opens
// a quiz: TXMLDoc::loadFromFile with the texts replaced in place, against expat
// reading the same file into memory and parsing it; openQuizFile (what
// `vireta-export --check` does) against that bare load; and the load of the large
// file against the load of the realistic one, per byte, which stays near 1 while
// the reader is linear.

#include "formats/quiz_file.h"
#include "xml/xml_parser.h"

#include "ratio_report.h"

#include <benchmark/benchmark.h>
#include <expat.h>
#include <malloc.h>
#include <pugixml.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---------------------------------------------------------------------------
// Counting every heap byte: operator new here, and expat and pugixml through
// their memory hooks.

std::size_t gCurrent = 0;
std::size_t gPeak = 0;

constexpr std::size_t kHeader = alignof(std::max_align_t);

// Out of line: inlined into a container's code, the step back to the header reads
// to the compiler as an access before the block, and malloc's block as one of new.
[[gnu::noinline]] void* countedMalloc(std::size_t size)
{
    auto* p = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!p)
        return nullptr;
    std::memcpy(p, &size, sizeof size);
    gCurrent += size;
    if (gCurrent > gPeak)
        gPeak = gCurrent;
    return p + kHeader;
}

[[gnu::noinline]] void countedFree(void* ptr)
{
    if (!ptr)
        return;
    auto* p = static_cast<unsigned char*>(ptr) - kHeader;
    std::size_t size;
    std::memcpy(&size, p, sizeof size);
    gCurrent -= size;
    std::free(p);
}

void* countedRealloc(void* ptr, std::size_t size)
{
    if (!ptr)
        return countedMalloc(size);
    auto* p = static_cast<unsigned char*>(ptr) - kHeader;
    std::size_t old;
    std::memcpy(&old, p, sizeof old);
    auto* q = static_cast<unsigned char*>(std::realloc(p, size + kHeader));
    if (!q)
        return nullptr;
    std::memcpy(q, &size, sizeof size);
    gCurrent = gCurrent - old + size;
    if (gCurrent > gPeak)
        gPeak = gCurrent;
    return q + kHeader;
}

} // namespace

void* operator new(std::size_t size)
{
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

// ---------------------------------------------------------------------------
// Test files

// A little deterministic variety in lengths and words.
class Words {
public:
    std::string sentence(int minWords, int maxWords)
    {
        static const char* const words[] = {
            "cal",   "é",      "a",         "capital", "de",       "Galicia", "río",   "montaña", "historia",
            "canto", "mide",   "quen",      "escribiu", "o",       "libro",   "máis",  "longo",   "século",
            "onde",  "naceu",  "xeografía", "número",  "primeiro", "&amp;",   "ponte", "mar",     "Santiago",
            "ac&#233;nto", "&lt;b&gt;", "&quot;ola&quot;", "canción", "&#xE1;rbore", "Ourense",
        };
        int n = minWords + static_cast<int>(next() % static_cast<unsigned>(maxWords - minWords + 1));
        std::string s;
        for (int i = 0; i < n; ++i) {
            if (i)
                s += ' ';
            s += words[next() % (sizeof words / sizeof *words)];
        }
        s += '?';
        return s;
    }
    std::string fileName(const char* extension)
    {
        return "media" + std::to_string(next() % 1000) + extension;
    }

private:
    std::uint32_t next()
    {
        state_ = state_ * 1103515245u + 12345u;
        return state_ >> 8;
    }
    std::uint32_t state_ = 7;
};

// A quiz file as the editor writes it, with `questions` questions; the texts have
// `longer` times as many words as the short ones of a quick quiz.
std::string quizFile(int questions, int longer = 1)
{
    Words w;
    std::string f;
    f += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    f += "  <xogo version=\"1.0\">\r\n";
    f += "    <titulo>Xeografía e historia de Galicia</titulo> \r\n";
    f += "    <subtitulo>Primeiro trimestre</subtitulo> \r\n";
    f += "    <autor>Departamento de Ciencias Sociais</autor> \r\n";
    f += "    <intro son=\"intro.mp3\"> Benvidos ao xogo.\r\nLede ben cada pregunta.    </intro>\r\n";
    f += "    <axuda>Escolle unha resposta.</axuda>\r\n";
    f += "    <tempo>20</tempo>\r\n";
    f += "    <ben son=\"ben.wav\">Moi ben!</ben>\r\n";
    f += "    <mal son=\"mal.wav\">Volve tentalo.</mal>\r\n";
    f += "    <preguntas>\r\n";
    for (int q = 0; q < questions; ++q) {
        f += "        <pregunta>\r\n";
        f += "            <enunciado>" + w.sentence(4 * longer, 20 * longer) + "</enunciado>\r\n";
        if (q % 5 == 0)
            f += "           <enlace>http://example.org/q?n=" + std::to_string(q) + "&amp;lang=gl</enlace>\r\n";
        for (int a = 0; a < 4 - q % 2; ++a)
            f += "            <resposta>" + w.sentence(longer, 6 * longer) + "</resposta>\r\n";
        if (q % 3 == 0)
            f += "            <imaxe>" + w.fileName(".png") + "</imaxe>\r\n";
        if (q % 4 == 0)
            f += "            <son>" + w.fileName(".mp3") + "</son>\r\n";
        f += "            <ben son=\"" + w.fileName(".wav") + "\">" + w.sentence(longer, 5 * longer) + "</ben>\r\n";
        f += "            <mal son=\"" + w.fileName(".wav") + "\">" + w.sentence(longer, 5 * longer) + "</mal>\r\n";
        f += "        </pregunta> \r\n";
    }
    f += "    </preguntas> \r\n";
    f += "  </xogo> \r\n";
    return f;
}

const std::string& quiz200()
{
    static const std::string f = quizFile(200);
    return f;
}

const std::string& file50MB()
{
    static const std::string f = [] {
        std::size_t perQuestion = quizFile(1000).size() / 1000;
        return quizFile(static_cast<int>(50u * 1024 * 1024 / perQuestion));
    }();
    return f;
}

// A file in a temporary folder, removed at the end of the run.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& bytes)
    {
        char pattern[] = "/tmp/vireta-bench-XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            std::abort();
        close(fd);
        path_ = pattern;
        size_ = bytes.size();
    }
    ~TemporaryFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }
    std::size_t size() const { return size_; }

private:
    std::string path_;
    std::size_t size_;
};

// 200 questions of about 5 KB each.
const TemporaryFile& realisticQuizFile()
{
    static const TemporaryFile f(quizFile(200, 22));
    return f;
}

const TemporaryFile& largeQuizFile()
{
    static const TemporaryFile f(file50MB());
    return f;
}

// One element with `count` attributes a0="0" a1="1" ...
std::string manyAttributes(int count)
{
    std::string f = "<e";
    f.reserve(static_cast<std::size_t>(count) * 16);
    for (int i = 0; i < count; ++i) {
        std::string n = std::to_string(i);
        f += " a" + n + "=\"" + n + "\"";
    }
    f += "/>";
    return f;
}

template <int Count>
const std::string& attributes()
{
    static const std::string f = manyAttributes(Count);
    return f;
}

// 300,000 elements each inside the one before, with a little text at the bottom.
const std::string& deepNesting()
{
    static const std::string f = [] {
        constexpr int depth = 300000;
        std::string s;
        for (int i = 0; i < depth; ++i)
            s += "<pregunta>";
        s += "fondo";
        for (int i = 0; i < depth; ++i)
            s += "</pregunta>";
        return s;
    }();
    return f;
}

// About 8 MB of answers whose texts are mostly references, named and numeric.
const std::string& referenceDense()
{
    static const std::string f = [] {
        std::string s = "<xogo>";
        const std::string text = "&lt;b&gt; &amp; &#233;&#xE1; &quot;ola&quot; &apos;&#8364;&#x1F600;";
        while (s.size() < 8u * 1024 * 1024) {
            s += "<resposta>";
            for (int i = 0; i < 8; ++i)
                s += text;
            s += "</resposta>";
        }
        s += "</xogo>";
        return s;
    }();
    return f;
}

// ---------------------------------------------------------------------------
// The parsers

bool parseVireta(const std::string& f)
{
    vireta::TXMLDoc doc;
    doc.loadFromBytes(f);
    return doc.root() != nullptr;
}

XML_Memory_Handling_Suite countedSuite = {countedMalloc, countedRealloc, countedFree};

struct ExpatCounts {
    std::size_t elements = 0;
    std::size_t characters = 0;
};

bool parseExpat(const std::string& f)
{
    XML_Parser parser = XML_ParserCreate_MM(nullptr, &countedSuite, nullptr);
    ExpatCounts counts;
    XML_SetUserData(parser, &counts);
    XML_SetElementHandler(
        parser, [](void* d, const XML_Char*, const XML_Char**) { ++static_cast<ExpatCounts*>(d)->elements; },
        [](void*, const XML_Char*) {});
    XML_SetCharacterDataHandler(parser, [](void* d, const XML_Char*, int len) {
        static_cast<ExpatCounts*>(d)->characters += static_cast<std::size_t>(len);
    });
    bool ok = XML_Parse(parser, f.data(), static_cast<int>(f.size()), XML_TRUE) == XML_STATUS_OK;
    benchmark::DoNotOptimize(counts);
    XML_ParserFree(parser);
    return ok;
}

bool parsePugixml(const std::string& f)
{
    pugi::xml_document doc;
    return static_cast<bool>(doc.load_buffer(f.data(), f.size()));
}

// Opening a file: the editor's reading, expat's (the file read whole, then parsed),
// and the quiz file's open.
bool openVireta(const std::string& path)
{
    vireta::TXMLDoc doc;
    doc.loadFromFile(path, vireta::TXMLDoc::TextReading::ReplaceInPlaceWhenUtf8);
    return doc.root() != nullptr;
}

bool openExpat(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0)
        return false;
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t got = 0;
    for (ssize_t n; got < bytes.size() && (n = read(fd, &bytes[got], bytes.size() - got)) > 0;)
        got += static_cast<std::size_t>(n);
    close(fd);
    return got == bytes.size() && parseExpat(bytes);
}

bool openQuiz(const std::string& path)
{
    return vireta::openQuizFile(path).count() == 200;
}

template <bool (*Open)(const std::string&), const TemporaryFile& (*File)()>
void runOpen(benchmark::State& state)
{
    const TemporaryFile& f = File();
    for (auto _ : state) {
        bool ok = Open(f.path());
        if (!ok)
            state.SkipWithError("open failed");
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.size()));
    state.counters["bytes"] = static_cast<double>(f.size());
}

template <bool (*Parse)(const std::string&), const std::string& (*File)()>
void run(benchmark::State& state)
{
    const std::string& f = File();
    for (auto _ : state) {
        bool ok = Parse(f);
        if (!ok)
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.size()));

    std::size_t before = gCurrent;
    gPeak = gCurrent;
    Parse(f);
    state.counters["peak/size"] = static_cast<double>(gPeak - before) / static_cast<double>(f.size());
    state.counters["MB"] = static_cast<double>(f.size()) / (1024.0 * 1024.0);
}

void pugixmlHooks()
{
    pugi::set_memory_management_functions(countedMalloc, countedFree);
}

} // namespace

BENCHMARK(runOpen<openVireta, realisticQuizFile>)->Name("Open/TXMLDoc")->Unit(benchmark::kMillisecond);
BENCHMARK(runOpen<openExpat, realisticQuizFile>)->Name("Open/expat")->Unit(benchmark::kMillisecond);
BENCHMARK(runOpen<openQuiz, realisticQuizFile>)->Name("Open/Check")->Unit(benchmark::kMillisecond);
BENCHMARK(runOpen<openVireta, largeQuizFile>)->Name("Open50MB/TXMLDoc")->Unit(benchmark::kMillisecond);
BENCHMARK(runOpen<openExpat, largeQuizFile>)->Name("Open50MB/expat")->Unit(benchmark::kMillisecond);

BENCHMARK(run<parseVireta, quiz200>)->Name("Quiz200/TXMLDoc");
BENCHMARK(run<parseExpat, quiz200>)->Name("Quiz200/expat");
BENCHMARK(run<parsePugixml, quiz200>)->Name("Quiz200/pugixml");
BENCHMARK(run<parseVireta, file50MB>)->Name("File50MB/TXMLDoc")->Unit(benchmark::kMillisecond);
BENCHMARK(run<parseExpat, file50MB>)->Name("File50MB/expat")->Unit(benchmark::kMillisecond);
BENCHMARK(run<parsePugixml, file50MB>)->Name("File50MB/pugixml")->Unit(benchmark::kMillisecond);

BENCHMARK(run<parseVireta, attributes<100000>>)->Name("Attributes100k/TXMLDoc")->Unit(benchmark::kMillisecond);
BENCHMARK(run<parseExpat, attributes<100000>>)->Name("Attributes100k/expat")->Unit(benchmark::kMillisecond);
BENCHMARK(run<parseVireta, attributes<1000000>>)->Name("Attributes1M/TXMLDoc")->Unit(benchmark::kMillisecond);
BENCHMARK(run<parseExpat, attributes<1000000>>)->Name("Attributes1M/expat")->Unit(benchmark::kMillisecond);
BENCHMARK(run<parseVireta, attributes<3000000>>)->Name("Attributes3M/TXMLDoc")->Unit(benchmark::kMillisecond);
BENCHMARK(run<parseExpat, attributes<3000000>>)->Name("Attributes3M/expat")->Unit(benchmark::kMillisecond);
BENCHMARK(run<parseVireta, deepNesting>)->Name("Deep/TXMLDoc")->Unit(benchmark::kMillisecond);
BENCHMARK(run<parsePugixml, deepNesting>)->Name("Deep/pugixml")->Unit(benchmark::kMillisecond);
BENCHMARK(run<parseVireta, referenceDense>)->Name("References/TXMLDoc")->Unit(benchmark::kMillisecond);
BENCHMARK(run<parsePugixml, referenceDense>)->Name("References/pugixml")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    pugixmlHooks();
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    return vireta::bench::runWithRatios(argc, argv,
                                        {{"Open/TXMLDoc", "Open/expat"},
                                         {"Open/Check", "Open/TXMLDoc"},
                                         {"Open50MB/TXMLDoc", "Open/TXMLDoc", true},
                                         {"Open50MB/TXMLDoc", "Open50MB/expat"},
                                         {"Quiz200/TXMLDoc", "Quiz200/expat"},
                                         {"Quiz200/TXMLDoc", "Quiz200/pugixml"},
                                         {"File50MB/TXMLDoc", "File50MB/expat"},
                                         {"File50MB/TXMLDoc", "File50MB/pugixml"},
                                         {"Attributes100k/TXMLDoc", "Attributes100k/expat"},
                                         {"Attributes1M/TXMLDoc", "Attributes1M/expat"},
                                         {"Attributes3M/TXMLDoc", "Attributes3M/expat"},
                                         {"Attributes3M/TXMLDoc", "Attributes100k/TXMLDoc"},
                                         {"Deep/TXMLDoc", "Deep/pugixml"},
                                         {"References/TXMLDoc", "References/pugixml"}});
}
