#include "group_links.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "store_pieces.h"

namespace dbx {
namespace {

// Passes over the links that several groups could take: each may rule out candidates for the
// next, and a few are all it takes on the images tried.
constexpr int kSettlingPasses = 4;
// A link that more groups could take is not worth reading: the text settles few of them.
constexpr std::size_t kMostHoldersRead = 8;
// Whole lines of one length a block's text must hold before its lines are taken as evidence.
constexpr std::size_t kLeastLines = 3;

// Blocks this close belong to one stretch of a group: records and tree nodes lie between them.
constexpr std::uint64_t kSpanGap = 8 * 1024;

}  // namespace

GroupJoiner::GroupJoiner(const std::vector<BlockIndex>& blocks,
                         const std::vector<std::vector<std::uint32_t>>& bodies, StoreBytes bytes)
    : blocks_(blocks), bytes_(std::move(bytes)), parent_(blocks.size()), spans_(blocks.size()) {
    std::iota(parent_.begin(), parent_.end(), std::size_t(0));
    for (std::size_t g = 0; g < blocks.size(); ++g) {
        for (const BlockIndex::Block& b : blocks[g].Blocks()) {
            const std::uint64_t end = std::uint64_t(b.pos) + kBlockSpan;
            // Two pieces may lie at one displacement by chance: a group names the stretches
            // its blocks cover, not all between its first and last.
            if (!spans_[g].empty() && b.pos <= spans_[g].back().second + kSpanGap) {
                spans_[g].back().second = end;
            } else {
                spans_[g].emplace_back(b.pos, end);
            }
            if (b.next != 0) leads_.push_back({b.next, std::uint32_t(g), b.pos});
            const std::uint32_t following = b.pos + kBlockSpan;
            if (CutInside(b.pos) < b.pos + kBlockHeaderSize && !blocks[g].Find(following)) {
                cutLeads_.push_back({following, std::uint32_t(g), b.pos});
            }
        }
        if (g < bodies.size()) {
            for (std::uint32_t body : bodies[g]) leads_.push_back({body, std::uint32_t(g), 0});
        }
    }
    std::sort(leads_.begin(), leads_.end());
}

std::size_t GroupJoiner::Root(std::size_t g) {
    while (parent_[g] != g) {
        parent_[g] = parent_[parent_[g]];
        g = parent_[g];
    }
    return g;
}

bool GroupJoiner::Overlap(std::size_t rootA, std::size_t rootB) const {
    const auto& a = spans_[rootA];
    const auto& b = spans_[rootB];
    for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        if (a[i].first < b[j].second && b[j].first < a[i].second) return true;
        if (a[i].second <= b[j].second) {
            ++i;
        } else {
            ++j;
        }
    }
    return false;
}

bool GroupJoiner::Join(std::size_t a, std::size_t b) {
    a = Root(a);
    b = Root(b);
    if (a == b) return true;
    if (Overlap(a, b)) return false;
    if (a > b) std::swap(a, b);
    parent_[b] = a;
    auto& into = spans_[a];
    into.insert(into.end(), spans_[b].begin(), spans_[b].end());
    std::sort(into.begin(), into.end());
    spans_[b].clear();
    spans_[b].shrink_to_fit();
    return true;
}

bool GroupJoiner::StoreLeadsTo(std::size_t h, std::size_t from, std::uint32_t pos) {
    const std::size_t root = Root(h);
    auto it = std::lower_bound(leads_.begin(), leads_.end(), Lead{pos, 0, 0});
    for (; it != leads_.end() && it->pos == pos; ++it) {
        if (it->group != from && Root(it->group) == root) return true;
    }
    return false;
}

bool GroupJoiner::NamesNext(std::size_t h, std::uint32_t before, std::uint32_t pos) {
    std::vector<std::uint8_t> next;
    const std::uint64_t at = std::uint64_t(before) + layout::kBlockNextAt;
    return bytes_ && Read(h, at, sizeof pos, next) && LoadU32(next.data()) == pos;
}

