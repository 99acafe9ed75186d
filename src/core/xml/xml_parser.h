// The XML document reader: a small non-validating parser that reads a whole file
// into memory and builds a read-only tree of nodes from it.
//
// It works on bytes and converts no character set: names, values and texts are the
// file's bytes (the caller decodes them). It understands the XML declaration,
// elements with attributes, text with character and entity references, comments,
// CDATA sections and processing instructions, and refuses document type
// declarations. Every parse error leaves the document empty and throws
// EXMLException with a fixed English message and the place of the error.
//
// Lifetime: every pointer, reference and string_view handed out by a document
// (nodes, attributes, names, values, declaration) stays valid until the next load,
// clear, move or destruction of that document.
#pragma once

#include "text.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vireta {

// What a parse error is about. Each kind has its fixed message; where two kinds
// share one, the message is given.
enum class XmlProblem : std::uint8_t {
    NoRootElement,           // "The main xml document is empty.": the input holds no element
    OutsideRootElement,      // the same message: text, CDATA or a second element outside the root
    DocumentType,            // a document type declaration (<!DOCTYPE)
    DeclarationOrder,        // the XML declaration does not start with version
    DeclarationVersion,      // a version other than 1.0
    DeclarationEncoding,     // an encoding name that is no name
    DeclarationStandalone,   // standalone neither yes nor no
    DeclarationNotFirst,     // "<?xml" anywhere but at the very first byte
    DeclarationUnclosed,     // the XML declaration does not end with "?>" where expected
    TagNameMissing,          // "Imposible abrir o libro.": a "<" with no name after it
    EndTagMismatch,          // the same message: an end tag that does not close the open element
    TagUnclosed,             // a start tag whose ">" is missing
    ElementUnclosed,         // the input ends inside an element
    AttributeEqualMissing,   // an attribute name without "=" after it
    AttributeQuoteMissing,   // an attribute value without its quotes
    AttributeRepeated,       // an attribute name used twice in a tag
    CommentUnclosed,         // a comment without "-->"
    CommentDoubleHyphen,     // "--" inside a comment
    CDataUnclosed,           // a CDATA section without "]]>"
    InstructionTargetMissing, // "<?" with no name after it
    InstructionTargetXml,    // a processing instruction named xml in another case
    InstructionUnclosed,     // a processing instruction without "?>"
    ReferenceUnfinished,     // an "&" that starts no complete reference
    ReferenceNameInvalid,    // a reference whose name or number is not one
    ReferenceNumberTooLarge, // a character reference whose number is out of range
};

// A parse error. what() is one of the reader's fixed messages.
class EXMLException : public std::runtime_error {
public:
    // The error `problem` at byte `offset` of `input`, whose line and column are
    // counted here, once; `subject` is what the error is about (see subject()).
    EXMLException(XmlProblem problem, const std::string& message, std::string_view input, std::size_t offset,
                  std::string subject = {});

    XmlProblem problem() const { return problem_; }
    // Where the reader found the error, in bytes from the start of the input: at
    // most the input's size (which ends at its first NUL byte).
    std::size_t offset() const { return offset_; }
    // The line and column of offset() (see textPositionAt).
    TextPosition position() const { return position_; }
    // What the error is about, as written in the input: for ElementUnclosed and
    // EndTagMismatch the name of the element left open, for TagUnclosed the tag's
    // name, for AttributeRepeated the attribute's, for ReferenceNumberTooLarge the
    // whole reference; empty for the other problems.
    const std::string& subject() const { return subject_; }

private:
    XmlProblem problem_;
    std::size_t offset_;
    TextPosition position_;
    std::string subject_;
};

// The file given to TXMLDoc::loadFromFile could not be read (missing, no access,
// a directory, a pipe or a device rather than a regular file, read error). Not a parse error, so not an EXMLException.
class FileReadError : public std::runtime_error {
public:
    // `error` is the errno value that says why (EISDIR for a directory, EINVAL for
    // anything else that is no regular file), `reason` the words for it; without
    // them, the system's text of the errno value.
    FileReadError(const std::string& path, int error, const std::string& reason = {});
    const std::string& path() const { return path_; }
    int error() const { return error_; }

private:
    std::string path_;
    int error_;
};

class TXMLNode;

namespace detail {
// The count of a list of children or attributes, whose entries follow it in memory.
struct XMLListHeader {
    std::size_t count;
};
} // namespace detail

