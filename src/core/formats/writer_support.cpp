#include "formats/writer_support.h"

#include "formats/export_settings.h"
#include "text.h"

#include <algorithm>
#include <cstdio>

namespace vireta {
namespace {

constexpr const char* kDoctype1 =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"";
constexpr const char* kDoctype2 = "\"http://www.w3.org/TR/html4/loose.dtd\"> ";
constexpr const char* kMetaUtf8 =
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">";
constexpr const char* kMetaLatin1 =
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">";

void appendUnicodeEscape(std::string& out, unsigned unit) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04X", unit & 0xFFFFu);
    out += buf;
}

} // namespace

int clampedCount(int count) {
    return std::clamp(count, 0, kQuestionCapacity);
}

const std::string& statementOf(const Question& q) {
    return q[FieldSlot::enunciado];
}

std::vector<int> questionOrder(int count, bool inOrder, ShuffleGenerator& generator) {
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int k = 1; k <= count; ++k)
        order[static_cast<std::size_t>(k - 1)] = k;
    if (!inOrder) {
        generator.reseed();
        shuffle(order, generator);
    }
    return order;
}

bool hasRightAnswer(const Question& q) {
    for (int a = 1; a <= kAnswerCount; ++a)
        if (!q[answerSlot(a)].empty() && isRightAnswer(q, a))
            return true;
    return false;
}

std::vector<int> filledAnswers(const Question& q) {
    std::vector<int> list;
    for (int a = 1; a <= 4; ++a) {
        if (!q[answerSlot(a)].empty())
            list.push_back(a);
    }
    return list;
}

std::vector<int> shownAnswers(const Question& q) {
    std::vector<int> list = filledAnswers(q);
    if (q.kind == QuestionKind::TrueFalse && list.size() == 2 && q[answerSlot(list[1])] == kTrueText)
        std::swap(list[0], list[1]);
    return list;
}

FormatNote kindLeftOutNote(int k, const Question& q) {
    return {k, {}, q.kind == QuestionKind::Short ? NoteReason::ShortLeftOut : NoteReason::SeveralLeftOut,
            {}, 0};
}

void noteKindsLeftOut(const QuestionTable& questions, int count, unsigned leftOut, ExportNotes* notes) {
    for (int k = 1; notes && k <= clampedCount(count); ++k) {
        const Question& q = questions.record(k);
        if (!statementOf(q).empty() && leavesOutKind(q, leftOut))
            notes->push_back(kindLeftOutNote(k, q));
    }
}

std::string quotedAttribute(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '"')
            out += "&quot;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

std::string withoutXmlControls(std::string_view text) {
    std::string carried;
    carried.reserve(text.size());
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r')
            carried += c;
    }
    return carried;
}

std::string scriptString(std::string_view text, bool utf8Page) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t cp;
        const std::size_t len = decodeUtf8At(text, pos, cp);
        if (len == 0) {
            out += text[pos++];
            continue;
        }
        switch (cp) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '<':
            out += "\\x3C";
            break;
        case 0x2028:
        case 0x2029:
            appendUnicodeEscape(out, static_cast<unsigned>(cp));
            break;
        default:
            if (!utf8Page && ((cp >= 0x80 && cp < 0xA0) || cp > 0xFF)) {
                if (cp > 0xFFFF) {
                    const char32_t v = cp - 0x10000;
                    appendUnicodeEscape(out, static_cast<unsigned>(0xD800 + (v >> 10)));
                    appendUnicodeEscape(out, static_cast<unsigned>(0xDC00 + (v & 0x3FF)));
                } else {
                    appendUnicodeEscape(out, static_cast<unsigned>(cp));
                }
            } else {
                out.append(text.substr(pos, len));
            }
        }
        pos += len;
    }
    return out;
}

std::string xmlText(std::string_view text, bool attribute) {
    return escapeMarkup(withoutXmlControls(text), attribute ? "&<>\"" : "&<>");
}

void writeHtmlHead(OutputBuffer& out, const std::string& title, const std::string& style,
                   bool utf8) {
    out.appendLine(kDoctype1);
    out.appendLine(kDoctype2);
    out.appendLine("<html><head>");
    if (!style.empty())
        out.appendLine("<link href=\"" + quotedAttribute(bareFileName(style)) +
                       "\" rel=\"stylesheet\" type=\"text/css\">");
    out.appendLine("<title>" + title + "</title>");
    out.appendLine(utf8 ? kMetaUtf8 : kMetaLatin1);
}

void writeHtmlTitles(OutputBuffer& out, const GeneralData& general,
                     const ExportSettings& settings) {
    out.appendLine(" <div class=\"titulo\">" + general.title + "</div><br> ");
    out.appendLine(" <div class=\"subtitulo\">" + general.subtitle + "</div><br> ");
    if (!settings.text.empty())
        out.appendLine(" <div class=\"subtitulo\">" + settings.text + "</div><br> ");
}

void finishEncoding(OutputBuffer& out, bool utf8) {
    if (!utf8)
        out.setText(utf8ToCp1252(out.text()));
}

} // namespace vireta
