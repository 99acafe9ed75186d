// The XML document reader.
//
// The whole input is held in one buffer with a NUL byte after it; parsing ends at
// the first NUL byte. The parser makes a single forward pass with a moving cursor
// and never recurses: open elements live on an explicit stack, and the nodes of
// every list being built wait in one scratch vector until their list is complete,
// when they are copied into a contiguous block of the document's arena. Names and
// values point into the buffer, which the document keeps; only the names of texts
// that contain references need bytes of their own. Nodes and attributes are plain
// data in arena blocks, so destroying any tree, however deep, is freeing the
// blocks.

#include "xml/XMLParser.h"

#include "text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_set>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vireta {

static_assert(sizeof(void*) != 8 || sizeof(TXMLNode) == 32, "trees of large files are mostly nodes");

FileReadError::FileReadError(const std::string& path, const std::string& reason)
    : std::runtime_error("Cannot read '" + path + "': " + reason), path_(path)
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
// alignment of every allocation.
template <std::size_t Align>
class Arena {
public:
    // Blocks are made this large; choose it by the size of the input so that small
    // documents do not carry large half-empty blocks.
    void setBlockSize(std::size_t bytes) { blockSize_ = bytes; }

    void* allocate(std::size_t bytes)
    {
        bytes = (bytes + (Align - 1)) & ~(Align - 1);
        lastWasOwnBlock_ = bytes > blockSize_ / 4;
        if (lastWasOwnBlock_) {
            // Large requests get a block of their own; the current block stays open.
            blocks_.emplace_back(newBlock(bytes));
            return blocks_.back().get();
        }
        if (bytes > left_) {
            blocks_.emplace_back(newBlock(blockSize_));
            cursor_ = reinterpret_cast<char*>(blocks_.back().get());
            left_ = blockSize_;
        }
        void* result = cursor_;
        cursor_ += bytes;
        left_ -= bytes;
        return result;
    }

    // Gives back the last `bytes` of the most recent allocation.
    void shrinkLast(std::size_t bytes)
    {
        if (lastWasOwnBlock_)
            return;
        bytes &= ~(Align - 1);
        cursor_ -= bytes;
        left_ += bytes;
    }

private:
    using Unit = std::max_align_t;
    static std::unique_ptr<Unit[]> newBlock(std::size_t bytes)
    {
        return std::unique_ptr<Unit[]>(new Unit[(bytes + sizeof(Unit) - 1) / sizeof(Unit)]);
    }

