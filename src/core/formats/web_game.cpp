#include "formats/web_game.h"

#include "formats/writer_support.h"
#include "io/file_read.h"
#include "text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <numeric>

namespace vireta {

// Built from game.css and game.js by the library's build (see CMakeLists.txt).
extern const unsigned char kWebGameCss[];
extern const std::size_t kWebGameCssSize;
extern const unsigned char kWebGameJs[];
extern const std::size_t kWebGameJsSize;

namespace webgame {
namespace {

// A media file embedded in a single-file page larger than this is left out: the page
// would be too large for a browser to open comfortably.
constexpr std::size_t kMaxEmbeddedBytes = std::size_t{64} << 20;

bool endsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

} // namespace

std::optional<std::string> readMediaFile(const std::string& path, int& error) {
    std::string bytes;
    if (!io::readWholeFile(path, bytes, kMaxEmbeddedBytes)) {
        error = errno;
        return std::nullopt;
    }
    return bytes;
}

namespace {

std::string base64(std::string_view bytes) {
    static const char digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                           static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += digits[(v >> 6) & 63];
        out += digits[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? digits[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string mimeType(std::string_view path) {
    const std::string name = asciiLower(bareFileName(path));
    static const struct {
        const char* ext;
        const char* type;
    } types[] = {
        {".mp3", "audio/mpeg"}, {".wav", "audio/wav"},   {".ogg", "audio/ogg"},
        {".oga", "audio/ogg"},  {".m4a", "audio/mp4"},   {".opus", "audio/ogg"},
        {".png", "image/png"},  {".jpg", "image/jpeg"},  {".jpeg", "image/jpeg"},
        {".gif", "image/gif"},  {".bmp", "image/bmp"},   {".webp", "image/webp"},
        {".svg", "image/svg+xml"},
    };
    for (const auto& t : types) {
        if (endsWith(name, t.ext))
            return t.type;
    }
    return "application/octet-stream";
}

// Collects the media the page names and turns each path into the address the page
// uses: the bare name beside the page, or the file's bytes as a data: URI.
class MediaNames {
public:
    explicit MediaNames(bool embed) : embed_(embed) {}

    std::string address(const std::string& path) {
        if (path.empty() || bareFileName(path).empty())
            return {};
        if (!embed_) {
            remember(page_.media, path);
            return mediaUrl(path);
        }
        int error = 0;
        const std::optional<std::string> bytes = readMediaFile(path, error);
        if (!bytes) {
            if (std::none_of(page_.unreadMedia.begin(), page_.unreadMedia.end(),
                             [&](const UnreadMedium& u) { return u.source == path; }))
                page_.unreadMedia.push_back({path, error});
            return {};
        }
        return "data:" + mimeType(path) + ";base64," + base64(*bytes);
    }

    Page& page() { return page_; }

private:
    static void remember(std::vector<std::string>& list, const std::string& path) {
        if (std::find(list.begin(), list.end(), path) == list.end())
            list.push_back(path);
    }

    bool embed_;
    Page page_;
};

// One "key": value member of a JSON object, with its separator, left out when the
// value is empty.
void member(std::string& json, const char* key, const std::string& text) {
    if (text.empty())
        return;
    json += ",\"";
    json += key;
    json += "\":";
    json += jsonString(toLf(text));
}

// Where a question's answers stand in the page: `order` gives, for each place, the
// index of the answer shown there; `sealed` tells which places are right.
struct AnswerPlaces {
    std::vector<int> order;
    int sealed = 0;
};

// The answers are shuffled when the page is written (a true-or-false question keeps
// "Verdadeiro", "Falso"), and which are right is given only mixed with the page's
// salt: code = (sealed + salt) % modulus, where `sealed` is a multiple of the modulus,
// drawn anew for every question, plus the remainder that makes it so. For one right
// answer the code is its place and the modulus the answer count; for several, bit i
// of the code tells whether place i is right and the modulus is 16. The page's
// source then shows neither the right answer first nor its place. This only keeps
// the answer out of plain sight: the game is a self-check, not an exam.
AnswerPlaces answerPlaces(const std::vector<bool>& right, bool several, bool shuffled, int salt,
                          ShuffleGenerator& generator) {
    AnswerPlaces places;
    places.order.resize(right.size());
    std::iota(places.order.begin(), places.order.end(), 0);
    if (shuffled)
        shuffle(places.order, generator);
    int code = 0;
    for (std::size_t i = 0; i < places.order.size(); ++i) {
        if (right[static_cast<std::size_t>(places.order[i])])
            code = several ? code | 1 << i : static_cast<int>(i);
    }
    const int modulus = several ? 16 : static_cast<int>(right.size());
    places.sealed = modulus * generator.draw(900) + ((code - salt) % modulus + modulus) % modulus;
    return places;
}

// A question's answers as the game offers them, in field order: the text shown,
// whether it is right and its own message.
struct GameAnswer {
    std::string text;
    bool right = false;
    std::string message;
};

// The answers the game offers for `q`; empty when the question cannot be played (no
// right answer, or a true-or-false one whose first answer is neither word).
std::vector<GameAnswer> gameAnswers(const Question& q) {
    std::vector<GameAnswer> list;
    if (q.kind == QuestionKind::TrueFalse) {
        const std::string& right = q[FieldSlot::resposta1];
        if (right != kTrueText && right != kFalseText)
            return list;
        const bool trueIsRight = right == kTrueText;
        list.push_back({kTrueText, trueIsRight, q.answerMessage(trueIsRight ? 1 : 2)});
        list.push_back({kFalseText, !trueIsRight, q.answerMessage(trueIsRight ? 2 : 1)});
        return list;
    }
    for (int a : filledAnswers(q))
        list.push_back({q[answerSlot(a)], isRightAnswer(q, a), q.answerMessage(a)});
    if (std::none_of(list.begin(), list.end(), [](const GameAnswer& a) { return a.right; }))
        list.clear();
    return list;
}

// A JSON list of the texts, each sealed.
std::string sealedList(const std::vector<std::string>& texts, int salt) {
    std::string json = "[";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0)
            json += ',';
        json += '"' + sealText(texts[i], salt) + '"';
    }
    return json + ']';
}

// The members of one question that say what it asks and what is right.
void appendAnswers(std::string& json, QuestionKind kind, const std::vector<GameAnswer>& answers,
                   int salt, ShuffleGenerator& generator) {
    if (kind != QuestionKind::One)
        json += ",\"kind\":\"" + std::string(kindName(kind)) + '"';
    if (kind == QuestionKind::Short) {
        std::vector<std::string> accepted;
        for (const GameAnswer& a : answers)
            accepted.push_back(a.text);
        json += ",\"accepted\":" + sealedList(accepted, salt);
        return;
    }
    std::vector<bool> right;
    for (const GameAnswer& a : answers)
        right.push_back(a.right);
    const AnswerPlaces places = answerPlaces(right, kind == QuestionKind::Several,
                                             kind != QuestionKind::TrueFalse, salt, generator);
    json += ",\"answers\":[";
    std::vector<std::string> messages;
    bool anyMessage = false;
    for (std::size_t i = 0; i < places.order.size(); ++i) {
        const GameAnswer& a = answers[static_cast<std::size_t>(places.order[i])];
        if (i > 0)
            json += ',';
        json += jsonString(toLf(a.text));
        messages.push_back(a.message);
        anyMessage = anyMessage || !a.message.empty();
    }
    json += "],\"sealed\":" + std::to_string(places.sealed);
    if (anyMessage)
        json += ",\"messages\":" + sealedList(messages, salt);
}

std::string quizJson(const GeneralData& general, const QuestionTable& questions, int count,
                     ShuffleGenerator& generator, bool scorm, MediaNames& media) {
    std::string json = "{\"title\":" + jsonString(toLf(general.title));
    member(json, "subtitle", general.subtitle);
    member(json, "author", general.author);
    member(json, "intro", general.intro);
    member(json, "introSound", media.address(general.introSound));
    member(json, "help", general.help);
    member(json, "time", general.time);
    if (const auto seconds = countdownSeconds(general.time))
        json += ",\"seconds\":" + std::to_string(*seconds);
    json += general.inOrder ? ",\"inOrder\":true" : ",\"inOrder\":false";
    member(json, "endWell", general.endWell);
    member(json, "endWellSound", media.address(general.endWellSound));
    member(json, "endBad", general.endBad);
    member(json, "endBadSound", media.address(general.endBadSound));
    json += ",\"passMark\":" + std::to_string(std::clamp(general.passMark, 0, 100));
    if (scorm)
        json += ",\"scorm\":true";
    generator.reseed();
    const int salt = generator.draw(9000) + 999;
    json += ",\"salt\":" + std::to_string(salt);
    json += ",\"questions\":[";

    bool first = true;
    count = clampedCount(count);
    for (int k = 1; k <= count; ++k) {
        const Question& q = questions.record(k);
        const std::vector<GameAnswer> answers = gameAnswers(q);
        if (statementOf(q).empty() || answers.empty())
            continue;
        json += first ? "\n" : ",\n";
        first = false;
        json += "{\"n\":" + std::to_string(k) + ",\"text\":" + jsonString(toLf(statementOf(q)));
        appendAnswers(json, q.kind, answers, salt, generator);
        if (!isVideo(q[FieldSlot::imaxe]))
            member(json, "picture", media.address(q[FieldSlot::imaxe]));
        member(json, "sound", media.address(q[FieldSlot::son]));
        member(json, "right", q[FieldSlot::ben]);
        member(json, "rightSound", media.address(q[FieldSlot::sonben]));
        member(json, "wrong", q[FieldSlot::mal]);
        member(json, "wrongSound", media.address(q[FieldSlot::sonmal]));
        member(json, "link", safeLink(q[FieldSlot::enlace]));
        json += '}';
    }
    json += "\n]}";
    return json;
}

void appendLines(OutputBuffer& out, std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        out.appendLine(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

} // namespace

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    out.reserve(text.size() + 2);
    char buf[8];
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t cp;
        std::size_t len = decodeUtf8At(text, pos, cp);
        std::string recoded;
        if (len == 0) {
            recoded = cp1252ToUtf8(text.substr(pos, 1));
            decodeUtf8At(recoded, 0, cp);
            len = 1;
        }
        switch (cp) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (cp < 0x20 || cp == 0x7F || cp == '<' || cp == '>' || cp == '&' ||
                cp == 0x2028 || cp == 0x2029) {
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(cp));
                out += buf;
            } else if (!recoded.empty()) {
                out += recoded;
            } else {
                out.append(text.substr(pos, len));
            }
        }
        pos += len;
    }
    out += '"';
    return out;
}

std::string sealText(std::string_view text, int salt) {
    static const char hex[] = "0123456789abcdef";
    std::string out;
    unsigned key = static_cast<unsigned>(salt);
    for (char c : utf8FromFile(toLf(text))) {
        key = (key * 75 + 74) % 65537;
        const unsigned b = static_cast<unsigned char>(c) ^ (key & 255);
        out += hex[b >> 4];
        out += hex[b & 15];
    }
    return out;
}

std::optional<int> countdownSeconds(std::string_view time) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!time.empty() && blank(time.front()))
        time.remove_prefix(1);
    while (!time.empty() && blank(time.back()))
        time.remove_suffix(1);
    std::size_t digits = 0;
    while (digits < time.size() && time[digits] >= '0' && time[digits] <= '9')
        ++digits;
    if (digits == 0 || digits > 6)
        return std::nullopt;
    long value = std::stol(std::string(time.substr(0, digits)));
    std::string_view unit = time.substr(digits);
    // Minutes and seconds, "5:00".
    if (unit.size() == 3 && unit[0] == ':' && unit[1] >= '0' && unit[1] <= '5' && unit[2] >= '0' &&
        unit[2] <= '9') {
        value = value * 60 + (unit[1] - '0') * 10 + (unit[2] - '0');
        unit = {};
    }
    while (!unit.empty() && blank(unit.front()))
        unit.remove_prefix(1);
    const std::string u = asciiLower(unit);
    if (u == "min")
        value *= 60;
    else if (!u.empty() && u != "s")
        return std::nullopt;
    if (value <= 0 || value > 24 * 60 * 60)
        return std::nullopt;
    return static_cast<int>(value);
}

