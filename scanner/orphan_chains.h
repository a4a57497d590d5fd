#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "block_index.h"
#include "piece_map.h"
#include "read_device.h"
#include "record_date.h"
#include "recovered_message.h"
#include "unreadable_ranges.h"

namespace dbx {

struct DeepSearchOptions {
    std::int64_t displacement = 0;               // as the scan used it
    const std::atomic<int>* stopFlag = nullptr;  // non-zero ends the search early
    DateFormatter formatDate;                    // empty: EnvironmentDateFormatter()
    UnreadableRanges* unreadable = nullptr;      // as ScanOptions::unreadable
    std::shared_ptr<const ReadDevice> device;    // null: the file itself
    std::shared_ptr<const PieceMap> pieces;      // a store in pieces (null: none)
    // Every sector the search may read was read already (by the scan): chains are read a
    // window at a time, not block by block.
    bool readAhead = false;
};

// After a scan that filled `index`: marks each listed message whose chain of blocks breaks
// off, or ends short of the size its record gives, as incomplete, and returns every chain that
// no listed message reaches, rebuilt from its first block, as an "Orphaned" message with From,
// To, Subject and Date from its own header. A chain is judged by the mail header it starts
// with; one that starts with none (the tail of a chain broken in the middle) is returned when
// its first block reads as text, marked incomplete. A listed message whose record names the
// middle of an orphan's chain is that chain's tail: the orphan is whole, the listed one
// incomplete. An orphan whose header blocks the disk failed to give carries their size in
// unreadableBytes.
std::vector<RecoveredMessage> FindOrphanedChains(const std::string& storePath, BlockIndex& index,
                                                 std::vector<RecoveredMessage>& listed,
                                                 const DeepSearchOptions& options = {});

}  // namespace dbx
