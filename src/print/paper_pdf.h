// The paper test drawn on pages: the versions planned in core (formats/paper_test.h)
// as a PDF through QPdfWriter, or onto any other paged device such as a printer.
// Needs a QGuiApplication (any platform, "offscreen" included) for its fonts.
#pragma once

#include "formats/export_settings.h"
#include "formats/paper_test.h"
#include "formats/shuffle.h"
#include "model/quiz.h"

#include <stdexcept>
#include <string>
#include <vector>

class QPagedPaintDevice;

namespace vireta {

// The document could not be drawn (its font files are missing, a device refused).
class PaperPrintError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What one paper test shows: the quiz's titles, the instructions in the head and the
// planned versions of its questions.
struct PaperDocument {
    std::string title;
    std::string subtitle;
    std::string instructions; // under the lines to fill in: the quiz's help text ("Axuda")
    const QuestionTable* questions = nullptr;
    std::vector<PaperVersion> versions;
};

// The versions planned from the quiz and the save page's settings.
PaperDocument makePaperDocument(const GeneralData& general, const QuestionTable& questions,
                                int count, const ExportSettings& settings,
                                ShuffleGenerator& generator);

enum class PaperPart {
    Test,  // the versions only
    Key,   // the answer key only
    Whole, // the versions, then the answer key
};

// What the pages of a part hold, laid out but not drawn: every block of a version
// or of the key with its place, in millimetres from the top of the page's text area.
enum class PaperBlockKind {
    Head,     // a version's titles, the lines to fill in, the instructions
    Question,
    KeyRow,   // a row of the key (the first of a version with its name)
};

struct PaperPlacedBlock {
    PaperBlockKind kind = PaperBlockKind::Question;
    int question = 0; // the printed number of a question, else 0
    double top = 0;
    PaperBlock size;
};

struct PaperSectionPlan {
    std::string name; // the foot's: "Modelo A", "Solucións", or empty
    std::vector<std::vector<PaperPlacedBlock>> pages;
};

struct PaperPlan {
    double pageHeight = 0; // the room for blocks on a page, above its foot
    std::vector<PaperSectionPlan> sections;
    std::vector<std::string> unreadPictures;
    int pageCount() const;
};

// The part laid out on `device`, whose page layout is already set, as drawPaperTest
// draws it; measured with the paper fonts (loaded here when they are not yet).
PaperPlan planPaperTest(const QPagedPaintDevice& device, const PaperDocument& doc, PaperPart part);
// The same for the PDF paperTestPdf writes.
PaperPlan planPaperPdf(const PaperDocument& doc, PaperPart part, bool letter);

struct PaperDrawResult {
    int pages = 0;
    std::vector<std::string> unreadPictures; // pictures that could not be read, once each
};

// DejaVu Sans, regular and bold, loaded from its font files once; throws
// PaperPrintError when they cannot be loaded.
void loadPaperFonts();

// A4 or US Letter, portrait, 2 cm margins.
void setPaperLayout(QPagedPaintDevice& device, bool letter);

// Draws `part` on `device`, whose page layout is already set, starting on its current
// page, as planPaperTest lays it out. Every version and the key start on a page of
// their own; blocks fill each page in order (placePaperBlocks), so a question is never
// split across two pages; each page's foot carries the title, the version and
// "Páxina N de M" numbered within the version (or the key).
PaperDrawResult drawPaperTest(QPagedPaintDevice& device, const PaperDocument& doc, PaperPart part);

// The part as the bytes of a PDF file.
std::string paperTestPdf(const PaperDocument& doc, PaperPart part, bool letter,
                         PaperDrawResult* result = nullptr);

// The files a save writes: the test (with the key after it unless settings.keyApart)
// and, with keyApart, the key on its own.
struct PaperFiles {
    std::string test;
    std::string key; // empty unless the key is apart
    std::vector<std::string> unreadPictures;
};
PaperFiles paperTestFiles(const PaperDocument& doc, const PaperSettings& settings);

} // namespace vireta
