#include "record_probe.h"

#include <algorithm>
#include <cstring>

#include "little_endian.h"
#include "store_layout.h"

namespace dbx {
namespace {

using namespace layout;

constexpr std::size_t kHeaderSize = kRecordHeaderSize;
// Records are kept back to back, so the skip must not pass the end of the record that hit
// (12 + L bytes from its start); the scan adds 13 to it.
std::uint64_t ExistingRecordSkip(std::uint8_t entryCount, std::uint32_t bodyLength) {
    std::uint64_t skip = 36u * entryCount;
    return bodyLength == 0 ? 0 : std::min<std::uint64_t>(skip, bodyLength - 1u);
}

}  // namespace

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
    if (!InBounds(dataArea)) return false;
    // Only an address is kept: a sender text that is none is never copied.
    texts_.Trim(std::uint64_t(r));
    if (!texts_.IsAddress(dataArea, props.sender)) return false;
    if (!TakeDate(dataArea + props.date, message)) return false;
    message.from = ReadFieldText(dataArea, props.sender);

    if (!props.messageOffset) return false;
    if (props.offsetInDataArea && !ReadStoredOffset(dataArea, props)) return false;
    if (!InBounds(std::int32_t(props.messageOffset))) return false;
    message.offset = props.messageOffset;
    message.size = props.messageSize;
    message.to = ReadFieldText(dataArea, props.recipient);
    message.subject = ReadFieldText(dataArea, props.subject);
    if (TextsCutShort()) return false;
    skipSize = ExistingRecordSkip(entryCount, LoadU32(header + kRecordBodyLengthAt));
    return true;
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
    Properties props;
    std::int64_t completedAt = -1;
    if (entries_.Complete(table, std::uint32_t(tries), props, completedAt) !=
        LooseEntries::Outcome::Complete) {
        return false;
    }

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
    if (TextsCutShort()) return false;
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

bool RecordRecognizer::TextsCutShort() {
    if (!texts_.Stopped()) return false;
    texts_.Forget();
    return true;
}

std::string RecordRecognizer::ReadFieldText(std::int64_t base, std::uint32_t ref) {
    const AddressTextCheck::Text found = texts_.Find(base, ref);
    std::string text;
    if (!found.readable) return text;
    text.resize(std::size_t(std::min<std::uint64_t>(found.end - found.begin, kMaxFieldText)));
    text.resize(source_.Read(found.begin, text.data(), text.size()));
    return text;
}

}  // namespace dbx
