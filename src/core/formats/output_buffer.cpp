#include "formats/output_buffer.h"

#include "text.h"

namespace vireta {

void OutputBuffer::appendXmlEscaped(std::string_view text, std::string_view special) {
    vireta::appendXmlEscaped(text_, text, special);
}

void OutputBuffer::reserve(std::size_t bytes) {
    if (holdsWholeText())
        text_.reserve(text_.size() + bytes);
}

void OutputBuffer::passOnTo(std::function<void(std::string_view)> sink) {
    passOn_ = std::move(sink);
    passOnAt_ = passOn_ ? kPassOnBytes : std::numeric_limits<std::size_t>::max();
    if (passOn_)
        text_.reserve(kPassOnBytes + kPassOnBytes / 4);
}

void OutputBuffer::passOn() {
    // The buffer keeps its memory for the next lines, which then stay in the cache.
    // A sink that throws leaves it empty all the same, so nothing goes on twice.
    struct Empty {
        std::string& text;
        ~Empty() { text.clear(); }
    } emptied{text_};
    passOn_(text_);
}

void OutputBuffer::finishPassingOn() {
    if (!passOn_)
        return;
    struct Stop {
        OutputBuffer& buffer;
        ~Stop() {
            buffer.passOn_ = nullptr;
            buffer.passOnAt_ = std::numeric_limits<std::size_t>::max();
        }
    } stop{*this};
    passOn();
}

} // namespace vireta
