// vireta-export: the command-line front end over the editor's core. It opens a quiz
// file as "Abrir" does (or imports another program's file as "Importar" does into a
// new quiz) and saves it as "Gardar" does, with the save page's settings given as
// options. The paper test (-f pdf) is drawn by a module loaded only then
// (src/print, Qt on its "offscreen" platform, so no display is needed): the other
// formats and --check start without Qt.
#include "formats/export_settings.h"
#include "formats/format_table.h"
#include "formats/output_buffer.h"
#include "formats/question_import.h"
#include "formats/paper_test.h"
#include "formats/quiz_file.h"
#include "io/file_read.h"
#include "model/quiz.h"
#include "paper_module.h"
#include "review/quiz_review.h"
#include "save/save_step.h"
#include "text.h"
#include "vireta_version.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace vireta;

namespace {

const char kUsage[] =
    "usage: vireta-export --check [--from IMPORT] QUIZ\n"
    "       vireta-export --review [--from IMPORT] [-f FORMAT] [-o NAME] [--shuffle-answers] QUIZ\n"
    "       vireta-export -f FORMAT -o NAME [OPTION...] QUIZ\n"
    "       vireta-export --help | --version\n"
    "\n"
    "QUIZ is a quiz file or a file to import questions from (Aiken, GIFT, CSV/TSV\n"
    "spreadsheet, Moodle XML), told by its content and, for spreadsheets, its extension.\n"
    "\n"
    "  --check QUIZ        open QUIZ as the editor does and print its number of questions;\n"
    "                      of an imported file, also one line on standard error per\n"
    "                      thing not imported\n"
    "  --review QUIZ       print what the quiz review finds, one line each, errors first;\n"
    "                      with -f, also what concerns that format (and, for html, whether\n"
    "                      --shuffle-answers is given); with -o, media files named like\n"
    "                      the document\n"
    "  --from IMPORT       read QUIZ as aiken, gift, csv or moodle\n"
    "  -f, --format FORMAT xml (the quiz file), html (form page), js (self-marking page),\n"
    "                      ebk (book), web (the web game), scorm (the web game as a\n"
    "                      SCORM 1.2 package, NAME.zip), pdf (the paper test),\n"
    "                      moodle (Moodle XML), gift, aiken or csv\n"
    "  -o, --output NAME   the name to save under; \".\" and the format's extension are\n"
    "                      added when the file name has no \".\"\n"
    "  --copy              copy the quiz's media files beside the document\n"
    "  --pack              pack the media files and the document into NAME's .tar archive\n"
    "  --style PATH        style sheet of the form page\n"
    "  --action URL        address the form page posts to\n"
    "  --field1 LABEL      label of the form page's first field\n"
    "  --size1 N           length of the first field (20)\n"
    "  --field2 LABEL      label of the second field\n"
    "  --size2 N           length of the second field (20)\n"
    "  --hidden VALUE      value of the form page's hidden field\n"
    "  --text TEXT         extra line under the subtitle (form and self-marking pages)\n"
    "  --no-utf8           write the pages in Windows-1252 instead of UTF-8\n"
    "  --shuffle-answers   shuffle the answers of the form page\n"
    "  --style-js PATH     style sheet of the self-marking page\n"
    "  --button TEXT       caption of the self-marking page's button\n"
    "  --single-file       web game: embed every picture and sound in the page\n"
    "  --pass-mark N       the pass mark (0..100) in place of the quiz's own (50 when\n"
    "                      it names none): from this percentage of right answers the\n"
    "                      web game ends well and its SCORM package passes\n"
    "  --versions N        versions of the paper test, 1 to 4 (1)\n"
    "  --key-apart         the paper test's answer key in NAME-solucions.pdf\n"
    "  --no-shuffle-answers\n"
    "                      the same answer order in every version of the paper test\n"
    "  --letter            the paper test on US Letter instead of A4\n"
    "  --seed N            seed of the shuffle (0..4294967295): the same seed gives the\n"
    "                      same page and the same versions of the paper test\n"
    "\n"
    "Exit status: 0 done, 1 QUIZ could not be read or an output could not be written,\n"
    "2 wrong command line, 3 the review found errors.\n";

// The folder of this program, with its separator.
std::string programFolder() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return {};
    const std::string self(path, static_cast<std::size_t>(n));
    return self.substr(0, self.rfind('/') + 1);
}

