#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "scan_store.h"
#include "store_search.h"

namespace dbx {

struct ListingReport {
    ScanReport scan;
    // Of the store, found before the scan (see StoreFile::SetDisplacement); the offsets
    // reported are the store's own.
    std::int64_t displacement = 0;
    // Message blocks that agree on one displacement, of those looked at to find it: a store
    // in which no record is recognised may still hold mails that only the deep search reaches.
    // (Looked for by a plain search only when it found nothing.)
    std::size_t blocksAgreeing = 0;
    std::size_t orphans = 0;  // rows of chains no record leads to (deep only)
};

// The search that lists a store's messages, as the command line and the window both run it:
// with `deep`, finds the store's displacement; scans its records at their own positions with one row per
// body (see OneRowPerBodyObserver), and with `deep` then reports every chain of blocks no
// listed row reaches as an "Orphaned" row. A raised stop flag ends it early; what was found
// so far is still reported.
ListingReport ListStoreMessages(const std::string& path, ScanObserver& observer,
                                ScanOptions options, bool deep);

}  // namespace dbx
