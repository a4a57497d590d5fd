#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "store_search.h"

namespace dbx {

// Carries what a running search reports to the window without making the search wait: rows
// are queued in order, and of the status line and progress only the latest counts. The window
// takes them whenever it is ready to draw, and always before the job's next change to it.
class ScanFeed : public SearchObserver {
  public:
    // Called on the scanning thread at every window, before anything else (tests use it to
    // hold the scan at a chosen point).
    using WindowHook = std::function<void(std::uint64_t windowOffset)>;
    explicit ScanFeed(WindowHook hook = {}) : hook_(std::move(hook)) {}

    void OnWindow(std::uint64_t windowOffset, std::string_view statusText) override;
    void OnProgress(int percent) override;
    void OnStatus(std::string_view text) override;
    void OnSurveyProgress(const SurveyProgress& progress) override;
    void OnSurveyEnded() override { surveyEnded_ = true; }
    // Whether an image's survey has ended.
    bool SurveyEnded() const { return surveyEnded_; }
    void OnMessage(const RecoveredMessage& message) override;

    struct Update {
        std::vector<RecoveredMessage> messages;  // in the order found
        std::optional<std::string> status;       // newer than the last one taken
        std::optional<int> progress;
    };
    Update Take();

  private:
    WindowHook hook_;
    std::mutex mutex_;
    std::vector<RecoveredMessage> messages_;
    std::string status_;
    bool statusFresh_ = false;
    int progress_ = -1;
    std::atomic<bool> surveyEnded_{false};
};

// The status line during an image's survey: "Looking for stores in the disk image: 812 of
// 4096 MB, 2 store headers found".
std::string SurveyStatusText(const SurveyProgress& progress);

}  // namespace dbx