// The paper test's module: beside the program in the build tree, in the library
// folder once installed. Loaded once and kept until the program ends.
PaperModuleEntry paperModule() {
    const std::string folder = programFolder();
    std::string reasons;
    for (const std::string& path : {folder + kPaperModuleFile,
                                    folder + VIRETA_PAPER_FROM_BIN + "/" + kPaperModuleFile}) {
        if (::access(path.c_str(), F_OK) != 0)
            continue;
        if (void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            if (void* entry = ::dlsym(module, kPaperModuleEntry))
                return reinterpret_cast<PaperModuleEntry>(entry);
        }
        reasons += std::string("; ") + ::dlerror();
    }
    throw std::runtime_error(std::string("cannot load the paper test's module ") + kPaperModuleFile +
                             (reasons.empty() ? " (not installed)" : reasons));
}

// The paper test, drawn by its module into `out`; the key and the pictures that could
// not be read go to `paper`.
void drawPaperTest(const FormatJob& j, std::optional<std::uint32_t> seed, PaperFiles& paper,
                   OutputBuffer& out) {
    PaperJob job;
    job.general = &j.general;
    job.questions = &j.questions;
    job.count = j.count;
    job.settings = &j.settings;
    job.seed = seed;
    std::string error;
    if (!paperModule()(job, paper, error))
        throw std::runtime_error("cannot draw the paper test: " + error);
    out.setText(std::move(paper.test));
}

struct UsageError {
    std::string message;
};

struct Options {
    bool help = false;
    bool version = false;
    bool check = false;
    std::optional<ImportFormat> from;
    bool review = false;
    std::string format;
    std::string output;
    std::string quiz;
    bool copy = false;
    bool pack = false;
    ExportSettings settings;
    std::optional<int> passMark; // in place of the quiz's
    std::optional<std::uint32_t> seed;
};

int parsePassMark(const std::string& text) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(text) > 100)
        throw UsageError{"--pass-mark needs a number from 0 to 100, not '" + text + "'"};
    return std::stoi(text);
}

std::uint32_t parseSeed(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        throw UsageError{"--seed needs a number from 0 to 4294967295, not '" + text + "'"};
    errno = 0;
    const unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
    if (errno == ERANGE || v > 0xFFFFFFFFull)
        throw UsageError{"--seed needs a number from 0 to 4294967295, not '" + text + "'"};
    return static_cast<std::uint32_t>(v);
}

int parseVersions(const std::string& text) {
    if (text.size() != 1 || text[0] < '1' || text[0] > '0' + kMaxPaperVersions)
        throw UsageError{"--versions needs a number from 1 to " +
                         std::to_string(kMaxPaperVersions) + ", not '" + text + "'"};
    return text[0] - '0';
}

