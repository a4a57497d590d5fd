#include "loose_search.h"

#include <algorithm>

#include "stop_flag.h"

namespace dbx {
namespace {

constexpr std::size_t kSearchChunk = 16 * 1024;
// A search mostly ends soon after it starts: reads start small and grow.
constexpr std::size_t kFirstChunk = 256;
constexpr std::uint64_t kPollBytes = 256 * 1024;
constexpr std::uint64_t kPollStarts = 4096;

}  // namespace

AddressSearch::Read AddressSearch::Next(Reading& reading, std::int64_t last, Start& start) {
    std::uint8_t chunk[kSearchChunk];
    std::size_t size = kFirstChunk;
    const auto length = std::int64_t(source_.Length());
    for (;;) {
        // A start's at sign comes after its 0 byte: none from here on is within reach.
        if (reading.ended || ((reading.zero < 0 || reading.at < 0) && reading.pos > last)) {
            return Read::None;
        }
        if (reading.pos >= length) {
            reading.ended = true;
            if (reading.zero < 0 || reading.at < 0 || reading.lastDot < 0) return Read::None;
            start = Start(reading.zero, reading.at, std::min(reading.lastAt, reading.lastDot));
            return Read::Found;
        }
        const std::size_t got = source_.Read(std::uint64_t(reading.pos), chunk, size);
        size = std::min(2 * size, kSearchChunk);
        if (got == 0) return Read::Failed;
        examined_ += got;
        for (std::size_t i = 0; i < got; ++i) {
            const std::int64_t p = reading.pos + std::int64_t(i);
            const std::uint8_t b = chunk[i];
            if (b == 0) {
                const bool complete = reading.zero >= 0 && reading.at >= 0 && reading.lastDot >= 0;
                if (complete) {
                    start =
                        Start(reading.zero, reading.at, std::min(reading.lastAt, reading.lastDot));
                }
                reading.zero = p;
                reading.at = reading.lastAt = reading.lastDot = -1;
                if (complete) {
                    reading.pos = p + 1;
                    return Read::Found;
                }
            } else if (reading.zero >= 0) {
                if (b == '@') {
                    if (reading.at < 0) {
                        if (p > last) {
                            // Left for a search that reaches further.
                            reading.pos = p;
                            return Read::None;
                        }
                        reading.at = p;
                    }
                    reading.lastAt = p;
                } else if (b == '.') {
                    reading.lastDot = p;
                }
            }
        }
        reading.pos += std::int64_t(got);
        sincePoll_ += got;
        if (sincePoll_ >= kPollBytes) {
            sincePoll_ = 0;
            if (StopRequested(stop_)) return Read::Failed;
        }
    }
}

void AddressSearch::DropFirst() {
    ++head_;
    ++dropped_;
    // The ones let go of are erased once they are a quarter of those kept: each is moved a
    // few times at most.
    constexpr std::size_t kErasedAtLeast = 4096;
    if (head_ >= kErasedAtLeast && head_ >= KeptCount() / 4) {
        kept_.erase(kept_.begin(), kept_.begin() + std::ptrdiff_t(head_));
        head_ = 0;
    }
}

void AddressSearch::DropAll() {
    dropped_ += KeptCount();
    kept_.clear();
    head_ = 0;
}

void AddressSearch::Forget() {
    passes_.clear();
    DropAll();
    reading_ = Reading{};
    base_ = -1;
    texts_.Forget();
}

void AddressSearch::KeepFrom(std::int64_t r) {
    // Only 0 bytes after `r` can start this search's data area, or any later one's; a search
    // behind the shared reading has it start over.
    const bool behind = r < base_;
    base_ = r;
    if (behind) DropAll();
    while (KeptCount() > 0 && Kept(0).zero <= r) DropFirst();
    if (behind || (KeptCount() == 0 && reading_.pos <= r + 1)) {
        reading_ = Reading{};
        reading_.pos = r + 1;
    }
}

AddressSearch::PassMap::iterator AddressSearch::PassFor(std::uint64_t reach, std::int64_t r,
                                                        std::int64_t first) {
    auto after = passes_.upper_bound({reach, first});
    if (after != passes_.begin()) {
        const auto before = std::prev(after);
        if (before->first.first == reach) {
            Pass& pass = before->second;
            // The starts before its answer failed too.
            const std::int64_t known = pass.found ? pass.answer.zero : pass.next;
            if (first <= known) {
                // The shared starts have caught up with a pass that read on by itself.
                if (pass.alone && pass.reading.pos <= reading_.pos) pass.alone = false;
                return before;
            }
            // Only a search behind this record (the other thread's stretch) could take up a
            // pass that ends before it.
            if (known <= r) passes_.erase(before);
        }
    }
    if (passes_.size() >= kKeptPasses) passes_.clear();
    Pass fresh;
    fresh.next = first;
    return passes_.emplace(PassKey{reach, first}, fresh).first;
}

AddressSearch::PassMap::iterator AddressSearch::Following(PassMap::iterator pass) {
    const auto next = std::next(pass);
    return next != passes_.end() && next->first.first == pass->first.first ? next : passes_.end();
}

bool AddressSearch::Passes(const Start& start, std::uint32_t sender, std::uint32_t recipient) {
    // The sender's text, right after the 0 byte, is an address; the data area must lie in the
    // store and the recipient's text be one too.
    const std::int64_t dataArea = start.zero + 1 - std::int64_t(sender);
    return dataArea >= 0 && texts_.IsAddress(dataArea, recipient);
}

bool AddressSearch::AddressAt(std::int64_t pos, Pass& pass, bool& known) {
    // Every 0 byte from the first start's to the reading's last was read, and every start
    // between them kept: the stretch that holds `pos` is a start's, or holds no address.
    const std::size_t size = KeptCount();
    known = size > 0 && pos > Kept(0).zero && pos < reading_.zero;
    if (!known) return false;
    // The last start before `pos`: near the pass's last one, as its recipients move on with it.
    constexpr std::size_t kNearSteps = 8;
    std::size_t i = pass.near >= dropped_ ? std::size_t(pass.near - dropped_) : size;
    if (i < size && Kept(i).zero < pos) {
        for (std::size_t step = 0; step < kNearSteps; ++step) {
            if (i + 1 == size || Kept(i + 1).zero >= pos) break;
            ++i;
        }
        if (i + 1 < size && Kept(i + 1).zero < pos) i = size;
    } else {
        i = size;
    }
    if (i == size) {
        const auto it = std::partition_point(KeptBegin(), kept_.cend(),
                                             [pos](const Start& s) { return s.zero < pos; });
        i = std::size_t(it - KeptBegin()) - 1;
    }
    pass.near = dropped_ + i;
    return pos <= Kept(i).AddressTo();
}

bool AddressSearch::Find(std::int64_t r, std::int64_t last, std::uint32_t sender,
                         std::uint32_t recipient, std::int64_t& dataArea) {
    // Once the budget is spent, here or in the middle of a search, the search keeps near.
    auto keepNearOnceSpent = [&] {
        if (weighed_ - weighedAtRestart_ >= budget_) last = std::min(last, r + kSpentReach);
    };
    keepNearOnceSpent();
    if (last < r) return false;
    texts_.Trim(std::uint64_t(r));
    KeepFrom(r);
    // A 0 byte before `sender - 1` would put the data area before the store's start.
    const std::int64_t first = std::max(r + 1, std::int64_t(sender) - 1);
    const bool wraps = Wraps();
    const std::uint64_t key = wraps ? std::uint64_t(sender) << 32 | recipient
                                    : std::uint64_t(1) << 63 | std::uint32_t(recipient - sender);
    const auto mine = PassFor(key, r, first);
    Pass& pass = mine->second;
    auto following = Following(mine);
    // Starts from here on are the following pass's to weigh: takes over what it knows.
    auto takeOver = [&] {
        pass = following->second;
        passes_.erase(following);
        following = Following(mine);
        if (pass.alone && pass.reading.pos <= reading_.pos) pass.alone = false;
    };
    auto reached = [&](const Start& start) {
        return following != passes_.end() && start.zero >= following->first.second;
    };
    const std::int64_t reach = std::int64_t(recipient) - std::int64_t(sender);
    // Weighs `start`: false when the search must end without an answer.
    auto weigh = [&](const Start& start) {
        bool known = false;
        // Without a wrap the recipient's text lies `reach` bytes from the sender's.
        const bool passes = !wraps && AddressAt(start.zero + 1 + reach, pass, known);
        if (known ? passes : Passes(start, sender, recipient)) {
            pass.found = true;
            pass.answer = start;
        } else {
            pass.next = start.zero + 1;
        }
        ++weighed_;
        keepNearOnceSpent();
        return !texts_.Stopped() && (weighed_ % kPollStarts != 0 || !StopRequested(stop_));
    };
    while (!pass.found) {
        Start start;
        Read read = Read::Found;
        if (!pass.alone) {
            auto it =
                std::lower_bound(KeptBegin(), kept_.cend(), pass.next,
                                 [](const Start& s, std::int64_t zero) { return s.zero < zero; });
            if (it != kept_.cend()) {
                for (; it != kept_.cend() && !pass.found; ++it) {
                    if (reached(*it)) {
                        takeOver();
                        break;
                    }
                    if (it->At() > last) return false;
                    if (!weigh(*it)) {
                        Forget();
                        return false;
                    }
                }
                continue;
            }
            if (KeptCount() < kKeptStarts) {
                read = Next(reading_, last, start);
                if (read == Read::Found) kept_.push_back(start);
            } else {
                pass.alone = true;
                pass.reading = reading_;
            }
        }
        if (pass.alone) read = Next(pass.reading, last, start);
        if (read == Read::None) return false;
        if (read == Read::Failed) {
            Forget();
            return false;
        }
        if (start.zero < pass.next) continue;
        if (reached(start)) {
            takeOver();
            continue;
        }
        if (!weigh(start)) {
            Forget();
            return false;
        }
    }
    if (pass.answer.At() > last) return false;
    dataArea = pass.answer.zero + 1 - std::int64_t(sender);
    return !StopRequested(stop_);
}

}  // namespace dbx
