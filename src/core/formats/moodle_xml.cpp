#include "formats/moodle_xml.h"

#include "formats/bank_answers.h"
#include "formats/import_support.h"
#include "formats/writer_support.h"
#include "io/file_read.h"
#include "text.h"

#include <pugixml.hpp>

#include <optional>
#include <vector>

namespace vireta {
namespace {

std::string extensionOf(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    std::string e(name.substr(dot + 1));
    for (char& c : e)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return e;
}

bool extensionIn(std::string_view name, std::initializer_list<const char*> list) {
    const std::string e = extensionOf(name);
    for (const char* x : list)
        if (e == x)
            return true;
    return false;
}

// The HTML without the links to the question's own embedded files (a sound is shown
// as one): their text is no part of the question's. One pass, so that no input takes
// more than linear time.
std::string withoutFileLinks(const std::string& html) {
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    std::string out;
    out.reserve(html.size());
    std::size_t nextClose = 0; // the next "</a>" at or after a position already searched
    bool closeSearched = false;
    bool noMoreGt = false; // no '>' is left after the position reached
    std::size_t i = 0;
    while (i < html.size()) {
        const std::size_t lt = html.find('<', i);
        if (lt == std::string::npos) {
            out.append(html, i, std::string::npos);
            break;
        }
        out.append(html, i, lt - i);
        const bool anchor = lt + 2 < html.size() && (html[lt + 1] == 'a' || html[lt + 1] == 'A') &&
                            isBlank(html[lt + 2]);
        std::size_t gt = std::string::npos;
        if (anchor && !noMoreGt) {
            gt = html.find('>', lt);
            noMoreGt = gt == std::string::npos;
        }
        if (gt == std::string::npos) {
            out += '<';
            i = lt + 1;
            continue;
        }
        // The whole tag is looked at once, so no part of it is searched again.
        const std::string_view tag = std::string_view(html).substr(lt, gt - lt);
        if (tag.find("@@PLUGINFILE@@") == std::string_view::npos) {
            out.append(tag);
            out += '>';
            i = gt + 1;
            continue;
        }
        if (!closeSearched || (nextClose != std::string::npos && nextClose < gt)) {
            nextClose = std::string::npos;
            for (std::size_t j = gt; j + 4 <= html.size(); ++j) {
                if (html[j] == '<' && html[j + 1] == '/' && (html[j + 2] == 'a' || html[j + 2] == 'A') &&
                    html[j + 3] == '>') {
                    nextClose = j;
                    break;
                }
            }
            closeSearched = true;
        }
        // The link and its text go; an unclosed link loses its tag only.
        i = nextClose == std::string::npos ? gt + 1 : nextClose + 4;
    }
    return out;
}

// A text element's contents as the program's text, after its `format`.
std::string htmlOrPlainIn(const pugi::xml_node& holder) {
    const std::string raw = withoutFileLinks(holder.child("text").child_value());
    const std::string_view format = holder.attribute("format").as_string("html");
    if (format == "plain_text" || format == "markdown")
        return toCrLf(raw);
    if (format == "moodle_auto_format") { // HTML in which a line break is one
        std::string html;
        for (char c : toLf(raw))
            html += c == '\n' ? std::string("<br>") : std::string(1, c);
        return htmlToText(html);
    }
    return htmlToText(raw);
}

// The same without the control characters XML cannot carry (a parser lets them
// through, and no document of the program's could hold them), trimmed.
std::string textIn(const pugi::xml_node& holder) {
    return std::string(trimmed(withoutXmlControls(htmlOrPlainIn(holder))));
}

NoteReason reasonForType(std::string_view type) {
    if (type == "numerical")
        return NoteReason::Numerical;
    if (type == "matching" || type == "ddmatch")
        return NoteReason::Matching;
    if (type == "essay")
        return NoteReason::Essay;
    if (type == "cloze" || type == "multianswer")
        return NoteReason::Cloze;
    if (type == "description")
        return NoteReason::Description;
    return NoteReason::OtherKind;
}

// The contents of a message element, when the question has it.
std::optional<std::string> messageIn(const pugi::xml_node& question, const char* element) {
    const pugi::xml_node node = question.child(element);
    return node ? std::optional<std::string>(textIn(node)) : std::nullopt;
}

bool isTrue(std::string_view value) { return value == "true" || value == "1"; }

void readQuestion(const pugi::xml_node& node, const MediaSink& media, ImportResult& result) {
    const std::string type = node.attribute("type").as_string();
    const std::string name(trimmed(node.child("name").child("text").child_value()));
    auto note = [&](NoteReason r, std::string detail = {}) {
        result.notes.push_back({0, name, r, std::move(detail), 0});
    };
    BankKind kind;
    BankMessages messages;
    if (type == "multichoice") {
        const std::string single(trimmed(node.child("single").child_value()));
        kind = single.empty() || isTrue(single) ? BankKind::SingleChoice // true when not given
                                                : BankKind::MultipleResponse;
        messages = {messageIn(node, "correctfeedback"), messageIn(node, "incorrectfeedback")};
    } else if (type == "truefalse") {
        kind = BankKind::TrueFalse;
    } else if (type == "shortanswer") {
        kind = BankKind::ShortAnswer;
    } else {
        const NoteReason r = reasonForType(type);
        note(r, r == NoteReason::OtherKind ? type : std::string());
        return;
    }
    ImportedQuestion q;
    q.name = name;
    Question& r = q.question;
    r[FieldSlot::enunciado] = textIn(node.child("questiontext"));
    if (r[FieldSlot::enunciado].empty()) {
        note(NoteReason::NoStatement);
        return;
    }

    std::vector<BankAnswer> answers;
    for (const pugi::xml_node& a : node.children("answer")) {
        // The fraction is a percentage; an answer without one is worth nothing.
        const pugi::xml_attribute fraction = a.attribute("fraction");
        BankAnswer answer{fraction ? bankWeight(fraction.as_string()) : std::optional<double>(0), {},
                          textIn(a.child("feedback"))};
        const std::string plain = withoutXmlControls(a.child("text").child_value());
        const std::string_view raw = trimmed(plain);
        if (kind == BankKind::TrueFalse)
            answer.text = equalsNoCase(raw, "true") ? kTrueText : equalsNoCase(raw, "false") ? kFalseText : textIn(a);
        else if (kind == BankKind::ShortAnswer) // a pattern to match, never markup
            answer.text = std::string(raw);
        else
            answer.text = textIn(a);
        answers.push_back(std::move(answer));
    }
    if (answers.empty()) {
        note(NoteReason::NoAnswers);
        return;
    }
    const BankQuestion taken = takeBankQuestion(kind, answers, messages);
    if (taken.leftOut) {
        note(*taken.leftOut);
        return;
    }
    taken.putInto(r);
    for (const AnswerChange& c : taken.changes)
        note(c.reason, c.detail);
    if (kind == BankKind::ShortAnswer && isTrue(trimmed(node.child("usecase").child_value())))
        note(NoteReason::CaseSensitive);

    // Embedded files: the question text's first picture and first sound are kept.
    std::vector<pugi::xml_node> pending{node};
    std::vector<pugi::xml_node> files;
    while (!pending.empty()) {
        const pugi::xml_node n = pending.back();
        pending.pop_back();
        for (const pugi::xml_node& c : n.children()) {
            if (c.type() != pugi::node_element)
                continue;
            if (std::string_view(c.name()) == "file")
                files.push_back(c);
            else
                pending.push_back(c);
        }
    }
    for (const pugi::xml_node& f : files) {
        const std::string original = f.attribute("name").as_string();
        const std::string safe = safeMediaName(original);
        const bool inText = std::string_view(f.parent().name()) == "questiontext";
        FieldSlot slot = FieldSlot::enlace;
        if (inText && isPictureName(safe) && r[FieldSlot::imaxe].empty())
            slot = FieldSlot::imaxe;
        else if (inText && isSoundName(safe) && r[FieldSlot::son].empty())
            slot = FieldSlot::son;
        std::string bytes;
        if (slot == FieldSlot::enlace || safe.empty() ||
            !equalsNoCase(f.attribute("encoding").as_string(), "base64") ||
            !decodeBase64(f.child_value(), bytes)) {
            note(NoteReason::EmbeddedFileLeftOut, original);
            continue;
        }
        const std::string path = media ? media(safe, bytes) : std::string();
        if (path.empty()) {
            note(NoteReason::MediaNotWritten, safe);
            continue;
        }
        r[slot] = path;
    }
    result.questions.push_back(std::move(q));
}

// Text as HTML: markup escaped, line breaks as <br>.
std::string asHtml(std::string_view text) {
    std::string out;
    const std::string escaped = escapeMarkup(toLf(text), "&<>");
    for (char c : escaped) {
        if (c == '\n')
            out += "<br>";
        else
            out += c;
    }
    return out;
}

// A file name as it stands in a URL path.
std::string urlName(std::string_view name) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : name) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

void textElement(OutputBuffer& out, const std::string& indent, const char* element,
                 const std::string& html) {
    out.appendLine(indent + "<" + element + " format=\"html\">");
    out.appendLine(indent + "  <text>" + xmlText(html) + "</text>");
    out.appendLine(indent + "</" + element + ">");
}

} // namespace

