#include "group_links.h"

#include <algorithm>
#include <numeric>

namespace dbx {

GroupJoiner::GroupJoiner(std::size_t groups) : parent_(groups) {
    std::iota(parent_.begin(), parent_.end(), std::size_t(0));
}

std::size_t GroupJoiner::Root(std::size_t g) {
    while (parent_[g] != g) {
        parent_[g] = parent_[parent_[g]];
        g = parent_[g];
    }
    return g;
}

void GroupJoiner::Join(std::size_t a, std::size_t b) {
    a = Root(a);
    b = Root(b);
    if (a != b) parent_[std::max(a, b)] = std::min(a, b);
}

void GroupJoiner::JoinByChains(std::vector<BlockIndex>& blocks) {
    // Every block of every group by the position it names: eight bytes a block.
    struct Named {
        std::uint32_t pos;
        std::uint32_t group;
    };
    std::vector<Named> all;
    for (std::size_t g = 0; g < blocks.size(); ++g) {
        for (const BlockIndex::Block& b : blocks[g].Blocks()) {
            all.push_back({b.pos, std::uint32_t(g)});
        }
    }
    auto byPos = [](const Named& a, const Named& b) { return a.pos < b.pos; };
    std::sort(all.begin(), all.end(), byPos);
    for (std::size_t g = 0; g < blocks.size(); ++g) {
        for (const BlockIndex::Block& b : blocks[g].Blocks()) {
            if (b.next == 0 || blocks[g].Find(b.next)) continue;
            const auto [from, to] =
                std::equal_range(all.begin(), all.end(), Named{b.next, 0}, byPos);
            if (to - from == 1) Join(g, from->group);
        }
    }
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

}  // namespace dbx
