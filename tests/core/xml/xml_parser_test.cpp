#include "test_files.h"
#include "xml/xml_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vireta {
namespace {

using namespace std::string_literals;
using Kind = TXMLNode::Kind;

const char* const kEmpty = "The main xml document is empty.";
const char* const kNoName = "Imposible abrir o libro.";
const char* const kOrder = "The xml declaration must have 'version' and 'encoding' and/or 'standalone' in this order.";
const char* const kFirstLine = "The xml declaration must be on the first line and first character.";
const char* const kEqual = "Missing equal sign for an attribute.";
const char* const kQuote = "Missing quote for an attribute's value.";
const char* const kRefEnd = "Missing reference end ';'.";
const char* const kRefName = "Reference name is not valid.";
const char* const kDashes = "Illegal sequence '--' in comment.";

// Parses `input` into a document that held a tree before, and returns the error
// message, or "" when it parsed. A failed parse must leave the document empty.
std::string errorOf(const std::string& input)
{
    TXMLDoc doc;
    doc.loadFromBytes("<?xml version='1.0' encoding='x' standalone='no'?><old a='1'>t</old>");
    try {
        doc.loadFromBytes(input);
    } catch (const EXMLException& e) {
        EXPECT_EQ(doc.nodeCount(), 0u) << "after: " << e.what();
        EXPECT_EQ(doc.root(), nullptr);
        EXPECT_EQ(doc.declaration().version(), "");
        EXPECT_EQ(doc.declaration().encoding(), "");
        EXPECT_EQ(doc.declaration().standalone(), "");
        return e.what();
    }
    return "";
}

struct ErrorCase {
    std::string input;
    std::string message;
};

void expectErrors(const std::vector<ErrorCase>& cases)
{
    for (const ErrorCase& c : cases)
        EXPECT_EQ(errorOf(c.input), c.message) << "input: " << c.input;
}

struct Text {
    std::string name;
    std::string value;
    bool operator==(const Text& o) const { return name == o.name && value == o.value; }
};
std::ostream& operator<<(std::ostream& os, const Text& t) { return os << "{" << t.name << " | " << t.value << "}"; }

// Name and value of the one text node inside <a>...</a>, after `declaration`.
Text textOf(const std::string& content, TXMLDoc::TextReading reading = TXMLDoc::TextReading::KeepValues,
            const std::string& declaration = "")
{
    TXMLDoc doc;
    doc.loadFromBytes(declaration + "<a>" + content + "</a>", reading);
    const TXMLNode* t = doc.root()->child(0);
    if (!t || t->kind() != Kind::Text || doc.root()->childCount() != 1) {
        ADD_FAILURE() << "expected one text node in " << content;
        return {};
    }
    return {std::string(t->name()), std::string(t->value())};
}

// ---------------------------------------------------------------------------
// Declaration

TEST(XmlDeclaration, ValuesAreKeptAsWritten)
{
    TXMLDoc doc;
    doc.loadFromBytes("<?xml version='1.0' encoding='Iso_8859-1.x' standalone='no'?><a/>");
    EXPECT_EQ(doc.declaration().version(), "1.0");
    EXPECT_EQ(doc.declaration().encoding(), "Iso_8859-1.x");
    EXPECT_EQ(doc.declaration().standalone(), "no");
    EXPECT_EQ(doc.nodeCount(), 1u); // the declaration is no node

    doc.loadFromBytes("<?xml\tversion=\"1.0\"encoding = \"\"  standalone=\"yes\"  ?>\n<a/>");
    EXPECT_EQ(doc.declaration().version(), "1.0");
    EXPECT_EQ(doc.declaration().encoding(), "");
    EXPECT_EQ(doc.declaration().standalone(), "yes");

    doc.loadFromBytes("<a/>");
    EXPECT_EQ(doc.declaration().version(), "");
    EXPECT_EQ(doc.declaration().encoding(), "");
}

TEST(XmlDeclaration, Errors)
{
    expectErrors({
        {"<?xml  version='1.0'?><a/>", kOrder},
        {"<?xml encoding='UTF-8'?><a/>", kOrder},
        {"<?xml Version='1.0'?><a/>", kOrder},
        {"<?xml version '1.0'?><a/>", kEqual},
        {"<?xml version=1.0?><a/>", kQuote},
        {"<?xml version='1.1'?><a/>", "Unsupported XML version, must be '1.0'."},
        {"<?xml version='1.00'?><a/>", kQuote},
        {"<?xml version=\"1.0'?><a/>", kQuote},
        {"<?xml version='1", "Unsupported XML version, must be '1.0'."},
        {"<?xml version='1.0' encoding='8bit'?><a/>", "Wrong XML encoding declaration."},
        {"<?xml version='1.0' encoding='UTF 8'?><a/>", "Wrong XML encoding declaration."},
        {"<?xml version='1.0' encoding='UTF-8?><a/>", kQuote},
        {"<?xml version='1.0' encoding=UTF-8?><a/>", kQuote},
        {"<?xml version='1.0' standalone='Yes'?><a/>", "Wrong XML standalone declaration, must be 'yes' or 'no'."},
        {"<?xml version='1.0' standalone?><a/>", kEqual},
        // Parts out of order are reported as a missing end.
        {"<?xml version='1.0' standalone='no' encoding='UTF-8'?><a/>", "End of tag '<?xml' missing (?>)."},
        {"<?xml version='1.0' foo='1'?><a/>", "End of tag '<?xml' missing (?>)."},
        {"<?xml version='1.0'", "End of tag '<?xml' missing (?>)."},
        // Not at the very first byte, or without a blank: a processing instruction.
        {"\n<?xml version='1.0'?><a/>", kFirstLine},
        {"<?xml?><a/>", kFirstLine},
        {"\xEF\xBB\xBF<?xml version='1.0'?><a/>", kEmpty},
    });
}

// ---------------------------------------------------------------------------
// Top level

TEST(XmlTopLevel, EmptyInputIsAnEmptyDocument)
{
    TXMLDoc doc;
    doc.loadFromBytes("");
    EXPECT_EQ(doc.nodeCount(), 0u);
    doc.loadFromBytes("\0<a/>"s); // a NUL ends the text
    EXPECT_EQ(doc.nodeCount(), 0u);
}

TEST(XmlTopLevel, NodesInDocumentOrder)
{
    TXMLDoc doc;
    doc.loadFromBytes(" <!-- c -->\r\n<?pi d?> <a/> <!--z--><?q?>\n\0<b>"s);
    ASSERT_EQ(doc.nodeCount(), 5u);
    EXPECT_EQ(doc.node(0)->kind(), Kind::Comment);
    EXPECT_EQ(doc.node(0)->name(), " c ");
    EXPECT_EQ(doc.node(1)->kind(), Kind::ProcessingInstruction);
    EXPECT_EQ(doc.node(2)->kind(), Kind::Element);
    EXPECT_EQ(doc.node(2), doc.root());
    EXPECT_EQ(doc.node(3)->name(), "z");
    EXPECT_EQ(doc.node(4)->name(), "q");
    EXPECT_EQ(doc.node(5), nullptr);
    EXPECT_EQ(doc.nodes().count(), 5u);
}

TEST(XmlTopLevel, Errors)
{
    expectErrors({
        {" \r\n\t", kEmpty},
        {"<?xml version='1.0'?>", kEmpty},
        {"<!-- only a comment -->", kEmpty},
        {"text", kEmpty},
        {"<a/>text", kEmpty},
        {"<a/><b/>", kEmpty},
        {"<a/><![CDATA[x]]>", kEmpty},
        {"<!DOCTYPE a><a/>", "DTD not handle in this version."},
        {"<!DOCTYPE\n a><a/>", "DTD not handle in this version."},
        {"<!DOCTYPE>", kNoName},
        {"< a/>", kNoName},
        {"<", kNoName},
    });
}

TEST(XmlTopLevel, FailedLoadLeavesDocumentEmptyAndReusable)
{
    TXMLDoc doc;
    doc.loadFromBytes("<?xml version='1.0' encoding='UTF-8'?><a x='1'><b/></a>");
    EXPECT_THROW(doc.loadFromBytes("<a><b></a>"), EXMLException);
    EXPECT_EQ(doc.nodeCount(), 0u);
    EXPECT_EQ(doc.declaration().encoding(), "");
    doc.loadFromBytes("<c/>");
    EXPECT_EQ(doc.root()->name(), "c");
    doc.clear();
    EXPECT_EQ(doc.nodeCount(), 0u);
    EXPECT_EQ(doc.root(), nullptr);
}

// ---------------------------------------------------------------------------
// Elements and attributes

TEST(XmlElements, TreeShape)
{
    TXMLDoc doc;
    doc.loadFromBytes("<r>\n  <a>x</a>\n  <b/>\n  <c k='v'> <d/> t <e></e > </c >\n</r>");
    const TXMLNode* r = doc.root();
    ASSERT_EQ(r->childCount(), 3u); // blank runs between tags leave no node
    EXPECT_EQ(r->child(0)->name(), "a");
    EXPECT_EQ(r->child(0)->childCount(), 1u);
    EXPECT_EQ(r->child(0)->child(0)->kind(), Kind::Text);
    EXPECT_EQ(r->child(1)->childCount(), 0u);
    const TXMLNode* c = r->child(2);
    ASSERT_EQ(c->childCount(), 3u);
    EXPECT_EQ(c->child(0)->name(), "d");
    EXPECT_EQ(c->child(1)->name(), "t");
    EXPECT_EQ(c->child(2)->name(), "e");
    EXPECT_EQ(c->child(3), nullptr);
    EXPECT_EQ(r->value(), "");

    EXPECT_FALSE(r->isElementWithAttributes());
    EXPECT_TRUE(c->isElementWithAttributes());
    const TXMLNode* text = c->child(1);
    EXPECT_EQ(text->childCount(), 0u);
    EXPECT_EQ(text->attributeCount(), 0u);
    EXPECT_EQ(text->child(0), nullptr);
    EXPECT_EQ(text->attribute(0), nullptr);
    EXPECT_FALSE(text->isElementWithAttributes());
}

TEST(XmlElements, NameCharacters)
{
    TXMLDoc doc;
    doc.loadFromBytes("<_:a-.9\xC0\xB7\xFF x\xE9=''/>");
    EXPECT_EQ(doc.root()->name(), "_:a-.9\xC0\xB7\xFF");
    EXPECT_EQ(doc.root()->attribute(0)->name(), "x\xE9");
    expectErrors({
        {"<9/>", kNoName},
        {"<-a/>", kNoName},
        {"<\xB7/>", kNoName},
        {"<\xD7/>", kNoName},
        // A UTF-8 letter: 0xC3 starts a name, 0xA9 is no name character.
        {"<a\xC3\xA9/>", "End of tag '<' missing (>)."},
    });
}

TEST(XmlElements, AttributesKeepTheirValuesUnchanged)
{
    TXMLDoc doc;
    doc.loadFromBytes("<a b='x > y < z &amp; \"q\"\r\n w'c=\"'\" d = '' B='2'/>");
    const TXMLNode* a = doc.root();
    ASSERT_EQ(a->attributeCount(), 4u);
    EXPECT_EQ(a->attribute(0)->name(), "b");
    EXPECT_EQ(a->attribute(0)->value(), "x > y < z &amp; \"q\"\r\n w");
    EXPECT_EQ(a->attribute(1)->value(), "'");
    EXPECT_EQ(a->attribute(2)->name(), "d");
    EXPECT_EQ(a->attribute(2)->value(), "");
    EXPECT_EQ(a->attribute(3)->name(), "B");
    EXPECT_EQ(a->attribute(4), nullptr);
    ASSERT_NE(a->attributes().find("c"), nullptr);
    EXPECT_EQ(a->attributes().find("c")->value(), "'");
    EXPECT_EQ(a->attributes().find("e"), nullptr);
}

TEST(XmlElements, Errors)
{
    std::string many = "<a";
    for (int i = 0; i < 100; ++i)
        many += " n" + std::to_string(i) + "=''";
    expectErrors({
        {"<a b='1' b='2'/>", "Attribute b already used."},
        {many + " n57=''/>", "Attribute n57 already used."},
        {"<a b/>", kEqual},
        {"<a b='1' c>", kEqual},
        {"<a b=1/>", kQuote},
        {"<a b='1/>", kQuote},
        {"<a b=\"1'/>", kQuote},
        {"<a", "End of tag '<' missing (>)."},
        {"<a b='1' / >", "End of tag '<' missing (>)."},
        {"<a 1='x'/>", "End of tag '<' missing (>)."},
        {"<a>", "End of tag '<a>' missing (</a>)."},
        {"<a><b>text", "End of tag '<b>' missing (</b>)."},
        {"<a>text\0</a>"s, "End of tag '<a>' missing (</a>)."},
        {"<a></a", kNoName},
        {"<a><b></a>", kNoName},
        {"<a></ab>", kNoName},
        {"<ab></a>", kNoName},
        {"<a></A>", kNoName},
        {"<a></ a>", kNoName},
        {"<a></a x>", kNoName},
        {"<a><!DOCTYPE x></a>", kNoName},
        {"<a><!x></a>", kNoName},
    });
    EXPECT_EQ(errorOf(many + "/>"), "");
}

// A repeated attribute is found wherever it stands, however many attributes come
// before it (past the first few, the names are checked in a hash table once the tag
// is read), and the first repetition in document order is the one reported, before
// any later error of the same tag.
TEST(XmlElements, RepeatedAttributeAmongMany)
{
    auto tag = [](int count, int repeatAt, const std::string& repeated, const std::string& after) {
        std::string s = "<a";
        for (int i = 0; i < count; ++i) {
            s += " n" + std::to_string(i) + "=''";
            if (i == repeatAt)
                s += " " + repeated + "='x'";
        }
        return s + after;
    };
    struct Case {
        int count;
        int repeatAt;
        std::string repeated;
    };
    const std::vector<Case> cases = {
        {20, 14, "n3"},   {20, 15, "n0"},       {20, 16, "n16"},    {70, 31, "n30"},
        {70, 32, "n5"},   {70, 33, "n33"},      {200, 64, "n63"},   {200, 127, "n100"},
        {5000, 4096, "n4095"}, {50000, 40000, "n1"}, {50000, 49999, "n49998"},
    };
    for (const Case& c : cases) {
        const std::string expected = "Attribute " + c.repeated + " already used.";
        EXPECT_EQ(errorOf(tag(c.count, c.repeatAt, c.repeated, "/>")), expected) << c.count << " " << c.repeatAt;
        EXPECT_EQ(errorOf(tag(c.count, c.repeatAt, c.repeated, " z=/>")), expected) << c.count << " " << c.repeatAt;
    }
    // Two repetitions: the earlier one is reported.
    std::string two = tag(300, 250, "n7", "");
    EXPECT_EQ(errorOf(tag(300, 100, "n2", " n250='' n7=''/>")), "Attribute n2 already used.");
    EXPECT_EQ(errorOf(two + " n3=''/>"), "Attribute n7 already used.");
    // Names that share their first eight bytes, or differ only in length, are different.
    std::string similar = "<a";
    for (int i = 0; i < 3000; ++i)
        similar += " abcdefgh" + std::string(static_cast<std::size_t>(i % 40), 'x') + std::to_string(i / 40) + "=''";
    EXPECT_EQ(errorOf(similar + "/>"), "");
    EXPECT_EQ(errorOf(similar + " abcdefghxxx74=''/>"), "Attribute abcdefghxxx74 already used.");
    // A later tag with few attributes is not confused by an earlier one with many.
    EXPECT_EQ(errorOf("<r>" + tag(100, -1, "", "/>") + "<b n5='' n6=''/><c n5='' n5=''/></r>"),
              "Attribute n5 already used.");
    EXPECT_EQ(errorOf("<r>" + tag(100, -1, "", "/>") + tag(100, -1, "", "/>") + "</r>"), "");
}

// Long lists of children, pending while their siblings' subtrees are read, come out
// whole and in order however they fall in the parser's working stack.
TEST(XmlElements, LongListsOfChildrenKeepTheirOrder)
{
    std::string doc = "<r>";
    for (int i = 0; i < 3000; ++i)
        doc += "<q n='" + std::to_string(i) + "'><a>" + std::to_string(i) + "</a>t" + std::to_string(i) + "</q>";
    doc += "</r>";
    TXMLDoc d;
    d.loadFromBytes(doc);
    ASSERT_EQ(d.root()->childCount(), 3000u);
    std::size_t i = 0;
    for (const TXMLNode& q : d.root()->children()) {
        const std::string n = std::to_string(i++);
        ASSERT_EQ(q.attributes().find("n")->value(), n);
        ASSERT_EQ(q.childCount(), 2u);
        EXPECT_EQ(q.child(0)->child(0)->name(), n);
        EXPECT_EQ(q.child(1)->name(), "t" + n);
    }
}

// The tree read back as text: an element as name[attributes](children), a text
// as 'name', a comment as !name, a CDATA section as #name, a processing
// instruction as ?name=value.
std::string shapeOf(const TXMLNode& n)
{
    switch (n.kind()) {
    case Kind::Text:
        return "'" + std::string(n.name()) + "'";
    case Kind::Comment:
        return "!" + std::string(n.name());
    case Kind::CData:
        return "#" + std::string(n.name());
    case Kind::ProcessingInstruction:
        return "?" + std::string(n.name()) + "=" + std::string(n.value());
    case Kind::Element:
        break;
    }
    std::string s(n.name());
    if (n.attributeCount()) {
        s += "[";
        for (const TXMLAttribute& a : n.attributes())
            s += std::string(a.name()) + "=" + std::string(a.value()) + ";";
        s += "]";
    }
    if (n.childCount()) {
        s += "(";
        for (const TXMLNode& c : n.children())
            s += shapeOf(c) + ",";
        s += ")";
    }
    return s;
}

// Random documents with their expected shapes: runs of childless siblings, first
// children followed by siblings at every depth, children with attributes, texts
// and other markup between them, and lists long enough to outgrow a block of the
// tree.
class TreeMaker {
public:
    explicit TreeMaker(std::uint32_t seed) : state_(seed) {}

