#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "little_endian.h"
#include "store_layout.h"

namespace dbx {

using layout::kBlockHeaderSize;
using layout::kBlockSpan;
using layout::kFreedBlockLengthWord;
using layout::kFreedBlockSizeWord;
using layout::kLiveBlockSizeWord;
constexpr std::uint32_t kBlockDataSize = layout::kBlockDataMax;

// Whether the 16 bytes at `p` read as the header of a live or a freed message block (the
// self offset is not looked at).
inline bool LooksLikeBlockHeader(const std::uint8_t* p) {
    const std::uint32_t size = LoadU32(p + layout::kBlockSizeWordAt);
    const std::uint32_t data = LoadU32(p + layout::kBlockDataLengthAt);
    if (size == kLiveBlockSizeWord) return data <= kBlockDataSize;
    return size == kFreedBlockSizeWord && data == kFreedBlockLengthWord;
}

// Why a walk along a message's blocks ended.
enum class ChainEnd {
    LastBlock,          // a block with no next one: the message is whole
    FirstBlockMissing,  // the block at the message offset does not name its own position
    Unnamed,            // a later block does not name its own position (wiped or overwritten)
    Loop,               // the chain came back to a block it had passed
    PastEnd,            // a block, or the next one, lies beyond the store or the limit
    Stopped,            // the receiver of the data gave up
};

// Short text for reports: "the first block is gone", ...
const char* DescribeChainEnd(ChainEnd end);

struct ChainWalk {
    ChainEnd end = ChainEnd::PastEnd;
    std::uint64_t position = 0;  // where the walk stopped
    std::uint64_t bytes = 0;     // data handed on
    std::size_t blocks = 0;
    bool Complete() const { return end == ChainEnd::LastBlock; }
};

struct ChainLimits {
    std::uint64_t length = 0;  // the store's length
    std::uint64_t limit = 0;   // largest offset the walk may use; 0: the length
    // The last block of a freed chain reads as a full one; its zero tail is not mail.
    bool trimFreedTail = false;
};

// Reads `n` bytes at `pos`; false when they are not all there.
using BlockReader = std::function<bool(std::uint64_t pos, void* dst, std::size_t n)>;
// Takes the data of one block; false stops the walk.
using BlockSink = std::function<bool(const std::uint8_t* data, std::size_t n)>;

// Follows the chain of message blocks from `offset`, handing each block's data to `sink`.
// Every block must carry its own position; a block that does not is not part of the
// message, and the walk ends before it. Each block is visited once, so any chain ends.
ChainWalk WalkChain(std::uint32_t offset, const ChainLimits& limits, const BlockReader& read,
                    const BlockSink& sink);

}  // namespace dbx
