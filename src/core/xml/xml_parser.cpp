// The XML document reader.
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
// is complete. Nodes and attributes are plain data in arena blocks, so destroying
// any tree, however deep, is freeing the blocks.

#include "xml/xml_parser.h"

#include "io/file_read.h"
#include "text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

namespace vireta {

static_assert(sizeof(void*) != 8 || sizeof(TXMLNode) == 32, "trees of large files are mostly nodes");

EXMLException::EXMLException(XmlProblem problem, const std::string& message, std::string_view input,
                             std::size_t offset, std::string subject)
    : std::runtime_error(message), problem_(problem), offset_(std::min(offset, input.size())),
      position_(textPositionAt(input, offset_)), subject_(std::move(subject))
{
}

FileReadError::FileReadError(const std::string& path, int error, const std::string& reason)
    : std::runtime_error("Cannot read '" + path + "': " + (reason.empty() ? std::strerror(error) : reason)),
      path_(path), error_(error)
{
}

const TXMLAttribute* TXMLAttributes::find(std::string_view name) const
{
    for (const TXMLAttribute& a : *this)
        if (a.name() == name)
            return &a;
    return nullptr;
}

namespace {

// Blocks of memory handed out in order and freed all at once. `Align` is the
// alignment of every allocation (at most that of new char[]).
template <std::size_t Align>
class Arena {
public:
    static_assert(Align <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);

    // Blocks are made this large; choose it by the size of the input so that small
    // documents do not carry large half-empty blocks. An allocation of more than a
    // quarter of it gets a block of its own.
    void setBlockSize(std::size_t bytes) { blockSize_ = bytes; }

    void* allocate(std::size_t bytes)
    {
        bytes = (bytes + (Align - 1)) & ~(Align - 1);
        if (bytes > blockSize_ / 4)
            return newBlock(bytes);
        if (bytes > left_) {
            cursor_ = newBlock(blockSize_);
            left_ = blockSize_;
        }
        char* result = cursor_;
        cursor_ += bytes;
        left_ -= bytes;
        return result;
    }

    // Gives back the last `bytes` of the most recent allocation, which ends at `end`,
    // when that came from the current block (for Align 1 only, where no size is
    // rounded up).
    void giveBack(const char* end, std::size_t bytes)
    {
        static_assert(Align == 1);
        if (end == cursor_) {
            cursor_ -= bytes;
            left_ += bytes;
        }
    }

    // Frees every block.
    void release()
    {
        blocks_.clear();
        cursor_ = nullptr;
        left_ = 0;
    }

private:
    char* newBlock(std::size_t bytes)
    {
        std::unique_ptr<char[]> block(new char[bytes]);
        blocks_.push_back(std::move(block));
        return blocks_.back().get();
    }

