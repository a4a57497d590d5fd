#include "candidate_filter.h"

#include "little_endian.h"

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace dbx {
namespace {

[[maybe_unused]] std::size_t Scalar(const std::uint8_t* p, std::uint32_t base, std::size_t from,
                                    std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
        if (LoadU32(p + i) == base + std::uint32_t(i)) return i;
    }
    return to;
}

#if defined(__x86_64__)

// First the low 16 bits of each word are compared with the low 16 bits of its offset (two
// loads cover the even and the odd offsets), four groups at a time: nearly every group ends
// there. Within an aligned group the offsets share their upper three bytes, which makes
// the full test cheap for the few that pass.

std::size_t Sse2(const std::uint8_t* p, std::uint32_t base, std::size_t from, std::size_t to) {
    auto load = [p](std::size_t i) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    };
    std::size_t group = from & ~std::size_t(15);
    std::uint32_t skipLanes = std::uint32_t(from - group);
    __m128i even = _mm_add_epi16(_mm_set1_epi16(short(base + std::uint32_t(group))),
                                 _mm_setr_epi16(0, 2, 4, 6, 8, 10, 12, 14));
    const __m128i one = _mm_set1_epi16(1);
    auto lowHalves = [&](std::size_t at, __m128i evenAt) {
        return _mm_or_si128(_mm_cmpeq_epi16(load(at), evenAt),
                            _mm_cmpeq_epi16(load(at + 1), _mm_add_epi16(evenAt, one)));
    };
    const __m128i lanes = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    for (; group < to; group += 16, skipLanes = 0, even = _mm_add_epi16(even, _mm_set1_epi16(16))) {
        while (group + 64 <= to) {
            const __m128i any = _mm_or_si128(
                _mm_or_si128(lowHalves(group, even),
                             lowHalves(group + 16, _mm_add_epi16(even, _mm_set1_epi16(16)))),
                _mm_or_si128(lowHalves(group + 32, _mm_add_epi16(even, _mm_set1_epi16(32))),
                             lowHalves(group + 48, _mm_add_epi16(even, _mm_set1_epi16(48)))));
            if (_mm_movemask_epi8(any) != 0) break;
            group += 64;
            skipLanes = 0;
            even = _mm_add_epi16(even, _mm_set1_epi16(64));
        }
        if (group >= to) break;
        if (_mm_movemask_epi8(lowHalves(group, even)) == 0) continue;
        const std::uint32_t g = base + std::uint32_t(group);
        __m128i m = _mm_cmpeq_epi8(load(group), _mm_add_epi8(_mm_set1_epi8(char(g)), lanes));
        m = _mm_and_si128(m, _mm_cmpeq_epi8(load(group + 1), _mm_set1_epi8(char(g >> 8))));
        m = _mm_and_si128(m, _mm_cmpeq_epi8(load(group + 2), _mm_set1_epi8(char(g >> 16))));
        m = _mm_and_si128(m, _mm_cmpeq_epi8(load(group + 3), _mm_set1_epi8(char(g >> 24))));
        const std::uint32_t mask = std::uint32_t(_mm_movemask_epi8(m)) >> skipLanes << skipLanes;
        if (mask) return group + std::size_t(__builtin_ctz(mask));
    }
    return to;
}

#endif

}  // namespace

std::size_t NextSelfOffset(const std::uint8_t* p, std::uint32_t base, std::size_t from,
                           std::size_t to) {
#if defined(__x86_64__)
    return Sse2(p, base, from, to);
#else
    return Scalar(p, base, from, to);
#endif
}

}  // namespace dbx