    void element(int depth, std::string& xml, std::string& shape)
    {
        const std::string name = "e" + std::to_string(next() % 7);
        xml += "<" + name;
        shape += name;
        const unsigned attributes = next() % 4 == 0 ? next() % 30 : 0;
        if (attributes) {
            shape += "[";
            for (unsigned i = 0; i < attributes; ++i) {
                const std::string v = std::to_string(next() % 100);
                xml += " a" + std::to_string(i) + "='" + v + "'";
                shape += "a" + std::to_string(i) + "=" + v + ";";
            }
            shape += "]";
        }
        unsigned children = depth <= 0 ? 0 : next() % 6;
        if (children && next() % 9 == 0)
            children = 200 + next() % 3000; // a long run, mostly of leaves
        if (!children) {
            xml += next() % 2 ? "/>" : "></" + name + ">";
            return;
        }
        xml += ">";
        shape += "(";
        for (unsigned i = 0; i < children && xml.size() < kEnough; ++i) {
            switch (next() % 8) {
            case 0: {
                const std::string t = "t" + std::to_string(next() % 50);
                xml += " " + t + " ";
                shape += "'" + t + "',";
                // Two texts in a row are one text.
                xml += "<!--c-->";
                shape += "!c,";
                break;
            }
            case 1:
                xml += "<![CDATA[d]]><?p v?>";
                shape += "#d,?p=v,";
                break;
            default:
                element(children > 100 ? std::min(depth - 1, static_cast<int>(next() % 2)) : depth - 1, xml, shape);
                shape += ",";
                break;
            }
        }
        xml += "</" + name + ">";
        shape += ")";
    }

private:
    static constexpr std::size_t kEnough = 200000; // bytes of a document

