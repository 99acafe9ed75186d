#include "text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace vireta;

TEST(PathParts, BareNameAndFolderSplitAtTheLastSeparatorOfAnyKind) {
    struct Case {
        const char* path;
        const char* folder;
        const char* bare;
    };
    const Case cases[] = {
        {"C:\\fotos\\mapa.jpg", "C:\\fotos\\", "mapa.jpg"},
        {"/home/ana/son.mp3", "/home/ana/", "son.mp3"},
        {"C:son.mp3", "C:", "son.mp3"},
        {"son.mp3", "", "son.mp3"},
        {"/home/ana\\fotos/x:y.png", "/home/ana\\fotos/x:", "y.png"},
        {"/media/", "/media/", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(folderPart(c.path), c.folder) << c.path;
        EXPECT_EQ(bareFileName(c.path), c.bare) << c.path;
    }
}

TEST(CodePage, AccentedLettersAndEuroRoundTripThroughWindows1252) {
    const std::string utf8 = "Número tódalas dispoñible ÁÉÍÓÚ ü € – “x”";
    const std::string cp = utf8ToCp1252(utf8);
    EXPECT_EQ(cp, "N\xFAmero t\xF3" "dalas dispo\xF1ible \xC1\xC9\xCD\xD3\xDA \xFC \x80 \x96 \x93x\x94");
    EXPECT_EQ(cp1252ToUtf8(cp), utf8);
}

TEST(CodePage, CharactersOutsideWindows1252BecomeNumericReferences) {
    EXPECT_EQ(utf8ToCp1252("π ≠ 𝄞"), "&#960; &#8800; &#119070;");
    EXPECT_EQ(utf8ToCp1252("ascii <&>"), "ascii <&>");
}

TEST(CodePage, InvalidUtf8BytesPassThroughTheEncoder) {
    EXPECT_EQ(utf8ToCp1252("a\xFF" "b\xC3"), "a\xFF" "b\xC3");
}

TEST(CodePage, UndefinedWindows1252BytesMapToC1ControlsAndBack) {
    const std::string undefined = "\x81\x8D\x8F\x90\x9D";
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(undefined)), undefined);
}

TEST(FileText, ValidUtf8IsKeptAndStrayBytesAreTakenAsWindows1252) {
    EXPECT_EQ(utf8FromFile("Xogo ñ"), "Xogo ñ");
    // A lone Latin-1 byte, a truncated sequence, an overlong form and a surrogate.
    EXPECT_EQ(utf8FromFile("a\xF1"), "añ");
    EXPECT_EQ(utf8FromFile("\xC3"), "Ã");
    EXPECT_EQ(utf8FromFile("\xC0\xAF"), "À¯");
    EXPECT_EQ(utf8FromFile("\xED\xA0\x80"), "í\xC2\xA0€");
}

TEST(FileText, APrefixCountsCharactersAndNeverCutsOneInTwo) {
    EXPECT_EQ(utf8Prefix("ñandú", 2), "ña");
    EXPECT_EQ(utf8Prefix("ñandú", 5), "ñandú");
    EXPECT_EQ(utf8Prefix("ñandú", 9), "ñandú");
    EXPECT_EQ(utf8Prefix("𝄞x", 1), "𝄞");
    EXPECT_EQ(utf8Prefix("a\xFF" "b", 2), "a\xFF"); // a stray byte is one character
    EXPECT_EQ(utf8Prefix("\xC3", 1), "\xC3");
    EXPECT_EQ(utf8Prefix("abc", 0), "");
}

