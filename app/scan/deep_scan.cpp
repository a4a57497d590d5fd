#include "scan/deep_scan.h"

#include <unordered_set>
#include <vector>

#include "block_index.h"
#include "displacement.h"
#include "orphan_chains.h"
#include "store_file.h"

namespace dbx {

namespace {

// Passes the scan on with one row per body. A deleted row may be a stale copy of a record
// that is still live further on, so it waits for the end of the record scan.
class OneRowPerBodyFeed : public ScanObserver {
  public:
    explicit OneRowPerBodyFeed(ScanObserver& next) : next_(next) {}

    void OnWindow(std::uint64_t windowOffset, std::string_view statusText) override {
        next_.OnWindow(windowOffset, statusText);
    }
    bool WantsStatusText() const override { return next_.WantsStatusText(); }
    void OnProgress(int percent) override { next_.OnProgress(percent); }
    void OnMessage(const RecoveredMessage& message) override {
        if (message.deleted) {
            held_.push_back(message);
        } else {
            Pass(message);
        }
    }

    // The held deleted rows whose body no row has yet.
    void Flush() {
        for (const RecoveredMessage& message : held_) Pass(message);
        held_.clear();
    }
    std::vector<RecoveredMessage>& Listed() { return listed_; }

  private:
    void Pass(const RecoveredMessage& message) {
        if (!shown_.insert(message.offset).second) return;
        listed_.push_back(message);
        next_.OnMessage(message);
    }

    ScanObserver& next_;
    std::vector<RecoveredMessage> held_;
    std::vector<RecoveredMessage> listed_;
    std::unordered_set<std::uint32_t> shown_;
};

bool Raised(const std::atomic<int>* flag) {
    return flag && flag->load() != 0;
}

}  // namespace

DeepScanReport DeepScanStore(const std::string& path, ScanObserver& observer, ScanOptions options) {
    DeepScanReport report;
    {
        StoreFile file;
        if (file.Open(path)) report.displacement = FindDisplacement(file).displacement;
    }
    BlockIndex blocks;
    options.displacement = report.displacement;
    options.blocks = &blocks;
    OneRowPerBodyFeed feed(observer);
    report.scan = ScanStore(path, feed, options);
    feed.Flush();
    if (report.scan.outcome != ScanOutcome::Finished || Raised(options.stopFlag)) {
        return report;
    }
    DeepSearchOptions deep;
    deep.displacement = report.displacement;
    deep.stopFlag = options.stopFlag;
    deep.formatDate = options.formatDate;
    const std::vector<RecoveredMessage> orphans =
        FindOrphanedChains(path, blocks, feed.Listed(), deep);
    for (const RecoveredMessage& orphan : orphans) observer.OnMessage(orphan);
    report.orphans = orphans.size();
    if (Raised(options.stopFlag)) report.scan.outcome = ScanOutcome::Stopped;
    return report;
}

}  // namespace dbx
