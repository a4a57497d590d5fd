#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "address_text.h"
#include "byte_source.h"
#include "loose_entries.h"
#include "loose_search.h"
#include "record_date.h"
#include "recovered_message.h"

namespace dbx {

// Decides whether a message-index record starts at a given offset of a store, and decodes
// it. Every read goes through the source and is bounded by its length.
class RecordRecognizer {
  public:
    // A raised `stop` flag ends long probes early, as "no record".
    RecordRecognizer(ByteSource& source, DateFormatter formatDate,
                     const std::atomic<int>* stop = nullptr)
        : source_(source),
          formatDate_(std::move(formatDate)),
          texts_(source, stop, searchBytes_),
          entries_(source, stop, entriesExamined_),
          search_(source, stop, searchBytes_, texts_) {}

    // Records that carry their entry count ("Existing"). On true, `message` holds the record
    // and `skipSize` the bytes the scan may pass over; both may be partly filled on false.
    bool ProbeIndexRecord(std::int64_t r, RecoveredMessage& message, std::uint64_t& skipSize);

    // Starts the searches of a stretch may weigh: far more than any store but a crafted one
    // makes them, and few enough to take a fraction of a second.
    static constexpr std::uint64_t kWeighedPerStretch = std::uint64_t(1) << 22;
    // Probes of a new stretch of a scan follow: see AddressSearch::Restart.
    void StartStretch(std::uint64_t budget = kWeighedPerStretch) { search_.Restart(budget); }

    // Records whose entry count reads 0 ("Deleted"): the data area is found by a search for
    // the sender's address.
    bool ProbeLooseIndexRecord(std::int64_t r, RecoveredMessage& message, std::uint64_t& skipSize);

    // Texts are kept up to this many bytes: the rest of a longer one (a damaged store can make
    // a text run on for gigabytes) is read but not kept.
    static constexpr std::size_t kMaxFieldText = 64 * 1024;

    // The NUL-terminated text at base + ref, read in 15-byte steps, cut to kMaxFieldText.
    std::string ReadFieldText(std::int64_t base, std::uint32_t ref);

    // Bytes looked at by the searches for a freed record's data area and by the text reads,
    // over all probes: what a hostile store can make the probes cost.
    std::uint64_t SearchBytesExamined() const { return searchBytes_; }
    // Entries of freed-record candidates read, over all probes.
    std::uint64_t EntriesExamined() const { return entriesExamined_; }
    // Recipient texts looked at by the searches for a freed record's data area, one for each 0
    // byte followed by an address that a search weighed, over all probes.
    std::uint64_t AddressStartsWeighed() const { return search_.Weighed(); }

  private:
    using Properties = RecordProperties;

    bool InBounds(std::int64_t pos) const {
        return pos >= 0 && std::uint64_t(pos) <= source_.Length();
    }
    bool ReadU32(std::int64_t pos, std::uint32_t& value);
    bool ReadFileTime(std::int64_t pos, std::int64_t& filetime);
    bool ReadHeader(std::int64_t r, std::uint8_t (&header)[12]);
    bool MatchLooseRecord(std::int64_t r, const std::uint8_t (&header)[12],
                          RecoveredMessage& message, std::uint64_t& skipSize);
    bool ReadStoredOffset(std::int64_t dataArea, Properties& props);
    bool TakeDate(std::int64_t pos, RecoveredMessage& message);
    // A stop cut a text of this probe short: the hit is not reported (the scan then stops).
    bool TextsCutShort();
    bool FindLooseDataArea(std::int64_t r, std::uint32_t end, const Properties& props,
                           std::int64_t& dataArea);

    ByteSource& source_;
    DateFormatter formatDate_;
    std::uint64_t searchBytes_ = 0;
    std::uint64_t entriesExamined_ = 0;
    // Shared by the probes of one scan, so that probes that overlap share their reading.
    AddressTextCheck texts_;
    LooseEntries entries_;
    AddressSearch search_;
};

}  // namespace dbx
