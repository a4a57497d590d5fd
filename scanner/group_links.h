#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
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
    // Reads the store's bytes at `pos` as group `group` has them into `out` (its size); false
    // when they cannot be read.
    using StoreBytes =
        std::function<bool(std::size_t group, std::uint64_t pos, std::span<std::uint8_t> out)>;

    // `blocks`: each group's blocks, finished (ordered by position); they also give the
    // positions each group names. `bodies`: by group, the first blocks its records name.
    // `bytes` (may be empty) lets a link that several groups could take be settled by the text
    // it carries on.
    GroupJoiner(const std::vector<BlockIndex>& blocks,
                const std::vector<std::vector<std::uint32_t>>& bodies, StoreBytes bytes = {});

    // Joins the stores of `a` and `b`, unless they name the same positions; false then.
    bool Join(std::size_t a, std::size_t b);
    // Joins the groups whose blocks (or records) name a next (or first) block that their own
    // group lacks, to the one group that holds it free (nothing of that group leads to it):
    // first where one group alone could, then, in a few more passes, where the groups already
    // joined rule out all but one, or the lines of the text running on into one of them
    // alone keep their length.
    void JoinByLinks();
    // The store of each group, stores numbered 0, 1, ... in the order of their first group.
    std::vector<std::size_t> Stores();

  private:
    using Span = std::pair<std::uint64_t, std::uint64_t>;  // named positions [first, end)
    std::size_t Root(std::size_t g);
    bool Overlap(std::size_t rootA, std::size_t rootB) const;
    // Whether a group of the store of `h` other than `from` has a block that leads to `pos`.
    bool StoreLeadsTo(std::size_t h, std::size_t from, std::uint32_t pos);
    // Whether the bytes of `h` after the cut in the header of the block `before` name `pos`
    // as its next block.
    bool NamesNext(std::size_t h, std::uint32_t before, std::uint32_t pos);

    // Of the holders, the one alone whose bytes carry on the lines of the chain's text at
    // `from` (the end of the block `before`, cut with its piece, and the block at `pos`).
    void KeepWhereLinesRunOn(std::size_t from, std::uint32_t before, std::uint32_t pos,
                             std::vector<std::size_t>& holders);
    bool Read(std::size_t g, std::uint64_t pos, std::size_t n, std::vector<std::uint8_t>& into);

    const std::vector<BlockIndex>& blocks_;
    StoreBytes bytes_;
    std::vector<std::size_t> parent_;
    std::vector<std::vector<Span>> spans_;  // by root: where its groups name positions
    // Every next pointer and record of every group: who leads to a position, and from which
    // block (0: a record).
    struct Lead {
        std::uint32_t pos;
        std::uint32_t group;
        std::uint32_t before;
        auto operator<=>(const Lead&) const = default;
    };
    std::vector<Lead> leads_;
    // Blocks whose piece ends inside their header, before the next pointer, to the block right
    // after them: they may lead there, which the pieces that hold it and name it there tell.
    std::vector<Lead> cutLeads_;
};

// Whether `after` can carry on the text `known` ends with, where that text is lines of one
// length (as encoded attachments are): every line end in `after` must come that length after
// the one before. Unknown where `known` holds too few whole lines, or lines of several lengths.
enum class LineFit { Fits, Breaks, Unknown };
LineFit LinesRunOn(std::span<const std::uint8_t> known, std::span<const std::uint8_t> after);

}  // namespace dbx
