#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace dbx::cli {

// Raised by Ctrl-C; the scan reads it once per window.
std::atomic<int>& InterruptFlag();
void CatchInterrupt();
// Raised instead of InterruptFlag() by the first Ctrl-C after InterruptEndsSurvey(true): it
// ends the survey of a disk image only, and the next Ctrl-C raises InterruptFlag() again.
std::atomic<int>& SurveyInterruptFlag();
// While on (and until the first Ctrl-C), Ctrl-C raises SurveyInterruptFlag().
void InterruptEndsSurvey(bool on);

// A one-line progress bar with the scan's status on a terminal; silent when the stream is not
// a terminal.
class ProgressLine {
  public:
    explicit ProgressLine(std::FILE* stream);
    ~ProgressLine() { Clear(); }

    // What the line takes the time from: the steady clock, unless a test sets its own.
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    void SetClock(Clock clock) { clock_ = std::move(clock); }
    std::chrono::steady_clock::time_point Now() const {
        return clock_ ? clock_() : std::chrono::steady_clock::now();
    }

    bool Active() const { return active_; }
    // Nothing is drawn until `delay` from now has passed: a short scan shows no line.
    void ShowAfter(std::chrono::milliseconds delay);
    void SetPercent(int percent);
    void SetStatus(std::string_view status);
    // Removes the line, e.g. before other output goes to the same terminal.
    void Clear();

  private:
    void Draw(bool force);

    std::FILE* stream_;
    bool active_;
    Clock clock_;
    int percent_ = 0;
    std::string status_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
    std::chrono::steady_clock::time_point showFrom_{};
};

// The status of the progress line of a disk image's survey: "812 MB/s, 2 stores found".
std::string ImageProgressText(std::uint64_t bytes, std::chrono::nanoseconds elapsed,
                              std::size_t stores);

}  // namespace dbx::cli
