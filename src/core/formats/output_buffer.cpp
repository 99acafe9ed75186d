#include "formats/output_buffer.h"

namespace vireta {

void OutputBuffer::appendLine(std::string_view line) {
    text_.append(line);
    text_.append("\r\n");
}

} // namespace vireta
