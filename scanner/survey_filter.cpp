#include "survey_filter.h"

#include <algorithm>

#include "chain_walk.h"
#include "little_endian.h"

#if defined(__x86_64__)
#include <emmintrin.h>
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

// 64 bytes (16 offsets at a stride of 4) a turn: nearly every turn ends at its first test.
constexpr std::size_t kTurn = 64;

inline __m128i Load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

void BlocksSse2(const std::uint8_t* bytes, std::size_t size, std::uint64_t at,
                StretchCandidates& out) {
    const __m128i live = _mm_set1_epi32(std::int32_t(kLiveBlockSizeWord));
    const __m128i freed = _mm_set1_epi32(std::int32_t(kFreedBlockSizeWord));
    std::size_t i = 0;
    // The size words of a turn's offsets, and the headers of all of them, lie in the stretch.
    for (; i + kTurn + kBlockHeaderSize <= size; i += kTurn) {
        __m128i any = _mm_setzero_si128();
        for (std::size_t k = 0; k < kTurn; k += 16) {
            const __m128i words = Load(bytes + i + k + layout::kBlockSizeWordAt);
            any = _mm_or_si128(
                any, _mm_or_si128(_mm_cmpeq_epi32(words, live), _mm_cmpeq_epi32(words, freed)));
        }
        if (_mm_movemask_epi8(any) == 0) continue;
        for (std::size_t j = i; j < i + kTurn; j += 4) {
            if (IsBlock(bytes + j)) TakeBlock(bytes, j, at, out);
        }
    }
    BlocksPlainly(bytes, size, at, 4, i, out);
}

void RecordsSse2(const std::uint8_t* bytes, std::size_t size, std::uint64_t at,
                 StretchCandidates& out) {
    __m128i wanted[kMostFilteredDisplacements];
    const std::size_t n = out.displacements.size();
    for (std::size_t k = 0; k < n; ++k)
        wanted[k] = _mm_set1_epi32(std::int32_t(out.displacements[k]));
    const auto first = std::uint32_t(at);
    __m128i pos = _mm_add_epi32(_mm_set1_epi32(std::int32_t(first)), _mm_setr_epi32(0, 4, 8, 12));
    const __m128i step = _mm_set1_epi32(16);
    std::size_t i = 0;
    for (; i + kTurn <= size; i += kTurn) {
        __m128i any = _mm_setzero_si128();
        for (std::size_t k = 0; k < kTurn; k += 16, pos = _mm_add_epi32(pos, step)) {
            const __m128i d = _mm_sub_epi32(Load(bytes + i + k), pos);
            for (std::size_t w = 0; w < n; ++w)
                any = _mm_or_si128(any, _mm_cmpeq_epi32(d, wanted[w]));
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

#endif

}  // namespace

void StretchCandidates::Clear() {
    blocks.clear();
    records.clear();
    displacements.assign(1, 0);
    everyOffset = false;
}

void FindStretchCandidatesPlainly(const std::uint8_t* bytes, std::size_t size, std::uint64_t at,
                                  std::size_t stride, StretchCandidates& out) {
    out.Clear();
    BlocksPlainly(bytes, size, at, stride, 0, out);
    if (!out.everyOffset) RecordsPlainly(bytes, size, at, stride, 0, out);
}

void FindStretchCandidates(const std::uint8_t* bytes, std::size_t size, std::uint64_t at,
                           std::size_t stride, StretchCandidates& out) {
#if defined(__x86_64__)
    if (stride == 4 && at % 4 == 0) {
        out.Clear();
        BlocksSse2(bytes, size, at, out);
        if (!out.everyOffset) RecordsSse2(bytes, size, at, out);
        return;
    }
#endif
    FindStretchCandidatesPlainly(bytes, size, at, stride, out);
}

}  // namespace dbx
