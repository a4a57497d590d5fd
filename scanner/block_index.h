#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "chain_walk.h"

namespace dbx {

// Every message block header a scan passes, live or freed, for the deep search: where it
// is, where it leads, how much data it holds. Twelve bytes a block.
class BlockIndex {
  public:
    struct Block {
        std::uint32_t pos = 0;
        std::uint32_t next = 0;
        std::uint16_t length = 0;  // data bytes, 1 to 512
        bool freed = false;
        bool covered = false;  // on the chain of a listed message, or of an orphan taken
    };

    // `header`: 16 readable bytes at `pos`, whose first word holds `pos`. Blocks do not
    // overlap: a header inside the span of the one before is not taken, which also bounds
    // the index to one entry per 528 bytes of store, whatever the store holds.
    void Offer(std::uint64_t pos, const std::uint8_t* header) {
        if (!LooksLikeBlockHeader(header)) return;
        if (!blocks_.empty() && pos > blocks_.back().pos && pos - blocks_.back().pos < kBlockSpan) {
            return;
        }
        std::uint32_t length = LoadU32(header + 8);
        if (length == 0 || length > kBlockDataSize) length = kBlockDataSize;
        const bool freed = LoadU32(header + 4) == kFreedBlockSizeWord;
        if (!blocks_.empty() && blocks_.back().pos >= pos) sorted_ = false;
        blocks_.push_back(
            {std::uint32_t(pos), LoadU32(header + 12), std::uint16_t(length), freed, false});
    }

    // A block of another index (the pieces of one store joined); Finish() orders them.
    void Add(const Block& block) {
        if (!blocks_.empty() && blocks_.back().pos >= block.pos) sorted_ = false;
        blocks_.push_back(block);
    }

    // Room for the most blocks a store of `length` bytes can hold; memory is only taken as
    // blocks come.
    void Reserve(std::uint64_t length) { blocks_.reserve(std::size_t(length / kBlockSpan + 1)); }

    // Orders the blocks by position (a scan offers them in order already).
    void Finish() {
        if (sorted_) return;
        std::stable_sort(blocks_.begin(), blocks_.end(),
                         [](const Block& a, const Block& b) { return a.pos < b.pos; });
        blocks_.erase(std::unique(blocks_.begin(), blocks_.end(),
                                  [](const Block& a, const Block& b) { return a.pos == b.pos; }),
                      blocks_.end());
        sorted_ = true;
    }

    // The block at `pos`, looked for right after `near` first: chains mostly run on to the
    // block that follows.
    Block* FindAfter(const Block* near, std::uint32_t pos) {
        if (near && near + 1 < blocks_.data() + blocks_.size() && near[1].pos == pos) {
            return const_cast<Block*>(near + 1);
        }
        return Find(pos);
    }

    const Block* Find(std::uint32_t pos) const { return const_cast<BlockIndex*>(this)->Find(pos); }
    Block* Find(std::uint32_t pos) {
        auto it = std::lower_bound(blocks_.begin(), blocks_.end(), pos,
                                   [](const Block& b, std::uint32_t p) { return b.pos < p; });
        return it != blocks_.end() && it->pos == pos ? &*it : nullptr;
    }

    std::vector<Block>& Blocks() { return blocks_; }
    const std::vector<Block>& Blocks() const { return blocks_; }
    std::size_t Size() const { return blocks_.size(); }

  private:
    std::vector<Block> blocks_;
    bool sorted_ = true;
};

}  // namespace dbx
