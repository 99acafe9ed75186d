// The XML document reader.
//
// The whole input is held in one buffer with a NUL byte after it; parsing ends at
// the first NUL byte. The parser makes a single forward pass with a moving cursor
// and never recurses: open elements live on an explicit stack, and the nodes of
// every list being built wait in one scratch vector until their list is complete,
// when they are copied into a contiguous block of the document's arena. Names and
// values point into the buffer, which the document keeps; only the names of texts
// that contain references need bytes of their own, and not even those when the
// references are replaced in the buffer itself. Nodes and attributes are plain
// data in arena blocks, so destroying any tree, however deep, is freeing the
// blocks.

#include "xml/XMLParser.h"

#include "huge_pages.h"
#include "text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
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

namespace {

// The input bytes with a NUL byte after them. Unlike a string it is not filled
// before the file is read into it, and a large one asks for huge pages first.
class SourceBuffer {
public:
    std::size_t size() const { return size_; }
    // Never null: an empty buffer is the NUL alone.
    char* data() { return bytes_ ? bytes_.get() : noBytes_; }

    // Room for `size` bytes, not initialised, and the NUL after them.
    void allocate(std::size_t size)
    {
        bytes_.reset(new char[size + 1]);
        adviseHugePages(bytes_.get(), size + 1);
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

// A growable array of plain data: grows by copying bytes and appends without
// initialising twice, for the parser's working lists (the scratch list of a deeply
// nested document holds a node for every open element).
template <typename T>
class PlainVector {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    PlainVector() = default;
    PlainVector(const PlainVector&) = delete;
    PlainVector& operator=(const PlainVector&) = delete;
    ~PlainVector() { ::operator delete(data_); }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    T& back() { return data_[size_ - 1]; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }

    // Appends a value-initialised element.
    T& emplace_back()
    {
        if (size_ == capacity_)
            grow();
        return *new (data_ + size_++) T();
    }
    T& push(const T& value) { return *new (grab()) T(value); }
    // The memory of a new last element, for the caller to construct it in place
    // (no temporary to copy).
    void* grab()
    {
        if (size_ == capacity_)
            grow();
        return data_ + size_++;
    }
    void pop_back() { --size_; }
    void clear() { size_ = 0; }
    // Only ever shrinks.
    void shrinkTo(std::size_t n) { size_ = n; }

private:
    void grow()
    {
        const std::size_t capacity = capacity_ ? capacity_ * 2 : 64;
        T* data = static_cast<T*>(::operator new(capacity * sizeof(T)));
        if (size_)
            std::memcpy(static_cast<void*>(data), data_, size_ * sizeof(T));
        ::operator delete(data_);
        data_ = data;
        capacity_ = capacity;
    }

    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// A stack of plain data in fixed-size segments: it grows without moving what it
// holds, which matters for the scratch list, where a deeply nested document keeps a
// node for every open element.
template <typename T>
class SegmentedStack {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
    static constexpr std::size_t kShift = 9;
    static constexpr std::size_t kSegment = std::size_t{1} << kShift; // elements
    static constexpr std::size_t kMask = kSegment - 1;

public:
    SegmentedStack() = default;
    SegmentedStack(const SegmentedStack&) = delete;
    SegmentedStack& operator=(const SegmentedStack&) = delete;
    ~SegmentedStack()
    {
        for (T* segment : segments_)
            ::operator delete(segment);
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](std::size_t i) { return segments_[i >> kShift][i & kMask]; }
    T& back() { return (*this)[size_ - 1]; }
    void pop_back() { --size_; }
    // Only ever shrinks; the segments stay for reuse.
    void shrinkTo(std::size_t n) { size_ = n; }

    T& push(const T& value) { return *new (grab()) T(value); }
    // The memory of a new top element, for the caller to construct it in place.
    void* grab()
    {
        const std::size_t segment = size_ >> kShift;
        if (segment == segments_.size())
            segments_.push_back(static_cast<T*>(::operator new(kSegment * sizeof(T))));
        return segments_[segment] + (size_++ & kMask);
    }

    // Copies elements [from, size()) to `out`.
    void copyTop(std::size_t from, T* out) const
    {
        while (from < size_) {
            const std::size_t n = std::min(size_, (from | kMask) + 1) - from;
            std::memcpy(static_cast<void*>(out), segments_[from >> kShift] + (from & kMask), n * sizeof(T));
            out += n;
            from += n;
        }
    }

private:
    std::vector<T*> segments_;
    std::size_t size_ = 0;
};

// The names of the attributes of one start tag, for finding a repeated one in
// constant time however many there are: a flat open-addressing table of indexes
// into the tag's attribute list, with a part of each name's hash beside its index so
// that most probes compare no bytes. It is sized for the tag at hand and doubles as
// the tag grows, so a tag costs time in proportion to its own attributes only.
class AttributeNameSet {
public:
    // Forgets the names of the previous tag (constant time).
    void reset() { used_ = 0; }

    // Adds attributes[index]'s name; false (and nothing added) when an earlier
    // attribute of the list has the same name.
    bool insert(const PlainVector<TXMLAttribute>& attributes, std::size_t index)
    {
        if (used_ == 0)
            start(kInitialSlots);
        else if ((used_ + 1) * 2 > mask_ + 1)
            grow();
        const std::string_view name = attributes[index].name();
        const std::uint32_t tag = hashOf(name);
        for (std::size_t i = tag & mask_;; i = (i + 1) & mask_) {
            const std::uint64_t slot = slots_[i];
            if (slot == 0) {
                slots_[i] = (std::uint64_t{tag} << 32) | static_cast<std::uint32_t>(index + 1);
                ++used_;
                return true;
            }
            if (static_cast<std::uint32_t>(slot >> 32) == tag
                && attributes[static_cast<std::uint32_t>(slot) - 1].name() == name)
                return false;
        }
    }

private:
    static constexpr std::size_t kInitialSlots = 64;

    static std::uint32_t hashOf(std::string_view s)
    {
        std::uint64_t h = 0x9E3779B97F4A7C15u ^ s.size();
        const char* p = s.data();
        std::size_t n = s.size();
        for (; n >= 8; p += 8, n -= 8) {
            std::uint64_t w;
            std::memcpy(&w, p, 8);
            h = (h ^ w) * 0xFF51AFD7ED558CCDu;
            h ^= h >> 29;
        }
        std::uint64_t w = 0;
        std::memcpy(&w, p, n);
        h = (h ^ w) * 0xC4CEB9FE1A85EC53u;
        h ^= h >> 32;
        return static_cast<std::uint32_t>(h);
    }

    void start(std::size_t slots)
    {
        slots_.assign(slots, 0);
        mask_ = slots - 1;
        used_ = 0;
    }

    // Twice the slots; the entries move by the hash part they carry.
    void grow()
    {
        std::vector<std::uint64_t> old;
        old.swap(slots_);
        const std::size_t oldSize = mask_ + 1;
        const std::size_t used = used_;
        start(oldSize * 2);
        used_ = used;
        for (std::size_t j = 0; j < oldSize; ++j) {
            const std::uint64_t slot = old[j];
            if (slot == 0)
                continue;
            std::size_t i = static_cast<std::uint32_t>(slot >> 32) & mask_;
            while (slots_[i] != 0)
                i = (i + 1) & mask_;
            slots_[i] = slot;
        }
    }

    std::vector<std::uint64_t> slots_;
    std::size_t mask_ = 0;
    std::size_t used_ = 0;
};

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
    // Both scan with a pointer of their own and move the cursor once.
    void skipBlanks()
    {
        const char* p = cursor_;
        while (isBlank(*p)) // the NUL at end_ is no blank
            ++p;
        cursor_ = p;
    }
    std::string_view readName()
    {
        const char* start = cursor_;
        const char* p = start;
        if (isNameStart(*p)) {
            ++p;
            while (isNameChar(*p))
                ++p;
        }
        cursor_ = p;
        return {start, static_cast<std::size_t>(p - start)};
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
        // Made whole and stored at once: setting the bit fields one by one would
        // read back memory that is being written.
        return *new (scratch_.grab()) TXMLNode(kind, name.data(), name.size());
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
    const TXMLDoc::TextReading reading_;
    bool inPlace_ = false; // references are replaced in the source buffer itself
    const char* cursor_;
    const char* end_;
    SegmentedStack<TXMLNode> scratch_;
    SegmentedStack<OpenElement> open_;
    PlainVector<TXMLAttribute> attributes_;
    AttributeNameSet attributeNames_;
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
    inPlace_ = reading_ == TXMLDoc::TextReading::ReplaceInPlaceWhenUtf8 && namesUtf8(declaration_.encoding_);
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
    if (value.find('&') != std::string_view::npos) {
        name = stripped(replaceReferences(value));
        if (inPlace_)
            value = name; // the bytes as in the file are gone
    }
    appendWithValue(Kind::Text, name, value);
}

namespace {

// The UTF-8 encoding of a Unicode scalar value, written at `o`; returns the end.
inline char* putUtf8(char* o, std::uint32_t cp)
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
inline char predefinedEntity(const char* name, std::size_t size)
{
    switch (size) {
    case 2:
        if (name[1] == 't') {
            if (name[0] == 'l')
                return '<';
            if (name[0] == 'g')
                return '>';
        }
        return 0;
    case 3:
        return std::memcmp(name, "amp", 3) == 0 ? '&' : 0;
    case 4:
        if (std::memcmp(name, "apos", 4) == 0)
            return '\'';
        if (std::memcmp(name, "quot", 4) == 0)
            return '"';
        return 0;
    default:
        return 0;
    }
}

} // namespace

std::string_view XMLTreeBuilder::replaceReferences(std::string_view text)
{
    // No reference is shorter than what replaces it, so the result fits in
    // text.size() bytes, and written over the text itself it never reaches a byte
    // not read yet.
    char* const out = inPlace_ ? s_.source.data() + (text.data() - s_.source.data())
                               : static_cast<char*>(s_.texts.allocate(text.size()));
    char* o = out;
    const char* p = text.data();
    const char* const e = p + text.size();
    while (p < e) {
        // The bytes up to the next reference: a few looked at here, since in
        // text dense with references they are short; a long run goes to memchr.
        const char* a = p;
        const char* const near = std::min(e, p + 16);
        while (a < near && *a != '&')
            ++a;
        if (a == near && a < e) {
            const void* amp = std::memchr(a, '&', static_cast<std::size_t>(e - a));
            a = amp ? static_cast<const char*>(amp) : e;
        }
        if (o != p)
            std::memmove(o, p, static_cast<std::size_t>(a - p));
        o += a - p;
        if (a == e)
            break;
        const char* q = a + 1;
        if (q < e && *q == '#') {
            ++q;
            const bool hex = q < e && *q == 'x';
            if (hex)
                ++q;
            const char* digits = q;
            std::uint64_t number = 0;
            if (hex) {
                const std::uint64_t limit = 0xFFFFFFFFu;
                while (q < e && isHexDigit(*q)) {
                    if (number <= limit) // past the limit it only has to stay past it
                        number = number * 16 + hexValue(*q);
                    ++q;
                }
            } else {
                const std::uint64_t limit = 0x7FFFFFFFu;
                while (q < e && isDecimalDigit(*q)) {
                    if (number <= limit)
                        number = number * 10 + static_cast<unsigned>(*q - '0');
                    ++q;
                }
            }
            if (q == e || *q != ';')
                fail(kMissingReferenceEnd);
            if (q == digits)
                fail(kInvalidReference);
            if (number > (hex ? 0xFFFFFFFFu : 0x7FFFFFFFu)) {
                std::string m = "'";
                if (hex)
                    m += '$';
                m.append(digits, q);
                m += "' is not a valid integer value";
                fail(m);
            }
            const char* after = q + 1;
            const bool isCharacter = number != 0 && number <= 0x10FFFF && !(number >= 0xD800 && number <= 0xDFFF);
            if (isCharacter) {
                o = putUtf8(o, static_cast<std::uint32_t>(number));
            } else {
                std::memmove(o, a, static_cast<std::size_t>(after - a));
                o += after - a;
            }
            p = after;
            continue;
        }
        if (q == e)
            fail(kMissingReferenceEnd);
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
                fail(kInvalidReference);
            fail(kMissingReferenceEnd);
        }
        if (char replacement = predefinedEntity(q, static_cast<std::size_t>(s - q))) {
            *o++ = replacement;
        } else {
            std::memmove(o, a, static_cast<std::size_t>(s + 1 - a));
            o += s + 1 - a;
        }
        p = s + 1;
    }
    std::size_t used = static_cast<std::size_t>(o - out);
    if (!inPlace_)
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
    auto* list = reinterpret_cast<TXMLNode*>(header + 1);
    if (count == 1)
        new (list) TXMLNode(scratch_[from]); // the usual case in deep nesting, without a call
    else
        scratch_.copyTop(from, list);
    scratch_.shrinkTo(from);
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
    std::memcpy(static_cast<void*>(header + 1), attributes_.begin(), count * sizeof(TXMLAttribute));
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
    if (*cursor_ == '>') {
        // The commonest tag, a name alone, goes straight on the stack.
        ++cursor_;
        open_.push(OpenElement{scratch_.size()});
        append(TXMLNode::Kind::Element, name);
        return;
    }

    attributes_.clear();
    attributeNames_.reset();
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
        // Few attributes are compared one by one; many go through the name set so
        // that no input makes this quadratic.
        constexpr std::size_t kLinear = 16;
        const std::size_t count = attributes_.size();
        bool repeated = false;
        if (count <= kLinear) {
            for (std::size_t i = 0; i + 1 < count; ++i)
                repeated = repeated || attributes_[i].name() == attributeName;
        } else {
            if (count == kLinear + 1)
                for (std::size_t i = 0; i < kLinear; ++i)
                    attributeNames_.insert(attributes_, i);
            repeated = !attributeNames_.insert(attributes_, count - 1);
        }
        if (repeated)
            fail("Attribute " + std::string(attributeName) + " already used.");
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
    open_.push(OpenElement{index});
}

// True, with the cursor moved past it, when the cursor stands on "</", `name`,
// any blanks and ">".
bool XMLTreeBuilder::atEndTagOf(std::string_view name)
{
    if (left() < name.size() + 3 || cursor_[1] != '/')
        return false;
    // Compared here eight bytes at a time rather than by a call: names are short.
    const char* p = cursor_ + 2;
    const char* q = name.data();
    std::size_t n = name.size();
    for (; n >= 8; p += 8, q += 8, n -= 8) {
        std::uint64_t a;
        std::uint64_t b;
        std::memcpy(&a, p, 8);
        std::memcpy(&b, q, 8);
        if (a != b)
            return false;
    }
    for (; n > 0; --n)
        if (*p++ != *q++)
            return false;
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
            continue;
        }
        // The byte after "<" tells the construct; anything unknown is read as a
        // start tag, which reports it.
        switch (cursor_[1]) {
        case '/':
            if (atEndTagOf(scratch_[open_.back().index].name()))
                closeElement();
            else
                parseStartTag();
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

    std::size_t capacity = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    out.allocate(capacity);
    std::size_t got = 0;
    for (;;) {
        ssize_t n;
        if (got < capacity) {
            n = ::read(fd, out.data() + got, capacity - got);
            if (n > 0)
                got += static_cast<std::size_t>(n);
        } else {
            // The size was unknown or the file grew: read on in pieces.
            char chunk[65536];
            n = ::read(fd, chunk, sizeof chunk);
            if (n > 0) {
                const std::size_t more = static_cast<std::size_t>(n);
                capacity = std::max(capacity * 2, got + more);
                SourceBuffer larger;
                larger.allocate(capacity);
                std::memcpy(larger.data(), out.data(), got);
                std::memcpy(larger.data() + got, chunk, more);
                out = std::move(larger);
                got += more;
            }
        }
        if (n == 0)
            break;
        if (n < 0 && errno != EINTR)
            throw FileReadError(path, std::strerror(errno));
    }
    out.setSize(got);
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
