#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "recovered_message.h"
#include "scan_store.h"

namespace dbx {

// The messages with one row per body: of the records that lead to the same first block,
// an "Existing" one wins over a "Deleted" one, else the first found. Order is kept.
std::vector<RecoveredMessage> OneRowPerBody(std::vector<RecoveredMessage> messages);

// The same rows as OneRowPerBody, passed on while a scan runs: an "Existing" row at once, a
// "Deleted" one only at Flush, since it may be a stale copy of a record still live further on.
class OneRowPerBodyObserver : public ScanObserver {
  public:
    explicit OneRowPerBodyObserver(ScanObserver& next) : next_(next) {}

    void OnWindow(std::uint64_t windowOffset, std::string_view statusText) override {
        next_.OnWindow(windowOffset, statusText);
    }
    bool WantsStatusText() const override { return next_.WantsStatusText(); }
    void OnProgress(int percent) override { next_.OnProgress(percent); }
    void OnMessage(const RecoveredMessage& message) override;

    // Passes on the held "Deleted" rows whose body no row has yet.
    void Flush();
    // Every row passed on, in the order passed.
    std::vector<RecoveredMessage>& Listed() { return listed_; }

  private:
    void Pass(const RecoveredMessage& message);

    ScanObserver& next_;
    std::vector<RecoveredMessage> held_;
    std::vector<RecoveredMessage> listed_;
    std::unordered_set<std::uint32_t> shown_;
};

}  // namespace dbx
