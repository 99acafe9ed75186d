#include "formats/import_support.h"

#include "text.h"

#include <cctype>

namespace vireta {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool validUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp;
        const std::size_t n = decodeUtf8At(s, i, cp);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

// Named references a page written by an HTML editor uses: the XML five, the
// Latin-1 set and the typographic marks.
struct Entity {
    const char* name;
    char32_t codePoint;
};
const Entity kEntities[] = {
    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''},
    {"nbsp", 0xA0}, {"iexcl", 0xA1}, {"cent", 0xA2}, {"pound", 0xA3}, {"curren", 0xA4},
    {"yen", 0xA5}, {"brvbar", 0xA6}, {"sect", 0xA7}, {"uml", 0xA8}, {"copy", 0xA9},
    {"ordf", 0xAA}, {"laquo", 0xAB}, {"not", 0xAC}, {"shy", 0xAD}, {"reg", 0xAE},
    {"macr", 0xAF}, {"deg", 0xB0}, {"plusmn", 0xB1}, {"sup2", 0xB2}, {"sup3", 0xB3},
    {"acute", 0xB4}, {"micro", 0xB5}, {"para", 0xB6}, {"middot", 0xB7}, {"cedil", 0xB8},
    {"sup1", 0xB9}, {"ordm", 0xBA}, {"raquo", 0xBB}, {"frac14", 0xBC}, {"frac12", 0xBD},
    {"frac34", 0xBE}, {"iquest", 0xBF}, {"Agrave", 0xC0}, {"Aacute", 0xC1}, {"Acirc", 0xC2},
    {"Atilde", 0xC3}, {"Auml", 0xC4}, {"Aring", 0xC5}, {"AElig", 0xC6}, {"Ccedil", 0xC7},
    {"Egrave", 0xC8}, {"Eacute", 0xC9}, {"Ecirc", 0xCA}, {"Euml", 0xCB}, {"Igrave", 0xCC},
    {"Iacute", 0xCD}, {"Icirc", 0xCE}, {"Iuml", 0xCF}, {"ETH", 0xD0}, {"Ntilde", 0xD1},
    {"Ograve", 0xD2}, {"Oacute", 0xD3}, {"Ocirc", 0xD4}, {"Otilde", 0xD5}, {"Ouml", 0xD6},
    {"times", 0xD7}, {"Oslash", 0xD8}, {"Ugrave", 0xD9}, {"Uacute", 0xDA}, {"Ucirc", 0xDB},
    {"Uuml", 0xDC}, {"Yacute", 0xDD}, {"THORN", 0xDE}, {"szlig", 0xDF}, {"agrave", 0xE0},
    {"aacute", 0xE1}, {"acirc", 0xE2}, {"atilde", 0xE3}, {"auml", 0xE4}, {"aring", 0xE5},
    {"aelig", 0xE6}, {"ccedil", 0xE7}, {"egrave", 0xE8}, {"eacute", 0xE9}, {"ecirc", 0xEA},
    {"euml", 0xEB}, {"igrave", 0xEC}, {"iacute", 0xED}, {"icirc", 0xEE}, {"iuml", 0xEF},
    {"eth", 0xF0}, {"ntilde", 0xF1}, {"ograve", 0xF2}, {"oacute", 0xF3}, {"ocirc", 0xF4},
    {"otilde", 0xF5}, {"ouml", 0xF6}, {"divide", 0xF7}, {"oslash", 0xF8}, {"ugrave", 0xF9},
    {"uacute", 0xFA}, {"ucirc", 0xFB}, {"uuml", 0xFC}, {"yacute", 0xFD}, {"thorn", 0xFE},
    {"yuml", 0xFF}, {"ndash", 0x2013}, {"mdash", 0x2014}, {"lsquo", 0x2018},
    {"rsquo", 0x2019}, {"sbquo", 0x201A}, {"ldquo", 0x201C}, {"rdquo", 0x201D},
    {"bdquo", 0x201E}, {"hellip", 0x2026}, {"euro", 0x20AC}, {"bull", 0x2022},
    {"trade", 0x2122},
};

