// The tree builder's pass over a document: the top level, the element tree with its
// start tags, attributes and end tags, the lists the finished elements leave in the
// arena, and the texts replaced in place once the parse is complete.

#include "xml/xml_tree_builder.h"

#include <cstring>
#include <string>
#include <unordered_set>

namespace vireta {

static_assert(sizeof(void*) != 8 || sizeof(TXMLNode) == 32, "trees of large files are mostly nodes");
static_assert(sizeof(detail::XMLListHeader) % alignof(TXMLNode) == 0
              && alignof(TXMLAttribute) <= alignof(TXMLNode));

namespace {

// Up to this many attributes a tag's names are compared pair by pair; past it they
// go through a hash set, so that no input makes the check quadratic.
constexpr std::size_t kFewAttributes = 16;

// Whether an encoding name is UTF-8's (letters in either case).
bool namesUtf8(std::string_view encoding)
{
    constexpr std::string_view kUtf8 = "utf-8";
    if (encoding.size() != kUtf8.size())
        return false;
    for (std::size_t i = 0; i < kUtf8.size(); ++i) {
        char c = encoding[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kUtf8[i])
            return false;
    }
    return true;
}

} // namespace

std::string_view XMLTreeBuilder::readQuotedValue()
{
    char quote = *cursor_;
    if (quote != '"' && quote != '\'')
        fail(XmlProblem::AttributeQuoteMissing, cursor_);
    ++cursor_;
    const void* close = std::memchr(cursor_, quote, left());
    if (!close)
        fail(XmlProblem::AttributeQuoteMissing, cursor_ - 1); // the opening quote
    const char* stop = static_cast<const char*>(close);
    std::string_view value(cursor_, static_cast<std::size_t>(stop - cursor_));
    cursor_ = stop + 1;
    return value;
}

void XMLTreeBuilder::parseDocument()
{
    if (cursor_ == end_)
        return; // an empty input is an empty document
    if (at("<?xml") && detail::isBlank(cursor_[5]))
        parseDeclaration();
    inPlace_ = reading_ == TXMLDoc::TextReading::ReplaceInPlaceWhenUtf8 && namesUtf8(declaration_.encoding_);
    skipBlanks();
    bool haveRoot = false;
    while (cursor_ != end_) {
        if (at("<!DOCTYPE") && detail::isBlank(cursor_[9])) {
            fail(XmlProblem::DocumentType, cursor_);
        } else if (at("<?")) {
            parseProcessingInstruction();
        } else if (at("<!--")) {
            parseComment();
        } else if (*cursor_ == '<' && !haveRoot) {
            rootIndex_ = scratch_.size();
            parseElementTree();
            haveRoot = true;
        } else {
            fail(XmlProblem::OutsideRootElement, cursor_);
        }
        skipBlanks();
    }
    if (!haveRoot)
        fail(XmlProblem::NoRootElement, end_);
    s_.top = takeScratchFrom(0);
    s_.root = s_.topNodes().item(rootIndex_);
    if (inPlace_)
        replaceTextsInPlace();
}

// The cursor stands on "<". Reads the start tag; an element that is not empty
// is left open on the stack.
void XMLTreeBuilder::parseStartTag()
{
    const char* const start = cursor_;
    ++cursor_;
    std::string_view name = readName();
    if (name.empty())
        fail(XmlProblem::TagNameMissing, start);
    if (*cursor_ == '>') {
        // The commonest tag, a name alone, is opened at once.
        ++cursor_;
        open_.push_back(scratch_.size());
        append(Kind::Element, name);
        return;
    }

    attributes_.clear();
    try {
        readAttributes();
    } catch (const EXMLException&) {
        failOnRepeatedAttribute(); // a repetition before the error comes first
        throw;
    }
    failOnRepeatedAttribute();

    const std::size_t index = scratch_.size();
    append(Kind::Element, name);
    if (!attributes_.empty()) {
        const std::size_t count = attributes_.size();
        auto* header = static_cast<ListHeader*>(s_.tree.allocate(sizeof(ListHeader) + count * sizeof(TXMLAttribute)));
        header->count = count;
        std::memcpy(static_cast<void*>(header + 1), attributes_.data(), count * sizeof(TXMLAttribute));
        scratch_.back().element_.attributes = header;
    }
    if (at("/>")) {
        cursor_ += 2;
        return;
    }
    if (*cursor_ != '>')
        fail(XmlProblem::TagUnclosed, cursor_, std::string(name));
    ++cursor_;
    open_.push_back(index);
}

void XMLTreeBuilder::readAttributes()
{
    for (;;) {
        skipBlanks();
        std::string_view attributeName = readName();
        if (attributeName.empty())
            break;
        std::string_view value = readAttributeValueAfterName();
        TXMLAttribute& a = attributes_.emplace_back();
        a.name_ = attributeName.data();
        a.nameSize_ = attributeName.size();
        a.value_ = value.data();
        a.valueSize_ = value.size();
    }
}

// Reports the first attribute read so far whose name an earlier one of the same tag
// has: the error the tag would have given first.
void XMLTreeBuilder::failOnRepeatedAttribute() const
{
    const std::size_t count = attributes_.size();
    std::size_t repeated = count;
    if (count <= kFewAttributes) {
        for (std::size_t j = 1; j < count && repeated == count; ++j)
            for (std::size_t i = 0; i < j; ++i)
                if (attributes_[i].name() == attributes_[j].name()) {
                    repeated = j;
                    break;
                }
    } else {
        std::unordered_set<std::string_view> names;
        names.reserve(count);
        for (std::size_t j = 0; j < count && repeated == count; ++j)
            if (!names.insert(attributes_[j].name()).second)
                repeated = j;
    }
    if (repeated < count) {
        const std::string_view name = attributes_[repeated].name();
        fail(XmlProblem::AttributeRepeated, name.data(), std::string(name));
    }
}

// True, with the cursor moved past it, when the cursor stands on "</", `name`,
// any blanks and ">".
bool XMLTreeBuilder::atEndTagOf(std::string_view name)
{
    if (left() < name.size() + 3 || cursor_[1] != '/' || std::memcmp(cursor_ + 2, name.data(), name.size()) != 0)
        return false;
    const char* p = cursor_ + 2 + name.size();
    while (detail::isBlank(*p))
        ++p;
    if (*p != '>')
        return false;
    cursor_ = p + 1;
    return true;
}

void XMLTreeBuilder::closeElement()
{
    const std::size_t index = open_.back();
    open_.pop_back();
    const ListHeader* children = takeScratchFrom(index + 1);
    scratch_[index].element_.children = children;
}

const XMLTreeBuilder::ListHeader* XMLTreeBuilder::takeScratchFrom(std::size_t from)
{
    const std::size_t count = scratch_.size() - from;
    if (count == 0)
        return nullptr;
    auto* header = static_cast<ListHeader*>(s_.tree.allocate(sizeof(ListHeader) + count * sizeof(TXMLNode)));
    header->count = count;
    auto* list = reinterpret_cast<TXMLNode*>(header + 1);
    std::memcpy(static_cast<void*>(list), scratch_.data() + from, count * sizeof(TXMLNode));
    scratch_.resize(from);
    if (inPlace_)
        for (std::size_t i = 0; i < count; ++i)
            if (list[i].kind() == Kind::Text && list[i].name_ != list[i].value_.data)
                replaced_.push_back(list + i);
    return header;
}

// Once the parse is complete, which no error can stop any more, the texts' names
// with their references replaced take the place of the file's bytes, and the texts
// arena goes. (Done during the parse, it would change the bytes an error's place is
// counted on.)
void XMLTreeBuilder::replaceTextsInPlace()
{
    char* const source = s_.source.data();
    for (TXMLNode* text : replaced_) {
        char* const at = source + (text->value_.data - source);
        const std::size_t size = text->name().size();
        if (size > 0)
            std::memcpy(at, text->name_, size);
        text->name_ = at;
        text->value_ = {at, size};
    }
    s_.texts.release();
}

// The cursor stands on the "<" of an element; reads it with everything inside.
void XMLTreeBuilder::parseElementTree()
{
    parseStartTag();
    while (!open_.empty()) {
        if (cursor_ == end_)
            fail(XmlProblem::ElementUnclosed, end_, std::string(scratch_[open_.back()].name()));
        if (*cursor_ != '<') {
            parseText();
            continue;
        }
        // The byte after "<" tells the construct; anything unknown is read as a
        // start tag, which reports it.
        switch (cursor_[1]) {
        case '/':
            if (atEndTagOf(scratch_[open_.back()].name()))
                closeElement();
            else
                fail(XmlProblem::EndTagMismatch, cursor_, std::string(scratch_[open_.back()].name()));
            break;
        case '?':
            parseProcessingInstruction();
            break;
        case '!':
            if (at("<!--"))
                parseComment();
            else if (at("<![CDATA["))
                parseCData();
            else
                parseStartTag();
            break;
        default:
            parseStartTag();
            break;
        }
    }
}

} // namespace vireta
