#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <random>
#include <vector>

#include "displacement.h"
#include "failing_disk.h"
#include "group_scans.h"
#include "image_builder.h"
#include "store_file.h"
#include "store_generator.h"
#include "survey_stretches.h"
#include "test_support.h"
#include "window_reads.h"

// The pieces of the survey of a disk image: its walk over the stretches on two threads, its
// progress and stop, the reads of the groups it found, and the window reads of their chains.
namespace dbx {
namespace {

using Bytes = std::vector<std::uint8_t>;

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class StretchWalk : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFile(path, bytes);
        ASSERT_TRUE(file.Open(path));
        plan.length = 64 * 1024;
        plan.stride = 4;
        plan.least = 16;
        for (std::uint64_t at = 0; at < bytes.size(); at += 60 * 1024) starts.push_back(at);
    }

    test::TempDir dir;
    std::string path = dir.File("image");
    Bytes bytes = test::RandomByteVector(10 * 64 * 1024 + 100, 3);
    StoreFile file;
    StretchPlan plan;
    std::vector<std::uint64_t> starts;
};

TEST_F(StretchWalk, EveryStretchComesInOrderWithItsBytes) {
    std::vector<std::uint64_t> handed;
    const bool whole = ForEachStretch(file, plan, starts, [&](const LoadedStretch& s) {
        handed.push_back(s.at);
        const std::size_t expected = std::min<std::size_t>(plan.length, bytes.size() - s.at);
        EXPECT_EQ(s.size, expected);
        EXPECT_TRUE(std::equal(s.bytes.data(), s.bytes.data() + s.size, bytes.begin() + s.at));
        return true;
    });
    EXPECT_TRUE(whole);
    EXPECT_EQ(handed, starts);
}

TEST_F(StretchWalk, ARefusalAStopOrAShortStretchEndsIt) {
    std::size_t calls = 0;
    EXPECT_FALSE(
        ForEachStretch(file, plan, starts, [&](const LoadedStretch&) { return ++calls < 3; }));
    EXPECT_EQ(calls, 3u);

    std::atomic<int> stop{0};
    plan.stop = &stop;
    calls = 0;
    EXPECT_FALSE(ForEachStretch(file, plan, starts, [&](const LoadedStretch&) {
        if (++calls == 2) stop = 1;
        return true;
    }));
    EXPECT_EQ(calls, 2u);

    // The last stretch holds 100 bytes: too few for a walk that needs 1000.
    plan.stop = nullptr;
    plan.least = 1000;
    starts.push_back(bytes.size() - 100);
    calls = 0;
    EXPECT_FALSE(ForEachStretch(file, plan, starts, [&](const LoadedStretch& s) {
        EXPECT_GE(s.size, plan.least);
        ++calls;
        return true;
    }));
    EXPECT_EQ(calls, starts.size() - 1);
}