TEST(LineBreaks, AnyMixBecomesCrLfAndBack) {
    EXPECT_EQ(toCrLf("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(toCrLf("\n"), "\r\n");
    EXPECT_EQ(toLf("a\r\nb\rc\n"), "a\nb\nc\n");
}

namespace {

// Byte strings of every shape the converters take in runs: ASCII runs of several
// lengths, markup characters, control characters, whole UTF-8 sequences of each
// length, stray and truncated bytes, at every offset.
std::vector<std::string> mixedTexts() {
    const char* const pieces[] = {"a",      "Xogo de ",   "&",          "<",    ">",   "\"", "'",
                                  "\xC3\xB1", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xF1", "\xC3",
                                  "\xE2\x82", "\x80",     "\x9D",       "\xFF", "\r\n", "0123456789abcdef",
                                  "\x01",     "\t",        "\x1F"};
    std::vector<std::string> texts = {""};
    std::uint32_t state = 1;
    for (int n = 0; n < 400; ++n) {
        std::string s;
        const int count = n % 23;
        for (int i = 0; i < count; ++i) {
            state = state * 1103515245u + 12345u;
            s += pieces[(state >> 8) % (sizeof pieces / sizeof *pieces)];
        }
        texts.push_back(s);
    }
    return texts;
}

// What utf8FromFile gives, one sequence at a time.
std::string utf8FromFileByCharacter(const std::string& s) {
    std::string out;
    for (std::size_t pos = 0; pos < s.size();) {
        char32_t cp;
        const std::size_t len = decodeUtf8At(s, pos, cp);
        if (len == 0) {
            out += cp1252ToUtf8(s.substr(pos, 1));
            ++pos;
        } else {
            out.append(s, pos, len);
            pos += len;
        }
    }
    return out;
}

} // namespace

// The converters copy valid stretches whole; the result must be what converting
// character by character gives.
TEST(FileText, ConvertersAgreeWithCharacterByCharacterConversion) {
    for (const std::string& s : mixedTexts()) {
        std::string fromCp1252;
        for (char c : s)
            fromCp1252 += cp1252ToUtf8(std::string(1, c));
        EXPECT_EQ(utf8FromFile(s), utf8FromFileByCharacter(s)) << s;
        EXPECT_EQ(cp1252ToUtf8(s), fromCp1252) << s;
    }
}

// Text of ASCII and two-byte sequences is checked whole first, and other text copied
// a valid stretch at a time: a stray byte, a longer sequence or a cut one at any
// offset, at the text's ends too, must come out as when read one sequence at a time.
TEST(FileText, AccentedTextWithAnOddByteAnywhereReadsAsByCharacter) {
    const std::string accented = "Cal é o río máis longo de Galicia? ñ Ñ á";
    for (const std::string odd : {"\xC3", "\x80", "\xF1", "\xE2\x82\xAC", "\xE2\x82", "\xC0\xAF",
                                  "\xF0\x9F\x98\x80", "\xED\xA0\x80", "\xFF"}) {
        for (const std::string& base : {accented, accented + accented + accented}) {
            for (std::size_t at = 0; at <= base.size(); ++at) {
                const std::string s = base.substr(0, at) + odd + base.substr(at);
                EXPECT_EQ(utf8FromFile(s), utf8FromFileByCharacter(s)) << at;
            }
        }
    }
    const std::string valid = accented + accented + accented;
    for (std::size_t size = 0; size <= valid.size(); ++size)
        EXPECT_EQ(utf8FromFile(valid.substr(0, size)), utf8FromFileByCharacter(valid.substr(0, size))) << size;
}

TEST(Markup, EscapingReplacesExactlyTheListedCharacters) {
    // Long texts as well: all the mixed texts in one, the character whose reference
    // is longest throughout, and marks deep in a long run of kept bytes.
    std::vector<std::string> texts = mixedTexts();
    std::string all;
    for (const std::string& s : texts)
        all += s;
    texts.push_back(all);
    texts.push_back(std::string(5000, '"'));
    for (std::size_t at : {2046, 2047, 2048, 2049, 2063, 2064, 4096}) {
        std::string s(5000, 'a');
        s[at] = '<';
        s[at + 1] = '\x01';
        texts.push_back(s);
    }
    for (const std::string& s : texts) {
        for (const std::string special : {"&<>", "&<\"", "&<>\"'", "<"}) {
            std::string expected;
            for (char c : s) {
                if (special.find(c) == std::string::npos)
                    expected += c;
                else if (c == '&')
                    expected += "&amp;";
                else if (c == '<')
                    expected += "&lt;";
                else if (c == '>')
                    expected += "&gt;";
                else if (c == '"')
                    expected += "&quot;";
                else
                    expected += "&apos;";
            }
            EXPECT_EQ(escapeMarkup(s, special), expected) << s << " / " << special;
            std::string appended = "kept";
            appendEscapedMarkup(appended, s, special);
            EXPECT_EQ(appended, "kept" + expected);
            // For XML the controls other than tab, line feed and carriage return go.
            std::string carried;
            for (char c : expected)
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r')
                    carried += c;
            std::string xml = "kept";
            appendXmlEscaped(xml, s, special);
            EXPECT_EQ(xml, "kept" + carried) << s << " / " << special;
            EXPECT_EQ(xmlEscapedSize(s, special), carried.size()) << s << " / " << special;
        }
    }
}

namespace {

// What escaping gives, one byte at a time.
std::string escapedByCharacter(const std::string& s, const std::string& special, bool dropControls) {
    std::string out;
    for (char c : s) {
        const auto byte = static_cast<unsigned char>(c);
        if (special.find(c) != std::string::npos) {
            out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '"' ? "&quot;" : "&apos;";
        } else if (!dropControls || byte >= 0x20 || c == '\t' || c == '\n' || c == '\r') {
            out += c;
        }
    }
    return out;
}

} // namespace

// Runs of kept bytes are appended whole: every mark, kept control and run of marks,
// at every place of a text and among its last bytes, in text dense in marks or not,
// must come out as escaping byte by byte gives.
TEST(Markup, TextDenseInMarksEscapesAsByteByByte) {
    const std::string alphabet("ab\xC3\xA1&<>\"'\x01\x1f\t\n\r", 14);
    std::vector<std::string> texts;
    unsigned seed = 7;
    for (std::size_t size = 60; size <= 400; size += 17) {
        for (int density : {2, 5, 40}) {
            std::string s;
            for (std::size_t i = 0; i < size; ++i) {
                seed = seed * 1103515245u + 12345u;
                const unsigned r = seed >> 16;
                s += r % static_cast<unsigned>(density) == 0 ? alphabet[3 + r / 64 % 11] : alphabet[r / 64 % 3];
            }
            texts.push_back(s);
        }
    }
    for (const std::string mark : {"&", "\"", "\x01", "\t", "&<", "\x01\x02"}) {
        for (std::size_t at = 0; at < 200; ++at) {
            std::string s(200, 'x');
            s.replace(at, mark.size(), mark);
            texts.push_back(s.substr(0, 200));
        }
    }
    texts.push_back(std::string(3000, '&'));
    texts.push_back(std::string(3000, '\x01'));
    for (const std::string& s : texts) {
        for (const std::string special : {"&<>", "&<\"", "&<>\"'", "<", ""}) {
            std::string markup = "kept";
            appendEscapedMarkup(markup, s, special);
            EXPECT_EQ(markup, "kept" + escapedByCharacter(s, special, false)) << s << " / " << special;
            std::string xml = "kept";
            appendXmlEscaped(xml, s, special);
            EXPECT_EQ(xml, "kept" + escapedByCharacter(s, special, true)) << s << " / " << special;
        }
    }
}

TEST(TextPosition, LinesEndAtAnyLineBreakAndColumnsCountCharacters) {
    const struct {
        std::string text;
        std::size_t offset;
        std::size_t line;
        std::size_t column;
    } cases[] = {
        {"", 0, 1, 1},
        {"abc", 3, 1, 4},
        {"a\nb", 2, 2, 1},
        {"a\r\nb", 3, 2, 1},
        {"a\r\nb", 4, 2, 2},
        {"a\rb", 2, 2, 1},
        {"\n\r", 2, 3, 1},     // LF, then a lone CR
        {"\r\r\n", 3, 3, 1},   // a lone CR, then CR LF
        {"\xC3\xB1\xF0\x9F\x98\x80x", 6, 1, 3}, // ñ and an emoji are a character each
        {"\xE1\xFFx", 2, 1, 3},                  // bytes that are no UTF-8 count one each
        {"\xE2\x82x", 2, 1, 3},                  // so do those of a cut sequence
        {"a\tb\nc", 3, 1, 4},
        {"ab", 10, 1, 3},                        // past the end: the end
    };
    for (const auto& c : cases) {
        const TextPosition at = textPositionAt(c.text, c.offset);
        EXPECT_EQ(at.line, c.line) << c.text << " @" << c.offset;
        EXPECT_EQ(at.column, c.column) << c.text << " @" << c.offset;
    }
}
