#include "survey_filter.h"

#include <algorithm>

#include "chain_walk.h"
#include "little_endian.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace dbx {
namespace {

bool IsBlock(const std::uint8_t* p) {
    return LoadU32(p) != 0 && LooksLikeBlockHeader(p);
}

// Block candidates must be known first: they give the displacements records are tested for.
void TakeBlock(const std::uint8_t* bytes, std::size_t i, std::uint64_t at, StretchCandidates& out) {
    out.blocks.push_back(std::uint32_t(i));
    const std::uint8_t* p = bytes + i;
    const std::uint32_t self = LoadU32(p);
    const std::uint32_t next = LoadU32(p + layout::kBlockNextAt);
    if (next == 0 || next == self || out.everyOffset) return;
    const std::uint32_t d = self - std::uint32_t(at + i);
    auto& ds = out.displacements;
    if (std::find(ds.begin(), ds.end(), d) != ds.end()) return;
    if (ds.size() == kMostFilteredDisplacements) {
        out.everyOffset = true;
        return;
    }
    ds.push_back(d);
}

bool IsRecordCandidate(const std::uint8_t* p, std::uint32_t pos, const StretchCandidates& out) {
    const std::uint32_t d = LoadU32(p) - pos;
    return std::find(out.displacements.begin(), out.displacements.end(), d) !=
           out.displacements.end();
}

void BlocksPlainly(const std::uint8_t* bytes, std::size_t size, std::uint64_t at,
                   std::size_t stride, std::size_t from, StretchCandidates& out) {
    for (std::size_t i = from; i + kBlockHeaderSize <= size; i += stride) {
        if (IsBlock(bytes + i)) TakeBlock(bytes, i, at, out);
    }
}

void RecordsPlainly(const std::uint8_t* bytes, std::size_t size, std::uint64_t at,
                    std::size_t stride, std::size_t from, StretchCandidates& out) {
    for (std::size_t i = from; i + layout::kRecordHeaderSize <= size; i += stride) {
        if (IsRecordCandidate(bytes + i, std::uint32_t(at + i), out)) {
            out.records.push_back(std::uint32_t(i));
        }
    }
}

#if defined(__x86_64__)

// A turn covers 64 bytes, 16 offsets at a stride of 4: nearly every turn ends at one test of
// all their size words and self words. Headers of its offsets lie within the stretch.
constexpr std::size_t kTurn = 64;
constexpr std::size_t kTurnReach = kTurn + kBlockHeaderSize;

// The offsets of a turn that passed: blocks exactly, and records of the displacement 0 (the
// only one known before the whole stretch's blocks are).
void TakeTurn(const std::uint8_t* bytes, std::size_t i, std::uint64_t at, StretchCandidates& out) {
    for (std::size_t j = i; j < i + kTurn; j += 4) {
        if (IsBlock(bytes + j)) TakeBlock(bytes, j, at, out);
        if (LoadU32(bytes + j) == std::uint32_t(at + j)) out.records.push_back(std::uint32_t(j));
    }
}

// The tail the turns left, from `from` on: blocks, then records of the displacement 0.
void FinishPlainly(const std::uint8_t* bytes, std::size_t size, std::uint64_t at, std::size_t from,
                   StretchCandidates& out) {
    BlocksPlainly(bytes, size, at, 4, from, out);
    for (std::size_t i = from; i + layout::kRecordHeaderSize <= size; i += 4) {
        if (LoadU32(bytes + i) == std::uint32_t(at + i)) out.records.push_back(std::uint32_t(i));
    }
}

inline __m128i Load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

void FirstLookSse2(const std::uint8_t* bytes, std::size_t size, std::uint64_t at,
                   StretchCandidates& out) {
    const __m128i live = _mm_set1_epi32(std::int32_t(kLiveBlockSizeWord));
    const __m128i freed = _mm_set1_epi32(std::int32_t(kFreedBlockSizeWord));
    __m128i pos = _mm_add_epi32(_mm_set1_epi32(std::int32_t(at)), _mm_setr_epi32(0, 4, 8, 12));
    const __m128i step = _mm_set1_epi32(16);
    std::size_t i = 0;
    for (; i + kTurnReach <= size; i += kTurn) {
        __m128i any = _mm_setzero_si128();
        for (std::size_t k = 0; k < kTurn; k += 16, pos = _mm_add_epi32(pos, step)) {
            const __m128i words = Load(bytes + i + k + layout::kBlockSizeWordAt);
            any = _mm_or_si128(
                any, _mm_or_si128(_mm_cmpeq_epi32(words, live), _mm_cmpeq_epi32(words, freed)));
            any = _mm_or_si128(any, _mm_cmpeq_epi32(Load(bytes + i + k), pos));
        }
        if (_mm_movemask_epi8(any) != 0) TakeTurn(bytes, i, at, out);
    }
    FinishPlainly(bytes, size, at, i, out);
}

__attribute__((target("avx2"))) inline __m256i Load256(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target("avx2"))) void FirstLookAvx2(const std::uint8_t* bytes, std::size_t size,
                                                   std::uint64_t at, StretchCandidates& out) {
    const __m256i live = _mm256_set1_epi32(std::int32_t(kLiveBlockSizeWord));
    const __m256i freed = _mm256_set1_epi32(std::int32_t(kFreedBlockSizeWord));
    __m256i pos = _mm256_add_epi32(_mm256_set1_epi32(std::int32_t(at)),
                                   _mm256_setr_epi32(0, 4, 8, 12, 16, 20, 24, 28));
    const __m256i half = _mm256_set1_epi32(32);
    const __m256i whole = _mm256_set1_epi32(std::int32_t(kTurn));
    std::size_t i = 0;
    for (; i + kTurnReach <= size; i += kTurn, pos = _mm256_add_epi32(pos, whole)) {
        const std::uint8_t* p = bytes + i;
        const __m256i low = Load256(p + layout::kBlockSizeWordAt);
        const __m256i high = Load256(p + 32 + layout::kBlockSizeWordAt);
        const __m256i blocks = _mm256_or_si256(
            _mm256_or_si256(_mm256_cmpeq_epi32(low, live), _mm256_cmpeq_epi32(low, freed)),
            _mm256_or_si256(_mm256_cmpeq_epi32(high, live), _mm256_cmpeq_epi32(high, freed)));
        const __m256i records =
            _mm256_or_si256(_mm256_cmpeq_epi32(Load256(p), pos),
                            _mm256_cmpeq_epi32(Load256(p + 32), _mm256_add_epi32(pos, half)));
        const __m256i any = _mm256_or_si256(blocks, records);
        if (!_mm256_testz_si256(any, any)) TakeTurn(bytes, i, at, out);
    }
    FinishPlainly(bytes, size, at, i, out);
}

