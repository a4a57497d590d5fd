#pragma once

#include <cstdint>

#include "scan_store.h"
#include "store_file.h"

namespace dbx {

// The scan of an opened store on two threads: stretches of windows are probed by turns on
// the calling thread and on a second one, and their findings handed to the observer on the
// calling thread in window order, with the stop flag checked before each window as a single
// thread does. Windows do not depend on each other, so the result is the same.
ScanReport ScanStoreOnTwoThreads(const StoreFile& file, std::uint64_t length,
                                 ScanObserver& observer, const ScanOptions& options,
                                 ScanReport report);

}  // namespace dbx
