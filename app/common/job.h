#pragma once

#include <QObject>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "common/job_runner.h"

namespace dbx {

// A job that takes its parameters when it starts and hands its result back by value to the
// user-interface thread once it has ended and all its reports have been run. Every start has
// a stop flag of its own: a stop asked of one job never reaches another, and a new start never
// clears a stop asked of the one before.
template <typename Result>
class Job {
  public:
    using Work = std::function<Result(const std::atomic<int>& stop)>;

    // `finished` runs on the user-interface thread with the result of each job.
    explicit Job(std::function<void(Result)> finished) : finished_(std::move(finished)) {
        QObject::connect(&runner_, &JobRunner::Ended, &runner_, [this] {
            if (!result_ || !*result_) return;
            Result result = std::move(**result_);
            result_.reset();
            finished_(std::move(result));
        });
    }
    // A job still running is asked to stop and waited for; its result is dropped.
    ~Job() {
        RequestStop();
        runner_.Join();
    }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    // False (and nothing started) while a job runs.
    bool Start(Work work) {
        if (runner_.Running()) return false;
        auto stop = std::make_shared<std::atomic<int>>(0);
        stop_ = stop;
        result_ = std::make_shared<std::optional<Result>>();
        return runner_.Start(
            [work = std::move(work), stop, slot = result_] { slot->emplace(work(*stop)); });
    }
    // From the job: `report` runs on the user-interface thread, before the result arrives.
    void Post(std::function<void()> report) { runner_.Post(std::move(report)); }
    // Asks the running job to stop; without one, the request is noted and the next start
    // begins without it.
    void RequestStop() { stop_->store(1); }
    // Whether a stop was asked of the latest job (or, before the first, of none yet).
    bool StopRequested() const { return stop_->load() != 0; }
    // From Start until the result has been handed over.
    bool Running() const { return runner_.Running(); }
    // See JobRunner::WaitForReturn.
    bool WaitForReturn(std::chrono::milliseconds bound) { return runner_.WaitForReturn(bound); }

  private:
    std::function<void(Result)> finished_;
    std::shared_ptr<std::atomic<int>> stop_ = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::optional<Result>> result_;  // written by the job, read once it ended
    JobRunner runner_;
};

}  // namespace dbx
