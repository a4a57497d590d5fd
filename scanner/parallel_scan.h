#pragma once

#include <cstdint>

#include "little_endian.h"
#include "scan_store.h"
#include "store_file.h"
#include "store_layout.h"

namespace dbx {

// The bytes of the record whose header is at `header`, as its length word says: where a read
// the disk failed makes a listed message's texts unsure.
inline std::uint64_t RecordSpan(const std::uint8_t* header) {
    return layout::kRecordHeaderSize + LoadU32(header + layout::kRecordBodyLengthAt);
}

// The scan of an opened store on two threads: stretches of windows are probed by turns on
// the calling thread and on a second one, and their findings handed to the observer on the
// calling thread in window order, with the stop flag checked before each window as a single
// thread does. Windows do not depend on each other, so the result is the same.
ScanReport ScanStoreOnTwoThreads(const StoreFile& file, std::uint64_t length,
                                 ScanObserver& observer, const ScanOptions& options,
                                 ScanReport report);

}  // namespace dbx
