#include "formats/output_buffer.h"

#include "huge_pages.h"
#include "text.h"

namespace vireta {

void OutputBuffer::appendLine(std::string_view line) {
    text_.append(line);
    text_.append("\r\n");
}

void OutputBuffer::appendXmlEscaped(std::string_view text, std::string_view special) {
    vireta::appendXmlEscaped(text_, text, special);
}

void OutputBuffer::reserve(std::size_t bytes) {
    const std::size_t before = text_.capacity();
    text_.reserve(text_.size() + bytes);
    if (text_.capacity() != before)
        adviseHugePages(text_.data() + text_.size(), text_.capacity() - text_.size());
}

} // namespace vireta