    std::uint32_t next()
    {
        state_ = state_ * 1103515245u + 12345u;
        return state_ >> 8;
    }
    std::uint32_t state_;
};

// Every list of children comes out whole and in order, whatever the tree around it
// and however long the lists waiting beside it.
TEST(XmlElements, ChildListsOfEveryShapeKeepTheirOrder)
{
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        TreeMaker maker(seed);
        std::string xml = "<?a b?><!--top-->";
        std::string shape;
        maker.element(2 + static_cast<int>(seed % 5), xml, shape);
        xml += "<!--end-->";
        TXMLDoc doc;
        doc.loadFromBytes(xml);
        ASSERT_EQ(doc.nodeCount(), 4u);
        ASSERT_EQ(shapeOf(*doc.root()), shape) << "seed " << seed;
        EXPECT_EQ(doc.node(3)->name(), "end");
    }
}

TEST(XmlElements, ChildListsAtSeveralDepths)
{
    TXMLDoc doc;
    // First children followed by siblings, at the top, in the middle and at the
    // bottom; a first child that has attributes; childless runs after a subtree.
    doc.loadFromBytes("<r><a><b><c/><c/></b><b/><b k='1'><c>x</c><c/></b></a><a/><a><b/><b/><b/></a>t<z y='2'/></r>");
    EXPECT_EQ(shapeOf(*doc.root()), "r(a(b(c,c,),b,b[k=1;](c('x',),c,),),a,a(b,b,b,),'t',z[y=2;],)");
    // Leaves enough to outgrow a block of the tree, in one list and under a deep
    // first child.
    std::string xml = "<r><d><d><d>x</d></d></d>";
    std::string shape = "r(d(d(d('x',),),),";
    for (int i = 0; i < 100000; ++i) {
        xml += "<l/>";
        shape += "l,";
    }
    doc.loadFromBytes(xml + "</r>");
    EXPECT_EQ(shapeOf(*doc.root()), shape + ")");
}