std::string safeMediaName(std::string_view name) {
    std::string bare = bareFileName(name);
    if (bare.find_first_not_of('.') == std::string::npos)
        return {}; // "", "." and ".." name no file
    std::string out;
    for (char c : bare)
        out += static_cast<unsigned char>(c) < 32 || c == 127 ? '_' : c;
    if (!out.empty() && out[0] == '.')
        out[0] = '_';
    if (out.size() > 120) {
        // Keep the extension, cut on a character boundary.
        const std::string ext = extensionOf(out);
        std::string stem = firstCharacters(out, 100);
        if (stem.size() > 100)
            stem.resize(100);
        out = ext.empty() || ext.size() > 10 ? stem : stem + "." + ext;
    }
    return out;
}

bool isPictureName(std::string_view name) {
    return extensionIn(name, {"jpg", "jpeg", "png", "gif", "bmp", "svg", "webp"});
}

bool isSoundName(std::string_view name) {
    return extensionIn(name, {"mp3", "wav", "ogg", "oga", "m4a", "aac", "flac", "opus"});
}

ImportResult MoodleXmlReader::read(std::string_view text, const MediaSink& media) {
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed =
        doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed)
        throw MoodleXmlError(std::string(parsed.description()) + " at byte " +
                             std::to_string(parsed.offset));
    const pugi::xml_node quiz = doc.document_element();
    if (std::string_view(quiz.name()) != "quiz")
        throw MoodleXmlError("the root element is not 'quiz'");
    ImportResult result;
    for (const pugi::xml_node& q : quiz.children("question")) {
        if (std::string_view(q.attribute("type").as_string()) == "category")
            continue;
        readQuestion(q, media, result);
    }
    return result;
}

