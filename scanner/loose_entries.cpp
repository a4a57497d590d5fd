#include "loose_entries.h"

#include <algorithm>
#include <cstring>

#include "little_endian.h"
#include "stop_flag.h"

namespace dbx {
namespace {

using namespace layout;

constexpr std::int64_t kEntry = std::int64_t(kEntrySize);
// Tables up to this many entries are first looked over for the ids the set needs.
constexpr std::uint32_t kQuickEntries = 512;

// True when some entry of the table at `p` (`count` entries) has the property id `id`.
bool HasEntryWithId(const std::uint8_t* p, std::size_t count, std::uint8_t id) {
    const std::uint8_t* end = p + count * kEntrySize;
    for (const std::uint8_t* q = p; q < end; ++q) {
        q = static_cast<const std::uint8_t*>(std::memchr(q, id, std::size_t(end - q)));
        if (!q) return false;
        if ((q - p) % kEntrySize == 0) return true;
    }
    return false;
}

}  // namespace

bool LooseEntries::Take(Lane& lane, std::int64_t pos, std::uint32_t entry) {
    const std::uint32_t value = entry >> 8;
    switch (entry & 0xFF) {
        case kPropMessageOffsetStored:
            lane.offset = {pos, value};
            lane.stored = pos;
            return true;
        case kPropMessageOffsetDirect:
            lane.offset = {pos, value};
            return true;
        case kPropSubject:
            lane.subject = {pos, value};
            return false;
        case kPropSender:
            lane.sender = {pos, value};
            return true;
        case kPropDate:
            lane.date = {pos, value};
            return true;
        case kPropRecipient:
            lane.recipient = {pos, value};
            return true;
        default:
            return false;
    }
}

bool LooseEntries::HasSet(const Lane& lane, std::int64_t table) {
    auto present = [table](const Last& last) { return last.pos >= table && last.value != 0; };
    return present(lane.date) && present(lane.sender) && present(lane.offset) &&
           present(lane.recipient);
}

bool LooseEntries::CannotComplete(std::int64_t table, std::uint32_t tries) {
    const std::uint64_t length = source_.Length();
    if (tries > kQuickEntries || std::uint64_t(table) > length) return false;
    const auto count = std::size_t(std::min<std::uint64_t>(tries, (length - table) / kEntrySize));
    const std::uint8_t* entries = source_.Peek(std::uint64_t(table), count * kEntrySize);
    if (!entries) return false;
    return !HasEntryWithId(entries, count, kPropDate) ||
           !HasEntryWithId(entries, count, kPropSender) ||
           !HasEntryWithId(entries, count, kPropRecipient);
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
        // Entries in memory already are read where they lie.
        const std::uint8_t* bytes = source_.Peek(std::uint64_t(lane.next), want * kEntrySize);
        std::size_t got = want * kEntrySize;
        if (!bytes) {
            got = source_.Read(std::uint64_t(lane.next), chunk, want * kEntrySize);
            bytes = chunk;
        }
        const std::size_t entries = got / kEntrySize;
        // An entry that cannot be read ends every reading that reaches it.
        if (entries < want) lane.blocked = true;
        examined_ += entries;
        for (std::size_t i = 0; i < entries; ++i) {
            const std::uint32_t entry = LoadU32(bytes + i * kEntrySize);
            const std::int64_t pos = lane.next;
            lane.next += kEntry;
            if (Take(lane, pos, entry) && HasSet(lane, table)) {
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
    if (table < 0 || tries == 0 || CannotComplete(table, tries)) return Outcome::Incomplete;
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
        if (HasSet(lane, table)) {
            props = Seen(lane, table);
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
