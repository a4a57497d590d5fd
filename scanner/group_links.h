#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "block_index.h"

namespace dbx {

// The groups of structures of a disk image (each at its own displacement) that make one store:
// pieces of a store cut apart are joined where a chain of blocks, or a record, of one leads
// into another. Pieces that claim the same positions are of different stores: a link that more
// than one group could take joins nothing.
class GroupJoiner {
  public:
    explicit GroupJoiner(std::size_t groups);

    void Join(std::size_t a, std::size_t b);
    // Joins the groups whose blocks name a next block that only one other group holds. The
    // indexes are finished (ordered by position).
    void JoinByChains(std::vector<BlockIndex>& blocks);
    // The store of each group, stores numbered 0, 1, ... in the order of their first group.
    std::vector<std::size_t> Stores();

  private:
    std::size_t Root(std::size_t g);
    std::vector<std::size_t> parent_;
};

}  // namespace dbx
