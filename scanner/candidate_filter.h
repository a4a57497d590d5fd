#pragma once

#include <cstddef>
#include <cstdint>

#include "little_endian.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dbx {

// A record starts with its own offset. Returns the first i in [from, to) whose 32-bit word at
// p + i equals base + i, or `to` when there is none. `base` must be a multiple of 16, and
// p + to + 19 bytes must be readable.
inline std::size_t NextSelfOffset(const std::uint8_t* p, std::uint32_t base, std::size_t from,
                                  std::size_t to) {
    std::size_t group = from & ~std::size_t(15);
    std::uint32_t skipLanes = std::uint32_t(from - group);
#if defined(__SSE2__)
    auto load = [p](std::size_t i) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    };
    // First the low 16 bits of each word against the low 16 bits of its offset: two loads cover
    // the even and the odd offsets of a group, and nearly every group ends there. The values
    // to compare with advance by 16 per group.
    const std::uint32_t first = base + std::uint32_t(group);
    __m128i even =
        _mm_add_epi16(_mm_set1_epi16(short(first)), _mm_setr_epi16(0, 2, 4, 6, 8, 10, 12, 14));
    const __m128i one = _mm_set1_epi16(1), step16 = _mm_set1_epi16(16), step32 = _mm_set1_epi16(32),
                  step48 = _mm_set1_epi16(48), step64 = _mm_set1_epi16(64);
    auto lowHalves = [&](std::size_t at, __m128i evenAt) {
        return _mm_or_si128(_mm_cmpeq_epi16(load(at), evenAt),
                            _mm_cmpeq_epi16(load(at + 1), _mm_add_epi16(evenAt, one)));
    };
    const __m128i lanes = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    for (; group < to; group += 16, skipLanes = 0, even = _mm_add_epi16(even, step16)) {
        while (group + 64 <= to) {
            const __m128i any =
                _mm_or_si128(_mm_or_si128(lowHalves(group, even),
                                          lowHalves(group + 16, _mm_add_epi16(even, step16))),
                             _mm_or_si128(lowHalves(group + 32, _mm_add_epi16(even, step32)),
                                          lowHalves(group + 48, _mm_add_epi16(even, step48))));
            if (_mm_movemask_epi8(any) != 0) break;
            group += 64;
            skipLanes = 0;
            even = _mm_add_epi16(even, step64);
        }
        if (group >= to) break;
        if (_mm_movemask_epi8(lowHalves(group, even)) == 0) continue;
        // Within a group the offsets share their upper three bytes.
        const std::uint32_t g = base + std::uint32_t(group);
        __m128i m = _mm_cmpeq_epi8(load(group), _mm_add_epi8(_mm_set1_epi8(char(g)), lanes));
        m = _mm_and_si128(m, _mm_cmpeq_epi8(load(group + 1), _mm_set1_epi8(char(g >> 8))));
        m = _mm_and_si128(m, _mm_cmpeq_epi8(load(group + 2), _mm_set1_epi8(char(g >> 16))));
        m = _mm_and_si128(m, _mm_cmpeq_epi8(load(group + 3), _mm_set1_epi8(char(g >> 24))));
        const std::uint32_t mask = std::uint32_t(_mm_movemask_epi8(m)) >> skipLanes << skipLanes;
        if (mask) return group + std::size_t(__builtin_ctz(mask));
    }
#else
    for (; group < to; group += 16, skipLanes = 0) {
        for (std::uint32_t i = skipLanes; i < 16; ++i) {
            if (LoadU32(p + group + i) == base + std::uint32_t(group) + i) return group + i;
        }
    }
#endif
    return to;
}

}  // namespace dbx
