// The formats a quiz is saved in, one row each: the save page and vireta-export both
// read this table, so a new format is one row here plus its writer and its tests.
#pragma once

#include "formats/export_settings.h"
#include "formats/format_note.h"
#include "formats/output_buffer.h"
#include "formats/shuffle.h"
#include "model/quiz.h"

#include <array>
#include <string_view>

namespace vireta {

// Everything a writer may take: the quiz, the save page's settings, the shuffle of
// the HTML pages, and the list of what a question bank cannot carry.
struct FormatJob {
    const GeneralData& general;
    const QuestionTable& questions;
    int count;
    const ExportSettings& settings;
    ShuffleGenerator& generator;
    ExportNotes& notes;
};

// Fills `out` (emptied by the caller) with the document and returns what the save
// step needs with it.
using FormatWriter = SaveRequest (*)(const FormatJob& job, OutputBuffer& out);

// Where a document's pictures and sounds go.
enum class MediaCarriage {
    Beside,               // named by bare file name; "Copiar arquivos" copies them beside
    InsideWhenSingleFile, // beside, or inside the page with "Todo nun só arquivo"
    Inside,               // always inside (a zip package, the paper test's PDF): never packed
};

struct FormatInfo {
    Format format;
    const char* name;      // vireta-export's -f name
    const char* extension; // added, after a dot, to a name without one
    const char* filter;    // the save dialog's "description|patterns|..."
    // Null for the paper test, which the print module draws: the window links it,
    // vireta-export loads it only for -f pdf.
    FormatWriter write;
    MediaCarriage media;
    bool page;          // a page a browser shows ("Ver no navegador")
    bool questionBank;  // what the format cannot carry is told after the save
    // The document's text goes straight to its file as it is written (the quiz
    // file's): the writer never goes back over it, and the request is known ahead.
    bool streams;
    // The kinds of question the format cannot ask (kindBit): its writer leaves them
    // out, noted, and the review warns of them.
    unsigned kindsLeftOut = 0;

    // Whether the document carries its media itself with these settings, so that the
    // save copies and packs none beside it.
    bool carriesMedia(const ExportSettings& settings) const {
        return media == MediaCarriage::Inside ||
               (media == MediaCarriage::InsideWhenSingleFile && settings.singleFile);
    }
    // The filter and extension, and whether the document carries its media, without
    // running the writer.
    SaveRequest request(const ExportSettings& settings) const;
};

inline constexpr std::size_t kFormatCount = static_cast<std::size_t>(Format::Pdf) + 1;

// Every format, in the order of the Format values.
const std::array<FormatInfo, kFormatCount>& formatTable();
const FormatInfo& formatInfo(Format format);
// The format of a -f name ("xml", "html", "js", ...); null when there is none.
const FormatInfo* formatNamed(std::string_view name);

} // namespace vireta
