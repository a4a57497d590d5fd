#include "survey_stretches.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "stop_flag.h"

namespace dbx {
namespace {

// Stretches the second thread may read ahead of the one handed over.
constexpr std::size_t kAhead = 4;

void Load(const StoreFile& file, const StretchPlan& plan, std::uint64_t at, LoadedStretch& s) {
    s.bytes.resize(plan.length);
    s.at = at;
    s.size = file.ReadFile(at, reinterpret_cast<char*>(s.bytes.data()), plan.length);
    if (s.size >= plan.least) {
        FindStretchCandidates(s.bytes.data(), s.size, at, plan.stride, s.candidates);
    }
}

// Reads the stretches at odd places of the walk on a thread of its own, a few ahead of the
// walk, each into a slot of its own.
class SecondReader {
  public:
    SecondReader(const StoreFile& file, const StretchPlan& plan,
                 const std::vector<std::uint64_t>& starts)
        : file_(file), plan_(plan), starts_(starts), thread_([this] { Run(); }) {}
    ~SecondReader() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        room_.notify_all();
        thread_.join();
    }

    // The `k`th stretch it reads (of the walk: 2k + 1), once read.
    const LoadedStretch& Get(std::size_t k) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return loaded_ > k; });
        return slots_[k % kAhead];
    }
    // The `k`th stretch was handed over: its slot takes another.
    void Release(std::size_t k) {
        {
            std::lock_guard lock(mutex_);
            released_ = k + 1;
        }
        room_.notify_one();
    }

  private:
    void Run() {
        for (std::size_t k = 0; 2 * k + 1 < starts_.size(); ++k) {
            {
                std::unique_lock lock(mutex_);
                room_.wait(lock, [&] { return quit_ || k < released_ + kAhead; });
                if (quit_) return;
            }
            Load(file_, plan_, starts_[2 * k + 1], slots_[k % kAhead]);
            {
                std::lock_guard lock(mutex_);
                loaded_ = k + 1;
            }
            ready_.notify_one();
        }
    }

    const StoreFile& file_;
    const StretchPlan& plan_;
    const std::vector<std::uint64_t>& starts_;
    LoadedStretch slots_[kAhead];
    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable room_;
    std::size_t loaded_ = 0;
    std::size_t released_ = 0;
    bool quit_ = false;
    std::thread thread_;  // last: starts once everything it uses is there
};

}  // namespace

bool ForEachStretch(const StoreFile& file, const StretchPlan& plan,
                    const std::vector<std::uint64_t>& starts,
                    const std::function<bool(const LoadedStretch&)>& take) {
    auto hand = [&](const LoadedStretch& s) {
        return !StopRequested(plan.stop) && s.size >= plan.least && take(s);
    };
    LoadedStretch own;
    if (starts.size() < 2 || std::thread::hardware_concurrency() < 2) {
        for (const std::uint64_t at : starts) {
            Load(file, plan, at, own);
            if (!hand(own)) return false;
        }
        return true;
    }
    SecondReader other(file, plan, starts);
    for (std::size_t j = 0; j < starts.size(); ++j) {
        if (j % 2 == 0) {
            Load(file, plan, starts[j], own);
            if (!hand(own)) return false;
            continue;
        }
        const bool goOn = hand(other.Get(j / 2));
        other.Release(j / 2);
        if (!goOn) return false;
    }
    return true;
}

}  // namespace dbx
