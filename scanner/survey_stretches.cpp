#include "survey_stretches.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "stop_flag.h"

namespace dbx {
namespace {

void Load(const StoreFile& file, const StretchPlan& plan, std::uint64_t at, LoadedStretch& s) {
    s.at = at;
    s.bytes.resize(plan.length);
    s.size = file.ReadFile(at, reinterpret_cast<char*>(s.bytes.data()), plan.length);
    if (s.size >= plan.least) {
        FindStretchCandidates(s.bytes.data(), s.size, at, plan.stride, s.candidates);
    }
}

// Loads one stretch at a time on a thread of its own.
class SecondLoader {
  public:
    SecondLoader(const StoreFile& file, const StretchPlan& plan)
        : file_(file), plan_(plan), thread_([this] { Run(); }) {}
    ~SecondLoader() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void Start(std::uint64_t at) {
        {
            std::lock_guard lock(mutex_);
            at_ = at;
            busy_ = true;
        }
        wake_.notify_all();
    }
    const LoadedStretch& Wait() {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return !busy_; });
        return stretch_;
    }

  private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return quit_ || busy_; });
            if (quit_) return;
            const std::uint64_t at = at_;
            lock.unlock();
            Load(file_, plan_, at, stretch_);
            lock.lock();
            busy_ = false;
            done_.notify_all();
        }
    }

    const StoreFile& file_;
    const StretchPlan& plan_;
    LoadedStretch stretch_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::uint64_t at_ = 0;
    bool busy_ = false;
    bool quit_ = false;
    std::thread thread_;  // last: starts once everything it uses is there
};

}  // namespace

bool ForEachStretch(const StoreFile& file, const StretchPlan& plan,
                    const std::function<bool(std::uint64_t& at)>& next,
                    const std::function<bool(const LoadedStretch&)>& take) {
    auto hand = [&](const LoadedStretch& s) {
        return !StopRequested(plan.stop) && s.size >= plan.least && take(s);
    };
    LoadedStretch own;
    std::uint64_t at = 0;
    if (std::thread::hardware_concurrency() < 2) {
        for (;;) {
            if (!next(at)) return true;
            Load(file, plan, at, own);
            if (!hand(own)) return false;
        }
    }
    SecondLoader other(file, plan);
    for (;;) {
        if (!next(at)) return true;
        std::uint64_t second = 0;
        const bool two = next(second);
        if (two) other.Start(second);
        Load(file, plan, at, own);
        const bool goOn = hand(own);
        if (two) {
            const LoadedStretch& theirs = other.Wait();
            if (goOn && !hand(theirs)) return false;
        }
        if (!goOn) return false;
        if (!two) return true;
    }
}

}  // namespace dbx
