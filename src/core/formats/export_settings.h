// What a save needs besides the quiz: the chosen format and the settings of the
// save page's tabs. They live for the whole run of the editor and are never stored
// with the quiz.
#pragma once

#include <string>

namespace vireta {

// The tabs of the save page, in order; the index is the format index.
enum class Format : int {
    Xml = 0,        // the quiz file
    Html = 1,       // the form page
    JavaScript = 2, // the self-marking page
    Ebk = 3,        // the book
    Odt = 4,        // reserved: writes nothing
    Moodle = 6,     // Moodle XML question bank ("Outros")
    Gift = 7,       // GIFT ("Outros")
    Aiken = 8,      // Aiken ("Outros")
    Csv = 9,        // spreadsheet, comma-separated ("Outros")
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
};

// What a writer hands to the save step with the filled output buffer.
struct SaveRequest {
    std::string filter;    // the save dialog's filter, "description|patterns|..."
    std::string extension; // added, after a dot, to a chosen name without one
};

} // namespace vireta