// A name and a value. The value is the text between the quotes exactly as in the
// file: references are not replaced and nothing is stripped.
class TXMLAttribute {
public:
    std::string_view name() const { return {name_, nameSize_}; }
    std::string_view value() const { return {value_, valueSize_}; }

private:
    friend class XMLTreeBuilder;
    const char* name_ = nullptr;
    std::size_t nameSize_ = 0;
    const char* value_ = nullptr;
    std::size_t valueSize_ = 0;
};

// The attributes of one element, in document order, names all different.
class TXMLAttributes {
public:
    TXMLAttributes() = default;
    TXMLAttributes(const TXMLAttribute* first, std::size_t count) : first_(first), count_(count) {}

    std::size_t count() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Entry i (0-based); nullptr when i is out of range.
    const TXMLAttribute* item(std::size_t i) const { return i < count_ ? first_ + i : nullptr; }
    // The first attribute called `name` (case-sensitive); nullptr when there is none.
    const TXMLAttribute* find(std::string_view name) const;

    const TXMLAttribute* begin() const { return first_; }
    const TXMLAttribute* end() const { return first_ + count_; }

private:
    const TXMLAttribute* first_ = nullptr;
    std::size_t count_ = 0;
};

// An ordered list of nodes: the children of an element, or the top level of a
// document (processing instructions, comments and the one root element).
class TXMLNodes {
public:
    TXMLNodes() = default;
    TXMLNodes(const TXMLNode* first, std::size_t count) : first_(first), count_(count) {}

    std::size_t count() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Entry i (0-based); nullptr when i is out of range.
    const TXMLNode* item(std::size_t i) const;

    const TXMLNode* begin() const { return first_; }
    const TXMLNode* end() const;

private:
    const TXMLNode* first_ = nullptr;
    std::size_t count_ = 0;
};

// One node of the tree. What name and value hold depends on the kind:
//
//   Element                 name: the tag name                value: empty
//   Comment                 name: the text between "<!--" and "-->"
//                                                             value: empty
//   Text                    name: the text with its references replaced, stripped
//                           value: the text as in the file, stripped (but see
//                                  TXMLDoc::TextReading)
//   CData                   name: the text between "<![CDATA[" and "]]>"
//                                                             value: empty
//   ProcessingInstruction   name: the target                  value: the data up to "?>"
//
// "Stripped" means every byte 0 to 32 removed from both ends. In a text's name a
// valid numeric reference becomes the UTF-8 encoding of its character; a number
// that names no character (0, a surrogate, above 0x10FFFF) is kept as written, and
// so is an entity other than lt, gt, amp, apos and quot.
// Only elements have children and attributes; for other kinds both counts are 0.
class TXMLNode {
public:
    enum class Kind : std::uint8_t {
        Element = 0,
        Comment = 1,
        Text = 2,
        CData = 3,
        ProcessingInstruction = 4,
    };

    Kind kind() const { return static_cast<Kind>(sizeAndKind_ >> kKindShift); }
    bool isElement() const { return kind() == Kind::Element; }
    std::string_view name() const { return {name_, static_cast<std::size_t>(sizeAndKind_ & kSizeMask)}; }
    std::string_view value() const
    {
        return isElement() ? std::string_view() : std::string_view(value_.data, value_.size);
    }

    std::size_t childCount() const { return isElement() && element_.children ? element_.children->count : 0; }
    // Child i (0-based); nullptr when i is out of range.
    const TXMLNode* child(std::size_t i) const { return children().item(i); }
    TXMLNodes children() const
    {
        std::size_t n = childCount();
        return {n ? reinterpret_cast<const TXMLNode*>(element_.children + 1) : nullptr, n};
    }

    std::size_t attributeCount() const
    {
        return isElement() && element_.attributes ? element_.attributes->count : 0;
    }
    // Attribute i (0-based); nullptr when i is out of range.
    const TXMLAttribute* attribute(std::size_t i) const { return attributes().item(i); }
    TXMLAttributes attributes() const
    {
        std::size_t n = attributeCount();
        return {n ? reinterpret_cast<const TXMLAttribute*>(element_.attributes + 1) : nullptr, n};
    }

    // True when this is an element that carries at least one attribute.
    bool isElementWithAttributes() const { return attributeCount() > 0; }

