#pragma once

#include <QObject>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace dbx {

// Runs one job at a time on a thread of its own. The job never touches a widget and never
// waits for the user-interface thread: what it has to tell goes into a mailbox as reports,
// which the user-interface thread takes and runs in the order they were posted; after the
// last one comes Ended. Only standard threads and locks pass data between the two threads, so
// that a thread checker sees every hand-over.
class JobRunner : public QObject {
    Q_OBJECT
  public:
    explicit JobRunner(QObject* parent = nullptr) : QObject(parent) {}
    // A job still running must have been asked to stop: it is waited for here.
    ~JobRunner() override;

    // Starts `work` on a new thread; false (and nothing started) while a job runs.
    bool Start(std::function<void()> work);
    // From the job: `report` is run on the user-interface thread.
    void Post(std::function<void()> report);
    // From Start until Ended has been sent.
    bool Running() const { return running_; }
    // For an owner about to go, once it has asked the job to stop: waits for the job's thread.
    // Reports not yet run are dropped, and Ended is not sent.
    void Join();
    // For an owner about to end the process, once it has asked the job to stop: waits at most
    // `bound` for the job's work to return; true when it has (or no job runs). Runs no report.
    bool WaitForReturn(std::chrono::milliseconds bound);

  signals:
    // The job has returned and all its reports have been run; what it wrote before returning
    // may be read now.
    void Ended();

  private:
    Q_INVOKABLE void TakeReports();
    void Wake();

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable returnedChanged_;
    std::deque<std::function<void()>> reports_;  // under mutex_
    bool returned_ = false;                      // under mutex_
    bool running_ = false;
};

}  // namespace dbx
