#include "piece_map.h"

#include <algorithm>
#include <limits>

namespace dbx {

void PieceMap::Add(std::uint64_t begin, std::uint64_t end, std::int64_t displacement) {
    if (begin < end) ranges_.push_back({begin, end, displacement});
}

void PieceMap::Finish() {
    std::stable_sort(ranges_.begin(), ranges_.end(),
                     [](const Range& a, const Range& b) { return a.begin < b.begin; });
    std::vector<Range> kept;
    for (Range r : ranges_) {
        if (!kept.empty()) {
            Range& last = kept.back();
            if (r.begin < last.end) r.begin = last.end;  // claimed already
            if (r.begin >= r.end) continue;
            if (r.begin == last.end && r.displacement == last.displacement) {
                last.end = r.end;
                continue;
            }
        }
        kept.push_back(r);
    }
    ranges_ = std::move(kept);
}

std::int64_t PieceMap::At(std::uint64_t pos, std::int64_t fallback, std::uint64_t& runEnd) const {
    auto it = std::upper_bound(ranges_.begin(), ranges_.end(), pos,
                               [](std::uint64_t p, const Range& r) { return p < r.begin; });
    if (it != ranges_.begin() && pos < std::prev(it)->end) {
        runEnd = std::prev(it)->end;
        return std::prev(it)->displacement;
    }
    runEnd = it == ranges_.end() ? std::numeric_limits<std::uint64_t>::max() : it->begin;
    return fallback;
}

}  // namespace dbx
