// The tree builder's texts: a text between tags, stripped, and its name with the
// character and entity references replaced.

#include "xml/xml_tree_builder.h"

#include "text.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace vireta {

namespace {

inline bool isHexDigit(char c)
{
    return detail::isDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
inline unsigned hexValue(char c)
{
    if (detail::isDecimalDigit(c))
        return static_cast<unsigned>(c - '0');
    return static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

// The UTF-8 encoding of a Unicode scalar value, written at `o`; returns the end.
char* putUtf8(char* o, std::uint32_t cp)
{
    if (cp < 0x80) {
        *o++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *o++ = static_cast<char>(0xC0 | (cp >> 6));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *o++ = static_cast<char>(0xE0 | (cp >> 12));
        *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *o++ = static_cast<char>(0xF0 | (cp >> 18));
        *o++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return o;
}

// The character of a predefined entity name, or 0.
char predefinedEntity(std::string_view name)
{
    if (name == "lt")
        return '<';
    if (name == "gt")
        return '>';
    if (name == "amp")
        return '&';
    if (name == "apos")
        return '\'';
    if (name == "quot")
        return '"';
    return 0;
}

} // namespace

void XMLTreeBuilder::parseText()
{
    const void* lt = std::memchr(cursor_, '<', left());
    const char* stop = lt ? static_cast<const char*>(lt) : end_;
    std::string_view value = trimBlanks(std::string_view(cursor_, static_cast<std::size_t>(stop - cursor_)));
    cursor_ = stop;
    if (value.empty())
        return;
    const std::size_t amp = value.find('&');
    if (amp == std::string_view::npos) {
        append(Kind::Text, value, value);
        return;
    }
    append(Kind::Text, trimBlanks(replaceReferences(value, amp)), value);
}

// The text with its references replaced, in the document's texts arena; the first
// "&" is at `amp`. No reference is shorter than what replaces it, so the result fits
// in text.size() bytes.
std::string_view XMLTreeBuilder::replaceReferences(std::string_view text, std::size_t amp)
{
    char* const out = static_cast<char*>(s_.texts.allocate(text.size()));
    std::memcpy(out, text.data(), amp);
    char* o = out + amp;
    const char* p = text.data() + amp;
    const char* const e = text.data() + text.size();
    while (p < e) {
        const char* a = p;
        if (*a != '&') {
            const void* next = std::memchr(p, '&', static_cast<std::size_t>(e - p));
            a = next ? static_cast<const char*>(next) : e;
            std::memcpy(o, p, static_cast<std::size_t>(a - p));
            o += a - p;
            if (a == e)
                break;
        }
        const char* q = a + 1;
        if (q < e && *q == '#') {
            ++q;
            const bool hex = q < e && *q == 'x';
            if (hex)
                ++q;
            const char* digits = q;
            std::uint64_t number = 0;
            const std::uint64_t limit = hex ? 0xFFFFFFFFu : 0x7FFFFFFFu;
            // Past the limit the number only has to stay past it.
            for (; q < e && (hex ? isHexDigit(*q) : detail::isDecimalDigit(*q)); ++q)
                if (number <= limit)
                    number = number * (hex ? 16 : 10) + hexValue(*q);
            if (q == e || *q != ';')
                fail(XmlProblem::ReferenceUnfinished, a);
            if (q == digits)
                fail(XmlProblem::ReferenceNameInvalid, a);
            if (number > limit)
                fail(XmlProblem::ReferenceNumberTooLarge, a, std::string(a, q + 1));
            const char* after = q + 1;
            if (number != 0 && number <= 0x10FFFF && !(number >= 0xD800 && number <= 0xDFFF)) {
                o = putUtf8(o, static_cast<std::uint32_t>(number));
            } else { // a number that names no character is kept as written
                std::memcpy(o, a, static_cast<std::size_t>(after - a));
                o += after - a;
            }
            p = after;
            continue;
        }
        if (q == e)
            fail(XmlProblem::ReferenceUnfinished, a);
        // A name, then ";". When the name is cut short by any other byte, the
        // reference is invalid if a ";" follows somewhere and unfinished if not.
        const char* s = q;
        if (detail::isNameStart(*s)) {
            ++s;
            while (s < e && detail::isNameChar(*s))
                ++s;
        }
        if (s == q || s == e || *s != ';') {
            if (s < e && std::memchr(s, ';', static_cast<std::size_t>(e - s)))
                fail(XmlProblem::ReferenceNameInvalid, a);
            fail(XmlProblem::ReferenceUnfinished, a);
        }
        if (const char replacement = predefinedEntity(std::string_view(q, static_cast<std::size_t>(s - q)))) {
            *o++ = replacement;
        } else { // another entity is kept as written
            std::memcpy(o, a, static_cast<std::size_t>(s + 1 - a));
            o += s + 1 - a;
        }
        p = s + 1;
    }
    const std::size_t used = static_cast<std::size_t>(o - out);
    s_.texts.giveBack(out + text.size(), text.size() - used);
    return {out, used};
}

} // namespace vireta
