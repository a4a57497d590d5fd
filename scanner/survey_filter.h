#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "filter_instructions.h"

namespace dbx {

// Where structures can start in one stretch of a file, found by testing whole vectors of bytes
// before any structure is read: the displacement survey then looks at these offsets only.
struct StretchCandidates {
    // Offsets (multiples of the stride) of every header that reads as a message block's and
    // names a nonzero position; each with 16 bytes in the stretch.
    std::vector<std::uint32_t> blocks;
    // Offsets whose first word, less the offset's own position, is one of `displacements`; each
    // with 12 bytes in the stretch. Empty with `everyOffset`.
    std::vector<std::uint32_t> records;
    // The low 32 bits of 0 and of the displacement of every block that names a next block other
    // than itself: the only ones a record of the stretch is looked at for.
    std::vector<std::uint32_t> displacements;
    // More displacements than are worth testing: every offset is a record candidate.
    bool everyOffset = false;
    void Clear();
};

// Most displacements the record test compares with; past them every offset is a candidate.
constexpr std::size_t kMostFilteredDisplacements = 8;

// Fills `out` for the `size` bytes at `bytes`, which lie at file position `at`, looking at every
// `stride`-th offset (1 or 4; with 4, `at` must be a multiple of 4 for the vector tests).
void FindStretchCandidates(const std::uint8_t* bytes, std::size_t size, std::uint64_t at,
                           std::size_t stride, StretchCandidates& out,
                           FilterInstructions use = FilterInstructions::Best);

}  // namespace dbx
