// A job with parameters and a result: the result comes back by value on the window's thread
// after the job's reports, and every start has a stop flag of its own.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "common/job.h"

namespace dbx {
namespace {

using namespace std::chrono_literals;

struct Outcome {
    std::string text;
    bool stopped = false;
    bool onUiThread = false;
};

// Waits until `released` is raised or the job is asked to stop.
Outcome HoldUntil(const std::atomic<bool>& released, const std::atomic<int>& stop) {
    while (!released && stop.load() == 0) QThread::msleep(1);
    return Outcome{"held", stop.load() != 0, false};
}

TEST(Job, TheResultComesBackByValueOnTheWindowsThreadAfterTheReports) {
    std::vector<Outcome> results;
    std::vector<int> reports;
    std::size_t reportsAtResult = 0;
    Job<Outcome> job([&](Outcome outcome) {
        outcome.onUiThread = QThread::currentThread() == qApp->thread();
        reportsAtResult = reports.size();
        results.push_back(std::move(outcome));
    });
    ASSERT_TRUE(job.Start([&job, &reports](const std::atomic<int>&) {
        for (int i = 0; i < 10; ++i) job.Post([&reports, i] { reports.push_back(i); });
        return Outcome{"done", false, false};
    }));
    EXPECT_TRUE(job.Running());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !results.empty(); }, 60000));
    EXPECT_FALSE(job.Running());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].text, "done");
    EXPECT_TRUE(results[0].onUiThread);
    EXPECT_EQ(reportsAtResult, 10u);
}

TEST(Job, EachStartHasAStopFlagOfItsOwn) {
    std::vector<Outcome> results;
    Job<Outcome> job([&](Outcome outcome) { results.push_back(std::move(outcome)); });
    std::atomic<bool> released{false};

    // A stop asked while nothing runs does not reach the next job.
    job.RequestStop();
    EXPECT_TRUE(job.StopRequested());
    ASSERT_TRUE(job.Start([&](const std::atomic<int>& stop) { return HoldUntil(released, stop); }));
    EXPECT_FALSE(job.StopRequested());
    // One job at a time.
    EXPECT_FALSE(job.Start([](const std::atomic<int>&) {
        return Outcome{"second", false, false};
    }));
    job.RequestStop();
    EXPECT_TRUE(job.StopRequested());
    ASSERT_TRUE(QTest::qWaitFor([&] { return results.size() == 1; }, 60000));
    EXPECT_TRUE(results[0].stopped);

    // The next start begins unstopped, and ends by its own course.
    released = true;
    ASSERT_TRUE(job.Start([&](const std::atomic<int>& stop) { return HoldUntil(released, stop); }));
    EXPECT_FALSE(job.StopRequested());
    ASSERT_TRUE(QTest::qWaitFor([&] { return results.size() == 2; }, 60000));
    EXPECT_FALSE(results[1].stopped);
}

TEST(Job, WaitingForItsReturnIsBoundedAndRunsNoReport) {
    int results = 0;
    int reports = 0;
    Job<Outcome> job([&](Outcome) { ++results; });
    // Nothing runs: nothing to wait for.
    EXPECT_TRUE(job.WaitForReturn(0ms));

    std::atomic<bool> released{false};
    std::atomic<bool> started{false};
    ASSERT_TRUE(job.Start([&](const std::atomic<int>&) {
        job.Post([&reports] { ++reports; });
        started = true;
        while (!released) QThread::msleep(1);
        return Outcome{};
    }));
    while (!started) QThread::msleep(1);
    // Held: the wait gives up at its bound.
    EXPECT_FALSE(job.WaitForReturn(20ms));
    released = true;
    EXPECT_TRUE(job.WaitForReturn(60s));
    // Returned, but nothing reached the window's thread yet: that happens as events are served.
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(results, 0);
    EXPECT_TRUE(job.Running());
    ASSERT_TRUE(QTest::qWaitFor([&] { return results == 1; }, 60000));
    EXPECT_EQ(reports, 1);
}

TEST(Job, OneGoneWhileItsJobRunsStopsItAndWaits) {
    std::atomic<bool> sawStop{false};
    std::atomic<bool> released{false};
    {
        Job<Outcome> job([](Outcome) { ADD_FAILURE() << "no result after the job went"; });
        ASSERT_TRUE(job.Start([&](const std::atomic<int>& stop) {
            Outcome outcome = HoldUntil(released, stop);
            sawStop = outcome.stopped;
            return outcome;
        }));
    }
    EXPECT_TRUE(sawStop);
    QCoreApplication::processEvents();
}

}  // namespace
}  // namespace dbx
