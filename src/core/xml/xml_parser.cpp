// The XML document reader.
//
// The whole input is held in one buffer with a NUL byte after it; parsing ends at
// the first NUL byte. The parser makes a single forward pass with a moving cursor
// and never recurses: open elements live on an explicit stack. An element's
// children are put straight into the document's arena as one contiguous list,
// which grows in place while nothing else is put after it; when something is, the
// list moves to a scratch stack and waits there until it is complete, when it is
// copied back into the arena. A tag's attributes are read into a working list;
// a long one becomes part of the tree as it is, a short one is copied. Names and
// values point into the buffer, which the document keeps; only the names of texts
// that contain references need bytes of their own, and not even those when the
// references are replaced in the buffer itself. Nodes and attributes are plain
// data in arena blocks, so destroying any tree, however deep, is freeing the
// blocks.

#include "xml/xml_parser.h"

#include "byte_lanes.h"
#include "text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
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

// Memory for an arena block or a working buffer, freed with ::operator delete(raw).
struct Block {
    void* raw;
    char* data;
    std::size_t capacity; // usable bytes from data
};

Block newBlock(std::size_t bytes)
{
    void* raw = ::operator new(bytes);
    return {raw, static_cast<char*>(raw), bytes};
}

// Blocks of memory handed out in order and freed all at once. `Align` is the
// alignment of every allocation.
template <std::size_t Align>
class Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    ~Arena()
    {
        for (void* block : blocks_)
            ::operator delete(block);
    }

    // Blocks are made this large; choose it by the size of the input so that small
    // documents do not carry large half-empty blocks.
    void setBlockSize(std::size_t bytes) { blockSize_ = bytes; }

    // Whether an allocation of `bytes` gets a block of its own.
    bool wantsOwnBlock(std::size_t bytes) const { return roundUp(bytes) > blockSize_ / 4; }

    void* allocate(std::size_t bytes)
    {
        bytes = roundUp(bytes);
        if (bytes > left_ || bytes > blockSize_ / 4)
            return allocateElsewhere(bytes);
        lastWasOwnBlock_ = false;
        void* result = cursor_;
        cursor_ += bytes;
        left_ -= bytes;
        return result;
    }

    // Grows an allocation that ends at `end` by `bytes` in place, when nothing has
    // been handed out after it from the current block and the block has room; false,
    // and nothing changed, otherwise. `bytes` is a multiple of Align.
    bool extend(const void* end, std::size_t bytes)
    {
        if (end != cursor_ || bytes > left_)
            return false;
        cursor_ += bytes;
        left_ -= bytes;
        return true;
    }

    // Takes over a block made by newBlock, to be freed with the others.
    void adopt(void* raw)
    {
        try {
            blocks_.push_back(raw);
        } catch (...) {
            ::operator delete(raw);
            throw;
        }
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
    static std::size_t roundUp(std::size_t bytes) { return (bytes + (Align - 1)) & ~(Align - 1); }

    // In a block of its own when large, the current block staying open; else at
    // the start of a new block. Out of line, to keep allocate short.
    [[gnu::noinline]] void* allocateElsewhere(std::size_t bytes)
    {
        lastWasOwnBlock_ = bytes > blockSize_ / 4;
        if (lastWasOwnBlock_)
            return take(bytes).data;
        const Block block = take(blockSize_);
        cursor_ = block.data + bytes;
        left_ = block.capacity - bytes;
        return block.data;
    }

    Block take(std::size_t bytes)
    {
        blocks_.push_back(nullptr); // first, so that the block is never without an owner
        const Block block = newBlock(bytes);
        blocks_.back() = block.raw;
        return block;
    }

    std::vector<void*> blocks_;
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
using TreeArena = Arena<alignof(TXMLNode)>;
static_assert(sizeof(ListHeader) % alignof(TXMLNode) == 0 && alignof(TXMLAttribute) <= alignof(TXMLNode));

// The attributes of the start tag being read. They are kept in a block laid out as
// a finished list, the header and then the entries, so that a long list becomes
// part of the tree where it is, with no copy and no more fresh memory; a short one
// is copied into the tree and the block is kept for the next tag. The block grows
// by doubling.
class AttributeList {
public:
    AttributeList() = default;
    AttributeList(const AttributeList&) = delete;
    AttributeList& operator=(const AttributeList&) = delete;
    ~AttributeList() { ::operator delete(raw_); }

    std::size_t size() const { return size_; }
    const TXMLAttribute* begin() const { return entries_; }
    const TXMLAttribute& operator[](std::size_t i) const { return entries_[i]; }

    // Appends a value-initialised attribute.
    TXMLAttribute& emplace_back()
    {
        if (size_ == capacity_)
            grow();
        return *new (entries_ + size_++) TXMLAttribute();
    }
    void clear() { size_ = 0; }

    // The list as a part of the tree in `arena`, emptied here; nullptr when empty.
    const ListHeader* finish(TreeArena& arena)
    {
        const std::size_t count = size_;
        if (count == 0)
            return nullptr;
        size_ = 0;
        const std::size_t bytes = sizeof(ListHeader) + count * sizeof(TXMLAttribute);
        if (!arena.wantsOwnBlock(bytes)) {
            auto* header = static_cast<ListHeader*>(arena.allocate(bytes));
            header->count = count;
            std::memcpy(static_cast<void*>(header + 1), entries_, count * sizeof(TXMLAttribute));
            return header;
        }
        ListHeader* header = header_;
        header->count = count;
        void* raw = raw_;
        raw_ = nullptr;
        header_ = nullptr;
        entries_ = nullptr;
        capacity_ = 0;
        arena.adopt(raw);
        return header;
    }

private:
    void grow()
    {
        const std::size_t wanted = capacity_ ? capacity_ * 2 : 64;
        const Block block = newBlock(sizeof(ListHeader) + wanted * sizeof(TXMLAttribute));
        auto* header = reinterpret_cast<ListHeader*>(block.data);
        auto* entries = reinterpret_cast<TXMLAttribute*>(header + 1);
        if (size_)
            std::memcpy(static_cast<void*>(entries), entries_, size_ * sizeof(TXMLAttribute));
        ::operator delete(raw_);
        raw_ = block.raw;
        header_ = header;
        entries_ = entries;
        capacity_ = (block.capacity - sizeof(ListHeader)) / sizeof(TXMLAttribute);
    }

    void* raw_ = nullptr;
    ListHeader* header_ = nullptr;
    TXMLAttribute* entries_ = nullptr;
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
    T& back() { return *top_; }
    void pop_back()
    {
        --size_;
        top_ = (size_ & kMask) != 0 ? top_ - 1 : topOf(size_);
    }
    // Only ever shrinks; the segments stay for reuse.
    void shrinkTo(std::size_t n)
    {
        size_ = n;
        top_ = topOf(n);
    }

    T& push(const T& value) { return *new (grab()) T(value); }
    // The memory of a new top element, for the caller to construct it in place.
    void* grab()
    {
        if ((size_ & kMask) == 0)
            return grabFirstOfSegment();
        ++size_;
        return ++top_;
    }

    // Pushes the `n` elements at `values`.
    void pushRange(const T* values, std::size_t n)
    {
        for (std::size_t i = 0; i < n; ++i)
            push(values[i]);
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
    // The last element of the first n, or nullptr.
    T* topOf(std::size_t n) { return n ? segments_[(n - 1) >> kShift] + ((n - 1) & kMask) : nullptr; }

    void* grabFirstOfSegment()
    {
        const std::size_t segment = size_ >> kShift;
        if (segment == segments_.size())
            segments_.push_back(static_cast<T*>(::operator new(kSegment * sizeof(T))));
        ++size_;
        top_ = segments_[segment];
        return top_;
    }

    std::vector<T*> segments_;
    std::size_t size_ = 0;
    T* top_ = nullptr; // the last element, kept for the innermost open element
};

// Finds the first attribute of a start tag whose name an earlier attribute of the
// same tag has, in time in proportion to the tag's attributes however many there
// are: a flat open-addressing table of indexes into the list, with a part of each
// name's hash beside its index so that most probes compare no bytes. It is filled
// once the tag's attributes have all been read, at its final size, so it never
// grows; its memory is kept for the next tag.
class RepeatedNameFinder {
public:
    RepeatedNameFinder() = default;
    RepeatedNameFinder(const RepeatedNameFinder&) = delete;
    RepeatedNameFinder& operator=(const RepeatedNameFinder&) = delete;
    ~RepeatedNameFinder() { ::operator delete(raw_); }

    // The index of the first attribute whose name an earlier one has; `count`
    // when the names are all different.
    std::size_t firstRepeated(const TXMLAttribute* list, std::size_t count)
    {
        std::size_t slots = kMinimumSlots;
        while (slots < 2 * count)
            slots *= 2;
        if (slots > capacity_) {
            const Block block = newBlock(slots * sizeof(std::uint64_t));
            ::operator delete(raw_);
            raw_ = block.raw;
            slots_ = reinterpret_cast<std::uint64_t*>(block.data);
            capacity_ = block.capacity / sizeof(std::uint64_t);
        }
        std::memset(slots_, 0, slots * sizeof(std::uint64_t));
        const std::size_t mask = slots - 1;
        // A large table is far from the cache, and every name lands at a random
        // place in it: the hashes are worked out some names ahead, and their slots
        // fetched while the names before them are put in.
        std::array<std::uint32_t, kAhead> ahead;
        for (std::size_t j = 0; j < kAhead && j < count; ++j) {
            ahead[j] = hashOf(list[j].name());
            __builtin_prefetch(slots_ + (ahead[j] & mask), 1);
        }
        for (std::size_t j = 0; j < count; ++j) {
            const std::string_view name = list[j].name();
            const std::uint32_t tag = ahead[j % kAhead];
            if (j + kAhead < count) {
                const std::uint32_t next = hashOf(list[j + kAhead].name());
                ahead[j % kAhead] = next;
                __builtin_prefetch(slots_ + (next & mask), 1);
            }
            for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
                const std::uint64_t slot = slots_[i];
                if (slot == 0) {
                    slots_[i] = (std::uint64_t{tag} << 32) | static_cast<std::uint32_t>(j + 1);
                    break;
                }
                if (static_cast<std::uint32_t>(slot >> 32) == tag
                    && list[static_cast<std::uint32_t>(slot) - 1].name() == name)
                    return j;
            }
        }
        return count;
    }

private:
    static constexpr std::size_t kMinimumSlots = 64;
    static constexpr std::size_t kAhead = 16; // a power of two

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
        // The last bytes as a little-endian word, put together from at most two
        // loads that may overlap: copied one by one into the word, they would
        // make it wait for each of them.
        std::uint64_t w = 0;
        if (n >= 4) {
            std::uint32_t low;
            std::uint32_t high;
            std::memcpy(&low, p, 4);
            std::memcpy(&high, p + n - 4, 4);
            w = low | (std::uint64_t{high} << (8 * (n - 4)));
        } else if (n > 0) {
            const auto byte = [p](std::size_t i) { return std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i); };
            w = byte(0) | byte(n / 2) | byte(n - 1);
        }
        h = (h ^ w) * 0xC4CEB9FE1A85EC53u;
        h ^= h >> 32;
        return static_cast<std::uint32_t>(h);
    }

    void* raw_ = nullptr;
    std::uint64_t* slots_ = nullptr;
    std::size_t capacity_ = 0; // slots
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

    // An element whose end tag has not been read yet, and where its children are
    // so far. The first child goes straight into the arena as a list of one, and
    // the next ones join that list in place while nothing else has been put after
    // it; once something has, the list moves to the top of the scratch stack, where
    // the rest follow, and from there into the arena when the element ends. So in
    // deep nesting, and in a run of childless siblings, a node is written once.
    struct OpenElement {
        TXMLNode* node; // does not move while the element is open
        // 0 before the first child; the address of the children's list while it
        // can grow in place (the low bit is clear); (index << 1) | 1 once they are
        // on the scratch stack from `index`.
        std::uintptr_t children;
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
    void readAttributes();
    void failOnRepeatedAttribute();
    [[noreturn]] static void failRepeated(std::string_view attributeName);
    bool atEndTagOf(std::string_view name);
    void closeElement()
    {
        const OpenElement element = open_.back();
        open_.pop_back();
        if (element.children & 1)
            element.node->element_.children = takeScratchFrom(element.children >> 1);
    }
    void parseElementTree();

    std::string_view replaceReferences(std::string_view text);

    TXMLNode& append(Kind kind, std::string_view name)
    {
        // Made whole and stored at once: setting the bit fields one by one would
        // read back memory that is being written.
        return *new (placeForNode()) TXMLNode(kind, name.data(), name.size());
    }
    // Where the next node of the innermost open element goes, or of the top level.
    void* placeForNode()
    {
        if (open_.empty())
            return scratch_.grab(); // the top level
        OpenElement& parent = open_.back();
        if (parent.children & 1)
            return scratch_.grab();
        if (parent.children == 0)
            return startChildren(parent);
        auto* list = reinterpret_cast<ListHeader*>(parent.children);
        TXMLNode* end = reinterpret_cast<TXMLNode*>(list + 1) + list->count;
        if (!s_.tree.extend(end, sizeof(TXMLNode)))
            return moveChildrenToScratch(parent);
        ++list->count;
        return end;
    }
    void* startChildren(OpenElement& parent)
    {
        auto* list = static_cast<ListHeader*>(s_.tree.allocate(sizeof(ListHeader) + sizeof(TXMLNode)));
        list->count = 1;
        parent.node->element_.children = list;
        parent.children = reinterpret_cast<std::uintptr_t>(list);
        return list + 1;
    }
    [[gnu::noinline]] void* moveChildrenToScratch(OpenElement& parent);
    void appendWithValue(Kind kind, std::string_view name, std::string_view value)
    {
        TXMLNode& n = append(kind, name);
        n.value_ = {value.data(), value.size()};
    }
    // Moves scratch_[from..] into a list in the arena; nullptr when there is nothing.
    [[gnu::noinline]] const ListHeader* takeScratchFrom(std::size_t from);

    TXMLDoc::Storage& s_;
    TXMLDeclaration& declaration_;
    const TXMLDoc::TextReading reading_;
    bool inPlace_ = false; // references are replaced in the source buffer itself
    const char* cursor_;
    const char* end_;
    SegmentedStack<TXMLNode> scratch_;
    SegmentedStack<OpenElement> open_;
    AttributeList attributes_;
    RepeatedNameFinder repeatedNames_;
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
    const ByteLanes ampersands = splatLanes('&');
    while (p < e) {
        // The bytes up to the next reference. While the output trails the input by
        // a block or more, or lies elsewhere, sixteen bytes at a time are stored
        // whole where the output stands (so the store reaches no byte still to be
        // read, nor past the output's room), and both move on by the bytes before
        // the first '&' among them.
        bool atReference = *p == '&'; // in text dense with references, often so
        if (!atReference && (!inPlace_ || p - o >= 16)) {
            while (e - p >= 16) {
                const ByteLanes x = loadLanes(p);
                storeLanes(o, x);
                if (const unsigned marked = laneMask(x == ampersands)) {
                    const auto before = static_cast<std::size_t>(__builtin_ctz(marked));
                    p += before;
                    o += before;
                    atReference = true;
                    break;
                }
                p += 16;
                o += 16;
            }
        }
        if (!atReference) {
            // Otherwise a few bytes are looked at here, since in text dense with
            // references the runs are short; a long run goes to memchr.
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
            p = a;
            if (p == e)
                break;
        }
        const char* const a = p;
        const char* q = a + 1;
        // The references of the markup characters first, as they are the most common.
        if (e - q >= 3 && q[2] == ';' && q[1] == 't' && (q[0] == 'l' || q[0] == 'g')) {
            *o++ = q[0] == 'l' ? '<' : '>';
            p = q + 3;
            continue;
        }
        if (e - q >= 4 && q[3] == ';' && q[0] == 'a' && q[1] == 'm' && q[2] == 'p') {
            *o++ = '&';
            p = q + 4;
            continue;
        }
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

const ListHeader* XMLTreeBuilder::takeScratchFrom(std::size_t from)
{
    std::size_t count = scratch_.size() - from;
    if (count == 0)
        return nullptr;
    auto* header = static_cast<ListHeader*>(s_.tree.allocate(sizeof(ListHeader) + count * sizeof(TXMLNode)));
    header->count = count;
    scratch_.copyTop(from, reinterpret_cast<TXMLNode*>(header + 1));
    scratch_.shrinkTo(from);
    return header;
}

void* XMLTreeBuilder::moveChildrenToScratch(OpenElement& parent)
{
    // The list left behind is not reused: it is never longer than the one the
    // element ends up with.
    const auto* list = reinterpret_cast<const ListHeader*>(parent.children);
    const std::size_t from = scratch_.size();
    scratch_.pushRange(reinterpret_cast<const TXMLNode*>(list + 1), list->count);
    parent.children = (std::uintptr_t{from} << 1) | 1;
    return scratch_.grab();
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
        // The commonest tag, a name alone, is opened at once.
        ++cursor_;
        TXMLNode& element = append(TXMLNode::Kind::Element, name);
        open_.push(OpenElement{&element, 0});
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

    TXMLNode& element = append(TXMLNode::Kind::Element, name);
    element.element_.attributes = attributes_.finish(s_.tree);
    if (at("/>")) {
        cursor_ += 2;
        return;
    }
    if (*cursor_ != '>')
        failEndOfTag("<", ">");
    ++cursor_;
    open_.push(OpenElement{&element, 0});
}

namespace {
// Up to this many attributes a tag's names are compared one by one as they come.
constexpr std::size_t kFewAttributes = 16;
} // namespace

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
        // Past the first few, names are checked all at once when the tag's
        // attributes have been read (failOnRepeatedAttribute), so that no input
        // makes this quadratic.
        const std::size_t count = attributes_.size();
        if (count <= kFewAttributes)
            for (std::size_t i = 0; i + 1 < count; ++i)
                if (attributes_[i].name() == attributeName)
                    failRepeated(attributeName);
    }
}

// Reports the first repeated name among the attributes read so far of a tag with
// more than a few, which is the error the tag would have given first.
void XMLTreeBuilder::failOnRepeatedAttribute()
{
    const std::size_t count = attributes_.size();
    if (count <= kFewAttributes)
        return;
    const std::size_t repeated = repeatedNames_.firstRepeated(attributes_.begin(), count);
    if (repeated < count)
        failRepeated(attributes_[repeated].name());
}

void XMLTreeBuilder::failRepeated(std::string_view attributeName)
{
    fail("Attribute " + std::string(attributeName) + " already used.");
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

// The cursor stands on the "<" of an element; reads it with everything inside.
void XMLTreeBuilder::parseElementTree()
{
    parseStartTag();
    while (!open_.empty()) {
        if (cursor_ == end_) {
            std::string_view name = open_.back().node->name();
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
            if (atEndTagOf(open_.back().node->name()))
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
