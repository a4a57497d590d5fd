#include "store_scan.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "messages.h"
#include "store_file.h"

namespace dbx::cli {

std::string DescribeDisplacement(std::int64_t displacement) {
    if (displacement > 0) {
        return "its first " + std::to_string(displacement) + " bytes are missing";
    }
    return std::to_string(-displacement) + " bytes come before it";
}

namespace {

// The search on the progress line: the scan's status per window, the image's survey (once it
// has run a second: how far, how fast, and how many stores' headers it passed).
class ProgressObserver : public SearchObserver {
  public:
    explicit ProgressObserver(ProgressLine& progress)
        : progress_(progress), start_(progress.Now()) {}

    void OnWindow(std::uint64_t, std::string_view status) override { progress_.SetStatus(status); }
    bool WantsStatusText() const override { return progress_.Active(); }
    void OnProgress(int percent) override { progress_.SetPercent(percent); }
    void OnStatus(std::string_view text) override { progress_.SetStatus(text); }
    void OnSurveyProgress(const SurveyProgress& p) override {
        const auto elapsed = progress_.Now() - start_;
        progress_.SetPercent(p.length > 0 ? int(p.position * 100 / p.length) : 100);
        progress_.SetStatus(ImageProgressText(p.position, elapsed, p.storeHeaders));
    }
    // A Ctrl-C from here on ends the reading.
    void OnSurveyEnded() override { InterruptEndsSurvey(false); }
    void OnStepEnded() override { progress_.Clear(); }

  private:
    ProgressLine& progress_;
    std::chrono::steady_clock::time_point start_;
};

bool BeyondScanLimit(const std::string& store) {
    std::error_code ec;
    return std::filesystem::is_regular_file(store, ec) &&
           std::filesystem::file_size(store, ec) > kMaxStoreLength;
}

// What the search found out about the groups of structures it read.
void SayGroups(const std::string& store, const SearchResult& result) {
    const std::vector<std::int64_t>& groups = result.groups;
    if (result.mode == SearchMode::Image) {
        Say(Quoted(store) + ": " + std::to_string(groups.size()) +
            " groups of structures, each read at its own positions");
    } else if (result.mode == SearchMode::Plain) {
        return;
    } else if (groups.size() == 1 && groups[0] != 0) {
        Say(Quoted(store) + " is displaced by " + std::to_string(groups[0]) + " bytes (" +
            DescribeDisplacement(groups[0]) + "); it is read at its own positions");
    } else if (groups.size() > 1) {
        std::string list;
        for (std::int64_t d : groups) list += (list.empty() ? "" : ", ") + std::to_string(d);
        Say(Quoted(store) + " holds " + std::to_string(groups.size()) +
            " groups of structures, displaced by " + list +
            " bytes; each is read at its own positions");
    }
}

// The lines of each scan the search ran: a store beyond 4 GiB is scanned only so far; one that
// cannot be read, or in which nothing was found, is said so. A group of a disk image is said
// only when it cannot be read: the image as a whole says what it held.
void SayScans(const std::string& store, const SearchResult& result) {
    const bool image = result.mode == SearchMode::Image;
    const bool large = !image && BeyondScanLimit(store);
    for (const SearchGroup& scan : result.scans) {
        if (large) {
            Say("warning: " + Quoted(store) +
                " is larger than 4 GiB; only its first 4 GiB are scanned");
        }
        const ScanReport& report = scan.report;
        if (report.outcome == ScanOutcome::OpenFailed) {
            Say("cannot read " + Quoted(store) + ": " + DescribeOpenError(report.error));
        } else if (!image && report.outcome == ScanOutcome::Finished && report.hits == 0) {
            Say("no messages found: " + WhyNothingWasFound(Quoted(store), report));
        }
    }
}

}  // namespace

SearchResult ScanForListing(const std::string& store, ProgressLine& progress, bool deep,
                            std::shared_ptr<const ReadDevice> device, bool image) {
    CatchInterrupt();
    SearchOptions options;
    options.mode = image ? SearchMode::Image : deep ? SearchMode::Deep : SearchMode::Plain;
    options.stopFlag = &InterruptFlag();
    options.device = std::move(device);
    // Dates are formatted from the environment, which two threads may do at once.
    options.threads = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
    if (image) {
        // The first Ctrl-C ends the survey, not the reading of the stores it found so far.
        SurveyInterruptFlag().store(0);
        options.surveyStopFlag = &SurveyInterruptFlag();
        InterruptEndsSurvey(true);
        progress.ShowAfter(std::chrono::seconds(1));
    }
    ProgressObserver observer(progress);
    SearchResult result = SearchStore(store, options, observer);
    InterruptEndsSurvey(false);
    progress.Clear();
    if (image && result.report.outcome == ScanOutcome::OpenFailed && result.scans.empty()) {
        Say("cannot read " + Quoted(store) + ": " + DescribeOpenError(result.report.error));
        return result;
    }
    SayGroups(store, result);
    SayScans(store, result);
    if (image && result.messages.empty() && result.report.outcome == ScanOutcome::Finished) {
        Say("no messages found: " + Quoted(store) + " holds no store that could be recognised");
    }
    return result;
}

}  // namespace dbx::cli
