#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store_search.h"

namespace dbx {

class ScanFeed;

// What a search is asked to do.
struct ScanParams {
    std::string path;
    // Its stop flag is the job's own, set when the job starts; its mode follows `deep` and
    // `image`; rows are always passed live.
    SearchOptions options;
    bool deep = false;   // Tools > Deep search
    bool image = false;  // a disk image: every store in it, joined from its pieces and named
};

// What a search hands back when it has ended.
struct ScanResult {
    ScanReport report;
    std::int64_t displacement = 0;  // of the first group of structures found
    // The store holds message blocks (see SearchResult::blocksAgreeing).
    bool blocksFound = false;
    // The rows as the search ended with them, in the order found: those the list showed while
    // it ran, some of them changed (the group they are read from, a chain found broken), in
    // the command line's order.
    std::vector<RecoveredMessage> messages;
    // A disk image: the name of each store, and where its pieces lie (see SearchResult).
    std::vector<std::string> storeNames;
    std::vector<std::shared_ptr<const PieceMap>> storePieces;
};

// The search, on the scanning thread: SearchStore as the command line runs it (an image, the
// deep one, or the plain one). What it finds goes to `feed` as it goes; `stop` ends it early
// with what was found so far.
ScanResult RunScanJob(ScanParams params, ScanFeed& feed, const std::atomic<int>& stop);

}  // namespace dbx