    TXMLNode() = default;

private:
    friend class XMLTreeBuilder;

    TXMLNode(Kind kind, const char* name, std::size_t nameSize)
        : name_(name), sizeAndKind_(nameSize | (static_cast<std::uint64_t>(kind) << kKindShift))
    {
    }

    using ListHeader = detail::XMLListHeader;
    struct ElementPart {
        const ListHeader* children;   // nullptr when there are none
        const ListHeader* attributes; // nullptr when there are none
    };
    struct ValuePart {
        const char* data;
        std::size_t size;
    };

    // 32 bytes a node: trees of large files are mostly nodes.
    const char* name_ = nullptr;
    union {
        ElementPart element_{};
        ValuePart value_;
    };
    // The name's size in the low 56 bits, the kind in the top 8: one word, written
    // at once when a node is made.
    static constexpr int kKindShift = 56;
    static constexpr std::uint64_t kSizeMask = (std::uint64_t{1} << kKindShift) - 1;
    std::uint64_t sizeAndKind_ = 0;
};

inline const TXMLNode* TXMLNodes::item(std::size_t i) const { return i < count_ ? first_ + i : nullptr; }
inline const TXMLNode* TXMLNodes::end() const { return first_ + count_; }

// The values of the XML declaration, each empty when the declaration does not give
// it or when there is none. Letters are kept as in the file (no case folding).
class TXMLDeclaration {
public:
    const std::string& version() const { return version_; }
    const std::string& encoding() const { return encoding_; }
    const std::string& standalone() const { return standalone_; }

private:
    friend class TXMLDoc;
    friend class XMLTreeBuilder;
    std::string version_;
    std::string encoding_;
    std::string standalone_;
};

// A document: empty, or the complete tree of the last input that parsed without
// error. Every load clears it first.
class TXMLDoc {
public:
    TXMLDoc();
    ~TXMLDoc();
    TXMLDoc(TXMLDoc&&) noexcept;
    TXMLDoc& operator=(TXMLDoc&&) noexcept;
    TXMLDoc(const TXMLDoc&) = delete;
    TXMLDoc& operator=(const TXMLDoc&) = delete;

    // What the value of a text that holds references is.
    enum class TextReading {
        // The text as in the file; its name, with the references replaced, takes
        // bytes of its own.
        KeepValues,
        // When the declaration names UTF-8 (in any case), the references are
        // replaced in the document's own copy of the input, so the value is the
        // same as the name and a loaded document's texts take no bytes of their
        // own: what a reader that wants only the characters needs, with half the
        // memory held on a large file. (The replaced texts are made aside during
        // the parse and put in place when it is complete, so that an error's
        // place is counted on the input as it was.) Under any other encoding, or
        // none, values are kept as in the file, since the replaced characters are
        // then UTF-8 among bytes of another encoding and a reader has to start
        // from the original.
        ReplaceInPlaceWhenUtf8,
    };

    // Clears, remembers `path` as the file name and parses the file's bytes. An empty
    // path leaves an empty document and is no error. Throws FileReadError when the
    // file cannot be read and EXMLException when it does not parse; the document is
    // empty after either.
    void loadFromFile(const std::string& path, TextReading reading = TextReading::KeepValues);

    // Clears, sets the file name to empty and parses `bytes` (copied). Throws
    // EXMLException when they do not parse; the document is then empty.
    void loadFromBytes(std::string_view bytes, TextReading reading = TextReading::KeepValues);

    // Drops all nodes and the declaration's values; keeps the file name.
    void clear();

    // The path last given to loadFromFile (empty after loadFromBytes).
    const std::string& fileName() const { return fileName_; }
    const TXMLDeclaration& declaration() const { return declaration_; }

    // The top-level nodes in document order: processing instructions, comments and
    // the one root element.
    TXMLNodes nodes() const;
    std::size_t nodeCount() const { return nodes().count(); }
    // Top-level node i (0-based); nullptr when i is out of range.
    const TXMLNode* node(std::size_t i) const { return nodes().item(i); }
    // The root element; nullptr for an empty document.
    const TXMLNode* root() const;

private:
    friend class XMLTreeBuilder;
    struct Storage;

    void parse(TextReading reading);

    std::string fileName_;
    TXMLDeclaration declaration_;
    std::unique_ptr<Storage> storage_;
};

} // namespace vireta
