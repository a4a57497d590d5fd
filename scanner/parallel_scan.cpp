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
        recognizer_.StartStretch();
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

// The stretches of a scan, claimed in order by whichever thread is free, each probed into a
// slot of a small ring; the calling thread hands them over in order. A thread that has run
// ahead of the hand-over by the whole ring waits, so memory stays bounded.
class StretchRing {
  public:
    static constexpr std::size_t kSlots = 4;

    explicit StretchRing(std::uint64_t stretches) : stretches_(stretches) {}

    // The next stretch to probe and its slot, or false when none is left or the ring closed.
    // With `wait`, waits while the ring is full (the second thread); without, says false (the
    // caller, who is the one to make room).
    bool Claim(std::uint64_t& stretch, Findings*& slot, bool wait) {
        std::unique_lock lock(mutex_);
        const auto room = [&] {
            return closed_ || claimed_ >= stretches_ || claimed_ < handedOver_ + kSlots;
        };
        if (wait) {
            changed_.wait(lock, room);
        } else if (!room()) {
            return false;
        }
        if (closed_ || claimed_ >= stretches_) return false;
        stretch = claimed_++;
        slot = &slots_[stretch % kSlots];
        return true;
    }
    void Probed(std::uint64_t stretch) {
        {
            std::lock_guard lock(mutex_);
            done_[stretch % kSlots] = true;
        }
        changed_.notify_all();
    }
    // Whether the stretch was probed; WaitFor waits for it (while the other thread probes it).
    bool Ready(std::uint64_t stretch) {
        std::lock_guard lock(mutex_);
        return done_[stretch % kSlots];
    }
    Findings& WaitFor(std::uint64_t stretch) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return done_[stretch % kSlots]; });
        return slots_[stretch % kSlots];
    }
    // The stretch was handed over: its slot takes another.
    void HandedOver(std::uint64_t stretch) {
        {
            std::lock_guard lock(mutex_);
            done_[stretch % kSlots] = false;
            handedOver_ = stretch + 1;
        }
        changed_.notify_all();
    }
    void Close() {
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
        }
        changed_.notify_all();
    }

  private:
    const std::uint64_t stretches_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::array<Findings, kSlots> slots_;
    std::array<bool, kSlots> done_{};
    std::uint64_t claimed_ = 0;
    std::uint64_t handedOver_ = 0;
    bool closed_ = false;
};

// The second thread: probes whatever stretch is next while the caller probes or hands over.
class SecondThread {
  public:
    SecondThread(const StoreFile& file, std::uint64_t length, const DateFormatter& dates,
                 bool wantsBlocks, const std::atomic<int>* stop, StretchRing& ring)
        : prober_(file, length, dates, wantsBlocks, stop),
          ring_(ring),
          thread_([this] { Run(); }) {}
    ~SecondThread() {
        ring_.Close();
        thread_.join();
    }

  private:
    void Run() {
        std::uint64_t stretch = 0;
        Findings* slot = nullptr;
        while (ring_.Claim(stretch, slot, true)) {
            prober_.Probe(stretch * kStretchBytes, *slot);
            ring_.Probed(stretch);
        }
    }

    StretchProber prober_;
    StretchRing& ring_;
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
    StretchRing ring((length + kStretchBytes - 1) / kStretchBytes);
    SecondThread other(file, length, dates, wantsBlocks, options.stopFlag, ring);
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

    // The caller probes too, but hands over first whatever is ready: the observer sees each
    // window as soon as it can, in order.
    const std::uint64_t stretches = (length + kStretchBytes - 1) / kStretchBytes;
    for (std::uint64_t next = 0; next < stretches; ++next) {
        std::uint64_t stretch = 0;
        Findings* slot = nullptr;
        while (!ring.Ready(next) && ring.Claim(stretch, slot, false)) {
            own.Probe(stretch * kStretchBytes, *slot);
            ring.Probed(stretch);
        }
        const bool goOn = deliver(next * kStretchBytes, ring.WaitFor(next));
        ring.HandedOver(next);
        if (!goOn) {
            report.outcome = ScanOutcome::Stopped;
            return report;
        }
    }
    return report;
}

}  // namespace dbx