std::string mediaUrl(std::string_view path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : bareFileName(path)) {
        const auto b = static_cast<unsigned char>(c);
        if (std::isalnum(b) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 15];
        }
    }
    return out;
}

std::string safeLink(std::string_view link) {
    std::string s;
    for (char c : link) {
        if (c != '\t' && c != '\r' && c != '\n')
            s += c;
    }
    const auto outer = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!s.empty() && outer(s.back()))
        s.pop_back();
    std::size_t start = 0;
    while (start < s.size() && outer(s[start]))
        ++start;
    s.erase(0, start);
    if (s.empty() || std::any_of(s.begin(), s.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\\';
        }))
        return {};
    const std::size_t colon = s.find(':');
    const std::size_t stop = s.find_first_of("/?#");
    if (colon == std::string::npos || (stop != std::string::npos && stop < colon))
        return s; // relative: no scheme
    const std::string scheme = asciiLower(s.substr(0, colon));
    if (scheme == "http" || scheme == "https" || scheme == "mailto")
        return s;
    return {};
}

bool isVideo(std::string_view path) {
    const std::string l = asciiLower(path);
    return endsWith(l, "flv") || endsWith(l, "swf");
}

std::string pageTitle(const GeneralData& general) {
    const bool blank = general.title.find_first_not_of(" \t\r\n") == std::string::npos;
    return blank ? std::string("Cuestionario") : general.title;
}