bool isScalar(unsigned long v) { return v > 0 && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF); }

// Decodes the reference at text[pos] ('&'); returns its length, 0 when it is none.
std::size_t decodeReference(std::string_view text, std::size_t pos, std::string& out) {
    // A reference is short: look no further, so that a text of many '&' stays linear.
    const std::size_t semi = text.substr(0, pos + 13).find(';', pos + 1);
    if (semi == std::string_view::npos)
        return 0;
    const std::string_view body = text.substr(pos + 1, semi - pos - 1);
    if (body.size() >= 2 && body[0] == '#') {
        const bool hex = body[1] == 'x' || body[1] == 'X';
        const std::string_view digits = body.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 8)
            return 0;
        unsigned long v = 0;
        for (char c : digits) {
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return 0;
            v = v * (hex ? 16 : 10) + static_cast<unsigned long>(d);
        }
        if (!isScalar(v))
            return 0;
        appendUtf8(out, static_cast<char32_t>(v));
        return semi - pos + 1;
    }
    for (const Entity& e : kEntities) {
        if (body == e.name) {
            appendUtf8(out, e.codePoint);
            return semi - pos + 1;
        }
    }
    return 0;
}

// Tags after which the text goes on in a new line.
bool breaksLine(std::string_view tag) {
    static const char* const kTags[] = {"p",  "br", "div", "li", "tr", "h1", "h2", "h3",
                                        "h4", "h5", "h6",  "ul", "ol", "table", "blockquote",
                                        "pre"};
    for (const char* t : kTags)
        if (equalsNoCase(tag, t))
            return true;
    return false;
}

// The value of attribute `wanted` among a tag's attributes (what follows its name),
// quoted or not, with its references decoded; empty when the tag has none.
std::string attributeValue(std::string_view attributes, std::string_view wanted) {
    std::size_t i = 0;
    const std::size_t n = attributes.size();
    while (i < n) {
        while (i < n && (isBlank(attributes[i]) || attributes[i] == '/'))
            ++i;
        const std::size_t nameStart = i;
        while (i < n && !isBlank(attributes[i]) && attributes[i] != '=' && attributes[i] != '/')
            ++i;
        const std::string_view name = attributes.substr(nameStart, i - nameStart);
        while (i < n && isBlank(attributes[i]))
            ++i;
        std::string_view value;
        if (i < n && attributes[i] == '=') {
            ++i;
            while (i < n && isBlank(attributes[i]))
                ++i;
            if (i < n && (attributes[i] == '"' || attributes[i] == '\'')) {
                const std::size_t close = attributes.find(attributes[i], i + 1);
                const std::size_t end = close == std::string_view::npos ? n : close;
                value = attributes.substr(i + 1, end - i - 1);
                i = end + 1;
            } else {
                const std::size_t start = i;
                while (i < n && !isBlank(attributes[i]))
                    ++i;
                value = attributes.substr(start, i - start);
            }
        }
        if (!name.empty() && equalsNoCase(name, wanted)) {
            std::string decoded;
            for (std::size_t k = 0; k < value.size();) {
                const std::size_t used = value[k] == '&' ? decodeReference(value, k, decoded) : 0;
                if (used == 0)
                    decoded += value[k++];
                else
                    k += used;
            }
            return decoded;
        }
    }
    return {};
}

} // namespace

