#include "store_pieces.h"

#include <algorithm>

namespace dbx {
namespace {

// Disks are cut into clusters of this size, or at least of sectors.
constexpr std::uint64_t kCluster = 4096;
constexpr std::uint64_t kSector = 512;

}  // namespace

std::uint64_t CutInside(std::uint64_t pos) {
    const std::uint64_t end = pos + kBlockSpan;
    for (std::uint64_t unit : {kCluster, kSector}) {
        const std::uint64_t cut = end / unit * unit;
        if (cut >= pos + layout::kBlockNextAt && cut < end) return cut;
    }
    return end;
}

JoinedStore JoinPieces(const std::vector<BlockIndex>& blocks,
                       const std::vector<std::int64_t>& displacements,
                       const std::vector<std::size_t>& members, const DisplacedBytes& bytes) {
    JoinedStore store;
    if (!members.empty()) store.displacement = displacements[members.front()];
    struct Placed {
        BlockIndex::Block block;
        std::int64_t displacement;
    };
    std::vector<Placed> all;
    for (std::size_t g : members) {
        for (BlockIndex::Block b : blocks[g].Blocks()) {
            b.covered = false;
            all.push_back({b, displacements[g]});
        }
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const Placed& a, const Placed& b) { return a.block.pos < b.block.pos; });
    all.erase(
        std::unique(all.begin(), all.end(),
                    [](const Placed& a, const Placed& b) { return a.block.pos == b.block.pos; }),
        all.end());
    for (std::size_t i = 0; i < all.size(); ++i) {
        Placed& p = all[i];
        const std::uint64_t pos = p.block.pos;
        std::uint64_t end = pos + kBlockSpan;
        // A block whose span reaches the next block of another piece was cut with its piece:
        // the rest of its data lies in that other piece.
        if (i + 1 < all.size() && all[i + 1].displacement != p.displacement &&
            all[i + 1].block.pos <= end) {
            const std::uint64_t cut = CutInside(pos);
            const std::int64_t rest = all[i + 1].displacement;
            std::uint8_t next[4];
            if (cut <= pos + layout::kBlockNextAt) {
                p.block.next =
                    bytes && bytes(rest, pos + layout::kBlockNextAt, next) ? LoadU32(next) : 0;
            }
            store.pieces->Add(cut, end, rest);
            end = cut;
        }
        store.blocks.Add(p.block);
        store.pieces->Add(pos, end, p.displacement);
    }
    store.blocks.Finish();
    store.pieces->Finish();
    return store;
}

}  // namespace dbx
