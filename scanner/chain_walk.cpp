#include "chain_walk.h"

#include <unordered_set>

#include "little_endian.h"

namespace dbx {
namespace {

constexpr std::int64_t kShortestRead = 20;  // a later block read this small ends the walk

}  // namespace

const char* DescribeChainEnd(ChainEnd end) {
    switch (end) {
        case ChainEnd::LastBlock:
            return "complete";
        case ChainEnd::FirstBlockMissing:
            return "its first block is gone";
        case ChainEnd::Unnamed:
            return "a later block is gone";
        case ChainEnd::Loop:
            return "its chain of blocks loops";
        case ChainEnd::PastEnd:
            return "its chain runs past the end of the store";
        case ChainEnd::Stopped:
            return "stopped";
    }
    return "";
}

ChainWalk WalkChain(std::uint32_t offset, const ChainLimits& limits, const BlockReader& read,
                    const BlockSink& sink) {
    ChainWalk walk;
    const std::uint64_t length = limits.length;
    const std::uint64_t limit = limits.limit ? limits.limit : length;
    std::int64_t readSize = kBlockDataSize;
    if (offset + std::uint64_t(kBlockDataSize) > limit) readSize = std::int64_t(limit - offset);

    std::unordered_set<std::uint64_t> visited;
    std::uint8_t data[kBlockDataSize];
    std::uint64_t p = offset;
    walk.position = p;
    while (p < limit) {
        // A first read shorter than a block header cannot be taken as one.
        if (readSize < std::int64_t(kBlockHeaderSize)) break;
        if (p + std::uint64_t(readSize) >= length) break;
        std::uint8_t header[kBlockHeaderSize];
        if (!read(p, header, sizeof header)) break;
        if (LoadU32(header) != p) {
            walk.end = walk.blocks == 0 ? ChainEnd::FirstBlockMissing : ChainEnd::Unnamed;
            break;
        }
        if (!visited.insert(p).second || walk.bytes > length) {
            walk.end = ChainEnd::Loop;
            break;
        }
        std::uint32_t dataLength = LoadU32(header + layout::kBlockDataLengthAt);
        if (dataLength == 0 || dataLength > kBlockDataSize) dataLength = kBlockDataSize;
        const std::uint32_t next = LoadU32(header + layout::kBlockNextAt);
        const bool freed = LoadU32(header + layout::kBlockSizeWordAt) == kFreedBlockSizeWord;
        readSize = dataLength;
        p += kBlockHeaderSize;
        if (p + dataLength >= length) break;
        if (!read(p, data, dataLength)) break;
        ++walk.blocks;
        std::size_t kept = dataLength;
        if (limits.trimFreedTail && freed && next == 0) {
            while (kept > 0 && data[kept - 1] == 0) --kept;
        }
        walk.bytes += kept;
        if (!sink(data, kept)) {
            walk.end = ChainEnd::Stopped;
            break;
        }
        if (next == 0) {
            p += dataLength;
            walk.end = ChainEnd::LastBlock;
            break;
        }
        p = next;
        if (std::uint64_t(next) + dataLength > limit) {
            readSize = std::int64_t(limit) - std::int64_t(next);
        }
        if (readSize <= kShortestRead || next >= limit) break;
    }
    walk.position = p;
    return walk;
}

}  // namespace dbx
