// Pieces shared by the readers of the foreign formats: the text of a file as UTF-8,
// its lines, trimming, and HTML turned into the program's plain text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vireta {

// A file's bytes as UTF-8: a UTF-8 byte-order mark is dropped; bytes that are valid
// UTF-8 throughout are kept; anything else is read as Windows-1252.
std::string importedText(std::string_view bytes);

// The lines of a text, split at LF, CR LF or a lone CR, without their ends.
std::vector<std::string_view> splitLines(std::string_view text);

// The text without blanks (space, tab, CR, LF, form feed, vertical tab) at either end.
std::string_view trimmed(std::string_view text);

bool startsWithNoCase(std::string_view text, std::string_view prefix);
bool equalsNoCase(std::string_view a, std::string_view b);

// HTML as plain text: tags removed (with the contents of script and style), character
// and entity references decoded, runs of white space made one space, and paragraphs,
// line breaks, list items and headings as line breaks (CR LF, never more than one
// empty line in a row, none at either end). With `links`, the target of every link
// (an `a` element's href, its references decoded, when not empty) is added to it in
// the text's order.
std::string htmlToText(std::string_view html, std::vector<std::string>* links = nullptr);

// The first `count` characters (code points) of a UTF-8 text.
std::string firstCharacters(std::string_view text, std::size_t count);

// The name a question goes by in a question bank: its statement's first 40
// characters, line breaks as spaces, without blanks at the ends.
std::string questionName(std::string_view statement);

// Base64 (RFC 4648, with padding). The decoder skips white space; it returns false
// on any other character that is not of the alphabet or a wrong padding.
std::string encodeBase64(std::string_view bytes);
bool decodeBase64(std::string_view text, std::string& bytes);

} // namespace vireta
