#pragma once

#include <cstdint>
#include <string>

#include "scan_store.h"

namespace dbx {

struct DeepScanReport {
    ScanReport scan;
    std::int64_t displacement = 0;
    std::size_t orphans = 0;  // rows of chains no record leads to
};

// The deep search, on the scanning thread: finds the store's displacement, scans its records
// at their own positions with one row per body (an "Existing" row wins over a "Deleted" one,
// so deleted rows are held back until the record scan has ended), then reports every chain
// of blocks no listed row reaches as an "Orphaned" row. A raised stop flag ends it early;
// what was found so far is still reported.
DeepScanReport DeepScanStore(const std::string& path, ScanObserver& observer, ScanOptions options);

}  // namespace dbx
