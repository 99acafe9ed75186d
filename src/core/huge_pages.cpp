#include "huge_pages.h"

#include <cstdint>

#include <sys/mman.h>

#if defined(__GLIBC__)
#include <malloc.h>
#include <unistd.h>
#endif

namespace vireta {

void adviseHugePages(void* data, std::size_t size) {
#ifdef MADV_HUGEPAGE
    if (data == nullptr || size < kHugePageAdviceMinimum)
        return;
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (begin + size) & ~(kHugePage - 1);
    if (first < last)
        (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
namespace {
void* gBeforeFirstHugePage = nullptr; // see prepareHeapForHugePages; never freed
} // namespace
#endif

void prepareHeapForHugePages(std::size_t bytes) {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    if (bytes < kHugePageAdviceMinimum)
        return;
    // Blocks below 32 MB come from the heap rather than mappings of their own, the
    // heap is never trimmed, and its next growth adds `bytes` beyond what it is for.
    constexpr int kLargestHeapBlock = 32 << 20;
    if (mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock) == 0 || mallopt(M_TRIM_THRESHOLD, 1 << 30) == 0)
        return;
    const int pad = bytes > (std::size_t{1} << 30) ? 1 << 30 : static_cast<int>(bytes);
    if (mallopt(M_TOP_PAD, pad) == 0)
        return;
    // A block just larger than the heap's free end makes it grow; the new part is
    // advised before anything is written there (malloc writes only the header of
    // the new free end, just past the old end, below the first huge page).
    const std::size_t freeEnd = mallinfo2().keepcost;
    char* const before = static_cast<char*>(sbrk(0));
    void* const block = malloc(freeEnd + 4096);
    char* const after = static_cast<char*>(sbrk(0));
    const bool grew = block != nullptr && before != reinterpret_cast<char*>(-1) &&
                      after != reinterpret_cast<char*>(-1) && after > before;
    if (grew)
        adviseHugePages(before, static_cast<std::size_t>(after - before));
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    free(block);
    // The free end starts where the block did again. The memory from there up to
    // the first huge page cannot be one (a page of it is in use): a block kept for
    // good takes it, so that what comes next (the file's bytes, the texts) starts on
    // huge pages. It costs address space only.
    if (grew) {
        constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
        const std::uintptr_t firstHugePage = (reinterpret_cast<std::uintptr_t>(before) + kHugePage - 1) & ~(kHugePage - 1);
        if (firstHugePage > start + 4096)
            gBeforeFirstHugePage = malloc(firstHugePage - start - 64);
    }
    constexpr int kUsualTopPad = 128 << 10;
    mallopt(M_TOP_PAD, kUsualTopPad);
#else
    (void)bytes;
#endif
}

} // namespace vireta
