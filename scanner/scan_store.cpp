#include "scan_store.h"

#include <algorithm>
#include <bit>

#include "byte_source.h"
#include "candidate_filter.h"
#include "record_probe.h"
#include "store_file.h"

namespace dbx {
namespace {

constexpr std::size_t kBufferCapacity = 256 * 1024;  // stays in the processor's cache
// Room after a window for the reads of a record that starts near its end.
constexpr std::uint64_t kLookahead = 4096;
// Self offsets are compared as signed 32-bit numbers: no record starts at 2 GiB or beyond.
constexpr std::uint64_t kSelfOffsetLimit = 0x80000000u;
constexpr std::uint32_t kGroup = 16;

bool StopRequested(const ScanOptions& options) {
    return options.stopFlag && options.stopFlag->load(std::memory_order_relaxed) != 0;
}

}  // namespace

std::string ScanStatusText(std::uint64_t windowOffset, std::uint64_t storeLength) {
    return "Parsing file :" + std::to_string(windowOffset) + "\\" + std::to_string(storeLength) +
           ".  You can stop the process by pressing \"Stop\" button .";
}

ScanReport ScanStore(const std::string& path, ScanObserver& observer, const ScanOptions& options) {
    ScanReport report;
    StoreFile file;
    if (!file.Open(path)) {
        report.outcome = ScanOutcome::OpenFailed;
        report.error = file.Error();
        return report;
    }
    report.fileLength = file.CurrentLength();
    const std::uint64_t length = std::min(report.fileLength, kMaxStoreLength);
    report.scannedLength = length;
    if (length < kMinStoreLength) return report;

    BufferedSource source(file, length, kBufferCapacity);
    RecordRecognizer recognizer(
        source, options.formatDate ? options.formatDate : EnvironmentDateFormatter());
    RecoveredMessage message;
    source.Load(0);
    for (std::uint64_t window = 0; window < length; window += kScanWindow) {
        if (window % 100 == 0) observer.OnProgress(int(window * 100 / length));
        observer.OnWindow(window, ScanStatusText(window, length));
        if (StopRequested(options)) {
            report.outcome = ScanOutcome::Stopped;
            return report;
        }
        if (window >= kSelfOffsetLimit) continue;
        if (window + kScanWindow + kLookahead > source.ViewEnd()) source.Load(window);

        // Only offsets whose word holds the offset itself can start a record.
        std::uint64_t p = 0;
        while (p < kScanWindow) {
            const std::uint64_t group = p & ~std::uint64_t(kGroup - 1);
            const auto groupOffset = std::uint32_t(window + group);
            std::uint32_t mask = SelfOffsetCandidates(source.At(groupOffset), groupOffset);
            mask &= ~0u << (p - group);
            if (mask == 0) {
                p = group + kGroup;
                continue;
            }
            p = group + std::uint64_t(std::countr_zero(mask));
            message.Reset();
            std::uint64_t skipSize = 0;
            if (recognizer.ProbeIndexRecord(std::int64_t(window + p), message, skipSize)) {
                ++report.hits;
                observer.OnMessage(message);
                p += skipSize + 12;
            }
            ++p;
        }
    }
    return report;
}

}  // namespace dbx