// Long attribute lists come out whole, and the next tags, long or short, read theirs
// afresh.
TEST(XmlElements, LongAttributeListsOfSeveralTags)
{
    auto tag = [](const std::string& name, int count, int start) {
        std::string s = "<" + name;
        for (int i = 0; i < count; ++i)
            s += " n" + std::to_string(start + i) + "='" + std::to_string(i) + "'";
        return s + "/>";
    };
    TXMLDoc doc;
    doc.loadFromBytes("<r>" + tag("a", 200000, 0) + tag("b", 3, 7) + tag("c", 70000, 5) + tag("d", 20, 1) + "</r>");
    const TXMLNode* r = doc.root();
    ASSERT_EQ(r->childCount(), 4u);
    const std::vector<std::pair<int, int>> expected = {{200000, 0}, {3, 7}, {70000, 5}, {20, 1}};
    for (std::size_t k = 0; k < expected.size(); ++k) {
        const TXMLNode* e = r->child(k);
        ASSERT_EQ(e->attributeCount(), static_cast<std::size_t>(expected[k].first));
        for (int i = 0; i < expected[k].first; ++i) {
            ASSERT_EQ(e->attribute(static_cast<std::size_t>(i))->name(), "n" + std::to_string(expected[k].second + i));
            ASSERT_EQ(e->attribute(static_cast<std::size_t>(i))->value(), std::to_string(i));
        }
    }
}

