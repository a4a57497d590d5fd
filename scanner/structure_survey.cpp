#include "structure_survey.h"

#include <algorithm>
#include <iterator>
#include <set>

#include "chain_walk.h"
#include "little_endian.h"
#include "store_layout.h"
#include "survey_stretches.h"

namespace dbx {
namespace {

using namespace layout;

constexpr std::size_t kStretch = 1 << 20;
constexpr int kStretches = 16;
// Links whose far end lies outside the stretch are followed in the file up to this many times.
constexpr std::size_t kFarReads = 4096;
// Record tables longer than this are not looked into.
constexpr std::uint32_t kMostEntries = 64;
constexpr std::uint8_t kHeaderStart[] = {0xCF, 0xAD, 0x12, 0xFE, 0xC5, 0xFD, 0x74, 0x6F, 0x66, 0xE3,
                                         0xD1, 0x11, 0x9A, 0x4E, 0x00, 0xC0, 0x4F, 0xA3, 0x09, 0xD4,
                                         0x05, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
// Agreeing structures kept per group to test it against the others.
constexpr std::size_t kSamples = 64;
constexpr std::size_t kMostSurveyed = 65536;
// Agreeing structures of one displacement this far apart are two pieces: a store's own lie
// closer (a piece of a fragmented file is at most a few MiB, and within a store some
// structure agrees every few blocks).
constexpr std::uint64_t kExtentGap = 64 << 10;
constexpr std::size_t kMostExtents = 16;
// Block positions kept for the copy tests (8 bytes each); past them a copy is looked for by
// reading.
constexpr std::size_t kMostBlockPositions = std::size_t(1) << 23;
constexpr std::uint64_t kSectorSize = 512;
// Displacements of block headers per stretch that records are tried against.
constexpr std::size_t kMostBlockGroups = 16;

bool LooksLikeBlock(const std::uint8_t* p) {
    return LoadU32(p) != 0 && LooksLikeBlockHeader(p);
}

// One stretch of the file and the means to look past it.
class Stretch {
  public:
    Stretch(const StoreFile& file, std::size_t& farReads, const LoadedStretch& loaded)
        : file_(file), farReads_(farReads), loaded_(loaded) {}

    std::uint64_t At() const { return loaded_.at; }
    std::size_t Size() const { return loaded_.size; }
    const std::uint8_t* Bytes() const { return loaded_.bytes.data(); }

    // The `n` bytes at file position `pos`, from the stretch or (a bounded number of times)
    // from the file; null when they cannot be had.
    const std::uint8_t* Get(std::int64_t pos, std::size_t n) {
        if (pos < 0) return nullptr;
        const auto p = std::uint64_t(pos);
        if (p >= At() && p - At() <= Size() && n <= Size() - (p - At())) {
            return Bytes() + (p - At());
        }
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
    const LoadedStretch& loaded_;
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

void KeepSample(Survey& survey, std::int64_t d, std::uint64_t at, std::uint32_t self, bool block) {
    std::vector<Sample>& kept = survey.samples[d];
    if (kept.size() < kSamples) kept.push_back({at, self, block});
}

void Keep(Survey& survey, std::int64_t d, std::uint64_t at, std::uint32_t self,
          bool block = false) {
    // Memory grows with what is found, within a bound whatever the input holds.
    if (survey.agreeing.size() >= kMostSurveyed && !survey.agreeing.count(d)) return;
    ++survey.agreeing[d];
    std::vector<Extent>& extents = survey.extents[d];
    // The extent that holds `self` or lies within a gap of it, else the nearest once there
    // are many.
    Extent* near = nullptr;
    std::uint64_t nearest = UINT64_MAX;
    for (Extent& e : extents) {
        const std::uint64_t distance = self < e.first  ? e.first - self
                                       : self > e.last ? self - e.last
                                                       : 0;
        if (distance < nearest) {
            nearest = distance;
            near = &e;
        }
    }
    if (!near || (nearest > kExtentGap && extents.size() < kMostExtents)) {
        extents.push_back({self, self, 1});
        return KeepSample(survey, d, at, self, block);
    }
    near->first = std::min(near->first, self);
    near->last = std::max(near->last, self);
    ++near->agreeing;
    // Grown, it may now reach another: they are one.
    for (auto e = extents.begin(); e != extents.end(); ++e) {
        if (&*e == near) continue;
        if (std::uint64_t(e->first) <= std::uint64_t(near->last) + kExtentGap &&
            std::uint64_t(near->first) <= std::uint64_t(e->last) + kExtentGap) {
            near->first = std::min(near->first, e->first);
            near->last = std::max(near->last, e->last);
            near->agreeing += e->agreeing;
            extents.erase(e);
            break;
        }
    }
    KeepSample(survey, d, at, self, block);
}

// The looks of one stretch, in the order of its offsets: its blocks first, then its records
// for the displacements its blocks suggest.
class StretchSurvey {
  public:
    StretchSurvey(const StoreFile& file, Survey& survey, bool whole)
        : file_(file), survey_(survey), whole_(whole) {}

    void Look(const LoadedStretch& loaded) {
        Stretch s(file_, farReads_, loaded);
        const std::uint64_t at = s.At();
        if (at == 0 && LoadU32(s.Bytes()) == layout::kStoreMagic) {
            Keep(survey_, 0, 0, 0);  // the store's own header, at its place
            ++survey_.storeHeaders;
        } else if (whole_) {
            LookForHeaders(s);
        }
        suggested_.assign(1, 0);
        blockGroups_.clear();
        for (const std::uint32_t i : loaded.candidates.blocks) LookAtBlock(s, i);
        if (!loaded.candidates.everyOffset) {
            for (const std::uint32_t i : loaded.candidates.records) LookAtRecord(s, i);
            return;
        }
        const std::size_t stride = whole_ ? 4 : 1;
        for (std::size_t i = 0; i + kRecordHeaderSize <= s.Size(); i += stride) {
            LookAtRecord(s, i);
        }
    }

  private:
    // A store's header at a sector of an image: its first 28 bytes are always the same, worth
    // as much as two structures that agree.
    void LookForHeaders(Stretch& s) {
        const std::uint64_t at = s.At();
        for (std::size_t i = (kSectorSize - at % kSectorSize) % kSectorSize;
             i + sizeof kHeaderStart <= s.Size(); i += kSectorSize) {
            if (!std::equal(std::begin(kHeaderStart), std::end(kHeaderStart), s.Bytes() + i)) {
                continue;
            }
            const std::int64_t d = -std::int64_t(at + i);
            if (survey_.agreeing.count(d) == 0) {
                Keep(survey_, d, at + i, 0);
                Keep(survey_, d, at + i, 0);
                ++survey_.storeHeaders;
            }
        }
    }

    void LookAtBlock(Stretch& s, std::size_t i) {
        const std::uint64_t at = s.At();
        ++survey_.seen;
        std::vector<std::uint64_t>& known = survey_.blockPositions;
        if (known.empty() || known.back() < at + i) {
            if (known.size() < kMostBlockPositions) {
                known.push_back(at + i);
            } else {
                survey_.blocksKnown = false;
            }
        }
        const std::uint32_t self = LoadU32(s.Bytes() + i);
        const std::int64_t d = std::int64_t(self) - std::int64_t(at + i);
        if (std::find(blockGroups_.begin(), blockGroups_.end(), d) == blockGroups_.end() &&
            blockGroups_.size() < kMostBlockGroups) {
            blockGroups_.push_back(d);
        }
        const std::uint32_t next = LoadU32(s.Bytes() + i + kBlockNextAt);
        if (next == 0 || next == self) return;
        const auto last = lastBlock_.find(d);
        if (last != lastBlock_.end() && at + i < last->second + kBlockSpan) return;
        if (!s.BlockAt(next, d)) return;
        lastBlock_[d] = at + i;
        Keep(survey_, d, at + i, self, true);
        if (std::find(suggested_.begin(), suggested_.end(), d) == suggested_.end() &&
            suggested_.size() < 8) {
            suggested_.push_back(d);
        }
    }

    void LookAtRecord(Stretch& s, std::size_t i) {
        const std::uint64_t at = s.At();
        // The self offset first: it rules out nearly every position the same way each time,
        // where the entry count would pass one in four of random bytes.
        const std::uint32_t self = LoadU32(s.Bytes() + i);
        const std::int64_t d = std::int64_t(self) - std::int64_t(at + i);
        if (std::find(suggested_.begin(), suggested_.end(), d) == suggested_.end()) return;
        const std::uint8_t count = s.Bytes()[i + kRecordEntryCountAt];
        if (count == 0 || count > kMostEntries) return;
        std::uint32_t block = RecordLeadsToBlock(s, i, d);
        std::int64_t blocksAt = d;
        // A message whose blocks were moved apart from its record: the record leads to them
        // where they lie, and speaks for their group.
        for (std::size_t k = 0; !block && k < blockGroups_.size(); ++k) {
            if (blockGroups_[k] == d) continue;
            blocksAt = blockGroups_[k];
            block = RecordLeadsToBlock(s, i, blocksAt);
        }
        if (block && NewFirstBlock(firstBlocks_[blocksAt], block)) {
            Keep(survey_, blocksAt, at + i, self);
        }
    }

    const StoreFile& file_;
    Survey& survey_;
    const bool whole_;
    std::size_t farReads_ = kFarReads;
    // Blocks take 0x210 bytes whatever data they hold: of look-alikes packed closer (as a mail
    // can carry them), one counts per block span.
    std::map<std::int64_t, std::uint64_t> lastBlock_;
    std::map<std::int64_t, std::set<std::uint32_t>> firstBlocks_;
    // The records of each stretch are looked at for the displacements its blocks suggest.
    std::vector<std::int64_t> suggested_;
    std::vector<std::int64_t> blockGroups_;  // displacements of the stretch's block headers
};

}  // namespace

Survey SurveyFile(const StoreFile& file, bool whole, const std::atomic<int>* stop,
                  const std::function<void(const Survey&, std::uint64_t end)>& looked) {
    const std::uint64_t length = file.FileLength();
    Survey survey;
    StretchSurvey looks(file, survey, whole);
    // Stretches overlap by more than a block, at sector steps.
    const std::uint64_t step =
        whole ? kStretch - 2 * kSectorSize : std::max<std::uint64_t>(kStretch, length / kStretches);
    std::vector<std::uint64_t> starts;
    std::uint64_t at = 0;
    for (std::uint64_t n = 0; whole || n < std::uint64_t(kStretches); ++n, at += step) {
        // A hole of a sparse image holds nothing: on from the data after it.
        if (whole) at = std::max(at, file.NextData(at) / kSectorSize * kSectorSize);
        if (at >= length) break;
        starts.push_back(at);
    }
    StretchPlan plan;
    plan.length = kStretch;
    // Blocks and records lie at multiples of 4 in a store, and an image holds stores at
    // sectors: there only every fourth position can hold one. A file's bytes may have been
    // shifted by any count.
    plan.stride = whole ? 4 : 1;
    plan.least = kBlockHeaderSize;
    plan.stop = stop;
    survey.blocksKnown = whole;
    std::uint64_t told = 0;
    const bool everyStretch = ForEachStretch(file, plan, starts, [&](const LoadedStretch& s) {
        looks.Look(s);
        told = s.at + s.size;
        if (looked) looked(survey, told);
        return true;
    });
    // The holes after the last data were surveyed too.
    if (everyStretch && looked && told < length) looked(survey, length);
    survey.readWhole = whole && everyStretch;
    survey.blocksKnown = survey.blocksKnown && survey.readWhole;
    if (!survey.blocksKnown) survey.blockPositions = {};
    return survey;
}

}  // namespace dbx
