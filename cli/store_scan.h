#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "piece_map.h"
#include "read_device.h"
#include "recovered_message.h"
#include "scan_store.h"
#include "terminal.h"

namespace dbx::cli {

// One store scanned for the command line: one row per body, and with --deep the chains no
// record leads to, for every group of structures that agree on a displacement (a store
// displaced, two stores one after the other), each read at its own positions.
struct StoreScan {
    ScanReport report;
    std::int64_t displacement = 0;  // of the first group; each message carries its own
    bool deep = false;
    std::vector<RecoveredMessage> messages;  // listed ones in discovery order, then orphans
    // What the disk failed to give; the extraction after the scan adds to it.
    std::shared_ptr<UnreadableRanges> unreadable = std::make_shared<UnreadableRanges>();
    std::shared_ptr<const ReadDevice> device;  // as the scan read the store
    // A disk image: the name of each store found (messages carry their store's number),
    // safe as a file name and unique.
    bool image = false;
    std::vector<std::string> storeNames;
    // Where the pieces of each store lie (image), or of the one store (null: no pieces).
    std::vector<std::shared_ptr<const PieceMap>> storePieces;
    std::shared_ptr<const PieceMap> pieces;
};

// Scans `store` with the progress line and Ctrl-C. With `deep`, a displaced store is said so
// on stderr.
// `device` stands between the file and the reads (null: none).
// With `image` (a deep search of its own) every store the input holds is found, in any
// number of groups, and named.
StoreScan ScanForListing(const std::string& store, ProgressLine& progress, bool deep,
                         std::shared_ptr<const ReadDevice> device = nullptr, bool image = false);

// "its first 4096 bytes are missing" / "4096 bytes come before it".
std::string DescribeDisplacement(std::int64_t displacement);

}  // namespace dbx::cli
