#include "parallel_scan.h"

#include <array>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "block_index.h"
#include "byte_source.h"
#include "candidate_filter.h"
#include "record_probe.h"
#include "stop_flag.h"

namespace dbx {
namespace {

constexpr std::size_t kBufferCapacity = 256 * 1024;
constexpr std::uint64_t kLookahead = 4096;
constexpr std::uint64_t kSelfOffsetLimit = 0x80000000u;
// Windows of one load: they and the lookahead of the last one fit one buffer.
constexpr std::uint64_t kLoadBytes = (kBufferCapacity - kLookahead) / kScanWindow * kScanWindow;
// A stretch is what one thread probes between two hand-overs: long enough that waking the
// other thread costs nothing next to it.
constexpr std::uint64_t kStretchBytes = 16 * kLoadBytes;

bool StopRequested(const ScanOptions& options) {
    return dbx::StopRequested(options.stopFlag);
}

// What one stretch gave, window by window.
struct Findings {
    struct Hit {
        std::uint64_t window;
        RecoveredMessage message;
    };
    struct BlockHeader {
        std::uint64_t pos;
        std::array<std::uint8_t, 16> bytes;
    };
    std::vector<Hit> hits;
    std::vector<BlockHeader> blocks;
    std::uint64_t probedEnd = 0;  // windows before it were probed in full
    void Clear() {
        hits.clear();
        blocks.clear();
        probedEnd = 0;
    }
};

// One thread's means to probe: its own buffer and recogniser.
class StretchProber {
  public:
    StretchProber(const StoreFile& file, std::uint64_t length, const DateFormatter& dates,
                  bool wantsBlocks, const std::atomic<int>* stop)
        : length_(length),
          stop_(stop),
          source_(file, length, kBufferCapacity),
          recognizer_(source_, dates, stop),
          wantsBlocks_(wantsBlocks) {}

    // Gives up at the first window that a stop request finds unprobed: the caller, who sees
    // the request too, hands over no window from there on.
    void Probe(std::uint64_t begin, Findings& out) {
        out.Clear();
        const std::uint64_t end = std::min(begin + kStretchBytes, length_);
        out.probedEnd = end;
        if (begin >= kSelfOffsetLimit || begin >= end) return;
        for (std::uint64_t window = begin; window < end; window += kScanWindow) {
            if (window >= kSelfOffsetLimit) break;
            if (dbx::StopRequested(stop_)) {
                out.probedEnd = window;
                return;
            }
            if ((window - begin) % kLoadBytes == 0) source_.Load(window);
            const std::uint8_t* view = source_.At(window);
            for (std::uint64_t p = 0;; ++p) {
                p = NextSelfOffset(view, std::uint32_t(window), std::size_t(p), kScanWindow);
                if (p >= kScanWindow) break;
                if (wantsBlocks_) {
                    Findings::BlockHeader& b = out.blocks.emplace_back();
                    b.pos = window + p;
                    std::memcpy(b.bytes.data(), view + p, b.bytes.size());
                }
                message_.Reset();
                std::uint64_t skipSize = 0;
                if (recognizer_.ProbeIndexRecord(std::int64_t(window + p), message_, skipSize)) {
                    message_.unreadableBytes = source_.LostWithin(window + p, RecordSpan(view + p));
                    out.hits.push_back({window, message_});
                    p += skipSize + 12;
                } else if (dbx::StopRequested(stop_)) {
                    out.probedEnd = window;
                    return;
                }
            }
        }
    }

  private:
    std::uint64_t length_;
    const std::atomic<int>* stop_;
    BufferedSource source_;
    RecordRecognizer recognizer_;
    bool wantsBlocks_;
    RecoveredMessage message_;
};

// The second thread: probes the stretch it is given while the caller probes another.
class SecondThread {
  public:
    SecondThread(const StoreFile& file, std::uint64_t length, const DateFormatter& dates,
                 bool wantsBlocks, const std::atomic<int>* stop)
        : prober_(file, length, dates, wantsBlocks, stop), thread_([this] { Run(); }) {}
    ~SecondThread() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void Start(std::uint64_t begin) {
        {
            std::lock_guard lock(mutex_);
            begin_ = begin;
            busy_ = true;
        }
        wake_.notify_all();
    }
    Findings& Wait() {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return !busy_; });
        return findings_;
    }

  private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return quit_ || busy_; });
            if (quit_) return;
            const std::uint64_t begin = begin_;
            lock.unlock();
            prober_.Probe(begin, findings_);
            lock.lock();
            busy_ = false;
            done_.notify_all();
        }
    }

    StretchProber prober_;
    Findings findings_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::uint64_t begin_ = 0;
    bool busy_ = false;
    bool quit_ = false;
    std::thread thread_;  // last: starts once everything it uses is there
};

}  // namespace

ScanReport ScanStoreOnTwoThreads(const StoreFile& file, std::uint64_t length,
                                 ScanObserver& observer, const ScanOptions& options,
                                 ScanReport report) {
    const DateFormatter dates =
        options.formatDate ? options.formatDate : EnvironmentDateFormatter();
    const bool wantsBlocks = options.blocks != nullptr;
    StretchProber own(file, length, dates, wantsBlocks, options.stopFlag);
    SecondThread other(file, length, dates, wantsBlocks, options.stopFlag);
    Findings mine;
    std::string status;
    const bool wantsStatus = observer.WantsStatusText();

    // Hands the findings of the stretch at `begin` over, window by window.
    auto deliver = [&](std::uint64_t begin, const Findings& f) {
        std::size_t hit = 0;
        std::size_t block = 0;
        const std::uint64_t end = std::min(begin + kStretchBytes, length);
        for (std::uint64_t window = begin; window < end; window += kScanWindow) {
            if (window % 100 == 0) observer.OnProgress(int(window * 100 / length));
            if (wantsStatus) status = ScanStatusText(window, length);
            observer.OnWindow(window, status);
            if (StopRequested(options) || window >= f.probedEnd) return false;
            for (; block < f.blocks.size() && f.blocks[block].pos < window + kScanWindow; ++block) {
                options.blocks->Offer(f.blocks[block].pos, f.blocks[block].bytes.data());
            }
            for (; hit < f.hits.size() && f.hits[hit].window == window; ++hit) {
                ++report.hits;
                observer.OnMessage(f.hits[hit].message);
            }
        }
        return true;
    };

    for (std::uint64_t begin = 0; begin < length; begin += 2 * kStretchBytes) {
        const std::uint64_t second = begin + kStretchBytes;
        if (second < length) other.Start(second);
        own.Probe(begin, mine);
        const bool goOn = deliver(begin, mine);
        Findings& theirs = second < length ? other.Wait() : mine;
        if (!goOn || (second < length && !deliver(second, theirs))) {
            report.outcome = ScanOutcome::Stopped;
            return report;
        }
    }
    return report;
}

}  // namespace dbx
