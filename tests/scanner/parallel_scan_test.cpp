#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>

#include "block_index.h"
#include "scan_store.h"
#include "store_generator.h"
#include "test_support.h"

// The scan on two threads must report exactly what the scan on one reports, in order.
namespace dbx {
namespace {

struct Recorder : ScanObserver {
    std::vector<std::uint64_t> windows;
    std::vector<std::string> statuses;
    std::vector<int> progress;
    std::vector<RecoveredMessage> hits;
    std::vector<std::size_t> hitsAtWindow;  // hits so far when each window began
    std::atomic<int>* stop = nullptr;
    std::size_t stopAfterWindows = 0;

    void OnWindow(std::uint64_t window, std::string_view status) override {
        windows.push_back(window);
        statuses.emplace_back(status);
        hitsAtWindow.push_back(hits.size());
        if (stop && windows.size() == stopAfterWindows) stop->store(1);
    }
    void OnProgress(int percent) override { progress.push_back(percent); }
    void OnMessage(const RecoveredMessage& m) override { hits.push_back(m); }
};

struct ScanRun {
    Recorder recorder;
    ScanReport report;
    BlockIndex blocks;
};

void Scan(const std::string& path, int threads, ScanRun& run, std::size_t stopAfter = 0) {
    std::atomic<int> stop{0};
    ScanOptions options;
    options.formatDate = test::UtcDates();
    options.threads = threads;
    options.blocks = &run.blocks;
    options.stopFlag = &stop;
    if (stopAfter) {
        run.recorder.stop = &stop;
        run.recorder.stopAfterWindows = stopAfter;
    }
    run.report = ScanStore(path, run.recorder, options);
}

void ExpectSame(ScanRun& one, ScanRun& two) {
    EXPECT_EQ(two.report.outcome, one.report.outcome);
    EXPECT_EQ(two.report.hits, one.report.hits);
    EXPECT_EQ(two.recorder.windows, one.recorder.windows);
    EXPECT_EQ(two.recorder.statuses, one.recorder.statuses);
    EXPECT_EQ(two.recorder.progress, one.recorder.progress);
    EXPECT_EQ(two.recorder.hitsAtWindow, one.recorder.hitsAtWindow);
    ASSERT_EQ(two.recorder.hits.size(), one.recorder.hits.size());
    for (std::size_t i = 0; i < one.recorder.hits.size(); ++i) {
        EXPECT_TRUE(test::SameMessage(two.recorder.hits[i], one.recorder.hits[i])) << i;
    }
    ASSERT_EQ(two.blocks.Size(), one.blocks.Size());
    for (std::size_t i = 0; i < one.blocks.Size(); ++i) {
        EXPECT_EQ(two.blocks.Blocks()[i].pos, one.blocks.Blocks()[i].pos);
        EXPECT_EQ(two.blocks.Blocks()[i].next, one.blocks.Blocks()[i].next);
    }
}

class TwoThreads : public ::testing::Test {
  protected:
    void SetUp() override {
        gen::GeneratorOptions options;
        options.targetSize = 10 << 20;  // the stretches of both threads, twice over
        options.deletedShare = 0.2;
        options.damage = true;
        options.seed = 8;
        gen::GenerateStore(path, options);
    }
    test::TempDir dir;
    std::string path = dir.File("store.dbx");
};

TEST_F(TwoThreads, ReportExactlyWhatOneThreadReports) {
    ScanRun one;
    ScanRun two;
    Scan(path, 1, one);
    Scan(path, 2, two);
    ASSERT_GT(one.recorder.hits.size(), 50u);
    ASSERT_GT(one.blocks.Size(), 1000u);
    ExpectSame(one, two);
}

TEST_F(TwoThreads, StopAtTheSameWindowKeepingTheSameRows) {
    // In the first stretch, in the second thread's first and in the caller's second.
    for (std::size_t stopAfter : {1u, 333u, 1700u, 3300u}) {
        ScanRun one;
        ScanRun two;
        Scan(path, 1, one, stopAfter);
        Scan(path, 2, two, stopAfter);
        ASSERT_EQ(one.report.outcome, ScanOutcome::Stopped);
        EXPECT_EQ(one.recorder.windows.size(), stopAfter);
        ExpectSame(one, two);
    }
}

TEST_F(TwoThreads, SmallAndOddSizedStores) {
    for (std::uint64_t size : {2000u, 2561u, 256001u, 4096000u, 4096001u, 8192000u + 7u}) {
        ASSERT_EQ(truncate(path.c_str(), off_t(size)), 0);
        ScanRun one;
        ScanRun two;
        Scan(path, 1, one);
        Scan(path, 2, two);
        SCOPED_TRACE(size);
        ExpectSame(one, two);
    }
}

// A stop raised while the threads probe (dates are formatted on the probing threads, for
// every record that gets that far): each thread gives up at the window it is in, not at the
// end of its stretch, and the rows kept are the first ones of a whole scan.
TEST_F(TwoThreads, AStopSeenWhileProbingEndsBothStretchesAtOnce) {
    constexpr int kStopAt = 20;
    constexpr int kMostAfter = 2 * 16;  // the rest of a window on each thread
    ScanRun whole;
    Scan(path, 1, whole);
    for (int threads : {1, 2}) {
        std::atomic<int> stop{0};
        std::atomic<int> dates{0};
        const DateFormatter utc = test::UtcDates();
        ScanOptions options;
        options.threads = threads;
        options.stopFlag = &stop;
        options.formatDate = [&](std::int64_t seconds) {
            if (++dates == kStopAt) stop.store(1);
            return utc(seconds);
        };
        Recorder recorder;
        const ScanReport report = ScanStore(path, recorder, options);
        EXPECT_EQ(report.outcome, ScanOutcome::Stopped) << threads;
        EXPECT_LT(dates.load(), kStopAt + kMostAfter) << threads;
        ASSERT_LE(recorder.hits.size(), whole.recorder.hits.size());
        for (std::size_t i = 0; i < recorder.hits.size(); ++i) {
            EXPECT_TRUE(test::SameMessage(recorder.hits[i], whole.recorder.hits[i])) << i;
        }
    }
    // Two whole stretches (what the threads once probed after a stop) format far more.
    EXPECT_GT(whole.recorder.hits.size(), std::size_t(4 * (kStopAt + kMostAfter)));
}

}  // namespace
}  // namespace dbx
