#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "scan_store.h"

namespace dbx {

// Tools > Deep search: off until the user ticks it, kept until the program ends. Read when a
// search starts.
extern std::atomic<int> g_bDeepSearch;
// By how much the store of the last deep search is displaced (see StoreFile::SetDisplacement);
// 0 after a plain search. Preview and Save read the store at the positions it names.
extern std::atomic<std::int64_t> g_nStoreDisplacement;
// The rows of the list come from a deep search.
extern std::atomic<int> g_bDeepResults;

// The first blocks of the listed orphans that lack the start of their chain (the tail of a
// chain broken in the middle). Kept by the window's thread only, for Save's report.
std::unordered_set<std::uint32_t>& HeadlessOrphans();

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
