#include "candidate_filter.h"

#include "little_endian.h"

#if defined(__x86_64__)
#include <immintrin.h>
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

// Both versions first compare the low 16 bits of each word with the low 16 bits of its offset
// (two loads cover the even and the odd offsets), four groups at a time: nearly every group
// ends there. Within an aligned group the offsets share their upper three bytes, which makes
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

#define DBX_AVX2 __attribute__((target("avx2")))

DBX_AVX2 inline __m256i Load32(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Low 16 bits of the words at `at` (even offsets) and `at` + 1 (odd ones) against `even` and
// `even` + 1.
DBX_AVX2 inline __m256i LowHalves32(const std::uint8_t* at, __m256i even) {
    return _mm256_or_si256(
        _mm256_cmpeq_epi16(Load32(at), even),
        _mm256_cmpeq_epi16(Load32(at + 1), _mm256_add_epi16(even, _mm256_set1_epi16(1))));
}

DBX_AVX2 std::size_t Avx2(const std::uint8_t* p, std::uint32_t base, std::size_t from,
                          std::size_t to) {
    std::size_t group = from & ~std::size_t(31);
    std::uint32_t skipLanes = std::uint32_t(from - group);
    __m256i even = _mm256_add_epi16(
        _mm256_set1_epi16(short(base + std::uint32_t(group))),
        _mm256_setr_epi16(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30));
    const __m256i lanes =
        _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                         21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31);
    for (; group < to;
         group += 32, skipLanes = 0, even = _mm256_add_epi16(even, _mm256_set1_epi16(32))) {
        while (group + 128 <= to) {
            const __m256i any = _mm256_or_si256(
                _mm256_or_si256(
                    LowHalves32(p + group, even),
                    LowHalves32(p + group + 32, _mm256_add_epi16(even, _mm256_set1_epi16(32)))),
                _mm256_or_si256(
                    LowHalves32(p + group + 64, _mm256_add_epi16(even, _mm256_set1_epi16(64))),
                    LowHalves32(p + group + 96, _mm256_add_epi16(even, _mm256_set1_epi16(96)))));
            if (_mm256_movemask_epi8(any) != 0) break;
            group += 128;
            skipLanes = 0;
            even = _mm256_add_epi16(even, _mm256_set1_epi16(128));
        }
        if (group >= to) break;
        if (_mm256_movemask_epi8(LowHalves32(p + group, even)) == 0) continue;
        const std::uint32_t g = base + std::uint32_t(group);
        __m256i m =
            _mm256_cmpeq_epi8(Load32(p + group), _mm256_add_epi8(_mm256_set1_epi8(char(g)), lanes));
        m = _mm256_and_si256(
            m, _mm256_cmpeq_epi8(Load32(p + group + 1), _mm256_set1_epi8(char(g >> 8))));
        m = _mm256_and_si256(
            m, _mm256_cmpeq_epi8(Load32(p + group + 2), _mm256_set1_epi8(char(g >> 16))));
        m = _mm256_and_si256(
            m, _mm256_cmpeq_epi8(Load32(p + group + 3), _mm256_set1_epi8(char(g >> 24))));
        const std::uint64_t mask =
            std::uint64_t(std::uint32_t(_mm256_movemask_epi8(m))) >> skipLanes << skipLanes;
        if (mask) return group + std::size_t(__builtin_ctzll(mask));
    }
    return to;
}

using Filter = std::size_t (*)(const std::uint8_t*, std::uint32_t, std::size_t, std::size_t);

Filter Choose() {
    return __builtin_cpu_supports("avx2") ? Avx2 : Sse2;
}

#endif

}  // namespace

std::size_t NextSelfOffset(const std::uint8_t* p, std::uint32_t base, std::size_t from,
                           std::size_t to) {
#if defined(__x86_64__)
    static const Filter filter = Choose();
    return filter(p, base, from, to);
#else
    return Scalar(p, base, from, to);
#endif
}

}  // namespace dbx
