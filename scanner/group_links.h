#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "block_index.h"

namespace dbx {

// The groups of structures of a disk image (each at its own displacement) that make one store:
// pieces of a store cut apart are joined where a chain of blocks, or a record, of one leads
// into another. The pieces of one store name positions no other piece of it names, so two
// groups whose named positions overlap are never joined; nor is a link taken that more than
// one group could answer, until all but one of them are ruled out.
class GroupJoiner {
  public:
    // `blocks`: each group's blocks, finished (ordered by position); they also give the
    // positions each group names. `bodies`: by group, the first blocks its records name.
    GroupJoiner(const std::vector<BlockIndex>& blocks,
                const std::vector<std::vector<std::uint32_t>>& bodies);

    // Joins the stores of `a` and `b`, unless they name the same positions; false then.
    bool Join(std::size_t a, std::size_t b);
    // Joins the groups whose blocks (or records) name a next (or first) block that their own
    // group lacks, to the one group that holds it free (nothing of that group leads to it):
    // first where one group alone could, then, in a few more passes, where the groups already
    // joined rule out all but one.
    void JoinByLinks();
    // The store of each group, stores numbered 0, 1, ... in the order of their first group.
    std::vector<std::size_t> Stores();

  private:
    using Span = std::pair<std::uint64_t, std::uint64_t>;  // named positions [first, end)
    std::size_t Root(std::size_t g);
    bool Overlap(std::size_t rootA, std::size_t rootB) const;
    // Whether a group of the store of `h` other than `from` has a block that leads to `pos`.
    bool StoreLeadsTo(std::size_t h, std::size_t from, std::uint32_t pos);

    const std::vector<BlockIndex>& blocks_;
    std::vector<std::size_t> parent_;
    std::vector<std::vector<Span>> spans_;  // by root: where its groups name positions
    // Every next pointer and record of every group, with its group: who leads to a position.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> leads_;
};

}  // namespace dbx
