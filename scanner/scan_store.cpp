#include "scan_store.h"

#include <algorithm>
#include <charconv>

#include "block_index.h"
#include "byte_source.h"
#include "candidate_filter.h"
#include "parallel_scan.h"
#include "record_probe.h"
#include "stop_flag.h"
#include "store_file.h"

namespace dbx {
namespace {

// Written for every window of the store: into one string, without allocations.
void FormatStatusText(std::string& text, std::uint64_t windowOffset, std::uint64_t storeLength) {
    char number[24];
    text.assign("Parsing file :");
    text.append(number, std::to_chars(number, number + sizeof number, windowOffset).ptr);
    text.push_back('\\');
    text.append(number, std::to_chars(number, number + sizeof number, storeLength).ptr);
    text.append(".  You can stop the process by pressing \"Stop\" button .");
}

}  // namespace

std::string ScanStatusText(std::uint64_t windowOffset, std::uint64_t storeLength) {
    std::string text;
    FormatStatusText(text, windowOffset, storeLength);
    return text;
}

namespace {

ScanReport ScanOpenedStore(const StoreFile& file, ScanObserver& observer,
                           const ScanOptions& options, ScanReport report) {
    report.fileLength = file.CurrentLength();
    const std::uint64_t length = std::min(report.fileLength, kMaxStoreLength);
    report.scannedLength = length;
    if (length < kMinStoreLength) return report;
    // Records read on past the range (their texts, their bodies): only the probing stops.
    const bool ranged = options.begin > 0 || options.end > 0;
    const std::uint64_t last = options.end > 0 ? std::min(length, options.end) : length;
    const std::uint64_t first = std::min(options.begin, last) / kScanWindow * kScanWindow;
    if (options.blocks) options.blocks->Reserve(last - first);
    if (options.threads > 1 && !ranged) {
        return ScanStoreOnTwoThreads(file, length, observer, options, report);
    }

    BufferedSource source(file, length, kBufferCapacity);
    RecordRecognizer recognizer(
        source, options.formatDate ? options.formatDate : EnvironmentDateFormatter(),
        options.stopFlag);
    RecoveredMessage message;
    std::string status;
    const bool wantsStatus = observer.WantsStatusText();
    source.Load(first);
    for (std::uint64_t window = first; window < last; window += kScanWindow) {
        if (window % 100 == 0) observer.OnProgress(int(window * 100 / length));
        if (wantsStatus) FormatStatusText(status, window, length);
        observer.OnWindow(window, status);
        if (StopRequested(options.stopFlag)) {
            report.outcome = ScanOutcome::Stopped;
            return report;
        }
        if (window >= kSelfOffsetLimit) continue;
        if (window + kScanWindow + kLookahead > source.ViewEnd()) source.Load(window);
        if (window == first || window % kStretchBytes == 0) recognizer.StartStretch();

        // Only offsets whose word holds the offset itself can start a record.
        const std::uint8_t* view = source.At(window);
        for (std::uint64_t p = 0;; ++p) {
            p = NextSelfOffset(view, std::uint32_t(window), std::size_t(p), kScanWindow);
            if (p >= kScanWindow) break;
            if (options.blocks) options.blocks->Offer(window + p, view + p);
            message.Reset();
            std::uint64_t skipSize = 0;
            if (recognizer.ProbeIndexRecord(std::int64_t(window + p), message, skipSize)) {
                message.unreadableBytes = source.LostWithin(window + p, RecordSpan(view + p));
                ++report.hits;
                observer.OnMessage(message);
                p += skipSize + 12;
            } else if (StopRequested(options.stopFlag)) {
                // A long probe may have seen the flag and given up: its "no" does not count.
                report.outcome = ScanOutcome::Stopped;
                return report;
            }
        }
    }
    return report;
}

}  // namespace

ScanReport ScanStore(const std::string& path, ScanObserver& observer, const ScanOptions& options) {
    ScanReport report;
    StoreFile file;
    if (!file.Open(path)) {
        report.outcome = ScanOutcome::OpenFailed;
        report.error = file.Error();
        return report;
    }
    UnreadableRanges own;
    UnreadableRanges& unreadable = options.unreadable ? *options.unreadable : own;
    file.SetDisplacement(options.displacement);
    file.SetDevice(options.device);
    file.SetUnreadable(&unreadable);
    file.SetStopFlag(options.stopFlag);
    report = ScanOpenedStore(file, observer, options, report);
    report.unreadableBytes = unreadable.Bytes();
    report.unreadableRanges = unreadable.Count();
    return report;
}

}  // namespace dbx
