#include "loose_entries.h"

#include <algorithm>

#include "little_endian.h"
#include "stop_flag.h"

namespace dbx {
namespace {

using namespace layout;

constexpr std::int64_t kEntry = std::int64_t(kEntrySize);

}  // namespace

void LooseEntries::Take(Lane& lane, std::int64_t pos, std::uint32_t entry) {
    const std::uint32_t value = entry >> 8;
    switch (entry & 0xFF) {
        case kPropMessageOffsetStored:
            lane.offset = {pos, value};
            lane.stored = pos;
            break;
        case kPropMessageOffsetDirect:
            lane.offset = {pos, value};
            break;
        case kPropSubject:
            lane.subject = {pos, value};
            break;
        case kPropSender:
            lane.sender = {pos, value};
            break;
        case kPropDate:
            lane.date = {pos, value};
            break;
        case kPropRecipient:
            lane.recipient = {pos, value};
            break;
        default:
            break;
    }
}

RecordProperties LooseEntries::Seen(const Lane& lane, std::int64_t table) {
    auto value = [table](const Last& last) { return last.pos >= table ? last.value : 0u; };
    RecordProperties props;
    props.messageOffset = value(lane.offset);
    props.offsetInDataArea = lane.stored >= table;
    props.subject = value(lane.subject);
    props.sender = value(lane.sender);
    props.date = value(lane.date);
    props.recipient = value(lane.recipient);
    return props;
}

LooseEntries::Outcome LooseEntries::Advance(Lane& lane, std::int64_t table, std::int64_t limit) {
    std::uint8_t chunk[kChunkEntries * kEntrySize];
    while (!lane.blocked && lane.next <= limit) {
        const auto want = std::size_t(
            std::min<std::int64_t>(std::int64_t(kChunkEntries), (limit - lane.next) / kEntry + 1));
        const std::size_t got = source_.Read(std::uint64_t(lane.next), chunk, want * kEntrySize);
        const std::size_t entries = got / kEntrySize;
        // An entry that cannot be read ends every reading that reaches it.
        if (entries < want) lane.blocked = true;
        examined_ += entries;
        for (std::size_t i = 0; i < entries; ++i) {
            const std::uint32_t entry = LoadU32(chunk + i * kEntrySize);
            const std::int64_t pos = lane.next;
            lane.next += kEntry;
            Take(lane, pos, entry);
            if (Seen(lane, table).HasLooseSet()) {
                lane.blocked = lane.blocked && i + 1 == entries;
                return Outcome::Complete;
            }
        }
        sincePoll_ += entries;
        if (sincePoll_ >= kStopPollEntries) {
            sincePoll_ = 0;
            if (StopRequested(stop_)) return Outcome::Stopped;
        }
    }
    return Outcome::Incomplete;
}

LooseEntries::Outcome LooseEntries::Complete(std::int64_t table, std::uint32_t tries,
                                             RecordProperties& props, std::int64_t& completedAt) {
    if (table < 0 || tries == 0) return Outcome::Incomplete;
    Lane& lane = lanes_[std::size_t(table % kEntry)];
    if (lane.next < 0 || table < lane.lastTable || table > lane.next) {
        lane = Lane{};
        lane.next = table;
    }
    lane.lastTable = table;
    const std::int64_t limit = table + kEntry * (std::int64_t(tries) - 1);
    // No candidate from this table on completes before the last entry the lane read.
    const std::int64_t last = lane.next - kEntry;
    if (last >= table) {
        if (last > limit) return Outcome::Incomplete;
        props = Seen(lane, table);
        if (props.HasLooseSet()) {
            completedAt = last;
            return Outcome::Complete;
        }
    }
    const Outcome outcome = Advance(lane, table, limit);
    if (outcome == Outcome::Complete) {
        props = Seen(lane, table);
        completedAt = lane.next - kEntry;
    }
    return outcome;
}

}  // namespace dbx
