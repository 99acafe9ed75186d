#include "huge_pages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace vireta;

namespace {

// prepareHeapForHugePages works on glibc's own malloc, which a sanitizer replaces.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VIRETA_OTHER_MALLOC 1
#endif
#endif
#if !defined(__GLIBC__) || !defined(__linux__) || defined(__SANITIZE_ADDRESS__) || defined(VIRETA_OTHER_MALLOC)
constexpr bool kGlibcMalloc = false;
#else
constexpr bool kGlibcMalloc = true;
#endif

// Whether the system gives huge pages to memory advised so.
bool hugePagesOnAdvice() {
    std::ifstream f("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(f, modes);
    return modes.find("[always]") != std::string::npos || modes.find("[madvise]") != std::string::npos;
}

// Whether the mapping holding `address` is advised huge pages ("hg" among the
// flags of /proc/self/smaps).
bool advisedHuge(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inside = false;
    while (std::getline(smaps, line)) {
        std::uintptr_t from = 0;
        std::uintptr_t to = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> from >> dash >> to && dash == '-' && line.find(' ') != std::string::npos &&
            line.find(':') > line.find(' ')) {
            inside = at >= from && at < to;
            continue;
        }
        if (inside && line.rfind("VmFlags:", 0) == 0)
            return (line + " ").find(" hg ") != std::string::npos;
    }
    return false;
}

} // namespace

// Readied for a large quiz, the heap hands out the many middle-sized blocks of its
// texts from memory advised huge pages, and they hold what is written to them.
TEST(HugePageHeap, TheBlocksOfALargeQuizComeFromAdvisedMemory) {
    if (!kGlibcMalloc)
        GTEST_SKIP() << "only with glibc's own malloc on Linux";
    if (!hugePagesOnAdvice())
        GTEST_SKIP() << "this system gives no huge pages on advice";
    constexpr std::size_t kBytes = std::size_t{48} << 20;
    prepareHeapForHugePages(kBytes);
    std::vector<char*> blocks;
    std::size_t advised = 0;
    for (std::size_t taken = 0; taken + (40u << 10) < kBytes - (8u << 20); taken += 40u << 10) {
        char* const block = static_cast<char*>(std::malloc(40u << 10));
        ASSERT_NE(block, nullptr);
        std::memset(block, static_cast<int>(blocks.size() % 251), 40u << 10);
        blocks.push_back(block);
    }
    for (std::size_t i = 0; i < blocks.size(); i += 97)
        advised += advisedHuge(blocks[i] + (20u << 10)) ? 1 : 0;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(blocks[i][0], static_cast<char>(i % 251));
        EXPECT_EQ(blocks[i][(40u << 10) - 1], static_cast<char>(i % 251));
        std::free(blocks[i]);
    }
    // All but those in the first and last huge page of the grown heap.
    const std::size_t looked = (blocks.size() + 96) / 97;
    EXPECT_GE(advised + 2, looked) << advised << " of " << looked;
}
