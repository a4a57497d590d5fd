#include "window_reads.h"

#include <algorithm>
#include <cstring>

namespace dbx {

std::size_t WindowReads::Direct(std::uint64_t pos, void* dst, std::size_t n,
                                std::vector<UnreadableRange>* lost) const {
    if (positions_ == Positions::File) {
        return file_.ReadFile(pos, static_cast<char*>(dst), n, lost);
    }
    return file_.ReadAt(pos, dst, n, lost);
}

std::size_t WindowReads::ReadAt(std::uint64_t pos, void* dst, std::size_t n,
                                std::vector<UnreadableRange>* lost) {
    if (n == 0 || n > window_.size() / 2) return Direct(pos, dst, n, lost);
    if (!Holds(pos, n)) {
        lost_.clear();
        begin_ = pos;
        got_ = Direct(pos, window_.data(), window_.size(), &lost_);
        if (!Holds(pos, n)) return Direct(pos, dst, n, lost);
    }
    std::memcpy(dst, window_.data() + (pos - begin_), n);
    if (lost) {
        for (const UnreadableRange& r : lost_) {
            const std::uint64_t from = std::max(r.begin, pos);
            const std::uint64_t to = std::min(r.End(), pos + n);
            if (from < to) lost->push_back({from, to - from, r.error});
        }
    }
    return n;
}

}  // namespace dbx
