#pragma once

#include <cstdint>

#include "little_endian.h"
#include "scan_store.h"
#include "store_file.h"
#include "store_layout.h"

namespace dbx {

constexpr std::size_t kBufferCapacity = 256 * 1024;  // stays in the processor's cache
// Room after a window for the reads of a record that starts near its end.
constexpr std::uint64_t kLookahead = 4096;
// Self offsets are compared as signed 32-bit numbers: no record starts at 2 GiB or beyond.
constexpr std::uint64_t kSelfOffsetLimit = 0x80000000u;
// Windows of one load: they and the lookahead of the last one fit one buffer.
constexpr std::uint64_t kLoadBytes = (kBufferCapacity - kLookahead) / kScanWindow * kScanWindow;
// The probes of a scan start afresh at every multiple of this (what one thread probes between
// two hand-overs: long enough that waking the other thread costs nothing next to it), so that
// what a stretch's probes find depends on the store alone, whichever thread probes it.
constexpr std::uint64_t kStretchBytes = 16 * kLoadBytes;

// The bytes of the record whose header is at `header`, as its length word says: where a read
// the disk failed makes a listed message's texts unsure.
inline std::uint64_t RecordSpan(const std::uint8_t* header) {
    return layout::kRecordHeaderSize + LoadU32(header + layout::kRecordBodyLengthAt);
}

// The scan of an opened store on two threads: stretches of windows are probed by turns on
// the calling thread and on a second one, and their findings handed to the observer on the
// calling thread in window order, with the stop flag checked before each window as a single
// thread does. Each stretch is probed from its start by one recogniser, so the result is the
// same.
ScanReport ScanStoreOnTwoThreads(const StoreFile& file, std::uint64_t length,
                                 ScanObserver& observer, const ScanOptions& options,
                                 ScanReport report);

}  // namespace dbx