// Records for every displacement the blocks suggested, over the whole stretch.
void RecordsSse2(const std::uint8_t* bytes, std::size_t size, std::uint64_t at,
                 StretchCandidates& out) {
    out.records.clear();
    __m128i wanted[kMostFilteredDisplacements];
    const std::size_t n = out.displacements.size();
    for (std::size_t k = 0; k < n; ++k) {
        wanted[k] = _mm_set1_epi32(std::int32_t(out.displacements[k]));
    }
    const auto first = std::uint32_t(at);
    __m128i pos = _mm_add_epi32(_mm_set1_epi32(std::int32_t(first)), _mm_setr_epi32(0, 4, 8, 12));
    const __m128i step = _mm_set1_epi32(16);
    std::size_t i = 0;
    for (; i + kTurn <= size; i += kTurn) {
        __m128i any = _mm_setzero_si128();
        for (std::size_t k = 0; k < kTurn; k += 16, pos = _mm_add_epi32(pos, step)) {
            const __m128i d = _mm_sub_epi32(Load(bytes + i + k), pos);
            for (std::size_t w = 0; w < n; ++w) {
                any = _mm_or_si128(any, _mm_cmpeq_epi32(d, wanted[w]));
            }
        }
        if (_mm_movemask_epi8(any) == 0) continue;
        for (std::size_t j = i; j < i + kTurn; j += 4) {
            if (IsRecordCandidate(bytes + j, first + std::uint32_t(j), out)) {
                out.records.push_back(std::uint32_t(j));
            }
        }
    }
    RecordsPlainly(bytes, size, at, 4, i, out);
}

