#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "read_device.h"
#include "record_date.h"
#include "recovered_message.h"
#include "unreadable_ranges.h"

namespace dbx {

constexpr std::uint32_t kScanWindow = 2560;
constexpr std::uint64_t kMinStoreLength = 2000;
// Offsets in a store are 32-bit: anything beyond is never scanned.
constexpr std::uint64_t kMaxStoreLength = 0xFFFFFFFFu;

// Receives what a scan finds, on the scanning thread, in discovery order.
class ScanObserver {
  public:
    virtual ~ScanObserver() = default;
    // Once per window, before its offsets are probed.
    virtual void OnWindow(std::uint64_t /*windowOffset*/, std::string_view /*statusText*/) {}
    // False spares the scan the status text of every window (OnWindow then gets an empty one).
    virtual bool WantsStatusText() const { return true; }
    // Every fifth window: the share of the store reached, 0 to 100.
    virtual void OnProgress(int /*percent*/) {}
    virtual void OnMessage(const RecoveredMessage& message) = 0;
};

class BlockIndex;

struct ScanOptions {
    const std::atomic<int>* stopFlag = nullptr;  // non-zero ends the scan at the next window
    DateFormatter formatDate;                    // empty: EnvironmentDateFormatter()
    // See StoreFile::SetDisplacement; the offsets reported are the store's own.
    std::int64_t displacement = 0;
    // When set, gathers every message block header the scan passes, for the deep search.
    BlockIndex* blocks = nullptr;
    // 2: the windows are probed on two threads (same results, in the same order, reported
    // on the calling thread); `formatDate` must then be safe to call from another thread.
    int threads = 1;
    // When set, receives every range of the store the disk failed to read (at the file's own
    // positions), for the reports; a later extraction given the same record does not try
    // those sectors again. The stop flag also ends the retries of a failing read, between
    // two sector reads.
    UnreadableRanges* unreadable = nullptr;
    // Where the store's bytes come from; null: the file itself.
    std::shared_ptr<const ReadDevice> device;
    // Only the store positions [begin, end) are probed (end 0: to the store's end); one
    // thread then probes them. A group of structures of a disk image is scanned where it lies.
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

enum class ScanOutcome { Finished, Stopped, OpenFailed };

struct ScanReport {
    ScanOutcome outcome = ScanOutcome::Finished;
    int error = 0;                 // errno when the store could not be opened
    std::uint64_t fileLength = 0;  // as found when the scan opened the store (displaced)
    std::uint64_t scannedLength = 0;
    std::size_t hits = 0;
    // What the record of unreadable ranges holds after the scan (read as zeros; messages
    // there may lack it, see RecoveredMessage::unreadableBytes): bytes and separate ranges.
    std::uint64_t unreadableBytes = 0;
    std::size_t unreadableRanges = 0;
};

// Probes every offset of the store at `path` for message-index records.
ScanReport ScanStore(const std::string& path, ScanObserver& observer,
                     const ScanOptions& options = {});

// The status line of the window at `windowOffset`.
std::string ScanStatusText(std::uint64_t windowOffset, std::uint64_t storeLength);

}  // namespace dbx