std::string_view styleSheet() {
    return {reinterpret_cast<const char*>(kWebGameCss), kWebGameCssSize};
}
std::string_view script() { return {reinterpret_cast<const char*>(kWebGameJs), kWebGameJsSize}; }

Page buildPage(const GeneralData& general, const QuestionTable& questions, int count,
               const ExportSettings& settings, ShuffleGenerator& generator, bool scorm) {
    MediaNames media(settings.singleFile);
    const std::string json = quizJson(general, questions, count, generator, scorm, media);
    OutputBuffer out;
    out.appendLine("<!DOCTYPE html>");
    out.appendLine("<html lang=\"gl\">");
    out.appendLine("<head>");
    out.appendLine("<meta charset=\"utf-8\">");
    out.appendLine("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
    out.appendLine("<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
                   "img-src 'self' file: data:; media-src 'self' file: data:; "
                   "style-src 'unsafe-inline'; script-src 'unsafe-inline'\">");
    out.appendLine("<meta name=\"generator\" content=\"Vireta\">");
    out.appendLine("<title>" + xmlText(utf8FromFile(toLf(pageTitle(general)))) + "</title>");
    out.appendLine("<style>");
    appendLines(out, styleSheet());
    out.appendLine("</style>");
    out.appendLine("</head>");
    out.appendLine("<body>");
    out.appendLine("<main id=\"xogo\"><noscript><p>Este xogo necesita JavaScript.</p></noscript></main>");
    out.appendLine("<div id=\"aviso\" class=\"oculto\" aria-live=\"polite\"></div>");
    out.appendLine("<script type=\"application/json\" id=\"datos\">");
    appendLines(out, json);
    out.appendLine("</script>");
    out.appendLine("<script>");
    appendLines(out, script());
    out.appendLine("</script>");
    out.appendLine("</body>");
    out.appendLine("</html>");
    Page page = std::move(media.page());
    page.html = out.text();
    return page;
}

namespace {
std::string wholeManifestTitle(const GeneralData& general) {
    return utf8FromFile(toLf(pageTitle(general)));
}
} // namespace

std::string manifestTitle(const GeneralData& general) {
    return std::string(utf8Prefix(wholeManifestTitle(general), kManifestTitleLimit));
}

bool manifestTitleShortened(const GeneralData& general) {
    const std::string whole = wholeManifestTitle(general);
    return utf8Prefix(whole, kManifestTitleLimit).size() < whole.size();
}

std::string scormManifest(const std::string& title, int passMark,
                          const std::vector<std::string>& entries) {
    const std::string t = xmlText(title);
    std::string m =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<manifest identifier=\"vireta-xogo\" version=\"1.0\"\n"
        "    xmlns=\"http://www.imsproject.org/xsd/imscp_rootv1p1p2\"\n"
        "    xmlns:adlcp=\"http://www.adlnet.org/xsd/adlcp_rootv1p2\"\n"
        "    xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
        "    xsi:schemaLocation=\"http://www.imsproject.org/xsd/imscp_rootv1p1p2 imscp_rootv1p1p2.xsd "
        "http://www.imsglobal.org/xsd/imsmd_rootv1p2p1 imsmd_rootv1p2p1.xsd "
        "http://www.adlnet.org/xsd/adlcp_rootv1p2 adlcp_rootv1p2.xsd\">\n"
        "  <metadata>\n"
        "    <schema>ADL SCORM</schema>\n"
        "    <schemaversion>1.2</schemaversion>\n"
        "  </metadata>\n"
        "  <organizations default=\"vireta-organizacion\">\n"
        "    <organization identifier=\"vireta-organizacion\">\n"
        "      <title>" + t + "</title>\n"
        "      <item identifier=\"vireta-item\" identifierref=\"vireta-recurso\" isvisible=\"true\">\n"
        "        <title>" + t + "</title>\n"
        "        <adlcp:masteryscore>" + std::to_string(std::clamp(passMark, 0, 100)) +
        "</adlcp:masteryscore>\n"
        "      </item>\n"
        "    </organization>\n"
        "  </organizations>\n"
        "  <resources>\n"
        "    <resource identifier=\"vireta-recurso\" type=\"webcontent\" adlcp:scormtype=\"sco\" "
        "href=\"index.html\">\n";
    for (const auto& e : entries)
        m += "      <file href=\"" + xmlText(mediaUrl(e), true) + "\"/>\n";
    m += "    </resource>\n"
         "  </resources>\n"
         "</manifest>\n";
    return m;
}

} // namespace webgame

SaveRequest writeWebGame(const GeneralData& general, const QuestionTable& questions, int count,
                      const ExportSettings& settings, ShuffleGenerator& generator, OutputBuffer& out) {
    webgame::Page page = webgame::buildPage(general, questions, count, settings, generator, false);
    out.setText(std::move(page.html));
    SaveRequest request{kHtmlFilter, "html"};
    request.carriesMedia = settings.singleFile;
    request.unreadMedia = std::move(page.unreadMedia);
    return request;
}

} // namespace vireta
