// The runner of the window's jobs: reports arrive on the user-interface thread, in order, and
// the end comes after the last of them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <vector>

#include "common/job_runner.h"

namespace dbx {
namespace {

TEST(JobRunner, ReportsRunOnTheWindowsThreadInOrderAndTheEndComesLast) {
    JobRunner runner;
    std::vector<int> seen;
    std::vector<bool> onUiThread;
    int ends = 0;
    std::size_t reportsAtEnd = 0;
    QObject::connect(&runner, &JobRunner::Ended, [&] {
        ++ends;
        reportsAtEnd = seen.size();
    });
    int written = 0;
    ASSERT_TRUE(runner.Start([&] {
        for (int i = 0; i < 100; ++i) {
            runner.Post([&, i] {
                seen.push_back(i);
                onUiThread.push_back(QThread::currentThread() == qApp->thread());
            });
        }
        written = 42;
    }));
    EXPECT_TRUE(runner.Running());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends == 1; }, 10000));
    EXPECT_FALSE(runner.Running());
    ASSERT_EQ(seen.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(seen[std::size_t(i)], i);
    EXPECT_EQ(std::count(onUiThread.begin(), onUiThread.end(), false), 0);
    EXPECT_EQ(reportsAtEnd, 100u);
    // What the job wrote before it returned is there to read once it has ended.
    EXPECT_EQ(written, 42);
    // One end only: reports arrive in order, so a second end of the first job would come
    // before the end of the next one.
    ASSERT_TRUE(runner.Start([] {}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends >= 2; }, 10000));
    EXPECT_EQ(ends, 2);
}

TEST(JobRunner, OneJobAtATimeAndAnotherOnceItEnded) {
    JobRunner runner;
    std::atomic<bool> release{false};
    int ends = 0;
    QObject::connect(&runner, &JobRunner::Ended, [&] { ++ends; });
    ASSERT_TRUE(runner.Start([&] {
        while (!release) QThread::msleep(1);
    }));
    int second = 0;
    EXPECT_FALSE(runner.Start([&] { second = 1; }));
    release = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends == 1; }, 10000));
    EXPECT_EQ(second, 0);
    ASSERT_TRUE(runner.Start([&] { second = 2; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends == 2; }, 10000));
    EXPECT_EQ(second, 2);
}

TEST(JobRunner, JoiningDropsWhatWasNotYetTakenAndSendsNoEnd) {
    int ends = 0;
    int reports = 0;
    {
        JobRunner runner;
        QObject::connect(&runner, &JobRunner::Ended, [&] { ++ends; });
        runner.Start([&] { runner.Post([&] { ++reports; }); });
        runner.Join();
        EXPECT_FALSE(runner.Running());
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(ends, 0);
}

}  // namespace
}  // namespace dbx
