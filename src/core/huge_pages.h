// Large working buffers (a whole file read into memory, the big blocks of a parsed
// tree, an export's output) ask the system for huge pages before they are first
// written. Where every fresh 4 KB page costs a page fault, as on virtual machines
// that shadow page tables, those faults are most of the time spent on a large file;
// a 2 MB page costs one fault for 512 of them.
#pragma once

#include <cstddef>

namespace vireta {

// Below this size a buffer is left alone: it holds at most one huge page anyway.
inline constexpr std::size_t kHugePageAdviceMinimum = std::size_t{4} << 20;

// Advises that the part of [data, data + size) that covers whole huge pages be
// backed by them. Only advice: nothing changes, and nothing fails, where the
// system does not take it. Call it before the memory is written.
void adviseHugePages(void* data, std::size_t size);

// Readies the heap for about `bytes` of small and middle-sized blocks (the many long
// texts of a large quiz, which no advice on a single buffer reaches): malloc's heap
// grows at once by that much, the new part is advised huge pages before anything
// is written there, and malloc keeps it (never hands it back to the system in
// between, and serves blocks up to 32 MB from it). Memory is only taken as it is
// written, so an estimate too large costs address space, not memory. Only where
// malloc is glibc's; elsewhere, or where the heap cannot grow, nothing changes.
void prepareHeapForHugePages(std::size_t bytes);

} // namespace vireta
