#include "displacement.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <vector>

#include "chain_walk.h"
#include "little_endian.h"
#include "store_layout.h"

namespace dbx {
namespace {

using namespace layout;

constexpr std::size_t kStretch = 1 << 20;
constexpr int kStretches = 16;
// Links whose far end lies outside the stretch are followed in the file up to this many times.
constexpr std::size_t kFarReads = 4096;
// Record tables longer than this are not looked into.
constexpr std::uint32_t kMostEntries = 64;
constexpr std::size_t kLeastAgreeing = 2;
constexpr std::uint8_t kStoreMagic[] = {0xCF, 0xAD, 0x12, 0xFE};

bool LooksLikeBlock(const std::uint8_t* p) {
    return LoadU32(p) != 0 && LooksLikeBlockHeader(p);
}

// One stretch of the file and the means to look past it.
class Stretch {
  public:
    Stretch(const StoreFile& file, std::size_t& farReads)
        : file_(file), farReads_(farReads), bytes_(kStretch) {}

    bool Load(std::uint64_t at) {
        at_ = at;
        size_ = file_.ReadFile(at, reinterpret_cast<char*>(bytes_.data()), bytes_.size());
        return size_ >= kBlockHeaderSize;
    }
    std::uint64_t At() const { return at_; }
    std::size_t Size() const { return size_; }
    const std::uint8_t* Bytes() const { return bytes_.data(); }

    // The `n` bytes at file position `pos`, from the stretch or (a bounded number of times)
    // from the file; null when they cannot be had.
    const std::uint8_t* Get(std::int64_t pos, std::size_t n) {
        if (pos < 0) return nullptr;
        const auto p = std::uint64_t(pos);
        if (p >= at_ && p - at_ <= size_ && n <= size_ - (p - at_))
            return bytes_.data() + (p - at_);
        if (n > sizeof far_ || farReads_ == 0) return nullptr;
        --farReads_;
        if (file_.ReadFile(p, reinterpret_cast<char*>(far_), n) != n) return nullptr;
        return far_;
    }

    // The block that `pos` names lies in the file at pos - d.
    bool BlockAt(std::uint32_t pos, std::int64_t d) {
        const std::uint8_t* p = Get(std::int64_t(pos) - d, kBlockHeaderSize);
        return p && LoadU32(p) == pos && LooksLikeBlock(p);
    }