// Repeated names are looked for once a tag's attributes have been read (past the
// first few, in a hash set): an error later in the tag is reported as such when no
// name repeats before it, and names that differ in any one byte, whatever their
// length, are different.
TEST(XmlElements, RepeatedAttributeCheckedAtTheEndOfTheTag)
{
    std::string many = "<a";
    for (int i = 0; i < 40; ++i)
        many += " n" + std::to_string(i) + "=''";
    expectErrors({
        {many + " z/>", kEqual},
        {many + " z=x/>", kQuote},
        {many + " z='", kQuote},
        {many + " 9/>", "End of tag '<' missing (>)."},
        {many + " n39=''", "Attribute n39 already used."},
        {many + " n0='' z/>", "Attribute n0 already used."},
        {many + " n17=' n17=''/>", "Attribute n17 already used."},
    });
    std::string names = "<a";
    for (std::size_t length = 1; length <= 17; ++length)
        for (std::size_t at = 0; at < length; ++at) {
            std::string n(length, 'q');
            n[at] = 'r';
            names += " " + n + "=''";
        }
    EXPECT_EQ(errorOf(names + "/>"), "");
    EXPECT_EQ(errorOf(names + " qqqqqqr=''/>"), "Attribute qqqqqqr already used.");
    EXPECT_EQ(errorOf(names + " rqqqqqqqqqqqq=''/>"), "Attribute rqqqqqqqqqqqq already used.");
    EXPECT_EQ(errorOf(names + " qqqqqq=''/>"), "");
}

// Nesting depth is limited by memory only: neither parsing nor destroying a tree
// uses the C++ stack per level.
TEST(XmlElements, MillionNestedElements)
{
    const std::size_t depth = 1000000;
    std::string open;
    std::string close;
    for (std::size_t i = 0; i < depth; ++i) {
        open += "<e>";
        close += "</e>";
    }
    {
        TXMLDoc doc;
        doc.loadFromBytes(open + "x" + close);
        const TXMLNode* n = doc.root();
        std::size_t levels = 0;
        while (n && n->isElement()) {
            ++levels;
            ASSERT_EQ(n->childCount(), 1u);
            n = n->child(0);
        }
        EXPECT_EQ(levels, depth);
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->name(), "x");
    }
    EXPECT_EQ(errorOf(open), "End of tag '<e>' missing (</e>).");
}

// ---------------------------------------------------------------------------
// Text and references

struct TextCase {
    std::string content;
    Text expected;
};

