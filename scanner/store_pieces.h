#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "block_index.h"
#include "piece_map.h"

namespace dbx {

// One store of a disk image put together from the groups of structures it left (each group a
// piece at its own displacement): all their blocks in one index, and where each lies.
struct JoinedStore {
    BlockIndex blocks;
    std::shared_ptr<PieceMap> pieces = std::make_shared<PieceMap>();
    std::int64_t displacement = 0;  // of its first group: where no piece says
};

// Where a block at `pos` whose span runs on into another piece was cut with its piece: the
// last cluster (else sector) boundary inside its data; the end of its span where none is.
std::uint64_t CutInside(std::uint64_t pos);

// Joins the groups `members` (indexes into `blocks` and `displacements`). Of blocks that name
// the same position, the first group's is kept.
JoinedStore JoinPieces(const std::vector<BlockIndex>& blocks,
                       const std::vector<std::int64_t>& displacements,
                       const std::vector<std::size_t>& members);

}  // namespace dbx
