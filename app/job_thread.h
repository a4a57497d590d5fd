#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace dbx {

// One job on a thread of its own, started at once. Its changes to the window are blocking
// calls into the user-interface thread, so that thread never simply joins it: it keeps
// serving events while it waits.
class JobThread {
  public:
    explicit JobThread(std::function<void()> body);
    ~JobThread();  // waits like Wait()
    JobThread(const JobThread&) = delete;
    JobThread& operator=(const JobThread&) = delete;

    bool Finished() const { return finished_.load(); }
    // On the user-interface thread: serves its events until the job has ended.
    void Wait();

  private:
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

}  // namespace dbx
