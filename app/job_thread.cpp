#include "job_thread.h"

#include <QCoreApplication>
#include <QThread>

namespace dbx {

JobThread::JobThread(std::function<void()> body)
    : thread_([this, body = std::move(body)] {
          body();
          finished_.store(true);
      }) {}

JobThread::~JobThread() {
    Wait();
}

void JobThread::Wait() {
    while (!finished_.load()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (!finished_.load()) QThread::usleep(500);
    }
    if (thread_.joinable()) thread_.join();
}

}  // namespace dbx