__attribute__((target("avx2"))) void RecordsAvx2(const std::uint8_t* bytes, std::size_t size,
                                                 std::uint64_t at, StretchCandidates& out) {
    out.records.clear();
    __m256i wanted[kMostFilteredDisplacements];
    const std::size_t n = out.displacements.size();
    for (std::size_t k = 0; k < n; ++k) {
        wanted[k] = _mm256_set1_epi32(std::int32_t(out.displacements[k]));
    }
    const auto first = std::uint32_t(at);
    __m256i pos = _mm256_add_epi32(_mm256_set1_epi32(std::int32_t(first)),
                                   _mm256_setr_epi32(0, 4, 8, 12, 16, 20, 24, 28));
    const __m256i half = _mm256_set1_epi32(32);
    const __m256i whole = _mm256_set1_epi32(std::int32_t(kTurn));
    std::size_t i = 0;
    for (; i + kTurn <= size; i += kTurn, pos = _mm256_add_epi32(pos, whole)) {
        const __m256i low = _mm256_sub_epi32(Load256(bytes + i), pos);
        const __m256i high = _mm256_sub_epi32(Load256(bytes + i + 32), _mm256_add_epi32(pos, half));
        __m256i any = _mm256_setzero_si256();
        for (std::size_t w = 0; w < n; ++w) {
            any = _mm256_or_si256(any, _mm256_or_si256(_mm256_cmpeq_epi32(low, wanted[w]),
                                                       _mm256_cmpeq_epi32(high, wanted[w])));
        }
        if (_mm256_testz_si256(any, any)) continue;
        for (std::size_t j = i; j < i + kTurn; j += 4) {
            if (IsRecordCandidate(bytes + j, first + std::uint32_t(j), out)) {
                out.records.push_back(std::uint32_t(j));
            }
        }
    }
    RecordsPlainly(bytes, size, at, 4, i, out);
}

#endif

}  // namespace

void StretchCandidates::Clear() {
    blocks.clear();
    records.clear();
    displacements.assign(1, 0);
    everyOffset = false;
}

void FindStretchCandidates(const std::uint8_t* bytes, std::size_t size, std::uint64_t at,
                           std::size_t stride, StretchCandidates& out, FilterInstructions use) {
    out.Clear();
#if defined(__x86_64__)
    if (stride == 4 && at % 4 == 0 && use != FilterInstructions::Plain) {
        // One look at every byte finds the blocks and the records at their places; only a
        // stretch whose blocks lead elsewhere (a store's piece) is looked at again.
        const bool avx2 = use == FilterInstructions::Best && HasAvx2();
        if (avx2) {
            FirstLookAvx2(bytes, size, at, out);
        } else {
            FirstLookSse2(bytes, size, at, out);
        }
        if (out.everyOffset) {
            out.records.clear();
        } else if (out.displacements.size() > 1 && avx2) {
            RecordsAvx2(bytes, size, at, out);
        } else if (out.displacements.size() > 1) {
            RecordsSse2(bytes, size, at, out);
        }
        return;
    }
#endif
    BlocksPlainly(bytes, size, at, stride, 0, out);
    if (!out.everyOffset) RecordsPlainly(bytes, size, at, stride, 0, out);
}

}  // namespace dbx
