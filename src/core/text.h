// Text and path helpers shared by every reader and writer.
//
// In memory every text is UTF-8. The 8-bit code page used by the book export and
// by the HTML exports without UTF-8 is Windows-1252; conversion happens only at
// the file boundary.
#pragma once

#include <string>
#include <string_view>

namespace vireta {

// The part of a path after its last '/', '\\' or ':'; the whole path when it has none.
std::string bareFileName(std::string_view path);

// Everything up to and including the last '/', '\\' or ':'; empty when there is none.
std::string folderPart(std::string_view path);

// A blank, as the quiz file's reader drops it around every text: a byte up to the space.
inline bool isBlankByte(char c) { return static_cast<unsigned char>(c) <= 32; }

// `text` without the blanks at either end.
std::string_view trimBlanks(std::string_view text);

// UTF-8 to Windows-1252. A character the code page cannot hold becomes "&#N;".
// A byte that does not start a valid UTF-8 sequence is passed through unchanged.
std::string utf8ToCp1252(std::string_view utf8);

// Whether Windows-1252 has a byte for the code point.
bool fitsCp1252(char32_t codePoint);

// Windows-1252 to UTF-8. The five bytes the code page leaves undefined are taken
// as the C1 control characters of the same value.
std::string cp1252ToUtf8(std::string_view bytes);

// UTF-8 as read from a file declared UTF-8: valid sequences are kept, and every byte
// that is not part of one is taken as a Windows-1252 byte.
std::string utf8FromFile(std::string_view bytes);

// Decodes the UTF-8 sequence that starts at s[pos] into codePoint and returns its
// length; returns 0 when the bytes there are not a valid, shortest-form sequence.
std::size_t decodeUtf8At(std::string_view s, std::size_t pos, char32_t& codePoint);

// The text with the ASCII letters A-Z in lower case, every other byte as it is (for
// file extensions, schemes and units).
std::string asciiLower(std::string_view text);

// The bytes of the first `count` characters of UTF-8 text, never cutting a character
// in two; a byte that is not part of a valid sequence counts as one character.
std::string_view utf8Prefix(std::string_view text, std::size_t count);

// Appends the UTF-8 encoding of a code point (which the caller has checked is a
// Unicode scalar value).
void appendUtf8(std::string& out, char32_t codePoint);

// Replaces each character of `text` that is listed in `special` (any of & < > " ')
// by its predefined XML entity reference; everything else is kept.
std::string escapeMarkup(std::string_view text, std::string_view special);
// The same, appended to `out`.
void appendEscapedMarkup(std::string& out, std::string_view text, std::string_view special);
// The same for XML text, appended to `out`: the C0 control characters other than
// tab, line feed and carriage return are also left out, since XML cannot carry
// them even as references.
void appendXmlEscaped(std::string& out, std::string_view text, std::string_view special);
// The size of what appendXmlEscaped appends.
std::size_t xmlEscapedSize(std::string_view text, std::string_view special);

// A place in a text as an editor shows it, both counted from 1.
struct TextPosition {
    std::size_t line = 1;
    std::size_t column = 1;
};

// The place of byte `offset` of `text` (at most text.size(), the place after the last
// character). A line ends at LF, CR LF or a lone CR, as XML reads line ends. The
// column counts characters, as the teacher's editor does, not bytes: a valid UTF-8
// sequence is one character, and so is every other byte, which a quiz file's reader
// takes as a Windows-1252 character of its own.
TextPosition textPositionAt(std::string_view text, std::size_t offset);

// Line breaks as the editor's multi-line boxes hold them (CR LF) from any mix of
// LF, CR LF and lone CR, and back to plain LF.
std::string toCrLf(std::string_view text);
std::string toLf(std::string_view text);

} // namespace vireta
