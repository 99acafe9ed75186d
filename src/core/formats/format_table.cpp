#include "formats/format_table.h"

#include "formats/aiken.h"
#include "formats/book.h"
#include "formats/form_page.h"
#include "formats/gift.h"
#include "formats/marking_page.h"
#include "formats/moodle_xml.h"
#include "formats/paper_test.h"
#include "formats/quiz_file.h"
#include "formats/spreadsheet.h"
#include "formats/web_game.h"
#include "formats/writer_support.h"

namespace vireta {
namespace {

SaveRequest quizFile(const FormatJob& j, OutputBuffer& out) {
    return writeQuizFile(j.general, j.questions, j.count, out);
}
SaveRequest formPage(const FormatJob& j, OutputBuffer& out) {
    return writeFormPage(j.general, j.questions, j.count, j.settings, j.generator, out, &j.notes);
}
SaveRequest markingPage(const FormatJob& j, OutputBuffer& out) {
    return writeMarkingPage(j.general, j.questions, j.count, j.settings, j.generator, out, &j.notes);
}
SaveRequest book(const FormatJob& j, OutputBuffer& out) {
    return writeBook(j.general, j.questions, j.count, out, &j.notes);
}
SaveRequest webGame(const FormatJob& j, OutputBuffer& out) {
    return writeWebGame(j.general, j.questions, j.count, j.settings, j.generator, out);
}
SaveRequest scormPackage(const FormatJob& j, OutputBuffer& out) {
    return writeScormPackage(j.general, j.questions, j.count, j.settings, j.generator, out);
}
SaveRequest moodleXml(const FormatJob& j, OutputBuffer& out) {
    return MoodleXmlWriter::write(j.general, j.questions, j.count, out, j.notes);
}
SaveRequest gift(const FormatJob& j, OutputBuffer& out) {
    return GiftWriter::write(j.general, j.questions, j.count, out, j.notes);
}
SaveRequest aiken(const FormatJob& j, OutputBuffer& out) {
    return AikenWriter::write(j.questions, j.count, out, j.notes);
}
SaveRequest spreadsheet(const FormatJob& j, OutputBuffer& out) {
    return SpreadsheetWriter::write(j.questions, j.count, out, j.notes);
}

using M = MediaCarriage;

constexpr unsigned kChoiceOnly = kChoiceOnlyLeavesOut;

// format, name, extension, filter, writer, media, page, question bank, streams, kinds left out
const std::array<FormatInfo, kFormatCount> kTable = {{
    {Format::Xml, "xml", kQuizFileExtension, kQuizFileFilter, quizFile, M::Beside, false, false, true},
    {Format::Html, "html", "html", kHtmlFilter, formPage, M::Beside, true, false, false, kChoiceOnly},
    {Format::JavaScript, "js", "html", kHtmlFilter, markingPage, M::Beside, true, false, false, kChoiceOnly},
    {Format::Ebk, "ebk", "ebk", kEbkFilter, book, M::Beside, false, false, false, kChoiceOnly},
    {Format::Web, "web", "html", kHtmlFilter, webGame, M::InsideWhenSingleFile, true, false, false},
    {Format::Scorm, "scorm", "zip", kZipFilter, scormPackage, M::Inside, true, false, false},
    {Format::Moodle, "moodle", "xml", kMoodleXmlFilter, moodleXml, M::Beside, false, true, false},
    {Format::Gift, "gift", "gift", kGiftFilter, gift, M::Beside, false, true, false},
    {Format::Aiken, "aiken", "txt", kAikenFilter, aiken, M::Beside, false, true, false, kChoiceOnly},
    {Format::Csv, "csv", "csv", kSpreadsheetFilter, spreadsheet, M::Beside, false, true, false},
    {Format::Pdf, "pdf", "pdf", kPdfFilter, nullptr, M::Inside, false, false, false},
}};

} // namespace

SaveRequest FormatInfo::request(const ExportSettings& settings) const {
    SaveRequest r{filter, extension};
    r.carriesMedia = carriesMedia(settings);
    // A zip package is an archive of its own; a PDF holds its pictures: either is the
    // whole of what its save writes.
    r.packable = media != MediaCarriage::Inside;
    return r;
}

const std::array<FormatInfo, kFormatCount>& formatTable() { return kTable; }

const FormatInfo& formatInfo(Format format) { return kTable[static_cast<std::size_t>(format)]; }

const FormatInfo* formatNamed(std::string_view name) {
    for (const FormatInfo& f : kTable) {
        if (name == f.name)
            return &f;
    }
    return nullptr;
}

} // namespace vireta
