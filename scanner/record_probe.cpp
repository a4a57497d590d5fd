#include "record_probe.h"

#include <algorithm>
#include <cstring>

#include "little_endian.h"
#include "stop_flag.h"
#include "store_layout.h"

namespace dbx {
namespace {

using namespace layout;

constexpr std::size_t kHeaderSize = kRecordHeaderSize;
constexpr std::size_t kTextStep = 15;
// Texts and searches that run this long look at the stop flag.
constexpr std::size_t kStopPollSteps = 4096;

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

// Records are kept back to back, so the skip must not pass the end of the record that hit
// (12 + L bytes from its start); the scan adds 13 to it.
std::uint64_t ExistingRecordSkip(std::uint8_t entryCount, std::uint32_t bodyLength) {
    std::uint64_t skip = 36u * entryCount;
    return bodyLength == 0 ? 0 : std::min<std::uint64_t>(skip, bodyLength - 1u);
}

}  // namespace

void RecordRecognizer::Properties::Take(std::uint32_t entry) {
    std::uint32_t value = entry >> 8;
    switch (entry & 0xFF) {
        case kPropMessageOffsetStored:
            messageOffset = value;
            offsetInDataArea = true;
            break;
        case kPropMessageOffsetDirect:
            messageOffset = value;
            break;
        case kPropSubject:
            subject = value;
            break;
        case kPropSender:
            sender = value;
            break;
        case kPropDate:
            date = value;
            break;
        case kPropRecipient:
            recipient = value;
            break;
        default:
            break;
    }
}

bool RecordRecognizer::ReadU32(std::int64_t pos, std::uint32_t& value) {
    std::uint8_t bytes[4];
    if (!InBounds(pos) || !source_.ReadExact(std::uint64_t(pos), bytes, sizeof bytes)) return false;
    value = LoadU32(bytes);
    return true;
}

bool RecordRecognizer::ReadFileTime(std::int64_t pos, std::int64_t& filetime) {
    std::uint8_t bytes[8];
    if (!InBounds(pos) || !source_.ReadExact(std::uint64_t(pos), bytes, sizeof bytes)) return false;
    filetime = std::int64_t(LoadU64(bytes));
    return true;
}

bool RecordRecognizer::ReadHeader(std::int64_t r, std::uint8_t (&header)[12]) {
    if (!InBounds(r)) return false;
    // Every message block comes here: take the bytes straight from memory when they are there.
    if (const std::uint8_t* p = source_.Peek(std::uint64_t(r), kHeaderSize)) {
        std::memcpy(header, p, kHeaderSize);
    } else if (!source_.ReadExact(std::uint64_t(r), header, kHeaderSize)) {
        return false;
    }
    return std::int64_t(std::int32_t(LoadU32(header))) == r;
}

bool RecordRecognizer::ReadStoredOffset(std::int64_t dataArea, Properties& props) {
    return ReadU32(dataArea + props.messageOffset, props.messageOffset);
}

bool RecordRecognizer::TakeDate(std::int64_t pos, RecoveredMessage& message) {
    std::int64_t filetime = 0;
    if (!ReadFileTime(pos, filetime)) return false;
    auto date = FormatRecordDate(filetime, formatDate_);
    if (!date) return false;
    message.dateText = std::move(date->text);
    message.dateSeconds = date->seconds;
    return true;
}

bool RecordRecognizer::ProbeIndexRecord(std::int64_t r, RecoveredMessage& message,
                                        std::uint64_t& skipSize) {
    std::uint8_t header[kHeaderSize];
    if (!ReadHeader(r, header)) return false;
    skipSize = 0;
    const std::uint8_t entryCount = header[kRecordEntryCountAt];
    // A header that was read in full passes the loose recogniser's own first tests.
    if (entryCount == 0) return MatchLooseRecord(r, header, message, skipSize);

    Properties props;
    for (unsigned i = 0; i < entryCount; ++i) {
        std::uint32_t entry = 0;
        if (!ReadU32(r + std::int64_t(kHeaderSize + kEntrySize * i), entry)) return false;
        props.Take(entry);
    }
    const std::int64_t dataArea = r + std::int64_t(kHeaderSize + kEntrySize * entryCount);
    if (!props.sender || !props.date) return false;
    FieldText sender = ReadField(dataArea, props.sender);
    if (!InBounds(dataArea)) return false;
    if (!TakeDate(dataArea + props.date, message)) return false;
    if (!sender.address) return false;
    message.from = std::move(sender.text);

    if (!props.messageOffset) return false;
    if (props.offsetInDataArea && !ReadStoredOffset(dataArea, props)) return false;
    if (!InBounds(std::int32_t(props.messageOffset))) return false;
    message.offset = props.messageOffset;
    message.to = ReadFieldText(dataArea, props.recipient);
    message.subject = ReadFieldText(dataArea, props.subject);
    skipSize = ExistingRecordSkip(entryCount, LoadU32(header + kRecordBodyLengthAt));
    return true;
}

// A quick, exact rejection: the entry loop of the loose probe can only complete its set when
// the date, sender and recipient ids occur among the entries it is able to read.
bool RecordRecognizer::LacksLooseEntries(std::int64_t table, std::uint32_t count) {
    if (!InBounds(table)) return false;
    std::uint64_t readable = (source_.Length() - std::uint64_t(table)) / kEntrySize;
    std::uint64_t n = std::min<std::uint64_t>(count, readable);
    const std::uint8_t* entries = source_.Peek(std::uint64_t(table), std::size_t(n * kEntrySize));
    if (!entries) return false;
    return !HasEntryWithId(entries, n, kPropDate) || !HasEntryWithId(entries, n, kPropSender) ||
           !HasEntryWithId(entries, n, kPropRecipient);
}

bool RecordRecognizer::ProbeLooseIndexRecord(std::int64_t r, RecoveredMessage& message,
                                             std::uint64_t& skipSize) {
    if (r < 0 || r + 4 > std::int64_t(source_.Length())) return false;
    std::uint8_t header[kHeaderSize];
    return ReadHeader(r, header) && MatchLooseRecord(r, header, message, skipSize);
}

bool RecordRecognizer::MatchLooseRecord(std::int64_t r, const std::uint8_t (&header)[12],
                                        RecoveredMessage& message, std::uint64_t& skipSize) {
    const auto bodyLength = std::int32_t(LoadU32(header + kRecordBodyLengthAt));
    const std::int32_t tries = bodyLength / 4;
    if (tries == 0) return false;

    const std::int64_t table = r + std::int64_t(kHeaderSize);
    if (LacksLooseEntries(table, std::uint32_t(tries))) return false;
    Properties props;
    std::int64_t completedAt = -1;
    for (std::uint32_t i = 0; i < std::uint32_t(tries); ++i) {
        const std::int64_t pos = table + std::int64_t(kEntrySize) * i;
        std::uint32_t entry = 0;
        if (!ReadU32(pos, entry)) return false;
        if (i % kStopPollSteps == kStopPollSteps - 1 && StopRequested(stop_)) return false;
        props.Take(entry);
        if (props.HasLooseSet()) {
            completedAt = pos;
            break;
        }
    }
    if (!props.HasLooseSet()) return false;

    const std::uint32_t end = std::uint32_t(r) + std::uint32_t(bodyLength);
    if (end <= std::uint32_t(r)) return false;
    std::int64_t dataArea = 0;
    if (!FindLooseDataArea(r, end, props, dataArea)) return false;

    if (props.offsetInDataArea && !ReadStoredOffset(dataArea, props)) return false;
    const std::int32_t bodyOffset = std::int32_t(props.messageOffset);
    if (!InBounds(bodyOffset)) return false;
    std::uint8_t block[8];
    if (!source_.ReadExact(std::uint64_t(bodyOffset), block, sizeof block)) return false;
    if (LoadU32(block + kBlockSelfAt) != props.messageOffset ||
        LoadU32(block + kBlockSizeWordAt) != kFirstBlockSizeWord) {
        return false;
    }
    if (!TakeDate(dataArea + props.date, message)) return false;

    message.offset = props.messageOffset;
    message.subject = ReadFieldText(dataArea, props.subject);
    message.to = ReadFieldText(dataArea, props.recipient);
    message.from = ReadFieldText(dataArea, props.sender);
    message.deleted = true;
    skipSize = std::uint64_t(std::max<std::int64_t>(0, dataArea - completedAt));
    return true;
}

bool RecordRecognizer::FindLooseDataArea(std::int64_t r, std::uint32_t end, const Properties& props,
                                         std::int64_t& dataArea) {
    // An at sign this close to the end of the store ends the search unanswered.
    const auto length = std::int64_t(source_.Length());
    const std::int64_t last = std::min<std::int64_t>(std::int64_t(end) - 1, length - 4);
    return search_.Find(r, last, props.sender, props.recipient, dataArea);
}

std::string RecordRecognizer::ReadFieldText(std::int64_t base, std::uint32_t ref) {
    return ReadField(base, ref).text;
}

RecordRecognizer::FieldText RecordRecognizer::ReadField(std::int64_t base, std::uint32_t ref) {
    FieldText field;
    bool at = false, dot = false;
    for (std::size_t steps = 0;; base += std::int64_t(kTextStep)) {
        if (!InBounds(base)) return {};
        if (++steps % kStopPollSteps == 0 && StopRequested(stop_)) return {};
        char chunk[kTextStep];
        const std::uint32_t pos = std::uint32_t(base) + ref;  // wraps like the 32-bit original
        const std::size_t got = source_.Read(pos, chunk, kTextStep);
        const std::size_t kept = strnlen(chunk, got);
        at = at || std::memchr(chunk, '@', kept);
        dot = dot || std::memchr(chunk, '.', kept);
        if (field.text.size() < kMaxFieldText) {
            field.text.append(chunk, std::min(kept, kMaxFieldText - field.text.size()));
        }
        if (kept < kTextStep) {
            field.address = at && dot;
            return field;
        }
    }
}

}  // namespace dbx
