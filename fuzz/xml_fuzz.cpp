// Loads arbitrary bytes as an XML document. Besides the sanitizers' checks it
// verifies what must hold for every input: a failed parse leaves the document
// empty, and a parsed tree is well formed (one root element among the top-level
// nodes, element names and attribute names are names, texts are stripped and
// never empty, kinds other than element have neither children nor attributes).

#include "xml/XMLParser.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vireta::TXMLDoc doc;
    try {
        doc.loadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const vireta::EXMLException&) {
        check(doc.nodeCount() == 0 && doc.root() == nullptr);
        check(doc.declaration().version().empty() && doc.declaration().encoding().empty());
        return 0;
    }

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
