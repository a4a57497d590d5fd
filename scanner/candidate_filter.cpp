#include "candidate_filter.h"

#include <algorithm>

#include "little_endian.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace dbx {
namespace {

std::size_t Scalar(const std::uint8_t* p, std::uint32_t base, std::size_t from, std::size_t to) {
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
        // A group may reach past `to`: what lies there is not this search's to find.
        if (mask) return std::min(group + std::size_t(__builtin_ctz(mask)), to);
    }
    return to;
}

// The same with twice the width. Groups of 32 offsets need not share their upper bytes (the
// base is only a multiple of 16), so the few groups whose low halves match are tested word by
// word.

__attribute__((target("avx2"))) inline __m256i Load256(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target("avx2"))) inline __m256i LowHalves256(const std::uint8_t* p, __m256i even) {
    return _mm256_or_si256(
        _mm256_cmpeq_epi16(Load256(p), even),
        _mm256_cmpeq_epi16(Load256(p + 1), _mm256_add_epi16(even, _mm256_set1_epi16(1))));
}

__attribute__((target("avx2"))) std::size_t Avx2(const std::uint8_t* p, std::uint32_t base,
                                                 std::size_t from, std::size_t to) {
    std::size_t group = from & ~std::size_t(31);
    __m256i even = _mm256_add_epi16(
        _mm256_set1_epi16(short(base + std::uint32_t(group))),
        _mm256_setr_epi16(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30));
    for (; group < to; group += 32, even = _mm256_add_epi16(even, _mm256_set1_epi16(32))) {
        while (group + 128 <= to) {
            const __m256i any = _mm256_or_si256(
                _mm256_or_si256(
                    LowHalves256(p + group, even),
                    LowHalves256(p + group + 32, _mm256_add_epi16(even, _mm256_set1_epi16(32)))),
                _mm256_or_si256(
                    LowHalves256(p + group + 64, _mm256_add_epi16(even, _mm256_set1_epi16(64))),
                    LowHalves256(p + group + 96, _mm256_add_epi16(even, _mm256_set1_epi16(96)))));
            if (_mm256_testz_si256(any, any)) {
                group += 128;
                even = _mm256_add_epi16(even, _mm256_set1_epi16(128));
                continue;
            }
            break;
        }
        if (group >= to) break;
        const __m256i hit = LowHalves256(p + group, even);
        if (_mm256_testz_si256(hit, hit)) continue;
        const std::size_t first = group > from ? group : from;
        const std::size_t end = group + 32 < to ? group + 32 : to;
        const std::size_t found = Scalar(p, base, first, end);
        if (found != end) return found;
    }
    return to;
}

#endif

}  // namespace

std::size_t NextSelfOffset(const std::uint8_t* p, std::uint32_t base, std::size_t from,
                           std::size_t to, FilterInstructions use) {
#if defined(__x86_64__)
    if (use == FilterInstructions::Best && HasAvx2()) return Avx2(p, base, from, to);
    if (use != FilterInstructions::Plain) return Sse2(p, base, from, to);
#else
    (void)use;
#endif
    return Scalar(p, base, from, to);
}

}  // namespace dbx