std::vector<TextCase> textCases()
{
    return {
        {" \r\n\t plain text \x01\x1f ", {"plain text", "plain text"}},
        {"a &amp; b", {"a & b", "a &amp; b"}},
        {"&lt;&gt;&amp;&apos;&quot;", {"<>&'\"", "&lt;&gt;&amp;&apos;&quot;"}},
        {"&amp;amp;", {"&amp;", "&amp;amp;"}},
        {"&undeclared; &a.b-c:9;", {"&undeclared; &a.b-c:9;", "&undeclared; &a.b-c:9;"}},
        {"&#65;&#x42;&#x63;&#0000000000068;", {"ABcD", "&#65;&#x42;&#x63;&#0000000000068;"}},
        {"&#233;&#x20AC;&#x1F600;&#x10FFFF;",
         {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", "&#233;&#x20AC;&#x1F600;&#x10FFFF;"}},
        // Stripped again after replacing.
        {"&#32;x&#10;", {"x", "&#32;x&#10;"}},
        {"&#32;", {"", "&#32;"}},
        // Numbers that fit but name no character stay as written.
        {"&#0;|&#xD800;|&#57343;|&#x110000;|&#2147483647;|&#xFFFFFFFF;",
         {"&#0;|&#xD800;|&#57343;|&#x110000;|&#2147483647;|&#xFFFFFFFF;",
          "&#0;|&#xD800;|&#57343;|&#x110000;|&#2147483647;|&#xFFFFFFFF;"}},
        {"\xE9 latin-1 bytes \xFF", {"\xE9 latin-1 bytes \xFF", "\xE9 latin-1 bytes \xFF"}},
        {"x > y", {"x > y", "x > y"}},
        // Dense references, and references between long runs of plain text.
        {"&lt;&lt;&gt;&#65;&#x41;&amp;&quot;&apos;", {"<<>AA&\"'", "&lt;&lt;&gt;&#65;&#x41;&amp;&quot;&apos;"}},
        {std::string(40, 'a') + "&amp;" + std::string(40, 'b') + "&#233;" + std::string(3, 'c'),
         {std::string(40, 'a') + "&" + std::string(40, 'b') + "\xC3\xA9" "ccc",
          std::string(40, 'a') + "&amp;" + std::string(40, 'b') + "&#233;ccc"}},
        {"&lt;b&gt; &amp; &#233;&#xE1; &quot;ola&quot; &apos;&#8364;&#x1F600;&l;&ltx;&amps;&quot1;",
         {"<b> & \xC3\xA9\xC3\xA1 \"ola\" '\xE2\x82\xAC\xF0\x9F\x98\x80&l;&ltx;&amps;&quot1;",
          "&lt;b&gt; &amp; &#233;&#xE1; &quot;ola&quot; &apos;&#8364;&#x1F600;&l;&ltx;&amps;&quot1;"}},
    };
}

TEST(XmlText, NameHasReferencesReplacedAndValueKeepsThem)
{
    for (const TextCase& c : textCases())
        EXPECT_EQ(textOf(c.content), c.expected) << "content: " << c.content;
}

// References between runs of plain text of many lengths, next to each other and to
// references kept as written (which shrink nothing), in place and not: each text is
// made of pieces whose replaced form is known.
TEST(XmlText, ReferencesBetweenRunsOfEveryLength)
{
    struct Piece {
        std::string written;
        std::string replaced;
    };
    const Piece pieces[] = {{"&amp;", "&"},
                            {"&lt;", "<"},
                            {"&gt;", ">"},
                            {"&quot;", "\""},
                            {"&#65;", "A"},
                            {"&#x1F600;", "\xF0\x9F\x98\x80"},
                            {"&undeclared;", "&undeclared;"},
                            {"&#0;", "&#0;"},
                            {"\xC3\xA9", "\xC3\xA9"},
                            {"x", "x"},
                            {std::string(7, 'b'), std::string(7, 'b')},
                            {std::string(15, 'c'), std::string(15, 'c')},
                            {std::string(16, 'd'), std::string(16, 'd')},
                            {std::string(17, 'e'), std::string(17, 'e')},
                            {std::string(40, 'f'), std::string(40, 'f')}};
    const std::string utf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    std::uint32_t state = 7;
    for (int n = 0; n < 600; ++n) {
        std::string written = "[";
        std::string replaced = "[";
        for (int i = 0; i < n % 61; ++i) {
            state = state * 1103515245u + 12345u;
            const Piece& piece = pieces[(state >> 8) % (sizeof pieces / sizeof *pieces)];
            written += piece.written;
            replaced += piece.replaced;
        }
        written += ']';
        replaced += ']';
        EXPECT_EQ(textOf(written), (Text{replaced, written}));
        EXPECT_EQ(textOf(written, TXMLDoc::TextReading::ReplaceInPlaceWhenUtf8, utf8), (Text{replaced, replaced}));
    }
}

// Long text dense in references, starting at every offset: the markup characters'
// references, others among them and runs of plain text between them read as they
// always did, in place and not.
TEST(XmlText, DenseReferencesAtEveryOffsetOfALongText)
{
    const std::string utf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    for (std::size_t offset = 0; offset < 140; ++offset) {
        std::string written(offset, 'o');
        std::string replaced(offset, 'o');
        for (int i = 0; i < 60; ++i) {
            written += "&lt;b&gt;r\xC3\xADo&amp;&amp;";
            replaced += "<b>r\xC3\xADo&&";
            if (i % 7 == 3) {
                written += "&#65;&quot;&undeclared;";
                replaced += "A\"&undeclared;";
            }
            if (i % 11 == 5) {
                written += std::string(i % 64, 'x');
                replaced += std::string(i % 64, 'x');
            }
        }
        EXPECT_EQ(textOf(written), (Text{replaced, written})) << offset;
        EXPECT_EQ(textOf(written, TXMLDoc::TextReading::ReplaceInPlaceWhenUtf8, utf8), (Text{replaced, replaced}))
            << offset;
    }
    // A reference that is not one, deep in such a text, fails as anywhere else.
    std::string bad;
    for (int i = 0; i < 100; ++i)
        bad += "&lt;&gt;&amp;ab";
    for (const std::string reference : {"&lt", "&am p;", "&#;"})
        EXPECT_EQ(errorOf("<a>" + bad + reference + std::string(300, 'z') + "</a>"),
                  errorOf("<a>" + reference + std::string(300, 'z') + "</a>"))
            << reference;
}

TEST(XmlText, ReplacedInPlaceTheValueIsTheNameUnderUtf8Only)
{
    using Reading = TXMLDoc::TextReading;
    for (const TextCase& c : textCases()) {
        for (const char* utf8 : {"UTF-8", "utf-8", "Utf-8"}) {
            const std::string declaration = std::string("<?xml version=\"1.0\" encoding=\"") + utf8 + "\"?>";
            EXPECT_EQ(textOf(c.content, Reading::ReplaceInPlaceWhenUtf8, declaration),
                      (Text{c.expected.name, c.expected.name}))
                << "content: " << c.content;
        }
        for (const char* declaration : {"", "<?xml version=\"1.0\"?>", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
                                        "<?xml version=\"1.0\" encoding=\"UTF-16\"?>"})
            EXPECT_EQ(textOf(c.content, Reading::ReplaceInPlaceWhenUtf8, declaration), c.expected)
                << declaration << " content: " << c.content;
    }

    // Only the texts change: names, attribute values, comments and the texts around
    // them are read as before.
    TXMLDoc doc;
    doc.loadFromBytes("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a x=\"&amp;&#65;\">&lt;&lt;&lt;b<b/>"
                      "<!-- &amp; -->&#x1F600;&amp;<c y='&lt;'>&amp;amp;</c>tail</a>",
                      Reading::ReplaceInPlaceWhenUtf8);
    const TXMLNode& a = *doc.root();
    ASSERT_EQ(a.childCount(), 6u);
    EXPECT_EQ(a.attribute(0)->value(), "&amp;&#65;");
    EXPECT_EQ(a.child(0)->value(), "<<<b");
    EXPECT_EQ(a.child(1)->name(), "b");
    EXPECT_EQ(a.child(2)->name(), " &amp; ");
    EXPECT_EQ(a.child(3)->value(), "\xF0\x9F\x98\x80&");
    EXPECT_EQ(a.child(4)->attribute(0)->value(), "&lt;");
    EXPECT_EQ(a.child(4)->child(0)->value(), "&amp;");
    EXPECT_EQ(a.child(5)->value(), "tail");

    // Errors are the same, and leave the document empty.
    for (const char* bad : {"<a>&amp;&lt;&ab</a>", "<a>&#2147483648;</a>", "<a>&amp;&ab&cd;</a>"}) {
        std::string kept;
        std::string inPlace;
        try {
            doc.loadFromBytes(bad);
        } catch (const EXMLException& e) {
            kept = e.what();
        }
        try {
            doc.loadFromBytes(std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + bad,
                              Reading::ReplaceInPlaceWhenUtf8);
        } catch (const EXMLException& e) {
            inPlace = e.what();
        }
        EXPECT_FALSE(kept.empty()) << bad;
        EXPECT_EQ(inPlace, kept) << bad;
        EXPECT_EQ(doc.nodeCount(), 0u);
    }
}

TEST(XmlText, ReferenceErrors)
{
    expectErrors({
        {"<a>a & b</a>", kRefEnd},
        {"<a>x&</a>", kRefEnd},
        {"<a>&amp</a>", kRefEnd},
        {"<a>x&lt</a>", kRefEnd},
        {"<a>x&g</a>", kRefEnd},
        {"<a>x&am</a>", kRefEnd},
        {"<a>x&</a>", kRefEnd},
        // The ";" must come in the same text run, not after a later tag.
        {"<a>&amp<b/>;</a>", kRefEnd},
        {"<a>&#65</a>", kRefEnd},
        {"<a>&#65 ;</a>", kRefEnd},
        {"<a>&#X41;</a>", kRefEnd},
        {"<a>&#</a>", kRefEnd},
        {"<a>&#;</a>", kRefName},
        {"<a>&#x;</a>", kRefName},
        {"<a>&;</a>", kRefName},
        {"<a>a & b;</a>", kRefName},
        {"<a>&amp;&lt;&a-b c;</a>", kRefName},
        {"<a>&amp;&lt;&ab</a>", kRefEnd},
        {"<a>&amp;&ab&cd;</a>", kRefName},
        {"<a>&amp;&#1;&#x1</a>", kRefEnd},
        {"<a>&1a;</a>", kRefName},
        {"<a>&a b;</a>", kRefName},
        {"<a>&#2147483648;</a>", "'2147483648' is not a valid integer value"},
        {"<a>&#x100000000;</a>", "'$100000000' is not a valid integer value"},
        {"<a>&#x00000001FFFFFFFF;</a>", "'$00000001FFFFFFFF' is not a valid integer value"},
        {"<a>&#99999999999999999999999999999;</a>", "'99999999999999999999999999999' is not a valid integer value"},
    });
}

// ---------------------------------------------------------------------------
// Comments, CDATA sections and processing instructions

TEST(XmlMarkup, CommentsCDataAndProcessingInstructions)
{
    TXMLDoc doc;
    doc.loadFromBytes("<a><!----><!-- <b> &x - y --><![CDATA[ <b>&amp;]] ]]><![CDATA[]]>"
                      "<?pi  some data ?? ?><?xml-stylesheet href='s'?><?p?></a>");
    const TXMLNode* a = doc.root();
    ASSERT_EQ(a->childCount(), 7u);
    struct Expected {
        Kind kind;
        const char* name;
        const char* value;
    };
    const Expected expected[] = {
        {Kind::Comment, "", ""},
        {Kind::Comment, " <b> &x - y ", ""},
        {Kind::CData, " <b>&amp;]] ", ""},
        {Kind::CData, "", ""},
        {Kind::ProcessingInstruction, "pi", "some data ?? "},
        {Kind::ProcessingInstruction, "xml-stylesheet", "href='s'"},
        {Kind::ProcessingInstruction, "p", ""},
    };
    for (std::size_t i = 0; i < 7; ++i) {
        const TXMLNode* n = a->child(i);
        EXPECT_EQ(n->kind(), expected[i].kind) << i;
        EXPECT_EQ(n->name(), expected[i].name) << i;
        EXPECT_EQ(n->value(), expected[i].value) << i;
        EXPECT_EQ(n->childCount(), 0u);
    }
}

TEST(XmlMarkup, Errors)
{
    expectErrors({
        {"<a><!-- x -- y --></a>", kDashes},
        {"<a><!-- x ---></a>", kDashes},
        {"<a><!---></a>", "End of tag '<!--' missing (-->)."},
        {"<a><!-- x", "End of tag '<!--' missing (-->)."},
        {"<!-- x --", "End of tag '<!--' missing (-->)."},
        {"<a><![CDATA[x]]</a>", "End of tag '<![CDATA[' missing (]]>)."},
        {"<a><?pi x</a>", "End of tag '<?' missing (?>)."},
        {"<a><? x?></a>", "Processing Instruction target name missing."},
        {"<?", "Processing Instruction target name missing."},
        {"<a><?xml x?></a>", kFirstLine},
        {"<a/><?xml?>", kFirstLine},
        {"<?XmL x?><a/>", "Processing Instruction target name is 'xml'."},
        {"<a><?xML?></a>", "Processing Instruction target name is 'xml'."},
    });
}

// ---------------------------------------------------------------------------
// Where an error is

// The offset of an error is where the reader found it, and its line and column are
// those of the file as written, also when the texts before it had their references
// replaced in place: the same in either reading.
TEST(XmlErrorPlace, OffsetLineAndColumnOfTheError)
{
    const std::string utf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    const struct {
        std::string input;
        XmlProblem problem;
        std::size_t offset;
        std::size_t line;
        std::size_t column;
        std::string subject;
    } cases[] = {
        // On the first line.
        {"<a b='1' b='2'/>", XmlProblem::AttributeRepeated, 9, 1, 10, "b"},
        {"<a>< b/></a>", XmlProblem::TagNameMissing, 3, 1, 4, ""},
        {"<a>&#x110000000;</a>", XmlProblem::ReferenceNumberTooLarge, 3, 1, 4, "&#x110000000;"},
        {"<?xml version='1.0' encoding='8bit'?><a/>", XmlProblem::DeclarationEncoding, 30, 1, 31, ""},
        // After CR LF, a lone CR, LF.
        {"<a>\r\n  <b>x &amp y</b></a>", XmlProblem::ReferenceUnfinished, 12, 2, 8, ""},
        {"<a>\r<b></a>", XmlProblem::EndTagMismatch, 7, 2, 4, "b"},
        {"<a/>\n<b/>", XmlProblem::OutsideRootElement, 5, 2, 1, ""},
        {"<a>\n<!-- x\n</a>", XmlProblem::CommentUnclosed, 4, 2, 1, ""},
        // After multibyte characters, and bytes that are no UTF-8.
        {"<a>\n  <t>R\xC3\xADo Mi\xC3\xB1o</t><t>\xE2\x82\xAC 3 & 4</t></a>", XmlProblem::ReferenceUnfinished, 32,
         2, 25, ""},
        {"<a>\xE1 &</a>", XmlProblem::ReferenceUnfinished, 5, 1, 6, ""},
        // After texts whose references make line breaks and multibyte characters.
        {utf8 + "<a><t>&#10;&#233;&amp;</t>\n<t>x &lt y</t></a>", XmlProblem::ReferenceUnfinished, 71, 3, 6, ""},
        // At the end of the input.
        {"<a>\r\n<b>", XmlProblem::ElementUnclosed, 8, 2, 4, "b"},
        {"<a b='1'", XmlProblem::TagUnclosed, 8, 1, 9, "a"},
        {" \r\n\t", XmlProblem::NoRootElement, 4, 2, 2, ""},
        {"<a>x\0</a>"s, XmlProblem::ElementUnclosed, 4, 1, 5, "a"}, // a NUL ends the input
    };
    for (const auto& c : cases) {
        for (const auto reading : {TXMLDoc::TextReading::KeepValues, TXMLDoc::TextReading::ReplaceInPlaceWhenUtf8}) {
            TXMLDoc doc;
            try {
                doc.loadFromBytes(c.input, reading);
                ADD_FAILURE() << "parsed: " << c.input;
            } catch (const EXMLException& e) {
                EXPECT_EQ(e.problem(), c.problem) << c.input << ": " << e.what();
                EXPECT_EQ(e.offset(), c.offset) << c.input;
                EXPECT_EQ(e.position().line, c.line) << c.input;
                EXPECT_EQ(e.position().column, c.column) << c.input;
                EXPECT_EQ(e.subject(), c.subject) << c.input;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Loading files

class XmlFile : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bytes)
    {
        std::string path = dir_ / name;
        testfiles::writeFile(path, bytes);
        return path;
    }
    testfiles::ScratchDir dir_;
};

TEST_F(XmlFile, LoadsAndRemembersThePath)
{
    std::string path = write("q.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n  <xogo version=\"1.0\"> </xogo> ");
    TXMLDoc doc;
    doc.loadFromFile(path);
    EXPECT_EQ(doc.fileName(), path);
    EXPECT_EQ(doc.declaration().encoding(), "UTF-8");
    EXPECT_EQ(doc.root()->name(), "xogo");
    EXPECT_TRUE(doc.root()->isElementWithAttributes());
    doc.clear();
    EXPECT_EQ(doc.fileName(), path);

    doc.loadFromFile("");
    EXPECT_EQ(doc.nodeCount(), 0u);
    EXPECT_EQ(doc.fileName(), "");
}

TEST_F(XmlFile, FileSystemErrorsAreNoParseErrors)
{
    TXMLDoc doc;
    doc.loadFromFile(write("good.xml", "<a/>"));
    for (const std::string& path : {dir_ / "missing.xml", dir_.str()}) {
        try {
            doc.loadFromFile(path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const EXMLException&) {
            ADD_FAILURE() << "parse error for " << path;
        } catch (const FileReadError& e) {
            EXPECT_EQ(e.path(), path);
        }
        EXPECT_EQ(doc.nodeCount(), 0u);
        EXPECT_EQ(doc.fileName(), path);
    }
}

TEST_F(XmlFile, AFileWhoseSizeIsNotToldIsReadToItsEnd)
{
    // The system gives /proc files a size of 0: they are read on in pieces, and
    // what is read is parsed (here it is no XML).
    TXMLDoc doc;
    try {
        doc.loadFromFile("/proc/self/status");
        ADD_FAILURE() << "parsed";
    } catch (const EXMLException& e) {
        EXPECT_STREQ(e.what(), "The main xml document is empty.");
    }
    // A large file read with its texts replaced in place.
    const std::string big(200000, 'x');
    doc.loadFromFile(write("big.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>" + big + "&amp;</a>"),
                     TXMLDoc::TextReading::ReplaceInPlaceWhenUtf8);
    EXPECT_EQ(doc.root()->child(0)->value(), big + "&");
}

TEST_F(XmlFile, ParseErrorEmptiesTheDocument)
{
    TXMLDoc doc;
    doc.loadFromFile(write("good.xml", "<a/>"));
    EXPECT_THROW(doc.loadFromFile(write("bad.xml", "<a>")), EXMLException);
    EXPECT_EQ(doc.nodeCount(), 0u);
}

} // namespace
} // namespace vireta
