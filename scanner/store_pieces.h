#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
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
// last cluster (else sector) boundary inside its span after the words that showed it to be a
// block (a cut may leave its next pointer to the other piece); the end of its span where none
// is.
std::uint64_t CutInside(std::uint64_t pos);

// Reads the image's bytes at store position `pos` of a piece at `displacement` into `out` (its
// size); false when they cannot be read.
using DisplacedBytes =
    std::function<bool(std::int64_t displacement, std::uint64_t pos, std::span<std::uint8_t> out)>;

// Joins the groups `members` (indexes into `blocks` and `displacements`). Of blocks that name
// the same position, the first group's is kept. A block whose next pointer lies in the next
// piece has it read from there through `bytes`.
JoinedStore JoinPieces(const std::vector<BlockIndex>& blocks,
                       const std::vector<std::int64_t>& displacements,
                       const std::vector<std::size_t>& members, const DisplacedBytes& bytes);

}  // namespace dbx