    std::vector<std::unique_ptr<Unit[]>> blocks_;
    char* cursor_ = nullptr;
    std::size_t left_ = 0;
    std::size_t blockSize_ = 64 * 1024;
    bool lastWasOwnBlock_ = false;
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
// The bytes that stripping removes.
inline bool isStripped(char c) { return static_cast<unsigned char>(c) <= 32; }

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

bool isValidName(std::string_view s)
{
    if (s.empty() || !isNameStart(s[0]))
        return false;
    return std::all_of(s.begin() + 1, s.end(), isNameChar);
}

std::string_view stripped(std::string_view s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && isStripped(s[b]))
        ++b;
    while (e > b && isStripped(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

[[noreturn]] void fail(const std::string& message) { throw EXMLException(message); }

[[noreturn]] void failEndOfTag(std::string_view construct, std::string_view closer)
{
    std::string m = "End of tag '";
    m.append(construct);
    m += "' missing (";
    m.append(closer);
    m += ").";
    fail(m);
}

const char* const kEmptyDocument = "The main xml document is empty.";
const char* const kNoName = "Imposible abrir o libro.";
const char* const kMissingEqual = "Missing equal sign for an attribute.";
const char* const kMissingQuote = "Missing quote for an attribute's value.";
const char* const kMissingReferenceEnd = "Missing reference end ';'.";
const char* const kInvalidReference = "Reference name is not valid.";

} // namespace

struct TXMLDoc::Storage {
    std::string source; // the input bytes; names and values point into it
    Arena<alignof(TXMLNode)> tree; // lists of nodes and of attributes
    Arena<1> texts;                // names of texts whose references were replaced
    const detail::XMLListHeader* top = nullptr;
    const TXMLNode* root = nullptr;

    TXMLNodes topNodes() const
    {
        return top ? TXMLNodes(reinterpret_cast<const TXMLNode*>(top + 1), top->count) : TXMLNodes();
    }
};

// Builds the tree of a document from its buffer. One builder per parse.
class XMLTreeBuilder {
public:
    XMLTreeBuilder(TXMLDoc::Storage& storage, TXMLDeclaration& declaration)
        : s_(storage), declaration_(declaration)
    {
        const char* begin = s_.source.data();
        std::size_t size = s_.source.size();
        const void* nul = std::memchr(begin, '\0', size);
        cursor_ = begin;
        end_ = nul ? static_cast<const char*>(nul) : begin + size; // *end_ is always NUL
        s_.tree.setBlockSize(std::clamp<std::size_t>(size / 8, 4096, 1024 * 1024));
        s_.texts.setBlockSize(std::clamp<std::size_t>(size / 64, 1024, 256 * 1024));
    }

    void parseDocument();

private:
    using Kind = TXMLNode::Kind;

    // An element whose end tag has not been read yet: its place in the scratch
    // list (its children follow it there).
    struct OpenElement {
        std::size_t index;
    };

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
            fail(kMissingEqual);
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
    bool atEndTagOf(std::string_view name);
    void closeElement();
    void parseElementTree();

    std::string_view replaceReferences(std::string_view text);

    TXMLNode& append(Kind kind, std::string_view name)
    {
        TXMLNode& n = scratch_.emplace_back();
        n.kind_ = static_cast<std::uint64_t>(kind);
        n.name_ = name.data();
        n.nameSize_ = name.size();
        return n;
    }
    void appendWithValue(Kind kind, std::string_view name, std::string_view value)
    {
        TXMLNode& n = append(kind, name);
        n.value_ = {value.data(), value.size()};
    }
    // Moves scratch_[from..] into a list in the arena; nullptr when there is nothing.
    const detail::XMLListHeader* takeScratchFrom(std::size_t from);
    void attachAttributes(TXMLNode& element);

    TXMLDoc::Storage& s_;
    TXMLDeclaration& declaration_;
    const char* cursor_;
    const char* end_;
    std::vector<TXMLNode> scratch_;
    std::vector<OpenElement> open_;
    std::vector<TXMLAttribute> attributes_;
    std::unordered_set<std::string_view> attributeNames_;
    std::size_t rootIndex_ = 0;
};

std::string_view XMLTreeBuilder::readQuotedValue()
{
    char quote = *cursor_;
    if (quote != '"' && quote != '\'')
        fail(kMissingQuote);
    ++cursor_;
    const void* close = std::memchr(cursor_, quote, left());
    if (!close)
        fail(kMissingQuote);
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
    skipBlanks();
    bool haveRoot = false;
    while (cursor_ != end_) {
        if (at("<!DOCTYPE") && isBlank(cursor_[9])) {
            fail("DTD not handle in this version.");
        } else if (at("<?")) {
            parseProcessingInstruction();
        } else if (at("<!--")) {
            parseComment();
        } else if (*cursor_ == '<' && !haveRoot) {
            std::size_t index = scratch_.size();
            parseElementTree();
            haveRoot = true;
            rootIndex_ = index;
        } else {
            fail(kEmptyDocument);
        }
        skipBlanks();
    }
    if (!haveRoot)
        fail(kEmptyDocument);
    s_.top = takeScratchFrom(0);
    s_.root = s_.topNodes().item(rootIndex_);
}

void XMLTreeBuilder::parseDeclaration()
{
    cursor_ += 6; // "<?xml" and one blank
    if (!at("version"))
        fail("The xml declaration must have 'version' and 'encoding' and/or 'standalone' in this order.");
    cursor_ += 7;
    skipBlanks();
    if (*cursor_ != '=')
        fail(kMissingEqual);
    ++cursor_;
    skipBlanks();
    char quote = *cursor_;
    if (quote != '"' && quote != '\'')
        fail(kMissingQuote);
    ++cursor_;
    if (!at("1.0"))
        fail("Unsupported XML version, must be '1.0'.");
    cursor_ += 3;
    if (*cursor_ != quote)
        fail(kMissingQuote);
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
                fail("Wrong XML encoding declaration.");
        }
        declaration_.encoding_.assign(value);
        skipBlanks();
    }
    if (at("standalone")) {
        cursor_ += 10;
        std::string_view value = readAttributeValueAfterName();
        if (value != "yes" && value != "no")
            fail("Wrong XML standalone declaration, must be 'yes' or 'no'.");
        declaration_.standalone_.assign(value);
    }
    skipBlanks();
    if (!at("?>"))
        failEndOfTag("<?xml", "?>");
    cursor_ += 2;
}

