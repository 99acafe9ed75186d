#include "text.h"

#include <gtest/gtest.h>

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

TEST(LineBreaks, AnyMixBecomesCrLfAndBack) {
    EXPECT_EQ(toCrLf("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(toCrLf("\n"), "\r\n");
    EXPECT_EQ(toLf("a\r\nb\rc\n"), "a\nb\nc\n");
}
