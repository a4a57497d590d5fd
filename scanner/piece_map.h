#pragma once

#include <cstdint>
#include <vector>

namespace dbx {

// Where the pieces of one store lie in a disk image: ranges of the store's own positions, each
// at its own displacement (a store cut apart by a file system lies in pieces anywhere).
class PieceMap {
  public:
    // Positions [begin, end) of the store lie at position - displacement of the image.
    void Add(std::uint64_t begin, std::uint64_t end, std::int64_t displacement);
    // Orders the ranges and joins neighbours of one displacement; an earlier range keeps the
    // positions a later one also claims.
    void Finish();

    // The displacement at `pos`, and in `runEnd` where it stops holding (the next range's
    // start, or the end of the one at `pos`); `fallback` where no range says.
    std::int64_t At(std::uint64_t pos, std::int64_t fallback, std::uint64_t& runEnd) const;
    bool Empty() const { return ranges_.empty(); }
    // The end of the last range (0: none).
    std::uint64_t End() const { return ranges_.empty() ? 0 : ranges_.back().end; }

  private:
    struct Range {
        std::uint64_t begin;
        std::uint64_t end;
        std::int64_t displacement;
    };
    std::vector<Range> ranges_;
};

}  // namespace dbx