    std::vector<std::unique_ptr<char[]>> blocks_;
    char* cursor_ = nullptr;
    std::size_t left_ = 0;
    std::size_t blockSize_ = 64 * 1024;
};

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

constexpr ByteClassTable kNameStart = makeNameStartTable();
constexpr ByteClassTable kNameChar = makeNameCharTable();

inline bool isBlank(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }
inline bool isNameStart(char c) { return kNameStart[static_cast<unsigned char>(c)]; }
inline bool isNameChar(char c) { return kNameChar[static_cast<unsigned char>(c)]; }

inline bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }
inline bool isHexDigit(char c)
{
    return isDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
inline unsigned hexValue(char c)
{
    if (isDecimalDigit(c))
        return static_cast<unsigned>(c - '0');
    return static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

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

// The reader's fixed message for a problem, with its subject where it names one.
std::string messageOf(XmlProblem problem, const std::string& subject)
{
    switch (problem) {
    case XmlProblem::NoRootElement:
    case XmlProblem::OutsideRootElement:
        return "The main xml document is empty.";
    case XmlProblem::DocumentType:
        return "DTD not handle in this version.";
    case XmlProblem::DeclarationOrder:
        return "The xml declaration must have 'version' and 'encoding' and/or 'standalone' in this order.";
    case XmlProblem::DeclarationVersion:
        return "Unsupported XML version, must be '1.0'.";
    case XmlProblem::DeclarationEncoding:
        return "Wrong XML encoding declaration.";
    case XmlProblem::DeclarationStandalone:
        return "Wrong XML standalone declaration, must be 'yes' or 'no'.";
    case XmlProblem::DeclarationNotFirst:
        return "The xml declaration must be on the first line and first character.";
    case XmlProblem::DeclarationUnclosed:
        return "End of tag '<?xml' missing (?>).";
    case XmlProblem::TagNameMissing:
    case XmlProblem::EndTagMismatch:
        return "Imposible abrir o libro.";
    case XmlProblem::TagUnclosed:
        return "End of tag '<' missing (>).";
    case XmlProblem::ElementUnclosed:
        return "End of tag '<" + subject + ">' missing (</" + subject + ">).";
    case XmlProblem::AttributeEqualMissing:
        return "Missing equal sign for an attribute.";
    case XmlProblem::AttributeQuoteMissing:
        return "Missing quote for an attribute's value.";
    case XmlProblem::AttributeRepeated:
        return "Attribute " + subject + " already used.";
    case XmlProblem::CommentUnclosed:
        return "End of tag '<!--' missing (-->).";
    case XmlProblem::CommentDoubleHyphen:
        return "Illegal sequence '--' in comment.";
    case XmlProblem::CDataUnclosed:
        return "End of tag '<![CDATA[' missing (]]>).";
    case XmlProblem::InstructionTargetMissing:
        return "Processing Instruction target name missing.";
    case XmlProblem::InstructionTargetXml:
        return "Processing Instruction target name is 'xml'.";
    case XmlProblem::InstructionUnclosed:
        return "End of tag '<?' missing (?>).";
    case XmlProblem::ReferenceUnfinished:
        return "Missing reference end ';'.";
    case XmlProblem::ReferenceNameInvalid:
        return "Reference name is not valid.";
    case XmlProblem::ReferenceNumberTooLarge: {
        // The digits between "&#" and ";", a hexadecimal number marked with '$'.
        std::string digits = subject.substr(2, subject.size() - 3);
        if (digits[0] == 'x')
            digits[0] = '$';
        return "'" + digits + "' is not a valid integer value";
    }
    }
    return {};
}

// The input bytes with a NUL byte after them. Unlike a string it is not filled
// before the file is read into it.
class SourceBuffer {
public:
    std::size_t size() const { return size_; }
    // Never null: an empty buffer is the NUL alone.
    char* data() { return bytes_ ? bytes_.get() : noBytes_; }

    // Room for `size` bytes, not initialised, and the NUL after them.
    void allocate(std::size_t size)
    {
        bytes_.reset(new char[size + 1]);
        size_ = size;
        bytes_[size] = '\0';
    }
    // Only ever shrinks.
    void setSize(std::size_t size)
    {
        size_ = size;
        bytes_[size] = '\0';
    }
    void assign(std::string_view bytes)
    {
        allocate(bytes.size());
        std::memcpy(data(), bytes.data(), bytes.size());
    }

private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_ = 0;
    char noBytes_[1] = {'\0'};
};

} // namespace

struct TXMLDoc::Storage {
    SourceBuffer source; // the input bytes; names and values point into it
    Arena<alignof(TXMLNode)> tree; // lists of nodes and of attributes
    Arena<1> texts;                // names of texts whose references were replaced
    const detail::XMLListHeader* top = nullptr;
    const TXMLNode* root = nullptr;

    TXMLNodes topNodes() const
    {
        return top ? TXMLNodes(reinterpret_cast<const TXMLNode*>(top + 1), top->count) : TXMLNodes();
    }
};

namespace {

using ListHeader = detail::XMLListHeader;
static_assert(sizeof(ListHeader) % alignof(TXMLNode) == 0 && alignof(TXMLAttribute) <= alignof(TXMLNode));

// Up to this many attributes a tag's names are compared pair by pair; past it they
// go through a hash set, so that no input makes the check quadratic.
constexpr std::size_t kFewAttributes = 16;

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

    // Throws the error `problem`, found at `at`.
    [[noreturn]] void fail(XmlProblem problem, const char* at, std::string subject = {}) const
    {
        const std::string message = messageOf(problem, subject);
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
        while (isBlank(*cursor_)) // the NUL at end_ is no blank
            ++cursor_;
    }
    std::string_view readName()
    {
        const char* start = cursor_;
        if (isNameStart(*cursor_)) {
            ++cursor_;
            while (isNameChar(*cursor_))
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

    void parseDeclaration();
    void parseProcessingInstruction();
    void parseComment();
    void parseCData();
    void parseText();
    void parseStartTag();
    void readAttributes();
    void failOnRepeatedAttribute() const;
    bool atEndTagOf(std::string_view name);
    void closeElement();
    void parseElementTree();
    std::string_view replaceReferences(std::string_view text, std::size_t amp);
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
    if (at("<?xml") && isBlank(cursor_[5]))
        parseDeclaration();
    inPlace_ = reading_ == TXMLDoc::TextReading::ReplaceInPlaceWhenUtf8 && namesUtf8(declaration_.encoding_);
    skipBlanks();
    bool haveRoot = false;
    while (cursor_ != end_) {
        if (at("<!DOCTYPE") && isBlank(cursor_[9])) {
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

void XMLTreeBuilder::parseDeclaration()
{
    cursor_ += 6; // "<?xml" and one blank
    if (!at("version"))
        fail(XmlProblem::DeclarationOrder, cursor_);
    cursor_ += 7;
    skipBlanks();
    if (*cursor_ != '=')
        fail(XmlProblem::AttributeEqualMissing, cursor_);
    ++cursor_;
    skipBlanks();
    char quote = *cursor_;
    if (quote != '"' && quote != '\'')
        fail(XmlProblem::AttributeQuoteMissing, cursor_);
    ++cursor_;
    if (!at("1.0"))
        fail(XmlProblem::DeclarationVersion, cursor_);
    cursor_ += 3;
    if (*cursor_ != quote)
        fail(XmlProblem::AttributeQuoteMissing, cursor_);
    ++cursor_;
    declaration_.version_ = "1.0";
    skipBlanks();

    if (at("encoding")) {
        cursor_ += 8;
        std::string_view value = readAttributeValueAfterName();
        if (!value.empty()) {
            char c = value[0];
            bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            for (char d : value.substr(1))
                ok = ok && ((d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z') || isDecimalDigit(d) || d == '.'
                            || d == '_' || d == '-');
            if (!ok)
                fail(XmlProblem::DeclarationEncoding, value.data());
        }
        declaration_.encoding_.assign(value);
        skipBlanks();
    }
    if (at("standalone")) {
        cursor_ += 10;
        std::string_view value = readAttributeValueAfterName();
        if (value != "yes" && value != "no")
            fail(XmlProblem::DeclarationStandalone, value.data());
        declaration_.standalone_.assign(value);
    }
    skipBlanks();
    if (!at("?>"))
        fail(XmlProblem::DeclarationUnclosed, cursor_);
    cursor_ += 2;
}

void XMLTreeBuilder::parseProcessingInstruction()
{
    const char* const start = cursor_;
    cursor_ += 2;
    std::string_view target = readName();
    if (target.empty())
        fail(XmlProblem::InstructionTargetMissing, cursor_);
    if (target == "xml")
        fail(XmlProblem::DeclarationNotFirst, start);
    if (target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' && (target[2] | 0x20) == 'l')
        fail(XmlProblem::InstructionTargetXml, target.data());
    skipBlanks();
    const char* stop = find("?>");
    if (!stop)
        fail(XmlProblem::InstructionUnclosed, start);
    append(Kind::ProcessingInstruction, target, std::string_view(cursor_, static_cast<std::size_t>(stop - cursor_)));
    cursor_ = stop + 2;
}

void XMLTreeBuilder::parseComment()
{
    const char* const start = cursor_;
    cursor_ += 4;
    const char* stop = find("-->");
    if (!stop)
        fail(XmlProblem::CommentUnclosed, start);
    std::string_view text(cursor_, static_cast<std::size_t>(stop - cursor_));
    // "--" inside, or a "-" that makes one with the end ("--->").
    const std::size_t dashes = text.find("--");
    if (dashes != std::string_view::npos)
        fail(XmlProblem::CommentDoubleHyphen, text.data() + dashes);
    if (!text.empty() && text.back() == '-')
        fail(XmlProblem::CommentDoubleHyphen, stop - 1);
    append(Kind::Comment, text);
    cursor_ = stop + 3;
}

void XMLTreeBuilder::parseCData()
{
    const char* const start = cursor_;
    cursor_ += 9;
    const char* stop = find("]]>");
    if (!stop)
        fail(XmlProblem::CDataUnclosed, start);
    append(Kind::CData, std::string_view(cursor_, static_cast<std::size_t>(stop - cursor_)));
    cursor_ = stop + 3;
}

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
            for (; q < e && (hex ? isHexDigit(*q) : isDecimalDigit(*q)); ++q)
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
        if (isNameStart(*s)) {
            ++s;
            while (s < e && isNameChar(*s))
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
    while (isBlank(*p))
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

const ListHeader* XMLTreeBuilder::takeScratchFrom(std::size_t from)
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

TXMLDoc::TXMLDoc() : storage_(std::make_unique<Storage>()) {}
TXMLDoc::~TXMLDoc() = default;
TXMLDoc::TXMLDoc(TXMLDoc&&) noexcept = default;
TXMLDoc& TXMLDoc::operator=(TXMLDoc&&) noexcept = default;

void TXMLDoc::clear()
{
    storage_ = std::make_unique<Storage>();
    declaration_ = TXMLDeclaration();
}

TXMLNodes TXMLDoc::nodes() const
{
    return storage_ ? storage_->topNodes() : TXMLNodes();
}

const TXMLNode* TXMLDoc::root() const { return storage_ ? storage_->root : nullptr; }

void TXMLDoc::parse(TextReading reading)
{
    try {
        XMLTreeBuilder builder(*storage_, declaration_, reading);
        builder.parseDocument();
    } catch (...) {
        clear();
        throw;
    }
}

void TXMLDoc::loadFromBytes(std::string_view bytes, TextReading reading)
{
    clear();
    fileName_.clear();
    try {
        storage_->source.assign(bytes);
    } catch (...) {
        clear();
        throw;
    }
    parse(reading);
}

namespace {

void readWholeFile(const std::string& path, SourceBuffer& out)
{
    // Only a regular file is read (a pipe could block for ever, a device such as
    // /dev/zero never ends). The buffer is sized by the file; one that turns out
    // larger is read on into a larger buffer.
    std::size_t filled = 0; // the size of the room given before, all read
    const long long got = io::readWholeFileInto(path, io::kNoLimit, [&](std::size_t size) {
        SourceBuffer larger;
        larger.allocate(size);
        std::memcpy(larger.data(), out.data(), filled);
        out = std::move(larger);
        filled = size;
        return out.data();
    });
    if (got < 0) {
        if (errno == EINVAL)
            throw FileReadError(path, EINVAL, "not a regular file");
        throw FileReadError(path, errno);
    }
    out.setSize(static_cast<std::size_t>(got));
}

} // namespace

void TXMLDoc::loadFromFile(const std::string& path, TextReading reading)
{
    clear();
    fileName_ = path;
    if (path.empty())
        return;
    readWholeFile(path, storage_->source);
    parse(reading);
}

} // namespace vireta
