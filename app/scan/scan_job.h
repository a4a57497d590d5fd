#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "scan_store.h"

namespace dbx {

class ScanFeed;

// What a search is asked to do.
struct ScanParams {
    std::string path;
    ScanOptions options;  // its stop flag is the job's own, set when the job starts
    bool deep = false;    // Tools > Deep search
};

// What a search hands back when it has ended.
struct ScanResult {
    ScanReport report;
    std::int64_t displacement = 0;  // of the store
    // The store holds message blocks (see ListingReport::blocksAgreeing).
    bool blocksFound = false;
};

// The search, on the scanning thread: the deep one when asked for, else the plain one, each
// as the command line runs it. What it finds goes to `feed` as it goes; `stop` ends it early
// with what was found so far.
ScanResult RunScanJob(ScanParams params, ScanFeed& feed, const std::atomic<int>& stop);

}  // namespace dbx
