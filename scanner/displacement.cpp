#include "displacement.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "chain_walk.h"
#include "little_endian.h"
#include "store_layout.h"
#include "structure_survey.h"
#include "window_reads.h"

namespace dbx {
namespace {

using namespace layout;

constexpr std::size_t kLeastAgreeing = 2;
constexpr std::size_t kMostGroups = 4096;
// A group's samples tested against the others, and the groups it is tested against as a copy.
constexpr std::size_t kSamplesTested = 16;
constexpr std::size_t kMostCopyTests = 64;
// Bytes compared to tell a copy of a structure from a structure of its own: a whole block
// (two stores of one person may hold blocks whose headers and first lines are alike).
constexpr std::size_t kCopyCompare = kBlockSpan;

bool LooksLikeBlock(const std::uint8_t* p) {
    return LoadU32(p) != 0 && LooksLikeBlockHeader(p);
}

// Whether the structure at `sample` is a copy of the one group `other` holds where the sample's
// named position lies (a stretch copied elsewhere).
bool CopyOf(WindowReads& reads, WindowReads& copies, const Survey& survey, const Sample& sample,
            std::int64_t other) {
    const std::int64_t copyAt = std::int64_t(sample.self) - other;
    if (sample.self == 0 || copyAt < 0 || std::uint64_t(copyAt) == sample.at) return false;
    // A copy of a block is a block where the survey would have seen it.
    if (sample.block && survey.blocksKnown && copyAt % 4 == 0 &&
        !std::binary_search(survey.blockPositions.begin(), survey.blockPositions.end(),
                            std::uint64_t(copyAt))) {
        return false;
    }
    std::uint8_t a[kCopyCompare];
    std::uint8_t b[kCopyCompare];
    return reads.ReadAt(sample.at, a, sizeof a, nullptr) == sizeof a &&
           copies.ReadAt(std::uint64_t(copyAt), b, sizeof b, nullptr) == sizeof b &&
           std::equal(std::begin(a), std::end(a), std::begin(b));
}

// Whether the structure at `sample` (of group `own`) lies inside the data of a block of some
// other displacement: a mail carrying look-alikes.
bool InsideABlock(WindowReads& reads, const Sample& sample, std::int64_t own) {
    const std::uint64_t from = sample.at >= kBlockSpan ? sample.at - kBlockSpan : 0;
    std::vector<std::uint8_t> before(std::size_t(sample.at - from));
    if (before.size() < kBlockHeaderSize) return false;
    before.resize(reads.ReadAt(from, before.data(), before.size(), nullptr));
    for (std::size_t i = 0; i + kBlockHeaderSize <= before.size(); ++i) {
        const std::uint8_t* p = before.data() + i;
        if (!LooksLikeBlock(p)) continue;
        const std::uint64_t q = from + i;
        if (std::int64_t(LoadU32(p)) - std::int64_t(q) == own) continue;
        std::uint32_t data = LoadU32(p + kBlockDataLengthAt);
        if (data == 0 || data > kBlockDataMax) data = kBlockDataMax;
        if (sample.at >= q + kBlockHeaderSize && sample.at < q + kBlockHeaderSize + data) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<DisplacementFinding> FindDisplacements(const StoreFile& file, SurveyReach reach,
                                                   const std::atomic<int>* stop,
                                                   const SurveyObserver& observe) {
    SurveyProgress progress;
    progress.length = file.FileLength();
    auto looked = [&](const Survey& survey, std::uint64_t end) {
        progress.position = std::min(end, progress.length);
        progress.storeHeaders = survey.storeHeaders;
        observe(progress);
    };
    std::function<void(const Survey&, std::uint64_t)> tell;
    if (observe) tell = looked;
    Survey survey = SurveyFile(file, reach == SurveyReach::Whole, stop, tell);
    std::vector<std::pair<std::int64_t, std::size_t>> groups;
    for (const auto& [d, count] : survey.agreeing) {
        // The store's own header counts alone: one at its place needs no second witness.
        if (count >= kLeastAgreeing || d == 0) groups.emplace_back(d, count);
    }
    // A store at its place first, then the best supported.
    std::stable_sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) {
        if ((a.first == 0) != (b.first == 0)) return a.first == 0;
        return a.second > b.second;
    });
    if (groups.size() > kMostGroups) groups.resize(kMostGroups);
    std::vector<DisplacementFinding> accepted;
    // The reads of the tests: those near each other (the samples of a group lie together)
    // come from one window of the file; only where every byte was read already (a whole
    // survey).
    const std::size_t window = survey.readWhole ? 64 * 1024 : 0;
    WindowReads reads(file, window, WindowReads::Positions::File);
    WindowReads copies(file, window, WindowReads::Positions::File);
    std::vector<bool> theirs;
    for (const auto& [d, count] : groups) {
        std::vector<Sample>& samples = survey.samples[d];
        if (samples.size() > kSamplesTested) samples.resize(kSamplesTested);
        theirs.assign(samples.size(), false);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            theirs[i] = InsideABlock(reads, samples[i], d);
        }
        // One other group at a time over all the samples: where it would hold their copies
        // lies together.
        const std::size_t against = std::min(accepted.size(), kMostCopyTests);
        for (std::size_t a = 0; a < against; ++a) {
            for (std::size_t i = 0; i < samples.size(); ++i) {
                if (!theirs[i]) {
                    theirs[i] = CopyOf(reads, copies, survey, samples[i], accepted[a].displacement);
                }
            }
        }
        const auto own = std::size_t(std::count(theirs.begin(), theirs.end(), false));
        // Half its structures or more in mails or copied from another group: no store.
        if (own * 2 <= samples.size()) continue;
        DisplacementFinding finding;
        finding.displacement = d;
        finding.agreeing = count;
        finding.seen = survey.seen;
        const std::vector<Extent>& extents = survey.extents[d];
        // In an image, pieces of different stores may lie at one displacement by chance: each
        // piece far from the others is a group of its own, read over its own stretch.
        const bool apart = survey.readWhole && extents.size() > 1;
        finding.lowest = extents.front().first;
        for (const Extent& e : extents) {
            if (apart) {
                if (e.agreeing < kLeastAgreeing && d != 0) continue;
                DisplacementFinding piece = finding;
                piece.agreeing = e.agreeing;
                piece.lowest = e.first;
                piece.highest = e.last;
                // Halfway across the gaps to the pieces on either side.
                for (const Extent& other : extents) {
                    if (other.first > e.last) {
                        piece.roomTo =
                            std::min(piece.roomTo, (std::uint64_t(e.last) + other.first) / 2);
                    }
                    if (other.last < e.first) {
                        piece.roomFrom =
                            std::max(piece.roomFrom, (std::uint64_t(other.last) + e.first) / 2);
                    }
                }
                accepted.push_back(piece);
            } else {
                finding.lowest = std::min<std::uint64_t>(finding.lowest, e.first);
                finding.highest = std::max<std::uint64_t>(finding.highest, e.last);
            }
        }
        if (!apart) accepted.push_back(finding);
    }
    return accepted;
}

DisplacementFinding FindDisplacement(const StoreFile& file) {
    const Survey survey = SurveyFile(file, false, nullptr);
    DisplacementFinding finding;
    finding.seen = survey.seen;
    if (survey.agreeing.count(0)) {
        finding.agreeing = survey.agreeing.at(0);
        return finding;
    }
    std::size_t runnerUp = 0;
    for (const auto& [d, count] : survey.agreeing) {
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
