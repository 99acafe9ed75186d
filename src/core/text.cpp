#include "text.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vireta {
namespace {

bool isPathSeparator(char c) { return c == '/' || c == '\\' || c == ':'; }

std::string_view::size_type lastSeparator(std::string_view path) {
    for (auto i = path.size(); i > 0; --i) {
        if (isPathSeparator(path[i - 1]))
            return i - 1;
    }
    return std::string_view::npos;
}

// Code points of the bytes 0x80..0x9F in Windows-1252. The undefined bytes
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t cp1252ToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return kCp1252High[byte - 0x80];
    return byte;
}

// The Windows-1252 byte of a code point, or -1 when the code page has none.
int codePointToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
        if (kCp1252High[i] == cp)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

// Decodes one UTF-8 sequence at s[pos]. Returns its length, or 0 when the bytes
// there are not a valid, shortest-form sequence of a Unicode scalar value.
std::size_t decodeUtf8(std::string_view s, std::size_t pos, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    std::size_t len;
    char32_t min;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2, min = 0x80, cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, min = 0x800, cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, min = 0x10000, cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (pos + len > s.size())
        return 0;
    for (std::size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

std::string bareFileName(std::string_view path) {
    const auto sep = lastSeparator(path);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string folderPart(std::string_view path) {
    const auto sep = lastSeparator(path);
    return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::size_t decodeUtf8At(std::string_view s, std::size_t pos, char32_t& codePoint) {
    return decodeUtf8(s, pos, codePoint);
}

std::string_view utf8Prefix(std::string_view text, std::size_t count) {
    std::size_t pos = 0;
    for (; pos < text.size() && count > 0; --count) {
        char32_t cp;
        const std::size_t len = decodeUtf8(text, pos, cp);
        pos += len == 0 ? 1 : len;
    }
    return text.substr(0, pos);
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t cp;
        const auto len = decodeUtf8(utf8, pos, cp);
        if (len == 0) {
            out += utf8[pos++];
            continue;
        }
        pos += len;
        const int byte = codePointToCp1252(cp);
        if (byte >= 0)
            out += static_cast<char>(byte);
        else
            out += "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";";
    }
    return out;
}

std::string_view trimBlanks(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && isBlankByte(s[b]))
        ++b;
    while (e > b && isBlankByte(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool fitsCp1252(char32_t codePoint) { return codePointToCp1252(codePoint) >= 0; }

std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            out += c;
        else
            appendUtf8(out, cp1252ToCodePoint(byte));
    }
    return out;
}

namespace {

// Whether `bytes` hold nothing but ASCII and whole two-byte sequences (the accented
// letters of Latin scripts), as nearly every text of a quiz does. Each byte is
// checked against the one before it alike, with no branch on what it is: a
// continuation byte (10xxxxxx) must follow a lead byte of two (0xC2 to 0xDF), such a
// lead must be followed by one, and 0xC0, 0xC1 and 0xE0 and above stand nowhere. So
// the compiler can check many bytes at once, and an accented letter costs no
// mispredicted jump.
bool onlyAsciiAndTwoByteSequences(std::string_view bytes) {
    const auto* const p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    if (n == 0)
        return true;
    auto continuation = [](unsigned char b) -> unsigned char { return (b & 0xC0) == 0x80; };
    auto lead = [](unsigned char b) -> unsigned char { return static_cast<unsigned char>(b - 0xC2) < 0x1E; };
    auto nowhere = [](unsigned char b) -> unsigned char { return static_cast<unsigned char>(b - 0xC0) < 2 || b >= 0xE0; };
    unsigned char wrong = continuation(p[0]) | nowhere(p[0]) | lead(p[n - 1]);
    for (std::size_t i = 1; i < n; ++i)
        wrong |= (continuation(p[i]) ^ lead(p[i - 1])) | nowhere(p[i]);
    return wrong == 0;
}

} // namespace

std::string utf8FromFile(std::string_view bytes) {
    if (onlyAsciiAndTwoByteSequences(bytes))
        return std::string(bytes);
    // Valid stretches are copied whole; only a byte that starts no valid sequence is
    // converted on its own.
    std::string out;
    out.reserve(bytes.size());
    std::size_t kept = 0; // start of the valid stretch not yet copied
    for (std::size_t pos = 0; pos < bytes.size();) {
        char32_t cp;
        if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
            ++pos;
        } else if (const std::size_t len = decodeUtf8(bytes, pos, cp)) {
            pos += len;
        } else {
            out.append(bytes, kept, pos - kept);
            appendUtf8(out, cp1252ToCodePoint(static_cast<unsigned char>(bytes[pos])));
            kept = ++pos;
        }
    }
    out.append(bytes, kept, bytes.size() - kept);
    return out;
}

namespace {

// The references that replace the characters & < > " ', in that order.
constexpr std::string_view kReferences[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};

// What becomes of each byte when escaping: kept (0), dropped (1), or replaced by
// kReferences[action - 2].
struct EscapeActions {
    unsigned char action[256] = {};

    EscapeActions(std::string_view special, bool dropControls) {
        if (dropControls)
            for (int c = 0; c < 0x20; ++c)
                if (c != '\t' && c != '\n' && c != '\r')
                    action[c] = 1;
        for (const char c : special) {
            const char* const found = c != 0 ? std::strchr("&<>\"'", c) : nullptr;
            if (found)
                action[static_cast<unsigned char>(c)] = static_cast<unsigned char>(2 + (found - "&<>\"'"));
        }
    }
};

// The escaping of appendEscapedMarkup and appendXmlEscaped: the runs of kept bytes
// are appended whole.
void appendEscaped(std::string& out, std::string_view text, std::string_view special, bool dropControls) {
    const EscapeActions escape(special, dropControls);
    out.reserve(out.size() + text.size());
    std::size_t kept = 0; // start of the run of kept bytes not yet appended
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char what = escape.action[static_cast<unsigned char>(text[i])];
        if (what == 0)
            continue;
        out.append(text, kept, i - kept);
        if (what >= 2)
            out.append(kReferences[what - 2]);
        kept = i + 1;
    }
    out.append(text, kept, text.size() - kept);
}

} // namespace

void appendEscapedMarkup(std::string& out, std::string_view text, std::string_view special) {
    appendEscaped(out, text, special, false);
}

void appendXmlEscaped(std::string& out, std::string_view text, std::string_view special) {
    appendEscaped(out, text, special, true);
}

std::size_t xmlEscapedSize(std::string_view text, std::string_view special) {
    const EscapeActions escape(special, true);
    std::size_t size = 0;
    for (const char c : text) {
        const unsigned char what = escape.action[static_cast<unsigned char>(c)];
        size += what == 0 ? 1 : what == 1 ? 0 : kReferences[what - 2].size();
    }
    return size;
}

std::string escapeMarkup(std::string_view text, std::string_view special) {
    std::string out;
    appendEscapedMarkup(out, text, special);
    return out;
}

TextPosition textPositionAt(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    TextPosition at;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        const bool crLf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if ((text[i] == '\n' || text[i] == '\r') && !crLf) {
            ++at.line;
            lineStart = i + 1;
        }
    }
    for (std::size_t pos = lineStart; pos < offset; ++at.column) {
        char32_t cp;
        const std::size_t len = decodeUtf8(text, pos, cp);
        pos += len > 0 ? len : 1;
    }
    return at;
}

std::string toCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string toLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
}

} // namespace vireta
