// The output buffer that every writer fills and the save step writes to disk:
// a list of lines, each stored with CR LF after it.
#pragma once

#include <string>
#include <string_view>

namespace vireta {

class OutputBuffer {
public:
    // Appends the line unchanged, followed by CR LF.
    void appendLine(std::string_view line);
    // A line in pieces, for writers that escape long texts straight into the buffer:
    // bytes as they are, a text escaped for XML (see appendXmlEscaped), and the
    // CR LF that ends the line.
    void append(std::string_view bytes) { text_.append(bytes); }
    void appendXmlEscaped(std::string_view text, std::string_view special);
    void endLine() { text_.append("\r\n"); }
    // Makes room for `bytes` more bytes of text at once: a writer that knows the
    // size of a large output spares the buffer its growing copies.
    void reserve(std::size_t bytes);

    const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }
    void clear() { text_.clear(); }
    bool empty() const { return text_.empty(); }

private:
    std::string text_;
};

} // namespace vireta