SaveRequest MoodleXmlWriter::write(const GeneralData& general, const QuestionTable& questions,
                                   int count, OutputBuffer& out, ExportNotes& notes) {
    out.appendLine("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    out.appendLine("<quiz>");
    if (!general.title.empty()) {
        std::string category;
        for (char c : general.title)
            category += c == '/' ? std::string("//") : std::string(1, c);
        out.appendLine("  <question type=\"category\">");
        out.appendLine("    <category>");
        out.appendLine("      <text>$course$/top/" + xmlText(category) + "</text>");
        out.appendLine("    </category>");
        out.appendLine("  </question>");
    }
    constexpr unsigned kNotCarried = kRightSoundField | kWrongSoundField | kLinkField;
    // A `multichoice` has the question's own messages; the other two hold the answers' only.
    auto messagesLost = [](const Question& q) {
        return q.kind == QuestionKind::TrueFalse || q.kind == QuestionKind::Short
                   ? messagesNotCarried(q, q.kind == QuestionKind::Short)
                   : 0u;
    };
    forEachBankQuestion(questions, count, 0, kNotCarried, "Moodle XML", notes, [&](int k, const Question& q) {

        // The picture and the sound, read now so that one that cannot be read is
        // neither referenced nor embedded.
        struct Embedded {
            std::string name, bytes;
            bool picture;
        };
        std::vector<Embedded> embedded;
        for (FieldSlot slot : {FieldSlot::imaxe, FieldSlot::son}) {
            const std::string& path = q[slot];
            if (path.empty())
                continue;
            Embedded e{safeMediaName(path), {}, slot == FieldSlot::imaxe};
            if (e.name.empty() || !io::readWholeFile(path, e.bytes)) {
                notes.push_back({k, {}, NoteReason::MediaUnreadable, path, 0});
                continue;
            }
            if (!embedded.empty() && embedded.front().name == e.name)
                e.name = "2-" + e.name;
            embedded.push_back(std::move(e));
        }
        std::string html = "<p>" + asHtml(statementOf(q)) + "</p>";
        for (const Embedded& e : embedded) {
            const std::string url = "@@PLUGINFILE@@/" + urlName(e.name);
            if (e.picture && isPictureName(e.name))
                html += "<p><img src=\"" + url + "\" alt=\"\"></p>";
            else
                html += "<p><a href=\"" + url + "\">" + asHtml(e.name) + "</a></p>";
        }
        const std::string name = questionName(statementOf(q));
        const char* type = q.kind == QuestionKind::TrueFalse ? "truefalse"
                           : q.kind == QuestionKind::Short   ? "shortanswer"
                                                             : "multichoice";
        out.appendLine(std::string("  <question type=\"") + type + "\">");
        out.appendLine("    <name>");
        out.appendLine("      <text>" + xmlText(name) + "</text>");
        out.appendLine("    </name>");
        out.appendLine("    <questiontext format=\"html\">");
        out.appendLine("      <text>" + xmlText(html) + "</text>");
        for (const Embedded& e : embedded)
            out.appendLine("      <file name=\"" + xmlText(e.name, true) +
                           "\" path=\"/\" encoding=\"base64\">" + encodeBase64(e.bytes) + "</file>");
        out.appendLine("    </questiontext>");
        textElement(out, "    ", "generalfeedback", "");
        out.appendLine("    <defaultgrade>1</defaultgrade>");
        // A true-or-false question has one try: a wrong one loses the whole mark.
        out.appendLine(q.kind == QuestionKind::TrueFalse ? "    <penalty>1</penalty>"
                                                         : "    <penalty>0.3333333</penalty>");
        out.appendLine("    <hidden>0</hidden>");
        auto answer = [&](const std::string& fraction, const char* format, const std::string& text,
                          const std::string& feedback) {
            out.appendLine("    <answer fraction=\"" + fraction + "\" format=\"" + format + "\">");
            out.appendLine("      <text>" + xmlText(text) + "</text>");
            textElement(out, "      ", "feedback", asHtml(feedback));
            out.appendLine("    </answer>");
        };
        if (q.kind == QuestionKind::TrueFalse) {
            // The platform's two answers, "true" first, each with its feedback.
            const int trueAnswer = q[FieldSlot::resposta1] == kFalseText ? 2 : 1;
            answer(trueAnswer == 1 ? "100" : "0", "moodle_auto_format", "true", bankFeedback(q, trueAnswer));
            answer(trueAnswer == 1 ? "0" : "100", "moodle_auto_format", "false", bankFeedback(q, 3 - trueAnswer));
        } else if (q.kind == QuestionKind::Short) {
            // Answers compared ignoring case; "*" (anything else) carries the wrong message.
            out.appendLine("    <usecase>0</usecase>");
            for (int a : filledAnswers(q))
                answer("100", "moodle_auto_format", shortAnswerPattern(q[answerSlot(a)]), bankFeedback(q, a));
            if (!q[FieldSlot::mal].empty())
                answer("0", "moodle_auto_format", "*", q[FieldSlot::mal]);
        } else {
            const bool several = q.kind == QuestionKind::Several;
            out.appendLine(several ? "    <single>false</single>" : "    <single>true</single>");
            out.appendLine("    <shuffleanswers>1</shuffleanswers>");
            out.appendLine("    <answernumbering>abc</answernumbering>");
            textElement(out, "    ", "correctfeedback", asHtml(q[FieldSlot::ben]));
            textElement(out, "    ", "partiallycorrectfeedback", "");
            textElement(out, "    ", "incorrectfeedback", asHtml(q[FieldSlot::mal]));
            for (int a : filledAnswers(q)) {
                const std::string fraction = !isRightAnswer(q, a) ? (several ? kSeveralWrongWeight : "0")
                                             : several            ? severalRightWeight(rightAnswerCount(q))
                                                                  : "100";
                answer(fraction, "html", asHtml(q[answerSlot(a)]), q.answerMessage(a));
            }
        }
        out.appendLine("  </question>");
    }, messagesLost);
    out.appendLine("</quiz>");
    return SaveRequest{kMoodleXmlFilter, "xml"};
}

} // namespace vireta
