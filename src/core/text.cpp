#include "text.h"

#include "byte_lanes.h"

#include <algorithm>
#include <array>
#include <cstdint>
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

// The length of the run of ASCII bytes at the start of s[pos..].
std::size_t asciiRun(std::string_view s, std::size_t pos) {
    const std::size_t start = pos;
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    for (; pos + 8 <= s.size(); pos += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + pos, 8);
        if (w & kHigh)
            break;
    }
    while (pos < s.size() && static_cast<unsigned char>(s[pos]) < 0x80)
        ++pos;
    return pos - start;
}

// The first byte at or after p that is not ASCII, or end: eight bytes at a time,
// jumping straight to the first high bit of a word that has one (in accented text
// the next such byte is a few bytes away).
inline const unsigned char* afterAscii(const unsigned char* p, const unsigned char* end) {
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the lowest set bit is the first byte");
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    while (end - p >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        if (const std::uint64_t high = w & kHigh)
            return p + (__builtin_ctzll(high) >> 3);
        p += 8;
    }
    while (p < end && *p < 0x80)
        ++p;
    return p;
}

// Where the blocks of sixteen bytes at p that hold nothing but ASCII and whole
// two-byte sequences (the accented letters of Latin scripts) end. Each block is
// checked in one go with the byte before it, so p must not be the text's first byte,
// and p must start a sequence or follow the checked lead byte of one. The result
// starts a sequence: p itself when its first block fails, and otherwise the end of
// the last good block, or the lead byte just before it when that block ended
// between the two bytes of a sequence.
inline const unsigned char* afterLatinBlocks(const unsigned char* p, const unsigned char* end) {
    const unsigned char* const start = p;
    while (end - p >= 16) {
        // As signed bytes, 0x80..0xBF (continuation) are -128..-65 and 0xC2..0xDF
        // (the lead byte of a two-byte sequence) are -62..-33.
        const auto x = reinterpret_cast<SignedByteLanes>(loadLanes(p));
        const auto before = reinterpret_cast<SignedByteLanes>(loadLanes(p - 1));
        const SignedByteLanes continuation = x < -64;
        const SignedByteLanes lead = (x >= -62) & (x <= -33);
        const SignedByteLanes afterLead = (before >= -62) & (before <= -33);
        // Every byte is ASCII, a continuation or a lead, and a continuation comes
        // exactly after a lead.
        if (laneMask(~((x >= 0) | continuation | lead) | (continuation ^ afterLead)) != 0)
            break;
        p += 16;
    }
    if (p > start && p[-1] >= 0xC2 && p[-1] < 0xE0)
        --p;
    return p;
}

// The length of the valid UTF-8 sequence at p (n > 0 bytes there), or 0: the same
// rule as decodeUtf8 (shortest form, no surrogates, at most U+10FFFF) without
// computing the code point.
inline std::size_t validSequenceAt(const unsigned char* p, std::size_t n) {
    const unsigned b0 = p[0];
    auto continuation = [](unsigned b) { return (b & 0xC0) == 0x80; };
    if (b0 < 0xC2)
        return 0; // a continuation byte, or an overlong two-byte form
    if (b0 < 0xE0)
        return n >= 2 && continuation(p[1]) ? 2 : 0;
    if (b0 < 0xF0) {
        if (n < 3 || !continuation(p[1]) || !continuation(p[2]))
            return 0;
        if ((b0 == 0xE0 && p[1] < 0xA0) || (b0 == 0xED && p[1] >= 0xA0))
            return 0; // overlong, or a surrogate
        return 3;
    }
    if (b0 < 0xF5) {
        if (n < 4 || !continuation(p[1]) || !continuation(p[2]) || !continuation(p[3]))
            return 0;
        if ((b0 == 0xF0 && p[1] < 0x90) || (b0 == 0xF4 && p[1] >= 0x90))
            return 0; // overlong, or above U+10FFFF
        return 4;
    }
    return 0;
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
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t run = asciiRun(bytes, pos);
        out.append(bytes.data() + pos, run);
        pos += run;
        if (pos < bytes.size())
            appendUtf8(out, cp1252ToCodePoint(static_cast<unsigned char>(bytes[pos++])));
    }
    return out;
}

