#include "scan_runner.h"

#include <cstdio>
#include <filesystem>

#include "listing_scan.h"
#include "store_file.h"

namespace dbx::cli {
namespace {

class ProgressObserver : public ScanObserver {
  public:
    ProgressObserver(ProgressLine& progress,
                     const std::function<void(const RecoveredMessage&)>& onHit)
        : progress_(progress), onHit_(onHit) {}
    void OnWindow(std::uint64_t, std::string_view status) override { progress_.SetStatus(status); }
    bool WantsStatusText() const override { return progress_.Active(); }
    void OnProgress(int percent) override { progress_.SetPercent(percent); }
    void OnMessage(const RecoveredMessage& message) override { onHit_(message); }

  private:
    ProgressLine& progress_;
    const std::function<void(const RecoveredMessage&)>& onHit_;
};

}  // namespace

ScanReport RunScanWithProgress(const std::string& store, ProgressLine& progress,
                               const std::function<void(const RecoveredMessage&)>& onHit,
                               ScanOptions options) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(store, ec) &&
        std::filesystem::file_size(store, ec) > kMaxStoreLength) {
        std::fprintf(stderr,
                     "dbxrecover: warning: '%s' is larger than 4 GiB; only its first 4 GiB are "
                     "scanned\n",
                     store.c_str());
    }
    CatchInterrupt();
    ProgressObserver observer(progress, onHit);
    options.stopFlag = &InterruptFlag();
    ScanReport report = ScanStore(store, observer, options);
    progress.Clear();
    if (report.outcome == ScanOutcome::OpenFailed) {
        std::fprintf(stderr, "dbxrecover: cannot read '%s': %s\n", store.c_str(),
                     DescribeOpenError(report.error).c_str());
    } else if (report.outcome == ScanOutcome::Finished && report.hits == 0) {
        std::fprintf(stderr, "dbxrecover: no messages found: %s\n",
                     WhyNothingWasFound(store, report).c_str());
    }
    return report;
}

}  // namespace dbx::cli