std::string importedText(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return utf8FromFile(bytes.substr(3));
    if (validUtf8(bytes))
        return std::string(bytes);
    return cp1252ToUtf8(bytes);
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

std::string_view trimmed(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

std::string htmlToText(std::string_view html, std::vector<std::string>* links) {
    // First pass: the characters, with '\n' for each line break and ' ' for each run
    // of white space.
    std::string flat;
    bool pendingSpace = false;
    auto putBreak = [&] {
        flat += '\n';
        pendingSpace = false;
    };
    for (std::size_t i = 0; i < html.size();) {
        const char c = html[i];
        if (c == '<') {
            if (html.substr(i, 4) == "<!--") {
                const std::size_t end = html.find("-->", i + 4);
                i = end == std::string_view::npos ? html.size() : end + 3;
                continue;
            }
            const std::size_t end = html.find('>', i + 1);
            if (end == std::string_view::npos) {
                i = html.size();
                continue;
            }
            std::string_view tag = html.substr(i + 1, end - i - 1);
            const bool closing = !tag.empty() && tag[0] == '/';
            if (closing)
                tag.remove_prefix(1);
            std::size_t nameEnd = 0;
            while (nameEnd < tag.size() && std::isalnum(static_cast<unsigned char>(tag[nameEnd])))
                ++nameEnd;
            const std::string_view name = tag.substr(0, nameEnd);
            i = end + 1;
            if (!closing && (equalsNoCase(name, "script") || equalsNoCase(name, "style"))) {
                // Skip to the matching end tag.
                const std::string close = "</" + std::string(name);
                std::size_t j = i;
                for (; j + close.size() <= html.size(); ++j)
                    if (equalsNoCase(html.substr(j, close.size()), close))
                        break;
                const std::size_t gt = html.find('>', j);
                i = gt == std::string_view::npos ? html.size() : gt + 1;
                continue;
            }
            if (links && !closing && equalsNoCase(name, "a")) {
                std::string target(trimmed(attributeValue(tag.substr(nameEnd), "href")));
                if (!target.empty())
                    links->push_back(std::move(target));
            }
            if (breaksLine(name))
                putBreak();
            continue;
        }
        if (isBlank(c)) {
            pendingSpace = true;
            ++i;
            continue;
        }
        if (pendingSpace && !flat.empty() && flat.back() != '\n')
            flat += ' ';
        pendingSpace = false;
        if (c == '&') {
            std::string decoded;
            const std::size_t n = decodeReference(html, i, decoded);
            if (n > 0) {
                flat += decoded == "\xC2\xA0" ? std::string(" ") : decoded;
                i += n;
                continue;
            }
        }
        flat += c;
        ++i;
    }
    // Second pass: lines trimmed, at most one empty line in a row, none at the ends.
    std::string out;
    int emptyRun = 0;
    bool any = false;
    flat += '\n';
    for (std::string_view line : splitLines(flat)) {
        line = trimmed(line);
        if (line.empty()) {
            if (any)
                ++emptyRun;
            continue;
        }
        if (any)
            out += emptyRun > 1 ? "\r\n\r\n" : "\r\n";
        out += line;
        any = true;
        emptyRun = 0;
    }
    return out;
}

std::string firstCharacters(std::string_view text, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t n = 0; n < count && i < text.size(); ++n) {
        char32_t cp;
        const std::size_t len = decodeUtf8At(text, i, cp);
        i += len == 0 ? 1 : len;
    }
    return std::string(text.substr(0, i));
}

std::string questionName(std::string_view statement) {
    std::string line;
    for (char c : statement) {
        if (c == '\r' || c == '\n') {
            if (!line.empty() && line.back() != ' ')
                line += ' ';
            continue;
        }
        line += c;
    }
    return std::string(trimmed(firstCharacters(trimmed(line), 40)));
}

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}
} // namespace

std::string encodeBase64(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                           static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2)
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

bool decodeBase64(std::string_view text, std::string& bytes) {
    bytes.clear();
    bytes.reserve(text.size() / 4 * 3);
    unsigned buffer = 0;
    int bits = 0;
    int padding = 0;
    std::size_t symbols = 0;
    for (char c : text) {
        if (isBlank(c))
            continue;
        if (c == '=') {
            ++padding;
            ++symbols;
            continue;
        }
        const int v = sextet(c);
        if (v < 0 || padding > 0)
            return false;
        ++symbols;
        buffer = (buffer << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    if (padding > 2 || symbols % 4 != 0)
        return false;
    // The padding must match the bits left over.
    return (padding == 0 && bits == 0) || (padding == 1 && bits == 2) || (padding == 2 && bits == 4);
}

} // namespace vireta