std::string utf8FromFile(std::string_view bytes) {
    // Valid stretches are copied whole; only a byte that starts no valid sequence is
    // converted on its own.
    if (bytes.empty())
        return {};
    std::string out;
    out.reserve(bytes.size());
    const auto* const begin = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = begin + bytes.size();
    const unsigned char* kept = begin; // start of the valid stretch not yet copied
    const unsigned char* p = begin;
    // Whole blocks are checked from here on; the bytes of a block that fails the
    // check go one sequence at a time, so text in other scripts costs one check more
    // per block.
    const unsigned char* blocksFrom = begin + 1;
    while (p < end) {
        if (p >= blocksFrom) {
            p = afterLatinBlocks(p, end);
            blocksFrom = end - p > 16 ? p + 16 : end;
            if (p == end)
                break;
        }
        if (*p < 0x80) {
            p = afterAscii(p + 1, end);
            continue;
        }
        // Two-byte sequences (accented Latin letters) are the common case.
        if (p[0] >= 0xC2 && p[0] < 0xE0 && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
            p += 2;
            continue;
        }
        if (const std::size_t len = validSequenceAt(p, static_cast<std::size_t>(end - p))) {
            p += len;
            continue;
        }
        out.append(reinterpret_cast<const char*>(kept), static_cast<std::size_t>(p - kept));
        appendUtf8(out, cp1252ToCodePoint(*p));
        kept = ++p;
    }
    out.append(reinterpret_cast<const char*>(kept), static_cast<std::size_t>(end - kept));
    return out;
}

namespace {

// The escaping of appendEscapedMarkup and appendXmlEscaped: references for the
// characters listed in `special`, and, when `dropControls`, no C0 control other than
// tab, line feed and carriage return.
template <bool dropControls>
void appendEscaped(std::string& out, std::string_view text, std::string_view special) {
    // What becomes of each byte: kept, dropped, or replaced by the reference of
    // that number.
    constexpr unsigned char kKept = 0;
    constexpr unsigned char kDropped = 1;
    constexpr unsigned char kReference = 2;
    // What a marked byte becomes, by its action: nothing, or its reference. Stored
    // as eight bytes, of which the first `size` count.
    struct Piece {
        char bytes[8];
        unsigned char size;
    };
    static const Piece kPieces[7] = {{"", 0},     {"", 0},       {"&amp;", 5}, {"&lt;", 4},
                                     {"&gt;", 4}, {"&quot;", 6}, {"&apos;", 6}};
    unsigned char action[256] = {};
    if constexpr (dropControls)
        for (int c = 0; c < 0x20; ++c)
            if (c != '\t' && c != '\n' && c != '\r')
                action[c] = kDropped;
    ByteLanes listed[5];
    std::size_t listedCount = 0;
    for (char c : special) {
        const auto byte = static_cast<unsigned char>(c);
        const char* const found = std::strchr("&<>\"'", c);
        if (c == 0 || !found || action[byte] != kKept)
            continue;
        action[byte] = static_cast<unsigned char>(kReference + (found - "&<>\"'"));
        listed[listedCount++] = splatLanes(byte);
    }
    if (listedCount == 0 && !dropControls) {
        out.append(text);
        return;
    }
    // Five comparisons always, without a branch on how many are listed: the unused
    // ones repeat a listed byte, or, when none is, a control (dropped anyway).
    for (std::size_t i = listedCount; i < 5; ++i)
        listed[i] = listedCount > 0 ? listed[0] : splatLanes(1);
    // The bytes marked in sixteen: listed, or a control that is dropped.
    const auto marksOf = [&listed](const ByteLanes x) {
        ByteLanes marked = static_cast<ByteLanes>(x == listed[0]) | static_cast<ByteLanes>(x == listed[1]) |
                           static_cast<ByteLanes>(x == listed[2]) | static_cast<ByteLanes>(x == listed[3]) |
                           static_cast<ByteLanes>(x == listed[4]);
        if constexpr (dropControls)
            marked |= static_cast<ByteLanes>(x < 0x20) &
                      ~(static_cast<ByteLanes>(x == '\t') | static_cast<ByteLanes>(x == '\n') |
                        static_cast<ByteLanes>(x == '\r'));
        return laneMask(marked);
    };
    // The text goes through a buffer on the stack a stretch at a time.
    //
    // Where text is dense in marked bytes (a reference every few dozen bytes), a
    // branch per marked byte costs more than the copying, so 64 bytes are taken at
    // once: stored whole, and then, for each marked byte in turn, its piece is stored
    // where it goes in the output and the 64 bytes after it behind that piece. Every
    // byte before the next marked one is then in place, and nothing but the loop over
    // the marks branches. The chunks' copies read up to 128 bytes ahead.
    //
    // The rest, and short texts, go sixteen bytes at a time: stored whole where the
    // output stands, the output moving on by the bytes before the first one marked.
    // A stretch may end up to 64 bytes late, every byte can grow to six, and a copy
    // can write 64 bytes past its piece: the buffer has room for all of it.
    constexpr std::size_t kStretch = 2048;
    char buffer[6 * (kStretch + 64) + 128];
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* const stop = p + std::min<std::size_t>(kStretch, static_cast<std::size_t>(end - p));
        char* o = buffer;
        while (stop - p >= 64 && end - p >= 128) {
            const ByteLanes x0 = loadLanes(p);
            const ByteLanes x1 = loadLanes(p + 16);
            const ByteLanes x2 = loadLanes(p + 32);
            const ByteLanes x3 = loadLanes(p + 48);
            storeLanes(o, x0);
            storeLanes(o + 16, x1);
            storeLanes(o + 32, x2);
            storeLanes(o + 48, x3);
            std::uint64_t marks = std::uint64_t{marksOf(x0)} | std::uint64_t{marksOf(x1)} << 16 |
                                  std::uint64_t{marksOf(x2)} << 32 | std::uint64_t{marksOf(x3)} << 48;
            std::size_t done = 0; // bytes of the chunk before `o`'s place
            while (marks != 0) {
                const auto at = static_cast<std::size_t>(__builtin_ctzll(marks));
                marks &= marks - 1;
                o += at - done;
                const Piece& piece = kPieces[action[static_cast<unsigned char>(p[at])]];
                std::memcpy(o, piece.bytes, 8);
                o += piece.size;
                done = at + 1;
                for (std::size_t k = 0; k < 64; k += 16)
                    storeLanes(o + k, loadLanes(p + done + k));
            }
            o += 64 - done;
            p += 64;
        }
        while (p < stop) {
            if (end - p >= 16) {
                const ByteLanes x = loadLanes(p);
                storeLanes(o, x);
                const unsigned mask = marksOf(x);
                if (mask == 0) {
                    p += 16;
                    o += 16;
                    continue;
                }
                const auto before = static_cast<std::size_t>(__builtin_ctz(mask));
                p += before;
                o += before;
            }
            const unsigned char what = action[static_cast<unsigned char>(*p)];
            if (what >= kReference) {
                std::memcpy(o, kPieces[what].bytes, 8);
                o += kPieces[what].size;
            } else if (what == kKept) {
                *o++ = *p;
            }
            ++p;
        }
        out.append(buffer, static_cast<std::size_t>(o - buffer));
    }
}

} // namespace

