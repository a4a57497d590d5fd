#pragma once

#include <cstdint>

#include "little_endian.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dbx {

// A record starts with its own offset. Returns a mask of the 16 offsets g .. g + 15 whose
// 32-bit word equals that offset (bit i for g + i). `g` must be a multiple of 16;
// `p` points at the store's byte g, with 19 bytes readable.
inline std::uint32_t SelfOffsetCandidates(const std::uint8_t* p, std::uint32_t g) {
#if defined(__SSE2__)
    // With g a multiple of 16, the 16 offsets share their upper three bytes.
    auto load = [p](int i) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)); };
    const __m128i lanes = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    __m128i m = _mm_cmpeq_epi8(load(0), _mm_add_epi8(_mm_set1_epi8(char(g)), lanes));
    m = _mm_and_si128(m, _mm_cmpeq_epi8(load(1), _mm_set1_epi8(char(g >> 8))));
    m = _mm_and_si128(m, _mm_cmpeq_epi8(load(2), _mm_set1_epi8(char(g >> 16))));
    m = _mm_and_si128(m, _mm_cmpeq_epi8(load(3), _mm_set1_epi8(char(g >> 24))));
    return std::uint32_t(_mm_movemask_epi8(m));
#else
    std::uint32_t mask = 0;
    for (std::uint32_t i = 0; i < 16; ++i) {
        if (LoadU32(p + i) == g + i) mask |= 1u << i;
    }
    return mask;
#endif
}

}  // namespace dbx
