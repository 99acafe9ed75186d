// Where a writer streams its bytes. The caller opens the sink and decides what becomes
// of it once the writer is done (the save step hands the tar writer a pending file and
// commits it with the document); the writer only writes.
#pragma once

#include <cstddef>

namespace vireta::io {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Takes every byte, or returns false with errno set.
    virtual bool put(const void* data, std::size_t size) = 0;
};

} // namespace vireta::io
