#include "reference_recognizer.h"

#include "record_date.h"
#include "test_support.h"

namespace dbx::test {
namespace {

bool IsAddress(const std::string& s) {
    return s.find('@') != std::string::npos && s.find('.') != std::string::npos;
}

// What is kept of a text for the row: its first 64 KiB.
std::string Kept(const std::string& s) {
    return s.substr(0, 64 * 1024);
}

}  // namespace

bool ReferenceRecognizer::Byte(std::int64_t pos, std::uint8_t& out) const {
    if (pos < 0 || std::uint64_t(pos) >= store_.size()) return false;
    out = store_[std::size_t(pos)];
    return true;
}

bool ReferenceRecognizer::Word(std::int64_t pos, std::uint32_t& out) const {
    out = 0;
    for (int i = 3; i >= 0; --i) {
        std::uint8_t b = 0;
        if (!Byte(pos + i, b)) return false;
        out = out << 8 | b;
    }
    return true;
}

std::string ReferenceRecognizer::Text(std::int64_t base, std::uint32_t ref) const {
    std::string text;
    const auto length = std::int64_t(store_.size());
    for (;; base += 15) {
        if (base < 0 || base > length) return "";
        const std::uint32_t at = std::uint32_t(base) + ref;
        int kept = 0;
        for (; kept < 15; ++kept) {
            std::uint8_t b = 0;
            if (!Byte(std::int64_t(at) + kept, b) || b == 0) break;
            text += char(b);
        }
        if (kept < 15) return text;
    }
}

bool ReferenceRecognizer::Date(std::int64_t pos, RecoveredMessage& message) const {
    std::uint32_t low = 0, high = 0;
    if (!Word(pos, low) || !Word(pos + 4, high)) return false;
    auto date = FormatRecordDate(std::int64_t(std::uint64_t(high) << 32 | low),
                                 [](std::int64_t seconds) { return IsoUtcText(seconds); });
    if (!date) return false;
    message.dateText = date->text;
    message.dateSeconds = date->seconds;
    return true;
}

void ReferenceRecognizer::Take(Props& props, std::uint32_t entry) {
    const std::uint32_t v = entry >> 8;
    switch (entry & 0xFF) {
        case 0x04:
            props.offset = v;
            props.stored = true;
            break;
        case 0x84:
            props.offset = v;
            break;
        case 0x08:
            props.subject = v;
            break;
        case 0x0E:
            props.sender = v;
            break;
        case 0x12:
            props.date = v;
            break;
        case 0x14:
            props.recipient = v;
            break;
        default:
            break;
    }
}

bool ReferenceRecognizer::Probe(std::int64_t r, RecoveredMessage& m, std::uint64_t& skip) const {
    const auto length = std::int64_t(store_.size());
    if (r < 0 || r > length) return false;
    std::uint32_t self = 0;
    std::uint8_t count = 0;
    if (!Word(r, self) || !Byte(r + 11, count) || !Byte(r + 10, count)) return false;
    if (std::int64_t(std::int32_t(self)) != r) return false;
    skip = 0;
    if (count == 0) return Loose(r, m, skip);

    Props props;
    for (int i = 0; i < count; ++i) {
        const std::int64_t pos = r + 12 + 4 * i;
        std::uint32_t entry = 0;
        if (pos < 0 || pos > length || !Word(pos, entry)) return false;
        Take(props, entry);
    }
    const std::int64_t d = r + 12 + 4 * count;
    if (!props.sender || !props.date) return false;
    const std::string sender = Text(d, props.sender);
    if (d < 0 || d > length) return false;
    if (!Date(d + props.date, m)) return false;
    if (!IsAddress(sender)) return false;
    m.from = Kept(sender);
    if (!props.offset) return false;
    std::uint32_t offset = props.offset;
    if (props.stored && !Word(d + props.offset, offset)) return false;
    if (std::int32_t(offset) < 0 || std::int64_t(std::int32_t(offset)) > length) return false;
    m.offset = offset;
    m.to = Kept(Text(d, props.recipient));
    m.subject = Kept(Text(d, props.subject));
    // The skip never passes the end of the record (12 + L bytes).
    std::uint32_t bodyLength = 0;
    Word(r + 4, bodyLength);
    skip = std::uint64_t(36) * count;
    if (bodyLength == 0)
        skip = 0;
    else if (skip > bodyLength - 1u)
        skip = bodyLength - 1u;
    return true;
}

bool ReferenceRecognizer::Loose(std::int64_t r, RecoveredMessage& m, std::uint64_t& skip) const {
    const auto length = std::int64_t(store_.size());
    std::uint32_t word = 0;
    if (!Word(r + 4, word)) return false;
    const auto bodyLength = std::int32_t(word);
    const std::int32_t tries = bodyLength / 4;
    if (tries == 0) return false;
    Props props;
    std::int64_t completedAt = -1;
    for (std::uint32_t i = 0; i < std::uint32_t(tries); ++i) {
        const std::int64_t pos = r + 12 + 4 * std::int64_t(i);
        std::uint32_t entry = 0;
        if (pos > length || !Word(pos, entry)) return false;
        Take(props, entry);
        if (props.date && props.sender && props.offset && props.recipient) {
            completedAt = pos;
            break;
        }
    }
    if (completedAt < 0) return false;

    const std::uint32_t end = std::uint32_t(r) + std::uint32_t(bodyLength);
    if (end <= std::uint32_t(r)) return false;
    std::int64_t d = 0;
    bool found = false;
    for (std::int64_t j = r; j < std::int64_t(end) && !found; ++j) {
        if (j > length - 4) return false;
        std::uint8_t b = 0;
        if (!Byte(j, b) || b != '@') continue;
        std::int64_t zero = -1;
        for (std::int64_t k = j; k > r; --k) {
            if (Byte(k, b) && b == 0) {
                zero = k;
                break;
            }
        }
        if (zero < 0) continue;
        d = zero + 1 - std::int64_t(props.sender);
        found = IsAddress(Text(d, props.sender)) && IsAddress(Text(d, props.recipient));
    }
    if (!found) return false;

    std::uint32_t offset = props.offset;
    if (props.stored) {
        if (d + props.offset > length || !Word(d + props.offset, offset)) return false;
    }
    if (std::int32_t(offset) < 0 || std::int64_t(std::int32_t(offset)) > length) return false;
    std::uint32_t blockSelf = 0, blockSize = 0;
    if (!Word(offset, blockSelf) || !Word(std::int64_t(offset) + 4, blockSize)) return false;
    if (blockSelf != offset || blockSize != 508) return false;
    if (d + props.date > length || !Date(d + props.date, m)) return false;
    m.offset = offset;
    m.subject = Kept(Text(d, props.subject));
    m.to = Kept(Text(d, props.recipient));
    m.from = Kept(Text(d, props.sender));
    m.deleted = true;
    skip = d - completedAt > 0 ? std::uint64_t(d - completedAt) : 0;
    return true;
}

std::vector<RecoveredMessage> ReferenceScanOf(const std::vector<std::uint8_t>& store) {
    std::vector<RecoveredMessage> hits;
    const std::uint64_t length = store.size();
    if (length < 2000) return hits;
    ReferenceRecognizer reference(store);
    for (std::uint64_t window = 0; window < length; window += 2560) {
        for (std::uint64_t p = 0; p < 2560; ++p) {
            RecoveredMessage message;
            std::uint64_t skip = 0;
            if (reference.Probe(std::int64_t(window + p), message, skip)) {
                hits.push_back(message);
                p += skip + 12;
            }
        }
    }
    return hits;
}

std::string ProbeDifference(RecordRecognizer& recognizer, const ReferenceRecognizer& reference,
                            std::int64_t r, bool& hit) {
    RecoveredMessage got, expected;
    std::uint64_t gotSkip = 0, skip = 0;
    hit = reference.Probe(r, expected, skip);
    if (recognizer.ProbeIndexRecord(r, got, gotSkip) != hit) {
        return hit ? "the reference found a record the scan missed"
                   : "the scan found a record "
                     "the reference did not";
    }
    if (!hit) return "";
    if (!SameMessage(got, expected)) return "the messages differ";
    if (gotSkip != skip) return "skips " + std::to_string(gotSkip) + " and " + std::to_string(skip);
    return "";
}

}  // namespace dbx::test
