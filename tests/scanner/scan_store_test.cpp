#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <future>

#include "message_extractor.h"
#include "scan_store.h"
#include "store_file.h"
#include "test_support.h"

namespace dbx {
namespace {

using build::Property;
using build::StoreBuilder;

const std::int64_t kDate = test::kSomeDate;

std::vector<Property> Minimal(const std::string& sender, std::size_t padding = 0) {
    return test::MinimalRecord(sender, 0x100, kDate, padding);
}

struct Recorder : ScanObserver {
    std::vector<std::pair<std::uint64_t, std::string>> windows;
    std::vector<std::pair<std::uint64_t, int>> progress;
    std::vector<RecoveredMessage> hits;
    std::function<void(std::uint64_t)> onWindow;

    void OnWindow(std::uint64_t w, std::string_view text) override {
        windows.emplace_back(w, std::string(text));
        if (onWindow) onWindow(w);
    }
    void OnProgress(int percent) override { progress.emplace_back(windows.size(), percent); }
    void OnMessage(const RecoveredMessage& m) override { hits.push_back(m); }
};

class ScanStoreTest : public ::testing::Test {
  protected:
    ScanReport Scan(const StoreBuilder& store, Recorder& recorder, ScanOptions options = {}) {
        store.Save(path);
        options.formatDate = test::UtcDates();
        return ScanStore(path, recorder, options);
    }
    std::vector<std::string> Senders(const Recorder& r) {
        std::vector<std::string> out;
        for (const auto& m : r.hits) out.push_back(m.from);
        return out;
    }
    test::TempDir dir;
    std::string path = dir.File("store.dbx");
};

TEST_F(ScanStoreTest, StoresThatCannotBeOpenedEndTheScanWithTheReason) {
    Recorder r;
    ScanReport missing = ScanStore(dir.File("missing.dbx"), r);
    EXPECT_EQ(missing.outcome, ScanOutcome::OpenFailed);
    EXPECT_EQ(missing.error, ENOENT);
    ScanReport folder = ScanStore(dir.Path().string(), r);
    EXPECT_EQ(folder.outcome, ScanOutcome::OpenFailed);
    EXPECT_EQ(folder.error, EISDIR);
    EXPECT_EQ(ScanStore("", r).outcome, ScanOutcome::OpenFailed);
    EXPECT_TRUE(r.windows.empty());
}

// Opening a named pipe for reading waits for a writer; the scan must not.
TEST_F(ScanStoreTest, PipesAndCharacterDevicesAreRefusedWithoutWaiting) {
    const std::string fifo = dir.File("pipe.dbx");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto scan = std::async(std::launch::async, [&] {
        Recorder r;
        return std::pair{ScanStore(fifo, r), r.windows.size()};
    });
    if (scan.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Free the hung open, so that the test fails instead of hanging.
        const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        scan.wait();
        if (writer >= 0) close(writer);
        FAIL() << "the scan waits on a named pipe";
    }
    auto [report, windows] = scan.get();
    EXPECT_EQ(report.outcome, ScanOutcome::OpenFailed);
    EXPECT_EQ(report.error, kNotRegularFile);
    EXPECT_EQ(windows, 0u);
    EXPECT_EQ(DescribeOpenError(report.error), "not a regular file");

    Recorder r;
    ScanReport device = ScanStore("/dev/null", r);
    EXPECT_EQ(device.outcome, ScanOutcome::OpenFailed);
    EXPECT_EQ(device.error, kNotRegularFile);

    MailCounter counter;
    ExtractOutcome extract = ExtractMessage({0, fifo, dir.Path().string(), 0, "M"}, counter);
    EXPECT_EQ(extract.status, ExtractStatus::StoreUnreadable);
    EXPECT_EQ(extract.error, kNotRegularFile);
    EXPECT_EQ(counter.Value(), 0);
}

TEST_F(ScanStoreTest, StoresUnder2000BytesAreNotProbed) {
    StoreBuilder store(1999);
    store.PutRecord(100, Minimal("a@b.c"));
    Recorder small;
    ScanReport report = Scan(store, small);
    EXPECT_EQ(report.outcome, ScanOutcome::Finished);
    EXPECT_TRUE(small.windows.empty());
    EXPECT_TRUE(small.hits.empty());

    store.Resize(2000);
    Recorder exact;
    Scan(store, exact);
    EXPECT_EQ(exact.hits.size(), 1u);
    EXPECT_EQ(exact.windows.size(), 1u);
}

TEST_F(ScanStoreTest, StatusLineOfEveryWindow) {
    Recorder r;
    Scan(StoreBuilder(5000), r);
    ASSERT_EQ(r.windows.size(), 2u);
    EXPECT_EQ(r.windows[0].second,
              "Parsing file :0\\5000.  You can stop the process by pressing \"Stop\" button .");
    EXPECT_EQ(r.windows[1].second,
              "Parsing file :2560\\5000.  You can stop the process by pressing \"Stop\" button .");
    EXPECT_EQ(ScanStatusText(25600, 1048576),
              "Parsing file :25600\\1048576.  You can stop the process by pressing \"Stop\" "
              "button .");
}

TEST_F(ScanStoreTest, AnObserverMayDoWithoutStatusTexts) {
    struct Quiet : Recorder {
        bool WantsStatusText() const override { return false; }
    } quiet;
    StoreBuilder store(6000);
    store.PutRecord(3000, Minimal("found@a.b"));
    Scan(store, quiet);
    ASSERT_EQ(quiet.windows.size(), 3u);
    EXPECT_EQ(quiet.windows[1], (std::pair<std::uint64_t, std::string>{2560, ""}));
    EXPECT_EQ(Senders(quiet), std::vector<std::string>{"found@a.b"});
}

TEST_F(ScanStoreTest, ProgressMovesEveryFifthWindow) {
    Recorder r;
    Scan(StoreBuilder(30000), r);
    // (windows seen before the progress call, percent): windows 0, 5 and 10.
    std::vector<std::pair<std::uint64_t, int>> expected{{0, 0}, {5, 42}, {10, 85}};
    EXPECT_EQ(r.progress, expected);
    EXPECT_EQ(r.windows.size(), 12u);
}

TEST_F(ScanStoreTest, StopEndsTheScanAfterTheNextStatusLine) {
    StoreBuilder store(20000);
    store.PutRecord(1000, Minimal("first@a.b"));
    store.PutRecord(3000, Minimal("second@a.b"));
    std::atomic<int> stop{0};
    Recorder r;
    r.onWindow = [&](std::uint64_t w) {
        if (w == 2560) stop = 1;
    };
    ScanOptions options;
    options.stopFlag = &stop;
    ScanReport report = Scan(store, r, options);
    EXPECT_EQ(report.outcome, ScanOutcome::Stopped);
    EXPECT_EQ(r.windows.size(), 2u);
    EXPECT_EQ(Senders(r), std::vector<std::string>{"first@a.b"});
}

TEST_F(ScanStoreTest, HitsComeInDiscoveryOrderAndBackToBackRecordsAreAllFound) {
    StoreBuilder store(0x8000);
    std::uint32_t at = 0x2AD4;
    std::vector<std::string> senders;
    for (int i = 0; i < 30; ++i) {
        build::MessageFields f;
        f.from = "user" + std::to_string(i) + "@example.com";
        f.to = "<to@example.com>";
        f.subject = "message " + std::to_string(i);
        f.filetime = kDate;
        f.bodyOffset = 0x100;
        senders.push_back(f.from);
        at += std::uint32_t(store.PutRecord(at, build::TypicalProperties(f)));
    }
    Recorder r;
    Scan(store, r);
    EXPECT_EQ(Senders(r), senders);
}

TEST_F(ScanStoreTest, TheSkipPassesOverWhatLiesInsideTheRecord) {
    // A record with 5 entries and a long data area skips 5 * 36 + 13 bytes.
    StoreBuilder store(6000);
    store.PutRecord(1000, Minimal("outer@a.b", 200));
    store.Put(1100, build::EncodeIndexRecord(1100, Minimal("inside@a.b")));
    store.Put(1193, build::EncodeIndexRecord(1193, Minimal("next@a.b")));
    Recorder r;
    Scan(store, r);
    EXPECT_EQ(Senders(r), (std::vector<std::string>{"outer@a.b", "next@a.b"}));
}

TEST_F(ScanStoreTest, WindowBoundariesNeitherHideNorCarrySkips) {
    StoreBuilder store(8000);
    store.PutRecord(2555, Minimal("boundary@a.b"));    // its offset belongs to the first window
    store.PutRecord(5000, Minimal("outer@a.b", 200));  // skips past the second window's end
    store.Put(5150, build::EncodeIndexRecord(5150, Minimal("after@a.b")));
    Recorder r;
    Scan(store, r);
    EXPECT_EQ(Senders(r), (std::vector<std::string>{"boundary@a.b", "outer@a.b", "after@a.b"}));
}

TEST_F(ScanStoreTest, AStoreThatShrinksWhileItIsScannedEndsQuietly) {
    StoreBuilder store(2 * 1024 * 1024);
    store.PutRecord(1000, Minimal("early@a.b"));
    store.PutRecord(1900000, Minimal("late@a.b"));
    Recorder r;
    r.onWindow = [&](std::uint64_t w) {
        if (w == 5120) {
            ASSERT_EQ(truncate(path.c_str(), 100000), 0);
        }
    };
    ScanReport report = Scan(store, r);
    EXPECT_EQ(report.outcome, ScanOutcome::Finished);
    EXPECT_EQ(Senders(r), std::vector<std::string>{"early@a.b"});
    EXPECT_EQ(r.windows.size(), (2u * 1024 * 1024 + 2559) / 2560);
}

}  // namespace
}  // namespace dbx