Options parse(int argc, char** argv) {
    Options o;
    std::vector<std::string> positional;
    bool formatOptions = false; // an option that only means something with -f
    bool shuffleOption = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
            inlineValue = arg.substr(arg.find('=') + 1);
            arg.erase(arg.find('='));
        }
        auto value = [&]() -> std::string {
            if (inlineValue)
                return *std::exchange(inlineValue, std::nullopt);
            if (i + 1 >= argc)
                throw UsageError{arg + " needs a value"};
            return argv[++i];
        };
        auto flag = [&](bool& target) {
            target = true;
            formatOptions = true;
        };
        auto text = [&](std::string& target) {
            target = value();
            formatOptions = true;
        };
        ExportSettings& s = o.settings;
        if (arg == "--help" || arg == "-h")
            o.help = true;
        else if (arg == "--version")
            o.version = true;
        else if (arg == "--check")
            o.check = true;
        else if (arg == "--from") {
            const std::string name = value();
            o.from = importFormatNamed(name);
            if (!o.from)
                throw UsageError{"unknown import format '" + name + "'"};
        } else if (arg == "--review")
            o.review = true;
        else if (arg == "-f" || arg == "--format")
            o.format = value();
        else if (arg == "-o" || arg == "--output")
            o.output = value();
        else if (arg == "--copy")
            flag(o.copy);
        else if (arg == "--pack")
            flag(o.pack);
        else if (arg == "--style")
            text(s.style);
        else if (arg == "--action")
            text(s.action);
        else if (arg == "--field1")
            text(s.field1Label);
        else if (arg == "--size1")
            text(s.field1Size);
        else if (arg == "--field2")
            text(s.field2Label);
        else if (arg == "--size2")
            text(s.field2Size);
        else if (arg == "--hidden")
            text(s.hidden);
        else if (arg == "--text")
            text(s.text);
        else if (arg == "--no-utf8") {
            s.utf8 = false;
            formatOptions = true;
        } else if (arg == "--shuffle-answers")
            s.shuffleAnswers = shuffleOption = true; // the one format option --review reads
        else if (arg == "--style-js")
            text(s.styleJs);
        else if (arg == "--button")
            text(s.buttonText);
        else if (arg == "--single-file")
            flag(s.singleFile);
        else if (arg == "--pass-mark") {
            o.passMark = parsePassMark(value());
            formatOptions = true;
        } else if (arg == "--versions") {
            s.paper.versions = parseVersions(value());
            formatOptions = true;
        } else if (arg == "--key-apart")
            flag(s.paper.keyApart);
        else if (arg == "--letter")
            flag(s.paper.letter);
        else if (arg == "--no-shuffle-answers") {
            s.paper.shuffleAnswers = false;
            formatOptions = true;
        } else if (arg == "--seed") {
            o.seed = parseSeed(value());
            formatOptions = true;
        } else if (arg == "--") {
            for (++i; i < argc; ++i)
                positional.emplace_back(argv[i]);
        } else if (arg.size() > 1 && arg[0] == '-')
            throw UsageError{"unknown option " + arg};
        else
            positional.push_back(arg);
        if (inlineValue)
            throw UsageError{arg + " takes no value"};
    }
    if (o.help || o.version)
        return o;
    if (positional.size() != 1)
        throw UsageError{positional.empty() ? "no quiz file given"
                                            : "more than one quiz file given"};
    o.quiz = positional.front();
    if (o.check) {
        if (o.review || !o.format.empty() || !o.output.empty() || formatOptions || shuffleOption)
            throw UsageError{"--check takes no other option"};
        return o;
    }
    if (o.review) {
        if (formatOptions)
            throw UsageError{"--review takes only -f, -o and --shuffle-answers"};
        if (!o.format.empty() && !formatNamed(o.format))
            throw UsageError{"unknown format '" + o.format + "'"};
        if (!o.output.empty() && bareFileName(o.output).empty())
            throw UsageError{"the output name '" + o.output + "' names a folder, not a file"};
        return o;
    }
    if (o.format.empty())
        throw UsageError{"no format given (-f)"};
    if (!formatNamed(o.format))
        throw UsageError{"unknown format '" + o.format + "'"};
    if (o.output.empty())
        throw UsageError{"no output name given (-o)"};
    if (bareFileName(o.output).empty())
        throw UsageError{"the output name '" + o.output + "' names a folder, not a file"};
    return o;
}

void complain(const std::string& message) {
    std::fprintf(stderr, "vireta-export: %s\n", message.c_str());
}

// The file system as the review sees it, with the media of an import read without
// writing them taken as there: they would be written by the import itself.
class FilesWithUnwrittenMedia : public ReviewFiles {
public:
    explicit FilesWithUnwrittenMedia(const std::vector<std::string>& unwritten) : unwritten_(unwritten) {}

    FileFacts probe(const std::string& path) const override {
        for (std::size_t i = 0; i < unwritten_.size(); ++i) {
            if (unwritten_[i] == path) {
                FileFacts facts;
                facts.state = FileFacts::State::Regular;
                facts.device = UINT64_MAX; // no real file's identity
                facts.inode = i + 1;
                return facts;
            }
        }
        return systemFiles().probe(path);
    }

private:
    const std::vector<std::string>& unwritten_;
};

// --review: the findings on standard output; 3 when one of them is an error.
int review(const Options& o, const GeneralData& general, const QuizModel& model,
           const std::vector<std::string>& unwrittenMedia) {
    const FilesWithUnwrittenMedia files(unwrittenMedia);
    ReviewOptions options;
    options.files = &files;
    options.shuffleAnswers = o.settings.shuffleAnswers;
    if (!o.format.empty()) {
        const FormatInfo& format = *formatNamed(o.format);
        options.format = format.format;
        // A media file named like the document matters only when the media go beside it.
        if (!o.output.empty() && !format.carriesMedia(o.settings))
            options.documentName = bareFileName(completeExtension(o.output, format.extension));
    } else if (!o.output.empty()) {
        options.documentName = bareFileName(o.output);
    }
    const std::vector<ReviewFinding> found = reviewQuiz(general, model, options);
    for (const ReviewFinding& f : found)
        std::printf("%s\n", reviewLine(f).c_str());
    return errorCount(found) > 0 ? 3 : 0;
}

