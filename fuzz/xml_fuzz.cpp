// Loads arbitrary bytes as an XML document. Besides the sanitizers' checks it
// verifies what must hold for every input: a failed parse leaves the document
// empty, and a parsed tree is well formed (one root element among the top-level
// nodes, element names and attribute names are names, texts are stripped and
// never empty, kinds other than element have neither children nor attributes), and
// a text's name is its value with the references replaced as documented, stripped.
// An error lies within the input (which ends at its first NUL byte). Read again with
// the references replaced in place, the input must give the same outcome: the same
// error at the same place, or the same tree, in which a text's value is its name when
// the declaration names UTF-8 and is unchanged otherwise.

#include "text.h"
#include "xml/xml_parser.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool isNameStart(unsigned char c)
{
    return c == ':' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')
        || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

bool isNameChar(unsigned char c)
{
    return isNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7;
}

bool isName(std::string_view s)
{
    if (s.empty() || !isNameStart(static_cast<unsigned char>(s[0])))
        return false;
    for (char c : s.substr(1))
        if (!isNameChar(static_cast<unsigned char>(c)))
            return false;
    return true;
}

bool isStripped(std::string_view s)
{
    return s.empty()
        || (static_cast<unsigned char>(s.front()) > 32 && static_cast<unsigned char>(s.back()) > 32);
}

// The value of a parsed text with its references replaced, the slow way: every "&"
// of a text that parsed starts a whole reference.
std::string replaced(std::string_view v)
{
    std::string out;
    for (std::size_t i = 0; i < v.size();) {
        if (v[i] != '&') {
            out += v[i++];
            continue;
        }
        const std::size_t semi = v.find(';', i);
        check(semi != std::string_view::npos && semi > i + 1);
        const std::string_view body = v.substr(i + 1, semi - i - 1);
        const std::string_view whole = v.substr(i, semi + 1 - i);
        i = semi + 1;
        if (body[0] == '#') {
            const bool hex = body.size() > 1 && body[1] == 'x';
            const std::string_view digits = body.substr(hex ? 2 : 1);
            check(!digits.empty());
            std::uint64_t n = 0;
            for (char c : digits) {
                const unsigned d = c <= '9' ? static_cast<unsigned>(c - '0') : static_cast<unsigned>((c | 0x20) - 'a' + 10);
                check(d < (hex ? 16u : 10u));
                n = std::min<std::uint64_t>(n * (hex ? 16 : 10) + d, 0x110000);
            }
            if (n != 0 && n < 0x110000 && !(n >= 0xD800 && n <= 0xDFFF))
                vireta::appendUtf8(out, static_cast<char32_t>(n));
            else
                out.append(whole);
            continue;
        }
        check(isName(body));
        if (body == "lt")
            out += '<';
        else if (body == "gt")
            out += '>';
        else if (body == "amp")
            out += '&';
        else if (body == "apos")
            out += '\'';
        else if (body == "quot")
            out += '"';
        else
            out.append(whole);
    }
    return out;
}

void checkNode(const vireta::TXMLNode& n)
{
    using Kind = vireta::TXMLNode::Kind;
    switch (n.kind()) {
    case Kind::Element:
        check(isName(n.name()));
        check(n.value().empty());
        for (const vireta::TXMLAttribute& a : n.attributes()) {
            check(isName(a.name()));
            check(n.attributes().find(a.name()) == &a); // names are unique
        }
        check(n.isElementWithAttributes() == (n.attributeCount() > 0));
        check(n.child(n.childCount()) == nullptr);
        return;
    case Kind::Text:
        check(!n.value().empty() && isStripped(n.value()) && isStripped(n.name()));
        check(n.value().find('<') == std::string_view::npos);
        check(n.name() == vireta::trimBlanks(replaced(n.value())));
        break;
    case Kind::ProcessingInstruction:
        check(isName(n.name()));
        break;
    case Kind::Comment:
    case Kind::CData:
        check(n.value().empty());
        break;
    default:
        check(false);
    }
    check(n.childCount() == 0 && n.attributeCount() == 0 && n.child(0) == nullptr);
    check(!n.isElementWithAttributes());
}

bool namesUtf8(std::string_view encoding)
{
    if (encoding.size() != 5)
        return false;
    std::string lower(encoding);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower == "utf-8";
}

// The tree read with the references replaced in place against the one read with the
// values kept: the same nodes, names and attributes, texts as documented.
void checkSameTree(const vireta::TXMLDoc& kept, const vireta::TXMLDoc& inPlace)
{
    const bool utf8 = namesUtf8(kept.declaration().encoding());
    check(kept.declaration().encoding() == inPlace.declaration().encoding());
    check(kept.nodeCount() == inPlace.nodeCount());
    std::vector<std::pair<const vireta::TXMLNode*, const vireta::TXMLNode*>> pending;
    for (std::size_t i = 0; i < kept.nodeCount(); ++i)
        pending.emplace_back(kept.node(i), inPlace.node(i));
    while (!pending.empty()) {
        const auto [a, b] = pending.back();
        pending.pop_back();
        check(a->kind() == b->kind() && a->name() == b->name());
        const bool replaced = utf8 && a->kind() == vireta::TXMLNode::Kind::Text;
        check(b->value() == (replaced ? a->name() : a->value()));
        check(a->attributeCount() == b->attributeCount() && a->childCount() == b->childCount());
        for (std::size_t i = 0; i < a->attributeCount(); ++i)
            check(a->attribute(i)->name() == b->attribute(i)->name()
                  && a->attribute(i)->value() == b->attribute(i)->value());
        for (std::size_t i = 0; i < a->childCount(); ++i)
            pending.emplace_back(a->child(i), b->child(i));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t inputEnd = std::min(input.find('\0'), size);
    vireta::TXMLDoc doc;
    vireta::TXMLDoc inPlace;
    std::string error;
    std::size_t offset = 0;
    vireta::TextPosition position;
    try {
        doc.loadFromBytes(input);
    } catch (const vireta::EXMLException& e) {
        check(doc.nodeCount() == 0 && doc.root() == nullptr);
        check(doc.declaration().version().empty() && doc.declaration().encoding().empty());
        check(e.offset() <= inputEnd);
        error = e.what();
        offset = e.offset();
        position = e.position();
    }
    try {
        inPlace.loadFromBytes(input, vireta::TXMLDoc::TextReading::ReplaceInPlaceWhenUtf8);
        check(error.empty());
    } catch (const vireta::EXMLException& e) {
        check(e.what() == error);
        check(e.offset() == offset && e.position().line == position.line && e.position().column == position.column);
        check(inPlace.nodeCount() == 0 && inPlace.root() == nullptr);
    }
    if (!error.empty())
        return 0;
    checkSameTree(doc, inPlace);

    if (doc.nodeCount() == 0) {
        check(size == 0 || data[0] == 0);
        return 0;
    }
    std::size_t elements = 0;
    for (const vireta::TXMLNode& n : doc.nodes()) {
        if (n.isElement()) {
            ++elements;
            check(&n == doc.root());
        } else {
            check(n.kind() == vireta::TXMLNode::Kind::Comment
                  || n.kind() == vireta::TXMLNode::Kind::ProcessingInstruction);
        }
    }
    check(elements == 1);

    // Walk the whole tree without recursion.
    std::vector<const vireta::TXMLNode*> pending{doc.root()};
    while (!pending.empty()) {
        const vireta::TXMLNode* n = pending.back();
        pending.pop_back();
        checkNode(*n);
        for (const vireta::TXMLNode& c : n->children())
            pending.push_back(&c);
    }
    return 0;
}
