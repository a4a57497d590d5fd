#include "scan_runner.h"

#include <cstdio>
#include <filesystem>

#include "listing_scan.h"
#include "messages.h"
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
                               ScanOptions options, bool group) {
    std::error_code ec;
    if (!group && std::filesystem::is_regular_file(store, ec) &&
        std::filesystem::file_size(store, ec) > kMaxStoreLength) {
        Say("warning: " + Quoted(store) +
            " is larger than 4 GiB; only its first 4 GiB are scanned");
    }
    CatchInterrupt();
    ProgressObserver observer(progress, onHit);
    options.stopFlag = &InterruptFlag();
    ScanReport report = ScanStore(store, observer, options);
    progress.Clear();
    if (report.outcome == ScanOutcome::OpenFailed) {
        Say("cannot read " + Quoted(store) + ": " + DescribeOpenError(report.error));
    } else if (!group && report.outcome == ScanOutcome::Finished && report.hits == 0) {
        Say("no messages found: " + WhyNothingWasFound(Quoted(store), report));
    }
    return report;
}

}  // namespace dbx::cli