// Whether QUIZ is to be imported rather than opened: forced, or told by its content.
bool isImport(const Options& o) {
    if (o.from)
        return true;
    std::string bytes;
    if (!io::readFileStart(o.quiz, kDetectionBytes, bytes))
        return false; // the quiz file's reader says why
    switch (detectFormat(o.quiz, bytes)) {
    case DetectedFormat::Aiken:
    case DetectedFormat::Gift:
    case DetectedFormat::Spreadsheet:
    case DetectedFormat::MoodleXml:
        return true;
    default:
        return false;
    }
}

// Reads QUIZ into a new quiz and returns its number of questions; -1 (having said
// why) when it cannot be read. An import read without writing its embedded media
// lists the paths they would have in `unwrittenMedia`.
int load(const Options& o, QuizModel& model, GeneralData& general, std::vector<std::string>& unwrittenMedia) {
    if (isImport(o)) {
        try {
            // --check and --review only read: embedded media are not written out.
            const ImportResult result = importQuestions(o.quiz, o.from, !o.check && !o.review);
            const AppliedImport applied = applyImport(result, model);
            unwrittenMedia = result.unwrittenMedia;
            for (const FormatNote& note : applied.notes)
                complain(o.quiz + ": " + note.english());
            return applied.inserted;
        } catch (const ImportError& e) {
            complain(e.path() + ": " + e.what());
            return -1;
        }
    }
    try {
        OpenedQuiz opened = openQuizFile(o.quiz);
        for (const std::string& note : opened.notes)
            complain(o.quiz + ": " + note);
        const int count = opened.count();
        applyOpenedQuiz(std::move(opened), model, general);
        return count;
    } catch (const QuizFileError& e) {
        std::string reason = e.what();
        if (const auto& at = e.position())
            reason = "line " + std::to_string(at->line) + ", column " + std::to_string(at->column) + ": " + reason;
        complain(reason.find(e.path()) == std::string::npos ? e.path() + ": " + reason : reason);
        return -1;
    }
}

int run(const Options& o) {
    QuizModel model;
    GeneralData general;
    std::vector<std::string> unwrittenMedia;
    const int count = load(o, model, general, unwrittenMedia);
    if (count < 0)
        return 1;
    if (o.check) {
        std::printf("%d\n", count);
        return 0;
    }
    if (o.passMark)
        general.passMark = *o.passMark;

    if (o.review)
        return review(o, general, model, unwrittenMedia);

    const FormatInfo& format = *formatNamed(o.format);
    ExportNotes notes;
    PaperFiles paper;
    ShuffleGenerator generator =
        o.seed ? ShuffleGenerator::withFixedSeed(*o.seed) : ShuffleGenerator();
    const FormatJob job{general, model.questions, model.count, o.settings, generator, notes};
    auto write = [&](OutputBuffer& out) {
        if (format.write)
            return format.write(job, out);
        drawPaperTest(job, o.seed, paper, out);
        return format.request(o.settings);
    };
    // A document whose writer never goes back over its text goes straight to its file;
    // every other one is made whole first (a page is converted, a package zipped).
    OutputBuffer buffer;
    const SaveRequest request = format.streams ? format.request(o.settings) : write(buffer);
    for (const FormatNote& note : notes)
        complain(note.english());
    SaveMedia media;
    media.copyFiles = o.copy;
    media.pack = o.pack;
    media.format = format.format;
    media.general = &general;
    media.settings = &o.settings;
    media.model = &model;
    SaveStep step;
    try {
        const SaveResult result =
            format.streams ? step.save(o.output, request, [&](OutputBuffer& out) { write(out); }, media)
                           : step.save(o.output, request, buffer, media);
        if (!paper.key.empty())
            writeFileReplacing(keyPathFor(result.documentPath), paper.key);
        for (const auto& path : paper.unreadPictures)
            complain("picture not read, left out of the paper test: " + path);
        for (const auto& failure : result.failedMedia)
            complain("media file not copied or packed: " + failure.source + ": " +
                     englishReason(failure.problem, failure.error));
        if (result.archiveRefused)
            complain("cannot write " + result.archivePath + ": it is the document itself");
        return result.failedMedia.empty() && !result.archiveRefused && paper.unreadPictures.empty()
                   ? 0
                   : 1;
    } catch (const SaveError& e) {
        complain(std::string("cannot write ") + e.what());
        return 1;
    }
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        options = parse(argc, argv);
    } catch (const UsageError& e) {
        complain(e.message);
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("vireta-export %s\n", VIRETA_VERSION);
        return 0;
    }
    try {
        return run(options);
    } catch (const std::exception& e) {
        complain(e.what());
        return 1;
    }
}
