#include "group_scans.h"

#include <atomic>
#include <thread>

namespace dbx {
namespace {

class Collector : public ScanObserver {
  public:
    explicit Collector(std::vector<RecoveredMessage>& hits) : hits_(hits) {}
    bool WantsStatusText() const override { return false; }
    void OnMessage(const RecoveredMessage& message) override { hits_.push_back(message); }

  private:
    std::vector<RecoveredMessage>& hits_;
};

}  // namespace

std::vector<GroupScan> ScanGroups(const std::string& path,
                                  const std::vector<ScanOptions>& options) {
    std::vector<GroupScan> scans(options.size());
    for (GroupScan& scan : scans) scan.report.outcome = ScanOutcome::Stopped;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    // Groups are taken in turn by whichever thread is free: they differ much in size.
    auto work = [&] {
        for (std::size_t g = next++; g < options.size() && !failed; g = next++) {
            Collector collect(scans[g].hits);
            scans[g].report = ScanStore(path, collect, options[g]);
            if (scans[g].report.outcome != ScanOutcome::Finished) failed = true;
        }
    };
    if (options.size() < 2 || std::thread::hardware_concurrency() < 2) {
        work();
        return scans;
    }
    std::thread second(work);
    work();
    second.join();
    return scans;
}

}  // namespace dbx
