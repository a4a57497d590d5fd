#include "loose_search.h"

#include <algorithm>
#include <cstring>

#include "stop_flag.h"

namespace dbx {
namespace {

constexpr std::size_t kSearchChunk = 16 * 1024;
// A search mostly ends soon after it starts: reads start small and grow.
constexpr std::size_t kFirstChunk = 256;
constexpr std::size_t kSearchPollChunks = 16;  // a stop is seen within 256 KiB of full reads

}  // namespace

AddressSearch::Pass AddressSearch::NewPass(std::int64_t r, std::uint32_t sender,
                                           std::uint32_t recipient) {
    Pass pass;
    pass.sender = sender;
    pass.recipient = recipient;
    pass.from = r;
    pass.to = r;
    return pass;
}

void AddressSearch::Forget() {
    passes_.clear();
    texts_.Forget();
}

AddressSearch::Pass& AddressSearch::PassFor(std::int64_t r, std::uint32_t sender,
                                            std::uint32_t recipient) {
    const std::uint64_t key = std::uint64_t(sender) << 32 | recipient;
    auto same = passes_.find(key);
    if (same == passes_.end()) {
        if (passes_.size() >= kKeptPasses) {
            passes_.erase(std::min_element(
                passes_.begin(), passes_.end(),
                [](const auto& a, const auto& b) { return a.second.used < b.second.used; }));
        }
        same = passes_.emplace(key, NewPass(r, sender, recipient)).first;
    } else if (r < same->second.from) {
        // A search behind the pass (the other thread's stretch): start it again.
        same->second = NewPass(r, sender, recipient);
    }
    Pass& pass = same->second;
    pass.used = ++uses_;
    // What lies before `r` is of no use to this search or to any later one.
    pass.passed.erase(pass.passed.begin(), pass.passed.upper_bound(r));
    pass.from = r;
    return pass;
}

bool AddressSearch::Weigh(std::int64_t zero, std::uint32_t sender, std::uint32_t recipient) {
    const std::int64_t candidate = zero + 1 - std::int64_t(sender);
    return texts_.IsAddress(candidate, sender) && texts_.IsAddress(candidate, recipient);
}

bool AddressSearch::Advance(Pass& pass, std::int64_t r, std::int64_t last) {
    std::uint8_t chunk[kSearchChunk];
    std::size_t chunks = 0;
    std::size_t size = kFirstChunk;
    while (pass.to <= last) {
        if (++chunks % kSearchPollChunks == 0 && StopRequested(stop_)) return false;
        const auto want =
            std::size_t(std::min<std::int64_t>(std::int64_t(size), last + 1 - pass.to));
        size = std::min(2 * size, kSearchChunk);
        const std::size_t got = source_.Read(std::uint64_t(pass.to), chunk, want);
        if (got == 0) return false;
        examined_ += got;
        // Segments end at a 0 byte; only their first at sign can name a new candidate.
        for (std::size_t i = 0; i < got;) {
            const auto* zero = static_cast<const std::uint8_t*>(std::memchr(chunk + i, 0, got - i));
            const std::size_t segmentEnd = zero ? std::size_t(zero - chunk) : got;
            if (pass.zeroAt >= 0 && pass.zeroAt != pass.weighed) {
                if (const auto* at = static_cast<const std::uint8_t*>(
                        std::memchr(chunk + i, '@', segmentEnd - i))) {
                    pass.weighed = pass.zeroAt;
                    const bool passes = Weigh(pass.zeroAt, pass.sender, pass.recipient);
                    if (texts_.Stopped()) return false;
                    if (passes && pass.zeroAt > r) {
                        const std::int64_t atSign = pass.to + (at - chunk);
                        pass.passed.emplace(pass.zeroAt, atSign);
                        pass.to = atSign + 1;
                        return true;
                    }
                }
            }
            if (!zero) break;
            if (pass.to + std::int64_t(segmentEnd) > pass.from) {
                pass.zeroAt = pass.to + std::int64_t(segmentEnd);
            }
            i = segmentEnd + 1;
        }
        pass.to += std::int64_t(got);
    }
    return true;
}

bool AddressSearch::Find(std::int64_t r, std::int64_t last, std::uint32_t sender,
                         std::uint32_t recipient, std::int64_t& dataArea) {
    if (last < r) return false;
    texts_.Trim(std::uint64_t(r));
    Pass& pass = PassFor(r, sender, recipient);
    // The pass weighs 0 bytes at or before `r` too: those are never taken, and the ones
    // after `r` come in the same order as a search of its own would weigh them.
    while (pass.passed.empty() && pass.to <= last) {
        if (!Advance(pass, r, last)) {
            Forget();
            return false;
        }
    }
    if (pass.passed.empty()) return false;
    // The first 0 byte after `r` that passed; every one before it failed. Its at sign must be
    // within reach of this search, and all later ones lie further still.
    const auto first = pass.passed.begin();
    if (first->second > last) return false;
    dataArea = first->first + 1 - std::int64_t(sender);
    return !StopRequested(stop_);
}

}  // namespace dbx