void appendEscapedMarkup(std::string& out, std::string_view text, std::string_view special) {
    out.reserve(out.size() + text.size());
    appendEscaped<false>(out, text, special);
}

void appendXmlEscaped(std::string& out, std::string_view text, std::string_view special) {
    out.reserve(out.size() + text.size());
    appendEscaped<true>(out, text, special);
}

std::size_t xmlEscapedSize(std::string_view text, std::string_view special) {
    // What each byte adds to the size: the length of its reference less one for a
    // listed character, minus one for a dropped control.
    int extra[256] = {};
    for (char c : special) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '&': extra[byte] = 4; break;
        case '<':
        case '>': extra[byte] = 3; break;
        case '"':
        case '\'': extra[byte] = 5; break;
        default: break;
        }
    }
    for (int c = 0; c < 0x20; ++c)
        if (c != '\t' && c != '\n' && c != '\r')
            extra[c] = -1;

    // Sixteen bytes at a time, without a branch per byte: every lane adds its
    // byte's part to a lane total, which holds at most 5 a block, so 50 blocks fit
    // in a byte before the totals are summed.
    ByteLanes listed[5];
    ByteLanes weights[5];
    std::size_t listedCount = 0;
    for (int c : {'&', '<', '>', '"', '\''})
        if (extra[c] > 0) {
            listed[listedCount] = splatLanes(static_cast<unsigned char>(c));
            weights[listedCount++] = splatLanes(static_cast<unsigned char>(extra[c]));
        }
    auto sum = [](const ByteLanes& lanes) {
        unsigned char bytes[16];
        std::memcpy(bytes, &lanes, 16);
        std::size_t total = 0;
        for (unsigned char b : bytes)
            total += b;
        return total;
    };
    const char* const data = text.data();
    const std::size_t n = text.size();
    std::size_t size = n;
    std::size_t pos = 0;
    while (n - pos >= 16) {
        ByteLanes added{};
        ByteLanes dropped{};
        for (int block = 0; block < 50 && n - pos >= 16; ++block, pos += 16) {
            const ByteLanes x = loadLanes(data + pos);
            for (std::size_t i = 0; i < listedCount; ++i)
                added += static_cast<ByteLanes>(x == listed[i]) & weights[i];
            dropped += static_cast<ByteLanes>((x < 0x20) & (x != '\t') & (x != '\n') & (x != '\r')) & 1;
        }
        size += sum(added);
        size -= sum(dropped);
    }
    for (; pos < n; ++pos)
        size = static_cast<std::size_t>(static_cast<long long>(size) + extra[static_cast<unsigned char>(data[pos])]);
    return size;
}

std::string escapeMarkup(std::string_view text, std::string_view special) {
    std::string out;
    appendEscapedMarkup(out, text, special);
    return out;
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

} // namespace vireta
