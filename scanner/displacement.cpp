#include "displacement.h"

#include <algorithm>
#include <map>
#include <vector>

#include "chain_walk.h"
#include "little_endian.h"

namespace dbx {
namespace {

constexpr std::size_t kStretch = 1 << 20;
constexpr int kStretches = 16;
constexpr std::size_t kEnoughVotes = 256;
constexpr std::size_t kLeastVotes = 3;

bool LooksLikeBlock(const std::uint8_t* p) {
    return LoadU32(p) != 0 && LooksLikeBlockHeader(p);
}

}  // namespace

DisplacementFinding FindDisplacement(const StoreFile& file) {
    const std::uint64_t length = file.FileLength();
    std::map<std::int64_t, std::size_t> votes;
    DisplacementFinding finding;
    std::vector<std::uint8_t> bytes(kStretch);
    const std::uint64_t step = std::max<std::uint64_t>(kStretch, length / kStretches);
    for (int s = 0; s < kStretches && finding.seen < kEnoughVotes; ++s) {
        const std::uint64_t at = step * std::uint64_t(s);
        if (at >= length) break;
        const std::size_t got =
            file.ReadFile(at, reinterpret_cast<char*>(bytes.data()), bytes.size());
        if (got < kBlockHeaderSize) continue;
        for (std::size_t i = 0; i + kBlockHeaderSize <= got && finding.seen < kEnoughVotes; ++i) {
            // The size word's 0x01/0x02 byte at i + 5 rules out nearly every offset at once.
            const std::uint8_t b = bytes[i + 5];
            if ((b != 0x02 && b != 0x01) || !LooksLikeBlock(bytes.data() + i)) continue;
            const std::int64_t d = std::int64_t(LoadU32(bytes.data() + i)) - std::int64_t(at + i);
            ++votes[d];
            ++finding.seen;
        }
    }
    for (const auto& [d, count] : votes) {
        if (count > finding.agreeing) {
            finding.agreeing = count;
            finding.displacement = d;
        }
    }
    if (finding.agreeing < kLeastVotes || finding.agreeing * 2 <= finding.seen) {
        finding.displacement = 0;
    }
    return finding;
}

}  // namespace dbx
