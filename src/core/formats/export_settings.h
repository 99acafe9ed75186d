// What a save needs besides the quiz: the chosen format and the settings of the
// save page's tabs. They live for the whole run of the editor and are never stored
// with the quiz.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vireta {

// The tabs of the save page, in order; the index is the format index.
enum class Format : int {
    Xml = 0,        // the quiz file
    Html = 1,       // the form page
    JavaScript = 2, // the self-marking page
    Ebk = 3,        // the book
    Web = 4,        // the web game page
    Scorm = 5,      // the web game as a SCORM 1.2 package (a setting of the "Web" tab)
    Moodle = 6,     // Moodle XML question bank ("Outros")
    Gift = 7,       // GIFT ("Outros")
    Aiken = 8,      // Aiken ("Outros")
    Csv = 9,        // spreadsheet, comma-separated ("Outros")
    Pdf = 10,       // the paper test ("Papel")
};

// The controls of the "Papel" tab: the paper test as a PDF.
struct PaperSettings {
    int versions = 1;           // 1..kMaxPaperVersions, each with its own orders
    bool keyApart = false;      // "Solucións á parte": the answer key in a file of its own
    bool letter = false;        // US Letter instead of A4
    bool shuffleAnswers = true; // "Revolver respostas": each version its own answer order
};

// The controls of the "HTML" and "JavaScript" tabs, with their initial values.
struct ExportSettings {
    std::string style;             // estilo: style sheet of the form page (full path)
    std::string action;            // enviar: the form's action address
    std::string field1Label;       // Campo1
    std::string field1Size = "20"; // lonx1, written as typed
    std::string field2Label;       // campo2
    std::string field2Size = "20"; // lonx2
    std::string hidden;            // oculto
    std::string text;              // texto: extra line under the subtitle (both pages)
    bool utf8 = true;              // chkutf (both pages)
    bool shuffleAnswers = false;   // chkrevolver (form page only)
    std::string styleJs;           // estilojs: style sheet of the self-marking page
    std::string buttonText;        // txboton
    // The "Web" tab (the web game and its SCORM package).
    bool singleFile = false;       // "Todo nun só arquivo": media embedded as data: URIs
    PaperSettings paper;           // the "Papel" tab
};

// A media file a writer had to read and could not, with the errno value behind it:
// EEXIST when its bare name is taken in a package already, EFBIG when it is too large
// to embed in a page.
struct UnreadMedium {
    std::string source;
    int error = 0;

    bool operator==(const UnreadMedium& o) const { return source == o.source && error == o.error; }
};

// What a writer hands to the save step with the filled output buffer.
struct SaveRequest {
    SaveRequest() = default;
    SaveRequest(std::string filter, std::string extension)
        : filter(std::move(filter)), extension(std::move(extension)) {}

    std::string filter;    // the save dialog's filter, "description|patterns|..."
    std::string extension; // added, after a dot, to a chosen name without one
    // The document carries its media itself (a page with data: URIs, a zip package,
    // the paper test's PDF): the save step copies and packs none beside it.
    bool carriesMedia = false;
    // "Empaquetar" applies: the document may go into a .tar archive. A zip package
    // is an archive of its own and is never packed again, nor is a PDF.
    bool packable = true;
    // Media files the writer had to read and could not (missing or unreadable): the
    // document was written without them; the save reports them with its failed media.
    std::vector<UnreadMedium> unreadMedia;
};

} // namespace vireta
