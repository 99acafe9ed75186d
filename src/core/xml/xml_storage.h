// What a loaded document holds in memory: the input bytes in one buffer, which the
// names and values point into, and the arenas its lists of nodes and attributes (and
// the names of texts whose references were replaced) are made in. Nodes and
// attributes are plain data in arena blocks, so destroying any tree, however deep,
// is freeing the blocks. Internal to the XML reader.
#pragma once

#include "xml/xml_parser.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace vireta {

namespace detail {

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

// The input bytes with a NUL byte after them; parsing ends at the first NUL byte.
// Unlike a string it is not filled before the file is read into it.
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

} // namespace detail

struct TXMLDoc::Storage {
    detail::SourceBuffer source; // the input bytes; names and values point into it
    detail::Arena<alignof(TXMLNode)> tree; // lists of nodes and of attributes
    detail::Arena<1> texts;                // names of texts whose references were replaced
    const detail::XMLListHeader* top = nullptr;
    const TXMLNode* root = nullptr;

    TXMLNodes topNodes() const
    {
        return top ? TXMLNodes(reinterpret_cast<const TXMLNode*>(top + 1), top->count) : TXMLNodes();
    }
};

} // namespace vireta
