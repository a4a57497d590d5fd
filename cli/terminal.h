#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

namespace dbx::cli {

// Raised by Ctrl-C; the scan reads it once per window.
std::atomic<int>& InterruptFlag();
void CatchInterrupt();

// A one-line progress bar with the scan's status on a terminal; silent when the stream is not
// a terminal.
class ProgressLine {
  public:
    explicit ProgressLine(std::FILE* stream);
    ~ProgressLine() { Clear(); }

    bool Active() const { return active_; }
    void SetPercent(int percent);
    void SetStatus(std::string_view status);
    // Removes the line, e.g. before other output goes to the same terminal.
    void Clear();

  private:
    void Draw(bool force);

    std::FILE* stream_;
    bool active_;
    int percent_ = 0;
    std::string status_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace dbx::cli