  private:
    const StoreFile& file_;
    std::size_t& farReads_;
    std::vector<std::uint8_t> bytes_;
    std::uint64_t at_ = 0;
    std::size_t size_ = 0;
    std::uint8_t far_[kBlockHeaderSize];
};

// The first block of the message that the record at `i` of the stretch names, when it is where
// the record, read at displacement d, says; else 0.
std::uint32_t RecordLeadsToBlock(Stretch& s, std::size_t i, std::int64_t d) {
    const std::uint8_t* header = s.Bytes() + i;
    const std::uint32_t count = header[kRecordEntryCountAt];
    if (count == 0 || count > kMostEntries) return false;
    const std::size_t table = i + kRecordHeaderSize;
    if (table + count * kEntrySize > s.Size()) return false;
    for (std::uint32_t e = 0; e < count; ++e) {
        const std::uint32_t entry = LoadU32(s.Bytes() + table + e * kEntrySize);
        std::uint32_t offset = entry >> 8;
        if ((entry & 0xFF) == kPropMessageOffsetStored) {
            const std::uint8_t* word =
                s.Get(std::int64_t(s.At() + table + count * kEntrySize + offset), 4);
            if (!word) return 0;
            offset = LoadU32(word);
        } else if ((entry & 0xFF) != kPropMessageOffsetDirect) {
            continue;
        }
        return offset != 0 && s.BlockAt(offset, d) ? offset : 0;
    }
    return 0;
}

// Records count once per first block, and first blocks that share a block span (look-alikes
// packed together) once between them.
bool NewFirstBlock(std::set<std::uint32_t>& firstBlocks, std::uint32_t block) {
    const auto after = firstBlocks.lower_bound(block);
    if (after != firstBlocks.end() && *after - block < kBlockSpan) return false;
    if (after != firstBlocks.begin() && block - *std::prev(after) < kBlockSpan) return false;
    firstBlocks.insert(after, block);
    return true;
}

}  // namespace

DisplacementFinding FindDisplacement(const StoreFile& file) {
    const std::uint64_t length = file.FileLength();
    std::map<std::int64_t, std::size_t> agreeing;
    // Blocks take 0x210 bytes whatever data they hold: of look-alikes packed closer (as a mail
    // can carry them), one counts per block span.
    std::map<std::int64_t, std::uint64_t> lastBlock;
    std::map<std::int64_t, std::set<std::uint32_t>> firstBlocks;
    DisplacementFinding finding;
    std::size_t farReads = kFarReads;
    Stretch s(file, farReads);
    const std::uint64_t step = std::max<std::uint64_t>(kStretch, length / kStretches);
    // The records of each stretch are looked at for the displacements its blocks suggest.
    std::vector<std::int64_t> suggested;
    for (int n = 0; n < kStretches; ++n) {
        const std::uint64_t at = step * std::uint64_t(n);
        if (at >= length || !s.Load(at)) break;
        if (at == 0 && std::equal(std::begin(kStoreMagic), std::end(kStoreMagic), s.Bytes())) {
            ++agreeing[0];  // the store's own header, at its place
        }
        suggested.assign(1, 0);
        for (std::size_t i = 0; i + kBlockHeaderSize <= s.Size(); ++i) {
            // The size word's 0x01/0x02 byte at i + 5 rules out nearly every offset at once.
            const std::uint8_t b = s.Bytes()[i + 5];
            if ((b != 0x02 && b != 0x01) || !LooksLikeBlock(s.Bytes() + i)) continue;
            ++finding.seen;
            const std::uint32_t self = LoadU32(s.Bytes() + i);
            const std::int64_t d = std::int64_t(self) - std::int64_t(at + i);
            const std::uint32_t next = LoadU32(s.Bytes() + i + kBlockNextAt);
            if (next == 0 || next == self) continue;
            const auto last = lastBlock.find(d);
            if (last != lastBlock.end() && at + i < last->second + kBlockSpan) continue;
            if (!s.BlockAt(next, d)) continue;
            lastBlock[d] = at + i;
            ++agreeing[d];
            if (std::find(suggested.begin(), suggested.end(), d) == suggested.end() &&
                suggested.size() < 8) {
                suggested.push_back(d);
            }
        }
        for (std::size_t i = 0; i + kRecordHeaderSize <= s.Size(); ++i) {
            const std::uint8_t count = s.Bytes()[i + kRecordEntryCountAt];
            if (count == 0 || count > kMostEntries) continue;
            const std::int64_t d = std::int64_t(LoadU32(s.Bytes() + i)) - std::int64_t(at + i);
            if (std::find(suggested.begin(), suggested.end(), d) == suggested.end()) continue;
            const std::uint32_t block = RecordLeadsToBlock(s, i, d);
            if (block && NewFirstBlock(firstBlocks[d], block)) ++agreeing[d];
        }
    }
    if (agreeing.count(0)) {
        finding.agreeing = agreeing[0];
        return finding;
    }
    std::size_t runnerUp = 0;
    for (const auto& [d, count] : agreeing) {
        if (count > finding.agreeing) {
            runnerUp = finding.agreeing;
            finding.agreeing = count;
            finding.displacement = d;
        } else {
            runnerUp = std::max(runnerUp, count);
        }
    }
    if (finding.agreeing < kLeastAgreeing || finding.agreeing == runnerUp) {
        finding.displacement = 0;
        finding.agreeing = 0;
    }
    return finding;
}

}  // namespace dbx
