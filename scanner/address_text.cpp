#include "address_text.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "stop_flag.h"

namespace dbx {
namespace {

constexpr std::uint64_t kTextStep = 15;
constexpr std::size_t kChunk = 4096;
// Most texts are short: reads start small and grow, so that a short text costs little more
// than its own length.
constexpr std::size_t kFirstChunk = 64;

}  // namespace

std::map<std::uint64_t, AddressTextCheck::Run>::iterator AddressTextCheck::RunAt(
    std::uint64_t pos) {
    auto known = runs_.lower_bound(pos);
    if (known != runs_.end() && known->second.begin <= pos) return known;

    // Walk forward to the next 0, the end of the store, or the start of a run already known
    // (which then grows backwards to `pos`).
    const std::uint64_t length = source_.Length();
    const std::uint64_t stopAt = known != runs_.end() ? known->second.begin : length;
    Run run{pos, -1, -1};
    std::uint64_t at = pos;
    std::uint64_t sincePoll = 0;
    std::uint8_t chunk[kChunk];
    std::size_t size = kFirstChunk;
    while (at < stopAt) {
        const std::size_t want = std::size_t(std::min<std::uint64_t>(size, stopAt - at));
        size = std::min(2 * size, kChunk);
        const std::size_t got = source_.Read(at, chunk, want);
        if (got == 0) break;
        examined_ += got;
        for (std::size_t i = 0; i < got; ++i) {
            if (chunk[i] == 0) return runs_.emplace_hint(known, at + i, run);
            if (chunk[i] == '@') run.lastAt = std::int64_t(at + i);
            if (chunk[i] == '.') run.lastDot = std::int64_t(at + i);
        }
        at += got;
        sincePoll += got;
        if (sincePoll >= kStopPollBytes) {
            sincePoll = 0;
            if (StopRequested(stop_)) {
                stopped_ = true;
                return runs_.end();
            }
        }
    }
    if (at == stopAt && known != runs_.end()) {
        Run& merged = known->second;
        merged.begin = pos;
        if (merged.lastAt < 0) merged.lastAt = run.lastAt;
        if (merged.lastDot < 0) merged.lastDot = run.lastDot;
        return known;
    }
    // The end of the store (or a failed read, taken as its end).
    return runs_.emplace_hint(known, at, run);
}

void AddressTextCheck::Trim(std::uint64_t pos) {
    if (runs_.size() < trimAt_) return;
    for (auto it = runs_.begin(); it != runs_.end() && it->first < pos;) {
        it = it->first - it->second.begin < kLongRun ? runs_.erase(it) : std::next(it);
    }
    trimAt_ = std::max(kTrimRuns, 2 * runs_.size());
}

bool AddressTextCheck::FindShort(std::uint64_t pos, Run& run, std::uint64_t& end) {
    std::uint8_t bytes[kFirstChunk];
    const std::size_t got = source_.Read(pos, bytes, sizeof bytes);
    examined_ += got;
    const auto* zero = static_cast<const std::uint8_t*>(std::memchr(bytes, 0, got));
    if (!zero) return false;
    const std::size_t length = std::size_t(zero - bytes);
    run = Run{pos, -1, -1};
    for (std::size_t i = 0; i < length; ++i) {
        if (bytes[i] == '@') run.lastAt = std::int64_t(pos + i);
        if (bytes[i] == '.') run.lastDot = std::int64_t(pos + i);
    }
    end = pos + length;
    return true;
}

AddressTextCheck::Text AddressTextCheck::Find(std::int64_t base, std::uint32_t ref) {
    Text text;
    const std::uint64_t length = source_.Length();
    if (base < 0 || std::uint64_t(base) > length) return text;
    const std::uint64_t start = std::uint32_t(base) + ref;  // wraps like the text reads
    text.begin = text.end = start;
    // The first step reads nothing: the text is empty.
    if (start >= length) {
        text.readable = true;
        return text;
    }
    Run run;
    std::uint64_t end = 0;
    if (!FindShort(start, run, end)) {
        auto known = RunAt(start);
        if (known == runs_.end()) return text;
        run = known->second;
        end = known->first;
    }
    // The text reads its last step at base + 15 * k; each step's base must lie in the store.
    const std::uint64_t lastStep = (end - start) / kTextStep;
    if (std::uint64_t(base) + kTextStep * lastStep > length) return text;
    text.readable = true;
    text.end = end;
    text.address = run.lastAt >= std::int64_t(start) && run.lastDot >= std::int64_t(start);
    return text;
}

}  // namespace dbx
