#include "terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>
#include <csignal>

namespace dbx::cli {
namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr int kBarWidth = 24;

std::atomic<int>& SurveyMode() {
    static std::atomic<int> on{0};
    return on;
}

void OnInterrupt(int) {
    if (SurveyMode().exchange(0) != 0) {
        SurveyInterruptFlag().store(1);
    } else {
        InterruptFlag().store(1);
    }
}

int TerminalWidth(std::FILE* stream) {
    winsize size{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

}  // namespace

std::atomic<int>& InterruptFlag() {
    static std::atomic<int> flag{0};
    return flag;
}

std::atomic<int>& SurveyInterruptFlag() {
    static std::atomic<int> flag{0};
    return flag;
}

void InterruptEndsSurvey(bool on) {
    SurveyMode().store(on ? 1 : 0);
}

void CatchInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

ProgressLine::ProgressLine(std::FILE* stream)
    : stream_(stream), active_(isatty(fileno(stream)) == 1) {}

void ProgressLine::ShowAfter(std::chrono::milliseconds delay) {
    showFrom_ = Now() + delay;
}

void ProgressLine::SetPercent(int percent) {
    if (!active_) return;
    const bool changed = percent != percent_;
    percent_ = percent;
    Draw(changed);
}

void ProgressLine::SetStatus(std::string_view status) {
    if (!active_) return;  // called for every window of the scan
    status_ = status;
    Draw(false);
}

void ProgressLine::Draw(bool force) {
    if (!active_) return;
    const auto now = Now();
    if (now < showFrom_ || (!force && now - lastDraw_ < kRedrawEvery)) return;
    lastDraw_ = now;
    const int filled = percent_ * kBarWidth / 100;
    std::string line(1, '[');
    line.append(std::size_t(filled), '#').append(std::size_t(kBarWidth - filled), '.');
    line.append("] ").append(std::to_string(percent_)).append("%  ").append(status_);
    const auto width = std::size_t(TerminalWidth(stream_) - 1);
    if (line.size() > width) line.resize(width);
    // The progress line is for the eye only: a terminal that takes none of it loses nothing.
    (void)std::fprintf(stream_, "\r\033[K%s", line.c_str());
    (void)std::fflush(stream_);
    shown_ = true;
}

void ProgressLine::Clear() {
    if (!shown_) return;
    (void)std::fputs("\r\033[K", stream_);
    (void)std::fflush(stream_);
    shown_ = false;
}

std::string ImageProgressText(std::uint64_t bytes, std::chrono::nanoseconds elapsed,
                              std::size_t stores) {
    const double seconds = std::chrono::duration<double>(elapsed).count();
    const auto rate = seconds > 0 ? std::uint64_t(double(bytes) / 1e6 / seconds) : 0;
    return std::to_string(rate) + " MB/s, " + std::to_string(stores) +
           (stores == 1 ? " store found" : " stores found");
}

}  // namespace dbx::cli
