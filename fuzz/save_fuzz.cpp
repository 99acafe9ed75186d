// Opens arbitrary bytes as a quiz file, as "Abrir" does, and saves the quiz in every
// format, as "Gardar" does, checking each output:
//  - the quiz file opens again, and the quiz it gives is a fixed point: saving and
//    opening it once more gives the same quiz and the same bytes;
//  - the book is well-formed XML with the root element `ebk`, without the control
//    characters XML cannot carry;
//  - in the self-marking page (in UTF-8 and in the 8-bit code page) nothing ends the
//    script element early, and the script's two message strings hold exactly the
//    end-of-game messages;
//  - the form page is written without failing.

#include "formats/book.h"
#include "formats/form_page.h"
#include "formats/marking_page.h"
#include "formats/quiz_file.h"
#include "formats/writer_support.h"
#include "model/quiz.h"
#include "text.h"
#include "xml/xml_parser.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

using namespace vireta;

void check(bool condition) {
    if (!condition)
        std::abort();
}

const std::string kFolder = "/aulas/";
const std::string kPath = kFolder + "quiz.xml";

std::optional<OpenedQuiz> open(std::string_view bytes) {
    TXMLDoc doc;
    try {
        doc.loadFromBytes(bytes);
        return readQuiz(doc, kFolder, kPath);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

struct Loaded {
    GeneralData general;
    QuizModel model;
};

void load(OpenedQuiz opened, Loaded& into) {
    applyOpenedQuiz(std::move(opened), into.model, into.general);
}

std::string quizFile(const Loaded& q) {
    OutputBuffer out;
    writeQuizFile(q.general, q.model.questions, q.model.count, out);
    return out.text();
}

bool sameQuiz(const OpenedQuiz& a, const OpenedQuiz& b) {
    return a.general == b.general && a.questions == b.questions;
}

bool validUtf8(std::string_view s) {
    for (std::size_t pos = 0; pos < s.size();) {
        char32_t cp;
        const std::size_t len = decodeUtf8At(s, pos, cp);
        if (len == 0)
            return false;
        pos += len;
    }
    return true;
}

int hex(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The script string literal that starts just after the opening quote at `pos`,
// decoded as a script engine reads it (UTF-8 out); nothing when it never ends on
// this line.
std::optional<std::string> scriptLiteral(std::string_view page, std::size_t pos) {
    std::string out;
    char16_t high = 0;
    while (pos < page.size()) {
        const char c = page[pos++];
        if (c == '"')
            return out;
        if (c == '\r' || c == '\n')
            return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= page.size())
            return std::nullopt;
        const char e = page[pos++];
        switch (e) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 'x': {
            if (pos + 2 > page.size() || hex(page[pos]) < 0 || hex(page[pos + 1]) < 0)
                return std::nullopt;
            appendUtf8(out, static_cast<char32_t>(hex(page[pos]) * 16 + hex(page[pos + 1])));
            pos += 2;
            break;
        }
        case 'u': {
            if (pos + 4 > page.size())
                return std::nullopt;
            unsigned v = 0;
            for (int i = 0; i < 4; ++i) {
                const int d = hex(page[pos + static_cast<std::size_t>(i)]);
                if (d < 0)
                    return std::nullopt;
                v = v * 16 + static_cast<unsigned>(d);
            }
            pos += 4;
            if (v >= 0xD800 && v < 0xDC00) {
                high = static_cast<char16_t>(v);
            } else if (v >= 0xDC00 && v < 0xE000) {
                if (high == 0)
                    return std::nullopt;
                appendUtf8(out, 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (v - 0xDC00));
                high = 0;
            } else {
                appendUtf8(out, static_cast<char32_t>(v));
            }
            break;
        }
        default: out += e;
        }
    }
    return std::nullopt;
}

void checkMarkingPage(const Loaded& q, bool utf8) {
    ExportSettings settings;
    settings.utf8 = utf8;
    OutputBuffer out;
    auto generator = ShuffleGenerator::withFixedSeed(1);
    writeMarkingPage(q.general, q.model.questions, q.model.count, settings, generator, out);
    // The page starts with the head (which holds the title as the teacher wrote it)
    // and then the script; the script itself runs to the first "</" after that.
    OutputBuffer head;
    writeHtmlHead(head, q.general.title, settings.styleJs, utf8);
    head.appendLine("  </head>");
    head.appendLine("<SCRIPT language=JavaScript>");
    finishEncoding(head, utf8);
    check(out.text().compare(0, head.text().size(), head.text()) == 0);
    const std::string rest = out.text().substr(head.text().size());
    const std::size_t scriptEnd = rest.find("</");
    check(scriptEnd != std::string::npos && rest.compare(scriptEnd, 11, "</SCRIPT>\r\n") == 0);
    const std::string script = utf8 ? rest.substr(0, scriptEnd) : cp1252ToUtf8(rest.substr(0, scriptEnd));
    check(script.find("<!--") == std::string::npos);

    const std::string after = "\n N\u00famero de preguntas : ";
    std::size_t from = 0;
    for (const std::string* message : {&q.general.endWell, &q.general.endBad}) {
        const std::size_t alert = script.find("alert(\"", from);
        check(alert != std::string::npos);
        const std::optional<std::string> literal = scriptLiteral(script, alert + 7);
        check(literal.has_value());
        if (validUtf8(*message))
            check(*literal == *message + after);
        from = alert + 7;
    }
}

void checkBook(const Loaded& q) {
    OutputBuffer out;
    writeBook(q.general, q.model.questions, q.model.count, out);
    for (char c : out.text()) {
        const auto u = static_cast<unsigned char>(c);
        check(u >= 0x20 || c == '\t' || c == '\n' || c == '\r');
    }
    TXMLDoc doc;
    try {
        doc.loadFromBytes(out.text());
    } catch (const std::exception&) {
        check(false);
    }
    check(doc.root() != nullptr && doc.root()->name() == "ebk");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::optional<OpenedQuiz> first = open(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!first)
        return 0;
    std::size_t statements = 0;
    for (const Question& question : first->questions)
        statements += question[FieldSlot::enunciado].empty() ? 0 : 1;

    Loaded q1;
    load(std::move(*first), q1);

    // The quiz file opens again; after one round the quiz and the bytes stay put.
    const std::string file1 = quizFile(q1);
    std::optional<OpenedQuiz> second = open(file1);
    check(second.has_value());
    check(static_cast<std::size_t>(second->count()) == statements);
    const OpenedQuiz secondCopy = *second;
    Loaded q2;
    load(std::move(*second), q2);
    const std::string file2 = quizFile(q2);
    std::optional<OpenedQuiz> third = open(file2);
    check(third.has_value());
    check(sameQuiz(*third, secondCopy));
    Loaded q3;
    load(std::move(*third), q3);
    check(quizFile(q3) == file2);

    checkBook(q1);
    checkMarkingPage(q1, true);
    checkMarkingPage(q1, false);

    ExportSettings settings;
    OutputBuffer form;
    auto generator = ShuffleGenerator::withFixedSeed(1);
    writeFormPage(q1.general, q1.model.questions, q1.model.count, settings, generator, form);
    check(!form.empty());
    return 0;
}
