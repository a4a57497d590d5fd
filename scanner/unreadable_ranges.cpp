#include "unreadable_ranges.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace dbx {

void UnreadableRanges::Add(std::uint64_t begin, std::uint64_t length, int error) {
    if (length == 0) return;
    std::uint64_t end = begin + length;
    std::lock_guard lock(mutex_);
    int known = 0;
    if (CoversLocked(begin, end, known)) return;
    // The first kept range that touches or overlaps [begin, end).
    auto it = kept_.upper_bound(begin);
    if (it != kept_.begin()) {
        auto before = std::prev(it);
        if (before->second.end > begin ||
            (before->second.end == begin && before->second.error == error)) {
            it = before;
        }
    }
    const bool joins =
        it != kept_.end() && (it->first < end || (it->first == end && it->second.error == error));
    if (!joins && kept_.size() >= kKeptRanges) {
        ++extraRanges_;
        extraBytes_ += length;
        recentExtra_.push_back({begin, length, error});
        if (recentExtra_.size() > kRecentExtra) recentExtra_.pop_front();
        return;
    }
    int firstError = error;
    while (it != kept_.end() &&
           (it->first < end || (it->first == end && it->second.error == error))) {
        if (it->first < begin) {
            firstError = it->second.error;
            begin = it->first;
        }
        end = std::max(end, it->second.end);
        keptBytes_ -= it->second.end - it->first;
        it = kept_.erase(it);
    }
    kept_[begin] = {end, firstError};
    keptBytes_ += end - begin;
}

bool UnreadableRanges::CoversLocked(std::uint64_t begin, std::uint64_t end, int& error) const {
    auto it = kept_.upper_bound(begin);
    if (it != kept_.begin()) {
        --it;
        // Merged ranges may hold touching parts with different errors: walk them.
        std::uint64_t at = begin;
        error = it->second.error;
        while (it != kept_.end() && it->first <= at && it->second.end > at) {
            at = it->second.end;
            if (at >= end) return true;
            ++it;
        }
    }
    for (const UnreadableRange& r : recentExtra_) {
        if (r.begin <= begin && r.End() >= end) {
            error = r.error;
            return true;
        }
    }
    return false;
}

bool UnreadableRanges::Covers(std::uint64_t begin, std::uint64_t length, int& error) const {
    std::lock_guard lock(mutex_);
    return length > 0 && CoversLocked(begin, begin + length, error);
}

std::vector<UnreadableRange> UnreadableRanges::Ranges() const {
    std::lock_guard lock(mutex_);
    std::vector<UnreadableRange> out;
    out.reserve(kept_.size());
    for (const auto& [begin, tail] : kept_) out.push_back({begin, tail.end - begin, tail.error});
    return out;
}

std::size_t UnreadableRanges::Count() const {
    std::lock_guard lock(mutex_);
    return kept_.size() + extraRanges_;
}

std::uint64_t UnreadableRanges::Bytes() const {
    std::lock_guard lock(mutex_);
    return keptBytes_ + extraBytes_;
}

std::string DescribeUnreadable(const UnreadableRange& range) {
    char at[24];
    const int n =
        std::snprintf(at, sizeof at, "0x%llx", static_cast<unsigned long long>(range.begin));
    return "could not read " + std::to_string(range.length) + " bytes at " +
           std::string(at, n > 0 ? std::size_t(n) : 0) + ": " + std::strerror(range.error);
}

}  // namespace dbx
