#include "common/job_runner.h"

namespace dbx {

JobRunner::~JobRunner() {
    Join();
}

void JobRunner::Join() {
    if (thread_.joinable()) thread_.join();
    running_ = false;
    std::lock_guard lock(mutex_);
    reports_.clear();
}

bool JobRunner::Start(std::function<void()> work) {
    if (running_) return false;
    if (thread_.joinable()) thread_.join();
    running_ = true;
    {
        std::lock_guard lock(mutex_);
        returned_ = false;
        reports_.clear();
    }
    thread_ = std::thread([this, work = std::move(work)] {
        work();
        {
            std::lock_guard lock(mutex_);
            returned_ = true;
        }
        returnedChanged_.notify_all();
        Wake();
    });
    return true;
}

bool JobRunner::WaitForReturn(std::chrono::milliseconds bound) {
    if (!running_) return true;
    std::unique_lock lock(mutex_);
    return returnedChanged_.wait_for(lock, bound, [this] { return returned_; });
}

void JobRunner::Post(std::function<void()> report) {
    {
        std::lock_guard lock(mutex_);
        reports_.push_back(std::move(report));
    }
    Wake();
}

void JobRunner::Wake() {
    // By name: the queued call carries nothing made on this thread.
    QMetaObject::invokeMethod(this, "TakeReports", Qt::QueuedConnection);
}

void JobRunner::TakeReports() {
    // One report at a time: a report may open a message box, whose loop can call this again.
    for (;;) {
        std::function<void()> report;
        bool returned = false;
        {
            std::lock_guard lock(mutex_);
            if (!reports_.empty()) {
                report = std::move(reports_.front());
                reports_.pop_front();
            }
            returned = returned_;
        }
        if (report) {
            report();
            continue;
        }
        if (!returned || !running_) return;
        // The job has returned: joining only waits for its thread to finish exiting.
        thread_.join();
        running_ = false;
        emit Ended();
        return;
    }
}

}  // namespace dbx
