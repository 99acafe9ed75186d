// The parser that builds a document's tree from its buffer. Internal to the XML reader.
//
// The whole input is held in one buffer with a NUL byte after it; parsing ends at
// the first NUL byte. The parser makes a single forward pass with a moving cursor
// and never recurses: open elements live on an explicit stack. The nodes of every
// open element's children wait on a scratch stack, in document order; when an
// element ends, its children are copied into the document's arena as one list and
// leave the stack. A tag's attributes are read into a working list and copied into
// the arena the same way. Names and values point into the buffer, which the
// document keeps; only the names of texts that contain references need bytes of
// their own, and not even those once a parse whose references are replaced in place
// is complete.
//
// xml_tree_builder.cpp reads the document, its elements, tags and attributes;
// xml_markup.cpp the XML declaration, processing instructions, comments and CDATA
// sections; xml_text.cpp texts and their references.
#pragma once

#include "xml/xml_byte_classes.h"
#include "xml/xml_errors.h"
#include "xml/xml_parser.h"
#include "xml/xml_storage.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vireta {

// Builds the tree of a document from its buffer. One builder per parse.
class XMLTreeBuilder {
public:
    XMLTreeBuilder(TXMLDoc::Storage& storage, TXMLDeclaration& declaration, TXMLDoc::TextReading reading)
        : s_(storage), declaration_(declaration), reading_(reading)
    {
        const char* begin = s_.source.data();
        std::size_t size = s_.source.size();
        const void* nul = std::memchr(begin, '\0', size);
        begin_ = begin;
        cursor_ = begin;
        end_ = nul ? static_cast<const char*>(nul) : begin + size; // *end_ is always NUL
        s_.tree.setBlockSize(std::clamp<std::size_t>(size / 8, 4096, 1024 * 1024));
        s_.texts.setBlockSize(std::clamp<std::size_t>(size / 64, 1024, 256 * 1024));
    }

    void parseDocument();

private:
    using Kind = TXMLNode::Kind;
    using ListHeader = detail::XMLListHeader;

    // Throws the error `problem`, found at `at`.
    [[noreturn]] void fail(XmlProblem problem, const char* at, std::string subject = {}) const
    {
        const std::string message = detail::messageOf(problem, subject);
        throw EXMLException(problem, message, std::string_view(begin_, static_cast<std::size_t>(end_ - begin_)),
                            static_cast<std::size_t>(at - begin_), std::move(subject));
    }

    std::size_t left() const { return static_cast<std::size_t>(end_ - cursor_); }
    bool at(std::string_view s) const
    {
        return left() >= s.size() && std::memcmp(cursor_, s.data(), s.size()) == 0;
    }
    void skipBlanks()
    {
        while (detail::isBlank(*cursor_)) // the NUL at end_ is no blank
            ++cursor_;
    }
    std::string_view readName()
    {
        const char* start = cursor_;
        if (detail::isNameStart(*cursor_)) {
            ++cursor_;
            while (detail::isNameChar(*cursor_))
                ++cursor_;
        }
        return {start, static_cast<std::size_t>(cursor_ - start)};
    }
    // The position of `s` at or after the cursor, or nullptr.
    const char* find(std::string_view s) const
    {
        std::size_t pos = std::string_view(cursor_, left()).find(s);
        return pos == std::string_view::npos ? nullptr : cursor_ + pos;
    }
    // A quote and the value up to the same quote; the cursor ends after it.
    std::string_view readQuotedValue();
    // Blanks, "=", blanks and a quoted value.
    std::string_view readAttributeValueAfterName()
    {
        skipBlanks();
        if (*cursor_ != '=')
            fail(XmlProblem::AttributeEqualMissing, cursor_);
        ++cursor_;
        skipBlanks();
        return readQuotedValue();
    }

    // In xml_markup.cpp:
    void parseDeclaration();
    void parseProcessingInstruction();
    void parseComment();
    void parseCData();
    // In xml_text.cpp:
    void parseText();
    std::string_view replaceReferences(std::string_view text, std::size_t amp);
    // In xml_tree_builder.cpp:
    void parseStartTag();
    void readAttributes();
    void failOnRepeatedAttribute() const;
    bool atEndTagOf(std::string_view name);
    void closeElement();
    void parseElementTree();
    void replaceTextsInPlace();

    // A new node at the end of the scratch stack: a child of the innermost open
    // element, or a top-level node.
    TXMLNode& append(Kind kind, std::string_view name, std::string_view value = {})
    {
        scratch_.push_back(TXMLNode(kind, name.data(), name.size()));
        TXMLNode& node = scratch_.back();
        if (kind != Kind::Element)
            node.value_ = {value.data(), value.size()};
        return node;
    }
    // Moves scratch_[from..] into a list in the arena; nullptr when there is nothing.
    const ListHeader* takeScratchFrom(std::size_t from);

    TXMLDoc::Storage& s_;
    TXMLDeclaration& declaration_;
    const TXMLDoc::TextReading reading_;
    bool inPlace_ = false; // references are replaced in the source buffer once the parse is complete
    const char* begin_;
    const char* cursor_;
    const char* end_;
    std::vector<TXMLNode> scratch_;  // the children of the open elements, and the top level
    std::vector<std::size_t> open_;  // where each open element is on the scratch stack
    std::vector<TXMLAttribute> attributes_; // of the start tag being read
    std::vector<TXMLNode*> replaced_; // texts whose references are replaced in place at the end
    std::size_t rootIndex_ = 0;
};

} // namespace vireta
