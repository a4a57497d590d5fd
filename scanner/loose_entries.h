#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "byte_source.h"
#include "record_properties.h"

namespace dbx {

// Reads the entry tables of freed-record candidates: entries from the table on, until the
// date, sender, message offset and recipient are all present.
//
// A candidate whose table starts later completes its set no earlier than one that starts
// before it (every entry it reads, the earlier one reads too), and what it holds at an entry
// is the last value of each id from its own table start on. Candidates probed in order of
// their tables therefore share one reading per 4-byte lane: a later candidate takes up the
// reading where an earlier one left it, so that a store whose candidates' tables all run to its
// end is read once, not once per candidate.
class LooseEntries {
  public:
    enum class Outcome { Complete, Incomplete, Stopped };

    // `examined` counts every entry read.
    LooseEntries(ByteSource& source, const std::atomic<int>* stop, std::uint64_t& examined)
        : source_(source), stop_(stop), examined_(examined) {}

    // Reads at most `tries` entries from `table`. On Complete, `props` holds the values the
    // table gave up to the entry at `completedAt`, the one that completed the set.
    Outcome Complete(std::int64_t table, std::uint32_t tries, RecordProperties& props,
                     std::int64_t& completedAt);

  private:
    // The last entry read with one id (or group of ids).
    struct Last {
        std::int64_t pos = -1;
        std::uint32_t value = 0;
    };
    struct Lane {
        std::int64_t lastTable = -1;  // the latest table asked about
        std::int64_t next = -1;       // the next entry to read
        bool blocked = false;         // the entry at `next` cannot be read
        Last date, sender, recipient, offset, subject;
        std::int64_t stored = -1;  // the last entry with a message offset in the data area
    };

    // False for ids that cannot complete the set.
    static bool Take(Lane& lane, std::int64_t pos, std::uint32_t entry);
    static bool HasSet(const Lane& lane, std::int64_t table);
    // A quick, exact rejection for short tables: the set can only complete when the date,
    // sender and recipient ids occur among the entries.
    bool CannotComplete(std::int64_t table, std::uint32_t tries);
    // The candidate at `table` as it stands after the lane's last entry read.
    static RecordProperties Seen(const Lane& lane, std::int64_t table);
    // Reads on until the candidate at `table` completes, `limit` (the last entry it may read)
    // is passed, or the lane cannot go on.
    Outcome Advance(Lane& lane, std::int64_t table, std::int64_t limit);

    static constexpr std::size_t kChunkEntries = 1024;
    static constexpr std::uint64_t kStopPollEntries = 16 * 1024;

    ByteSource& source_;
    const std::atomic<int>* stop_;
    std::uint64_t& examined_;
    std::array<Lane, 4> lanes_;
    std::uint64_t sincePoll_ = 0;
};

}  // namespace dbx
