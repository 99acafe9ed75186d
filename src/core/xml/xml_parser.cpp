// The document: loading a file or bytes into its storage, the tree builder run over
// them, and the lists a loaded tree is read through.

#include "xml/xml_parser.h"

#include "io/file_read.h"
#include "xml/xml_storage.h"
#include "xml/xml_tree_builder.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

namespace vireta {

const TXMLAttribute* TXMLAttributes::find(std::string_view name) const
{
    for (const TXMLAttribute& a : *this)
        if (a.name() == name)
            return &a;
    return nullptr;
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

void readWholeFile(const std::string& path, detail::SourceBuffer& out)
{
    // Only a regular file is read (a pipe could block for ever, a device such as
    // /dev/zero never ends). The buffer is sized by the file; one that turns out
    // larger is read on into a larger buffer.
    std::size_t filled = 0; // the size of the room given before, all read
    const long long got = io::readWholeFileInto(path, io::kNoLimit, [&](std::size_t size) {
        detail::SourceBuffer larger;
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
