// Sixteen bytes at a time, through the compiler's vector types (SSE2 on x86-64,
// NEON on ARM): the text scanners load a block, compare every byte at once and
// jump to the bytes they look for.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vireta {

using ByteLanes = unsigned char __attribute__((vector_size(16)));
using SignedByteLanes = signed char __attribute__((vector_size(16)));

inline ByteLanes loadLanes(const void* p) {
    ByteLanes x;
    std::memcpy(&x, p, 16);
    return x;
}

inline void storeLanes(void* p, ByteLanes x) { std::memcpy(p, &x, 16); }

// Every lane set to `byte`.
inline ByteLanes splatLanes(unsigned char byte) { return ByteLanes{} + byte; }

// One bit per lane of a comparison's result (whose lanes are all ones or all
// zeros): bit i for lane i, so the lowest set bit is the first byte marked.
template <typename Lanes>
inline unsigned laneMask(Lanes marked) {
    static_assert(sizeof(Lanes) == 16, "sixteen lanes");
#if defined(__SSE2__)
    __m128i m;
    std::memcpy(&m, &marked, 16);
    return static_cast<unsigned>(_mm_movemask_epi8(m));
#else
    // Gathers the top bit of each of eight bytes into one byte.
    auto gather = [](std::uint64_t w) {
        return static_cast<unsigned>(((w & 0x8080808080808080u) * 0x0002040810204081u) >> 56);
    };
    std::uint64_t low;
    std::uint64_t high;
    std::memcpy(&low, &marked, 8);
    std::memcpy(&high, reinterpret_cast<const char*>(&marked) + 8, 8);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    low = __builtin_bswap64(low); // lane 0 in the lowest byte, as the gathering expects
    high = __builtin_bswap64(high);
#endif
    return gather(low) | gather(high) << 8;
#endif
}

} // namespace vireta