void XMLTreeBuilder::parseProcessingInstruction()
{
    cursor_ += 2;
    std::string_view target = readName();
    if (target.empty())
        fail("Processing Instruction target name missing.");
    if (target == "xml")
        fail("The xml declaration must be on the first line and first character.");
    if (target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' && (target[2] | 0x20) == 'l')
        fail("Processing Instruction target name is 'xml'.");
    skipBlanks();
    const char* stop = find("?>");
    if (!stop)
        failEndOfTag("<?", "?>");
    appendWithValue(Kind::ProcessingInstruction, target,
                    std::string_view(cursor_, static_cast<std::size_t>(stop - cursor_)));
    cursor_ = stop + 2;
}

void XMLTreeBuilder::parseComment()
{
    cursor_ += 4;
    const char* stop = find("-->");
    if (!stop)
        failEndOfTag("<!--", "-->");
    std::string_view text(cursor_, static_cast<std::size_t>(stop - cursor_));
    if (!text.empty() && (text.back() == '-' || text.find("--") != std::string_view::npos))
        fail("Illegal sequence '--' in comment.");
    appendWithValue(Kind::Comment, text, {});
    cursor_ = stop + 3;
}

void XMLTreeBuilder::parseCData()
{
    cursor_ += 9;
    const char* stop = find("]]>");
    if (!stop)
        failEndOfTag("<![CDATA[", "]]>");
    appendWithValue(Kind::CData, std::string_view(cursor_, static_cast<std::size_t>(stop - cursor_)), {});
    cursor_ = stop + 3;
}

void XMLTreeBuilder::parseText()
{
    const void* lt = std::memchr(cursor_, '<', left());
    const char* stop = lt ? static_cast<const char*>(lt) : end_;
    std::string_view value = stripped(std::string_view(cursor_, static_cast<std::size_t>(stop - cursor_)));
    cursor_ = stop;
    if (value.empty())
        return;
    std::string_view name = value;
    if (value.find('&') != std::string_view::npos)
        name = stripped(replaceReferences(value));
    appendWithValue(Kind::Text, name, value);
}

std::string_view XMLTreeBuilder::replaceReferences(std::string_view text)
{
    // No reference is shorter than what replaces it, so the result fits in
    // text.size() bytes.
    char* out = static_cast<char*>(s_.texts.allocate(text.size()));
    char* o = out;
    const char* p = text.data();
    const char* const e = p + text.size();
    while (p < e) {
        const void* amp = std::memchr(p, '&', static_cast<std::size_t>(e - p));
        const char* a = amp ? static_cast<const char*>(amp) : e;
        std::memcpy(o, p, static_cast<std::size_t>(a - p));
        o += a - p;
        if (a == e)
            break;
        const char* q = a + 1;
        if (q < e && *q == '#') {
            ++q;
            bool hex = q < e && *q == 'x';
            if (hex)
                ++q;
            const char* digits = q;
            std::uint64_t number = 0;
            const std::uint64_t limit = hex ? 0xFFFFFFFFu : 0x7FFFFFFFu;
            while (q < e && (hex ? isHexDigit(*q) : isDecimalDigit(*q))) {
                if (number <= limit) // past the limit it only has to stay past it
                    number = number * (hex ? 16 : 10) + (hex ? hexValue(*q) : static_cast<unsigned>(*q - '0'));
                ++q;
            }
            if (q == e || *q != ';')
                fail(kMissingReferenceEnd);
            if (q == digits)
                fail(kInvalidReference);
            if (number > limit) {
                std::string m = "'";
                if (hex)
                    m += '$';
                m.append(digits, q);
                m += "' is not a valid integer value";
                fail(m);
            }
            const char* after = q + 1;
            bool isCharacter = number != 0 && number <= 0x10FFFF && !(number >= 0xD800 && number <= 0xDFFF);
            if (isCharacter) {
                std::string utf8;
                appendUtf8(utf8, static_cast<char32_t>(number));
                std::memcpy(o, utf8.data(), utf8.size());
                o += utf8.size();
            } else {
                std::memcpy(o, a, static_cast<std::size_t>(after - a));
                o += after - a;
            }
            p = after;
            continue;
        }
        if (q == e)
            fail(kMissingReferenceEnd);
        const void* semi = std::memchr(q, ';', static_cast<std::size_t>(e - q));
        if (!semi)
            fail(kMissingReferenceEnd);
        const char* s = static_cast<const char*>(semi);
        std::string_view name(q, static_cast<std::size_t>(s - q));
        if (!isValidName(name))
            fail(kInvalidReference);
        char replacement = 0;
        if (name == "lt")
            replacement = '<';
        else if (name == "gt")
            replacement = '>';
        else if (name == "amp")
            replacement = '&';
        else if (name == "apos")
            replacement = '\'';
        else if (name == "quot")
            replacement = '"';
        if (replacement) {
            *o++ = replacement;
        } else {
            std::memcpy(o, a, static_cast<std::size_t>(s + 1 - a));
            o += s + 1 - a;
        }
        p = s + 1;
    }
    std::size_t used = static_cast<std::size_t>(o - out);
    s_.texts.shrinkLast(text.size() - used);
    return {out, used};
}

const detail::XMLListHeader* XMLTreeBuilder::takeScratchFrom(std::size_t from)
{
    using Header = detail::XMLListHeader;
    static_assert(sizeof(Header) % alignof(TXMLNode) == 0);
    std::size_t count = scratch_.size() - from;
    if (count == 0)
        return nullptr;
    auto* header = static_cast<Header*>(s_.tree.allocate(sizeof(Header) + count * sizeof(TXMLNode)));
    header->count = count;
    std::uninitialized_copy(scratch_.begin() + static_cast<std::ptrdiff_t>(from), scratch_.end(),
                            reinterpret_cast<TXMLNode*>(header + 1));
    scratch_.resize(from);
    return header;
}

void XMLTreeBuilder::attachAttributes(TXMLNode& element)
{
    using Header = detail::XMLListHeader;
    static_assert(sizeof(Header) % alignof(TXMLAttribute) == 0);
    std::size_t count = attributes_.size();
    if (count == 0)
        return;
    auto* header = static_cast<Header*>(s_.tree.allocate(sizeof(Header) + count * sizeof(TXMLAttribute)));
    header->count = count;
    std::uninitialized_copy(attributes_.begin(), attributes_.end(), reinterpret_cast<TXMLAttribute*>(header + 1));
    element.element_.attributes = header;
}

// The cursor stands on "<". Reads the start tag; an element that is not empty
// is left open on the stack.
void XMLTreeBuilder::parseStartTag()
{
    ++cursor_;
    std::string_view name = readName();
    if (name.empty())
        fail(kNoName);

    attributes_.clear();
    if (!attributeNames_.empty()) {
        // A fresh set: clearing would cost the old bucket count on every tag.
        attributeNames_ = std::unordered_set<std::string_view>();
    }
    for (;;) {
        skipBlanks();
        std::string_view attributeName = readName();
        if (attributeName.empty())
            break;
        std::string_view value = readAttributeValueAfterName();
        // Few attributes are compared one by one; many go through a hash set so
        // that no input makes this quadratic.
        constexpr std::size_t kLinear = 16;
        bool repeated = false;
        if (attributes_.size() < kLinear) {
            for (const TXMLAttribute& a : attributes_)
                repeated = repeated || a.name() == attributeName;
        } else {
            if (attributeNames_.empty())
                for (const TXMLAttribute& a : attributes_)
                    attributeNames_.insert(a.name());
            repeated = !attributeNames_.insert(attributeName).second;
        }
        if (repeated)
            fail("Attribute " + std::string(attributeName) + " already used.");
        TXMLAttribute& a = attributes_.emplace_back();
        a.name_ = attributeName.data();
        a.nameSize_ = attributeName.size();
        a.value_ = value.data();
        a.valueSize_ = value.size();
    }

    std::size_t index = scratch_.size();
    TXMLNode& element = append(TXMLNode::Kind::Element, name);
    attachAttributes(element);
    if (at("/>")) {
        cursor_ += 2;
        return;
    }
    if (*cursor_ != '>')
        failEndOfTag("<", ">");
    ++cursor_;
    open_.push_back({index});
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
    std::size_t index = open_.back().index;
    open_.pop_back();
    const detail::XMLListHeader* children = takeScratchFrom(index + 1);
    scratch_[index].element_.children = children;
}

// The cursor stands on the "<" of an element; reads it with everything inside.
void XMLTreeBuilder::parseElementTree()
{
    parseStartTag();
    while (!open_.empty()) {
        if (cursor_ == end_) {
            std::string_view name = scratch_[open_.back().index].name();
            failEndOfTag("<" + std::string(name) + ">", "</" + std::string(name) + ">");
        }
        if (*cursor_ != '<') {
            parseText();
        } else if (atEndTagOf(scratch_[open_.back().index].name())) {
            closeElement();
        } else if (cursor_[1] == '?') {
            parseProcessingInstruction();
        } else if (at("<!--")) {
            parseComment();
        } else if (at("<![CDATA[")) {
            parseCData();
        } else {
            parseStartTag();
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

void TXMLDoc::parse()
{
    try {
        XMLTreeBuilder builder(*storage_, declaration_);
        builder.parseDocument();
    } catch (...) {
        clear();
        throw;
    }
}

void TXMLDoc::loadFromBytes(std::string_view bytes)
{
    clear();
    fileName_.clear();
    try {
        storage_->source.assign(bytes);
    } catch (...) {
        clear();
        throw;
    }
    parse();
}

namespace {

std::string readWholeFile(const std::string& path)
{
    // O_NONBLOCK keeps open() from waiting for a writer when the path is a pipe;
    // only a regular file is read (a pipe could block for ever, a device such as
    // /dev/zero never ends).
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        throw FileReadError(path, std::strerror(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw FileReadError(path, std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        throw FileReadError(path, std::strerror(EISDIR));
    if (!S_ISREG(st.st_mode))
        throw FileReadError(path, S_ISFIFO(st.st_mode) ? "not a regular file but a pipe"
                                  : S_ISSOCK(st.st_mode) ? "not a regular file but a socket"
                                                         : "not a regular file but a device");
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

    std::string bytes;
    if (S_ISREG(st.st_mode) && st.st_size > 0)
        bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    for (;;) {
        ssize_t n;
        if (got < bytes.size()) {
            n = ::read(fd, &bytes[got], bytes.size() - got);
            if (n > 0)
                got += static_cast<std::size_t>(n);
        } else {
            // The size was unknown or the file grew: read on in pieces.
            char chunk[65536];
            n = ::read(fd, chunk, sizeof chunk);
            if (n > 0) {
                bytes.append(chunk, static_cast<std::size_t>(n));
                got = bytes.size();
            }
        }
        if (n == 0)
            break;
        if (n < 0 && errno != EINTR)
            throw FileReadError(path, std::strerror(errno));
    }
    bytes.resize(got);
    return bytes;
}

} // namespace

void TXMLDoc::loadFromFile(const std::string& path)
{
    clear();
    fileName_ = path;
    if (path.empty())
        return;
    storage_->source = readWholeFile(path);
    parse();
}

} // namespace vireta