TEST(WindowReads, GiveTheBytesAndLossesOfReadsOfTheirOwn) {
    test::TempDir dir;
    const std::string path = dir.File("store");
    const Bytes bytes = test::RandomByteVector(256 * 1024, 5);
    WriteFile(path, bytes);
    auto disk = std::make_shared<test::FailingDisk>();
    disk->Fail(100'352, 1024);  // two sectors: a disk fails whole ones
    // Each side its own record of what failed, as two separate scans have.
    UnreadableRanges directLost, windowLost;
    StoreFile direct, windowed;
    ASSERT_TRUE(direct.Open(path));
    ASSERT_TRUE(windowed.Open(path));
    direct.SetDevice(disk);
    windowed.SetDevice(disk);
    direct.SetUnreadable(&directLost);
    windowed.SetUnreadable(&windowLost);
    // The scan before read every sector, so that both know which failed.
    Bytes all(bytes.size());
    ASSERT_EQ(direct.ReadAt(0, all.data(), all.size()), all.size());
    ASSERT_EQ(windowed.ReadAt(0, all.data(), all.size()), all.size());
    WindowReads window(windowed, 16 * 1024);
    // Runs of blocks, one over the failing range, one past the end, one too big for a window.
    struct Read {
        std::uint64_t pos;
        std::size_t n;
    };
    std::vector<Read> reads;
    for (std::uint64_t pos = 95'000; pos < 110'000; pos += 528) reads.push_back({pos, 512});
    reads.push_back({bytes.size() - 300, 512});
    reads.push_back({4096, 9000});
    reads.push_back({50'000, 0});
    for (const Read& r : reads) {
        SCOPED_TRACE(testing::Message() << r.n << " bytes at " << r.pos);
        Bytes a(r.n), b(r.n);
        std::vector<UnreadableRange> lostA, lostB;
        const std::size_t gotA = direct.ReadAt(r.pos, a.data(), r.n, &lostA);
        const std::size_t gotB = window.ReadAt(r.pos, b.data(), r.n, &lostB);
        ASSERT_EQ(gotB, gotA);
        EXPECT_TRUE(std::equal(a.begin(), a.begin() + gotA, b.begin()));
        // The same bytes lost, told within the read (a window may tell them in more pieces).
        auto bytesLost = [&](const std::vector<UnreadableRange>& lost) {
            std::uint64_t n = 0;
            for (const UnreadableRange& l : lost) {
                EXPECT_GE(l.begin, r.pos);
                EXPECT_LE(l.End(), r.pos + r.n);
                EXPECT_EQ(l.error, 5);
                n += l.length;
            }
            return n;
        };
        EXPECT_EQ(bytesLost(lostB), bytesLost(lostA));
    }
    EXPECT_EQ(windowLost.Bytes(), directLost.Bytes());
}

struct Hits : ScanObserver {
    std::vector<RecoveredMessage> found;
    void OnMessage(const RecoveredMessage& m) override { found.push_back(m); }
};

TEST(GroupScans, EachGroupGetsWhatItsOwnScanGets) {
    test::TempDir dir;
    const std::string path = dir.File("store.dbx");
    gen::GeneratorOptions generate;
    generate.messageCount = 120;
    generate.seed = 4;
    const std::uint64_t length = gen::GenerateStore(path, generate).fileSize;
    std::vector<ScanOptions> options(5);
    for (std::size_t g = 0; g < options.size(); ++g) {
        options[g].formatDate = test::UtcDates();
        options[g].begin = length * g / options.size();
        options[g].end = length * (g + 1) / options.size();
    }
    options[4].displacement = -4096;  // read as if 4096 bytes were put before it
    const std::vector<GroupScan> scans = ScanGroups(path, options);
    ASSERT_EQ(scans.size(), options.size());
    std::size_t total = 0;
    for (std::size_t g = 0; g < options.size(); ++g) {
        Hits own;
        const ScanReport report = ScanStore(path, own, options[g]);
        EXPECT_EQ(scans[g].report.outcome, ScanOutcome::Finished);
        EXPECT_EQ(scans[g].report.hits, report.hits);
        ASSERT_EQ(scans[g].hits.size(), own.found.size()) << "group " << g;
        for (std::size_t i = 0; i < own.found.size(); ++i) {
            EXPECT_TRUE(test::SameMessage(scans[g].hits[i], own.found[i]));
        }
        total += g < 4 ? own.found.size() : 0;
    }
    EXPECT_GE(total, 120u);  // the ranges together hold every record

    const std::vector<GroupScan> none = ScanGroups(dir.File("gone.dbx"), options);
    EXPECT_EQ(none[0].report.outcome, ScanOutcome::OpenFailed);
}

// An image with one small store at sector 63 and one at 24 MiB, among random bytes.
class ImageSurvey : public ::testing::Test {
  protected:
    void SetUp() override {
        inbox = Store(20, 1, "Inbox");
        sent = Store(20, 2, "Sent Items");
        Build({});
        ASSERT_TRUE(file.Open(image));
    }
    // `copy` (when not empty) at 12 MiB.
    void Build(const Bytes& copy) {
        gen::ImageBuilder disk(image, kSize, true);
        disk.Random(0, kSize, 8);
        disk.Put(kFirst, inbox);
        disk.Put(kSecond, sent);
        if (!copy.empty()) disk.Put(12 << 20, copy);
    }
    std::vector<std::uint8_t> Store(std::uint32_t messages, std::uint64_t seed,
                                    const std::string& folder) {
        const std::string path = dir.File(folder + ".dbx");
        gen::GeneratorOptions options;
        options.messageCount = messages;
        options.deletedCount = 0;
        options.seed = seed;
        options.folderName = folder;
        gen::GenerateStore(path, options);
        return gen::ReadFileBytes(path);
    }
    static std::vector<std::int64_t> Displacements(const std::vector<DisplacementFinding>& f) {
        std::vector<std::int64_t> d;
        for (const DisplacementFinding& g : f) d.push_back(g.displacement);
        return d;
    }

    static constexpr std::uint64_t kSize = 32 << 20;
    static constexpr std::int64_t kFirst = 63 * 512;
    static constexpr std::int64_t kSecond = 24 << 20;
    test::TempDir dir;
    std::string image = dir.File("disk.img");
    Bytes inbox, sent;
    StoreFile file;
};

TEST_F(ImageSurvey, TellsHowFarItCameAndTheStoresItPassed) {
    std::vector<SurveyProgress> told;
    const auto found = FindDisplacements(file, SurveyReach::Whole, nullptr,
                                         [&](const SurveyProgress& p) { told.push_back(p); });
    EXPECT_EQ(Displacements(found), (std::vector<std::int64_t>{-kFirst, -kSecond}));
    ASSERT_FALSE(told.empty());
    for (std::size_t k = 1; k < told.size(); ++k) {
        EXPECT_GT(told[k].position, told[k - 1].position);
        EXPECT_GE(told[k].storeHeaders, told[k - 1].storeHeaders);
    }
    EXPECT_EQ(told.back().position, kSize);
    EXPECT_EQ(told.back().length, kSize);
    EXPECT_EQ(told.back().storeHeaders, 2u);
}

TEST_F(ImageSurvey, AStopKeepsWhatWasSurveyedBeforeIt) {
    std::atomic<int> stop{0};
    std::uint64_t last = 0;
    const auto found =
        FindDisplacements(file, SurveyReach::Whole, &stop, [&](const SurveyProgress& p) {
            last = p.position;
            if (p.position >= (8 << 20)) stop = 1;
        });
    EXPECT_EQ(Displacements(found), (std::vector<std::int64_t>{-kFirst}));
    EXPECT_LT(last, std::uint64_t(kSecond));
}

TEST_F(ImageSurvey, ACopiedStretchOfAStoreIsNoStoreOfItsOwn) {
    // A stretch of the first store's blocks copied to a cluster far off, as a file system
    // leaves an old copy: its structures agree among themselves, but they are the first's.
    const std::size_t from = inbox.size() / 2 / 4096 * 4096;
    Build(Bytes(inbox.begin() + from, inbox.begin() + from + 16 * 1024));
    EXPECT_EQ(Displacements(FindDisplacements(file, SurveyReach::Whole)),
              (std::vector<std::int64_t>{-kFirst, -kSecond}));
}

}  // namespace
}  // namespace dbx
