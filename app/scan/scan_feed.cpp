#include "scan/scan_feed.h"

namespace dbx {

void ScanFeed::OnWindow(std::uint64_t windowOffset, std::string_view statusText) {
    if (hook_) hook_(windowOffset);
    std::lock_guard lock(mutex_);
    status_.assign(statusText);
    statusFresh_ = true;
}

void ScanFeed::OnProgress(int percent) {
    std::lock_guard lock(mutex_);
    progress_ = percent;
}

void ScanFeed::OnStatus(std::string_view text) {
    std::lock_guard lock(mutex_);
    status_.assign(text);
    statusFresh_ = true;
}

void ScanFeed::OnSurveyProgress(const SurveyProgress& progress) {
    OnProgress(progress.length > 0 ? int(progress.position * 100 / progress.length) : 100);
    OnStatus(SurveyStatusText(progress));
}

std::string SurveyStatusText(const SurveyProgress& progress) {
    constexpr std::uint64_t kMB = 1000 * 1000;
    const std::size_t headers = progress.storeHeaders;
    return "Looking for stores in the disk image: " + std::to_string(progress.position / kMB) +
           " of " + std::to_string(progress.length / kMB) + " MB, " + std::to_string(headers) +
           (headers == 1 ? " store header found" : " store headers found");
}

void ScanFeed::OnMessage(const RecoveredMessage& message) {
    std::lock_guard lock(mutex_);
    messages_.push_back(message);
}

ScanFeed::Update ScanFeed::Take() {
    Update update;
    std::lock_guard lock(mutex_);
    update.messages.swap(messages_);
    if (statusFresh_) update.status = status_;
    statusFresh_ = false;
    if (progress_ >= 0) update.progress = progress_;
    progress_ = -1;
    return update;
}

}  // namespace dbx
