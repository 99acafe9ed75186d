// The bytes the XML reader tells apart: blanks, the bytes that start and continue a
// name (a byte of 0xC0 and above stands for the letters of any character set), and
// digits. Internal to the XML reader.
#pragma once

#include <array>

namespace vireta::detail {

using ByteClassTable = std::array<bool, 256>;

constexpr ByteClassTable makeNameStartTable()
{
    ByteClassTable t{};
    t[':'] = true;
    t['_'] = true;
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] = true;
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] = true;
    for (int c = 0xC0; c <= 0xFF; ++c)
        t[c] = c != 0xD7 && c != 0xF7;
    return t;
}

constexpr ByteClassTable makeNameCharTable()
{
    ByteClassTable t = makeNameStartTable();
    t['-'] = true;
    t['.'] = true;
    t[0xB7] = true;
    for (int c = '0'; c <= '9'; ++c)
        t[c] = true;
    return t;
}

inline constexpr ByteClassTable kNameStart = makeNameStartTable();
inline constexpr ByteClassTable kNameChar = makeNameCharTable();

inline bool isBlank(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }
inline bool isNameStart(char c) { return kNameStart[static_cast<unsigned char>(c)]; }
inline bool isNameChar(char c) { return kNameChar[static_cast<unsigned char>(c)]; }
inline bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace vireta::detail