void GroupJoiner::JoinByLinks() {
    // Links out of a group, with the groups that hold their block free.
    struct Link {
        std::size_t from;
        std::uint32_t pos;
        std::vector<std::size_t> holders;
        std::uint32_t before = 0;  // the block that leads to `pos` (0: a record does)
        bool weighed = false;      // its text was looked at
    };
    std::vector<std::pair<std::uint32_t, std::uint32_t>> held;  // block position, group
    for (std::size_t g = 0; g < blocks_.size(); ++g) {
        for (const BlockIndex::Block& b : blocks_[g].Blocks()) {
            held.emplace_back(b.pos, std::uint32_t(g));
        }
    }
    std::sort(held.begin(), held.end());
    auto leadsWithin = [&](std::size_t g, std::uint32_t pos) {
        const auto it =
            std::lower_bound(leads_.begin(), leads_.end(), Lead{pos, std::uint32_t(g), 0});
        return it != leads_.end() && it->pos == pos && it->group == g;
    };
    std::vector<Link> open;
    // Every link that leaves its group: the pairs of `leads_` whose position the group lacks.
    auto openLink = [&](const Lead& lead, bool cut) {
        const auto& [pos, from, before] = lead;
        if (blocks_[from].Find(pos)) return;
        Link link{from, pos, {}, before};
        auto it = std::lower_bound(held.begin(), held.end(), std::make_pair(pos, std::uint32_t(0)));
        for (; it != held.end() && it->first == pos; ++it) {
            if (leadsWithin(it->second, pos)) continue;
            if (!cut || NamesNext(it->second, before, pos)) link.holders.push_back(it->second);
        }
        if (link.holders.size() == 1) {
            Join(from, link.holders.front());
        } else if (link.holders.size() > 1) {
            open.push_back(std::move(link));
        }
    };
    for (const Lead& lead : leads_) openLink(lead, false);
    for (const Lead& lead : cutLeads_) openLink(lead, true);
    // A holder whose store cannot take the group, or already leads to the block, is ruled out.
    for (int pass = 0; pass < kSettlingPasses && !open.empty(); ++pass) {
        std::vector<Link> left;
        for (Link& link : open) {
            if (std::any_of(link.holders.begin(), link.holders.end(),
                            [&](std::size_t h) { return Root(h) == Root(link.from); })) {
                continue;
            }
            std::erase_if(link.holders, [&](std::size_t h) {
                return Overlap(Root(h), Root(link.from)) || StoreLeadsTo(h, link.from, link.pos);
            });
            if (link.holders.size() > 1 && link.holders.size() <= kMostHoldersRead &&
                link.before != 0 && bytes_ && !link.weighed) {
                link.weighed = true;
                KeepWhereLinesRunOn(link.from, link.before, link.pos, link.holders);
            }
            if (link.holders.size() == 1) {
                Join(link.from, link.holders.front());
            } else if (link.holders.size() > 1) {
                left.push_back(std::move(link));
            }
        }
        if (left.size() == open.size()) break;
        open = std::move(left);
    }
}

bool GroupJoiner::Read(std::size_t g, std::uint64_t pos, std::size_t n,
                       std::vector<std::uint8_t>& into) {
    const std::size_t at = into.size();
    into.resize(at + n);
    return n == 0 || bytes_(g, pos, std::span(into).subspan(at));
}

void GroupJoiner::KeepWhereLinesRunOn(std::size_t from, std::uint32_t before, std::uint32_t pos,
                                      std::vector<std::size_t>& holders) {
    // What surely comes first: the data of the block before `before` on the chain (when its
    // own group leads there), and of `before` up to where its piece was cut.
    std::vector<std::uint8_t> known;
    const auto lead =
        std::lower_bound(leads_.begin(), leads_.end(), Lead{before, std::uint32_t(from), 0});
    if (lead != leads_.end() && lead->pos == before && lead->group == from && lead->before != 0) {
        if (!Read(from, std::uint64_t(lead->before) + kBlockHeaderSize, kBlockDataSize, known)) {
            return;
        }
    }
    const std::uint64_t data = std::uint64_t(before) + kBlockHeaderSize;
    // A cut inside its header leaves all its data to the holders.
    const std::uint64_t cut = std::max(CutInside(before), data);
    if (!Read(from, data, cut - data, known)) return;
    std::vector<std::size_t> fitting;
    std::vector<std::uint8_t> after;
    for (std::size_t h : holders) {
        after.clear();
        const BlockIndex::Block* next = blocks_[h].Find(pos);
        if (!next || !Read(h, cut, data + kBlockDataSize - cut, after) ||
            !Read(h, std::uint64_t(pos) + kBlockHeaderSize, next->length, after)) {
            return;
        }
        switch (LinesRunOn(known, after)) {
            case LineFit::Unknown:
                return;  // no evidence either way: all stay
            case LineFit::Fits:
                fitting.push_back(h);
                break;
            case LineFit::Breaks:
                break;
        }
    }
    // Only where one holder alone carries the lines on: they may end early where the text
    // does, and so break in the right holder too.
    if (fitting.size() == 1) holders = std::move(fitting);
}

std::vector<std::size_t> GroupJoiner::Stores() {
    std::vector<std::size_t> stores(parent_.size());
    std::vector<std::size_t> numberOfRoot(parent_.size(), parent_.size());
    std::size_t next = 0;
    for (std::size_t g = 0; g < parent_.size(); ++g) {
        const std::size_t root = Root(g);
        if (numberOfRoot[root] == parent_.size()) numberOfRoot[root] = next++;
        stores[g] = numberOfRoot[root];
    }
    return stores;
}

LineFit LinesRunOn(std::span<const std::uint8_t> known, std::span<const std::uint8_t> after) {
    // The line length of `known`: its whole lines (between two line ends) must all share it.
    std::size_t length = 0;
    std::size_t lines = 0;
    std::size_t lastEnd = known.size();
    for (std::size_t i = 0; i < known.size(); ++i) {
        if (known[i] != '\n') continue;
        if (lastEnd != known.size()) {
            const std::size_t line = i - lastEnd;
            if (lines > 0 && line != length) return LineFit::Unknown;
            length = line;
            ++lines;
        }
        lastEnd = i;
    }
    if (lines < kLeastLines) return LineFit::Unknown;
    // Distance from the last line end to the end of `known`, then on through `after`.
    std::size_t run = known.size() - lastEnd;
    for (std::uint8_t b : after) {
        if (b == '\n') {
            if (run != length) return LineFit::Breaks;
            run = 0;
        }
        if (++run > length) return LineFit::Breaks;
    }
    return LineFit::Fits;
}

}  // namespace dbx
