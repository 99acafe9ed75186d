// The output buffer that every writer fills and the save step writes to disk:
// a list of lines, each stored with CR LF after it.
#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

namespace vireta {

class OutputBuffer {
public:
    // Appends the line unchanged, followed by CR LF.
    void appendLine(std::string_view line) {
        text_.append(line);
        endLine();
    }
    // A line in pieces, for writers that escape long texts straight into the buffer:
    // bytes as they are, a text escaped for XML (see appendXmlEscaped), and the
    // CR LF that ends the line.
    void append(std::string_view bytes) { text_.append(bytes); }
    void appendXmlEscaped(std::string_view text, std::string_view special);
    void endLine() {
        text_.append("\r\n");
        if (text_.size() >= passOnAt_)
            passOn();
    }
    // Makes room for `bytes` more bytes of text at once: a writer that knows the
    // size of a large output spares the buffer its growing copies. A buffer that
    // passes its text on needs no more room than it already has.
    void reserve(std::size_t bytes);
    // Whether text() will hold the whole output, so that sizing it is worth a writer's
    // time: false while the text is passed on.
    bool holdsWholeText() const { return !passOn_; }

    // From now on the text goes on to `sink` as it grows, so that a large document
    // never sits whole in memory: at the end of the first line that brings the buffer
    // to kPassOnBytes or more, `sink` receives the buffer's text and the buffer starts
    // again empty; finishPassingOn() hands over the rest. Whatever `sink` throws
    // leaves the writer that is filling the buffer. Only for writers that never go
    // back over text(): the quiz file's.
    void passOnTo(std::function<void(std::string_view)> sink);
    // Hands the rest of the text to the sink and stops passing it on.
    void finishPassingOn();
    static constexpr std::size_t kPassOnBytes = std::size_t{256} << 10;

    const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }
    void clear() { text_.clear(); }
    bool empty() const { return text_.empty(); }

private:
    void passOn();

    std::string text_;
    std::function<void(std::string_view)> passOn_;
    std::size_t passOnAt_ = std::numeric_limits<std::size_t>::max();
};

} // namespace vireta
