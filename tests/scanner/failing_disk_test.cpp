#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "failing_disk.h"
#include "message_extractor.h"
#include "scan_store.h"
#include "store_file.h"
#include "store_generator.h"
#include "test_support.h"

// A store on a dying disk: what fails costs only the sectors that fail, and is said.
namespace dbx {
namespace {

namespace fs = std::filesystem;
using test::FailingDisk;
using test::ReadWholeFile;

char PatternByte(std::uint64_t i) {
    return char(1 + i * 7 % 251);  // never 0: a zero read shows a lost byte
}

void WritePattern(const std::string& path, std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = PatternByte(i);
    std::ofstream(path, std::ios::binary) << bytes;
}

class SectorReads : public ::testing::Test {
  protected:
    void SetUp() override {
        WritePattern(path, kSize);
        ASSERT_TRUE(file.Open(path));
        file.SetDevice(disk);
        file.SetUnreadable(&unreadable);
    }
    // Reads all of the file at once; the bytes the disk gave must be the file's.
    std::string ReadAll() {
        std::string bytes(kSize, 'x');
        lost.clear();
        EXPECT_EQ(file.ReadAt(0, bytes.data(), kSize, &lost), kSize);
        return bytes;
    }
    static std::size_t LostBytesIn(const std::string& bytes) {
        std::size_t zeros = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == 0) {
                ++zeros;
            } else {
                EXPECT_EQ(bytes[i], PatternByte(i)) << i;
            }
        }
        return zeros;
    }

    static constexpr std::size_t kSize = 256 * 1024;
    test::TempDir dir;
    std::string path = dir.File("store.dbx");
    std::shared_ptr<FailingDisk> disk = std::make_shared<FailingDisk>();
    UnreadableRanges unreadable;
    StoreFile file;
    std::vector<UnreadableRange> lost;
};

TEST_F(SectorReads, OnlyTheFailingSectorsReadAsZerosAndAreRecorded) {
    disk->Fail(0x8000, 4096);
    // Not on sector bounds: the bytes before it are kept, and the sector the disk fails from
    // its first byte on is lost whole.
    disk->Fail(0x20100, 0x200, EIO);
    const std::string bytes = ReadAll();
    EXPECT_EQ(LostBytesIn(bytes), 4096u + 0x300u);
    EXPECT_EQ(bytes.substr(0x8000, 4096), std::string(4096, '\0'));
    const std::vector<UnreadableRange> ranges = unreadable.Ranges();
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[0].begin, 0x8000u);
    EXPECT_EQ(ranges[0].length, 4096u);
    EXPECT_EQ(ranges[0].error, EIO);
    EXPECT_EQ(ranges[1].begin, 0x20100u);
    EXPECT_EQ(ranges[1].End(), 0x20400u);
    EXPECT_EQ(DescribeUnreadable(ranges[0]),
              "could not read 4096 bytes at 0x8000: Input/output error");
    std::uint64_t lostBytes = 0;
    for (const UnreadableRange& r : lost) lostBytes += r.length;
    EXPECT_EQ(lostBytes, 4096u + 0x300u);
}

TEST_F(SectorReads, EachFailingSectorIsTriedTwiceAndKnownOnesAreNotTriedAgain) {
    disk->Fail(0x8000, 4096);
    ReadAll();
    for (std::uint64_t s = 0x8000; s < 0x9000; s += 512) {
        EXPECT_EQ(disk->FailuresAt(s, 512), 2u) << s;
    }
    // The same bytes again, in another read: after its first failure, the disk is spared them.
    const std::size_t failures = disk->Failures();
    std::string bytes(8192, 'x');
    EXPECT_EQ(file.ReadAt(0x7800, bytes.data(), bytes.size()), bytes.size());
    EXPECT_EQ(disk->Failures(), failures + 1);
    for (std::uint64_t s = 0x8000; s < 0x9000; s += 512) EXPECT_EQ(disk->FailuresAt(s, 512), 2u);
    EXPECT_EQ(bytes.substr(0x800, 4096), std::string(4096, '\0'));
    EXPECT_EQ(unreadable.Count(), 1u);
    EXPECT_EQ(unreadable.Bytes(), 4096u);
}

TEST_F(SectorReads, ASectorThatFailsOnceIsReadOnItsSecondTry) {
    disk->Fail(0x3000, 512, EIO, 3);  // the whole read, its 4 KiB piece, the sector's first try
    EXPECT_EQ(LostBytesIn(ReadAll()), 0u);
    EXPECT_TRUE(unreadable.Empty());
    EXPECT_TRUE(lost.empty());
}

TEST_F(SectorReads, ShortAndInterruptedReadsGoOnWhereTheyStopped) {
    disk->ShortReads(1000);
    disk->Interrupt(3);
    EXPECT_EQ(LostBytesIn(ReadAll()), 0u);
    EXPECT_TRUE(unreadable.Empty());
    EXPECT_GT(disk->Calls(), kSize / 1000);

    disk->Fail(0x10000, 1024);
    EXPECT_EQ(LostBytesIn(ReadAll()), 1024u);
    EXPECT_EQ(unreadable.Bytes(), 1024u);
}

TEST_F(SectorReads, TheEndOfTheFileIsNoError) {
    std::string bytes(kSize + 5000, 'x');
    EXPECT_EQ(file.ReadAt(0, bytes.data(), bytes.size()), kSize);
    disk->Fail(kSize - 512, 512);
    EXPECT_EQ(file.ReadAt(kSize - 4096, bytes.data(), 8192), 4096u);
    EXPECT_EQ(unreadable.Bytes(), 512u);
}

TEST_F(SectorReads, AStopEndsTheRetriesBetweenTwoSectorReads) {
    std::atomic<int> stop{0};
    file.SetStopFlag(&stop);
    disk->Fail(0x1000, 0x20000);  // 128 KiB of slow, failing sectors
    std::size_t callsAtStop = 0;
    disk->OnRead([&](std::uint64_t pos, std::size_t) {
        if (pos >= 0x1000 && !stop.load()) {
            stop = 1;
            callsAtStop = disk->Calls();
        }
    });
    std::string bytes(kSize, 'x');
    EXPECT_LT(file.ReadAt(0, bytes.data(), kSize), kSize);
    EXPECT_LE(disk->Calls(), callsAtStop + 1);
    // Nothing not tried is said to be unreadable.
    EXPECT_LE(unreadable.Bytes(), 512u);
}

TEST(UnreadableRangesRecord, MergesTouchingRangesOfOneErrorAndKeepsOthersApart) {
    UnreadableRanges r;
    r.Add(0x1000, 512, EIO);
    r.Add(0x1200, 512, EIO);
    r.Add(0x1400, 512, ENXIO);  // touches, but for another reason
    r.Add(0x1100, 0x200, EIO);  // inside what is known
    r.Add(0x800, 0x900, EIO);   // overlaps the start
    const auto ranges = r.Ranges();
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[0].begin, 0x800u);
    EXPECT_EQ(ranges[0].End(), 0x1400u);
    EXPECT_EQ(ranges[1].begin, 0x1400u);
    EXPECT_EQ(ranges[1].error, ENXIO);
    EXPECT_EQ(r.Bytes(), 0x1400u - 0x800u + 512u);
    int error = 0;
    EXPECT_TRUE(r.Covers(0x1300, 0x200, error));  // across both
    EXPECT_EQ(error, EIO);
    EXPECT_FALSE(r.Covers(0x1500, 0x200, error));
}

TEST(UnreadableRangesRecord, KeepsTheFirstRangesExactlyAndCountsTheRest) {
    UnreadableRanges r;
    const std::size_t total = UnreadableRanges::kKeptRanges + 100;
    for (std::size_t i = 0; i < total; ++i) r.Add(i * 4096, 512, EIO);
    EXPECT_EQ(r.Ranges().size(), UnreadableRanges::kKeptRanges);
    EXPECT_EQ(r.Count(), total);
    EXPECT_EQ(r.Bytes(), total * 512);
    // Met again soon after (overlapping loads): neither counted twice nor read again.
    r.Add((total - 1) * 4096, 512, EIO);
    EXPECT_EQ(r.Count(), total);
    int error = 0;
    EXPECT_TRUE(r.Covers((total - 1) * 4096, 512, error));
    // Kept ones still grow.
    r.Add(512, 512, EIO);
    EXPECT_EQ(r.Count(), total);
    EXPECT_EQ(r.Bytes(), total * 512 + 512);
}

struct Rows : ScanObserver {
    void OnMessage(const RecoveredMessage& m) override { hits.push_back(m); }
    std::vector<RecoveredMessage> hits;
};

// The 400-message store: a bad 4 KiB sector costs no more rows than the same sector
// zeroed, on one thread and on two.
class BadSectorScan : public ::testing::TestWithParam<std::uint64_t> {
  protected:
    void SetUp() override {
        gen::GeneratorOptions options;
        options.messageCount = 400;
        options.seed = 21;
        gen::GenerateStore(store, options);
        std::string bytes = ReadWholeFile(store);
        bytes.replace(GetParam(), 4096, std::string(4096, '\0'));
        std::ofstream(zeroed, std::ios::binary) << bytes;
    }
    test::TempDir dir;
    std::string store = dir.File("store.dbx");
    std::string zeroed = dir.File("zeroed.dbx");
};

TEST_P(BadSectorScan, CostsNoMoreRowsThanTheSameSectorZeroed) {
    for (int threads : {1, 2}) {
        ScanOptions options;
        options.formatDate = test::UtcDates();
        options.threads = threads;
        Rows expected;
        ScanStore(zeroed, expected, options);
        ASSERT_GE(expected.hits.size(), 380u);

        auto disk = std::make_shared<FailingDisk>();
        disk->Fail(GetParam(), 4096);
        UnreadableRanges unreadable;
        options.device = disk;
        options.unreadable = &unreadable;
        Rows got;
        const ScanReport report = ScanStore(store, got, options);
        EXPECT_EQ(report.outcome, ScanOutcome::Finished);
        ASSERT_EQ(got.hits.size(), expected.hits.size()) << threads;
        for (std::size_t i = 0; i < got.hits.size(); ++i) {
            EXPECT_TRUE(test::SameMessage(got.hits[i], expected.hits[i])) << i;
        }
        EXPECT_EQ(report.unreadableBytes, 4096u);
        EXPECT_EQ(report.unreadableRanges, 1u);
        ASSERT_EQ(unreadable.Ranges().size(), 1u);
        EXPECT_EQ(unreadable.Ranges()[0].begin, GetParam());
    }
}

// Near the start, among the first records, across the end of the scan's first load, far in.
INSTANTIATE_TEST_SUITE_P(At, BadSectorScan,
                         ::testing::Values(0x1000u, 0x8000u, 0x3F800u, 0x9A000u));

TEST(FailingDiskScan, AStopEndsTheSearchWhileTheDiskFailsSectorAfterSector) {
    test::TempDir dir;
    const std::string store = dir.File("store.dbx");
    gen::GeneratorOptions generate;
    generate.messageCount = 100;
    gen::GenerateStore(store, generate);
    for (int threads : {1, 2}) {
        std::atomic<int> stop{0};
        auto disk = std::make_shared<FailingDisk>();
        disk->Fail(0x10000, 0x100000);  // 1 MiB of failing sectors, each one slow
        std::size_t failuresAtStop = 0;
        disk->OnRead([&](std::uint64_t pos, std::size_t n) {
            if (n <= 512 && pos >= 0x10000 && !stop.load()) {
                failuresAtStop = disk->Failures();
                stop = 1;
            }
        });
        ScanOptions options;
        options.threads = threads;
        options.stopFlag = &stop;
        options.device = disk;
        Rows rows;
        EXPECT_EQ(ScanStore(store, rows, options).outcome, ScanOutcome::Stopped);
        // The sector being read when Stop came is the last failing one tried (one per thread).
        EXPECT_LE(disk->Failures(), failuresAtStop + std::size_t(threads)) << threads;
    }
}

TEST(FailingDiskScan, ARecordTheDiskFailedPartOfIsListedAndSaysHowMuch) {
    test::TempDir dir;
    const std::string path = dir.File("store.dbx");
    build::StoreBuilder store(0x8000);
    // A long text at the record's end: a sector in it goes, the record stays recognisable.
    store.PutRecord(0x1000, test::MinimalRecord("a@b.c", 0x100, test::kSomeDate, 3000));
    store.PutRecord(0x4000, test::MinimalRecord("d@e.f"));
    store.Save(path);
    for (int threads : {1, 2}) {
        auto disk = std::make_shared<FailingDisk>();
        disk->Fail(0x1800, 512);
        ScanOptions options;
        options.device = disk;
        options.threads = threads;
        Rows rows;
        const ScanReport report = ScanStore(path, rows, options);
        ASSERT_EQ(rows.hits.size(), 2u) << threads;
        EXPECT_EQ(rows.hits[0].from, "a@b.c");
        EXPECT_EQ(rows.hits[0].unreadableBytes, 512u);
        EXPECT_EQ(rows.hits[1].unreadableBytes, 0u);
        EXPECT_EQ(report.unreadableBytes, 512u);
    }
}

TEST(IncompleteReasons, NameWhatTheDiskFailedAndWhereTheChainEnded) {
    ExtractOutcome outcome;
    RecoveredMessage listed;
    EXPECT_EQ(IncompleteReason(outcome, &listed), "");
    listed.unreadableBytes = 100;  // of its record
    outcome.unreadableBytes = 412;
    EXPECT_EQ(IncompleteReason(outcome, &listed), "512 bytes could not be read");
    EXPECT_EQ(IncompleteReason(outcome, nullptr), "412 bytes could not be read");
    outcome.end = ChainEnd::Unnamed;
    EXPECT_EQ(IncompleteReason(outcome, &listed),
              "512 bytes could not be read; a later block is gone");
    outcome = {};
    listed = {};
    listed.incomplete = true;  // an orphan without the start of its chain
    EXPECT_EQ(IncompleteReason(outcome, &listed), "the start of its chain is gone");
}

class FailingDiskExtract : public ::testing::Test {
  protected:
    void SetUp() override {
        gen::GeneratorOptions options;
        options.messageCount = 20;
        options.deletedCount = 0;
        options.seed = 4;
        generated = gen::GenerateStore(store, options);
        fs::create_directory(out);
        fs::create_directory(outZeroed);
    }
    test::TempDir dir;
    std::string store = dir.File("store.dbx");
    std::string out = dir.File("out");
    std::string outZeroed = dir.File("zeroed");
    gen::GeneratedStore generated;
};

TEST_F(FailingDiskExtract, WritesWhatCouldBeReadAndSaysHowMuchCouldNot) {
    // A sector in the middle of a large message's body.
    const gen::ManifestEntry* big = nullptr;
    for (const auto& m : generated.messages) {
        if (m.bodySize > 4096 && (!big || m.bodySize > big->bodySize)) big = &m;
    }
    ASSERT_TRUE(big);
    const std::uint64_t bad = (big->bodyOffset + 2048) / 512 * 512;

    std::string bytes = ReadWholeFile(store);
    bytes.replace(bad, 512, std::string(512, '\0'));
    const std::string zeroed = dir.File("zeroed.dbx");
    std::ofstream(zeroed, std::ios::binary) << bytes;
    MailCounter counter;
    const ExtractOutcome expected = ExtractMessage({big->bodyOffset, zeroed, outZeroed}, counter);

    auto disk = std::make_shared<FailingDisk>();
    disk->Fail(bad, 512);
    UnreadableRanges unreadable;
    ExtractExtras extras;
    extras.device = disk;
    extras.unreadable = &unreadable;
    const ExtractOutcome outcome = ExtractMessage({big->bodyOffset, store, out}, counter, extras);
    ASSERT_EQ(outcome.status, ExtractStatus::Written);
    EXPECT_TRUE(outcome.incomplete);
    EXPECT_GT(outcome.unreadableBytes, 0u);
    EXPECT_LE(outcome.unreadableBytes, 512u);
    EXPECT_EQ(ReadWholeFile(outcome.path), ReadWholeFile(expected.path));
    EXPECT_EQ(outcome.bytes, expected.bytes);
    // The sector took a block header with it: the chain ends there as well.
    EXPECT_TRUE(
        IncompleteReason(outcome, nullptr)
            .starts_with(std::to_string(outcome.unreadableBytes) + " bytes could not be read"))
        << IncompleteReason(outcome, nullptr);
    EXPECT_EQ(unreadable.Bytes(), 512u);

    // A message elsewhere is whole, and says nothing.
    const gen::ManifestEntry& other = generated.messages.front();
    ASSERT_NE(&other, big);
    const ExtractOutcome whole = ExtractMessage({other.bodyOffset, store, out}, counter, extras);
    EXPECT_FALSE(whole.incomplete);
    EXPECT_EQ(IncompleteReason(whole, nullptr), "");
}

TEST_F(FailingDiskExtract, AFirstBlockTheDiskFailsIsNamed) {
    const gen::ManifestEntry& m = generated.messages[3];
    auto disk = std::make_shared<FailingDisk>();
    disk->Fail(m.bodyOffset / 512 * 512, 512);
    ExtractExtras extras;
    extras.device = disk;
    MailCounter counter;
    const ExtractOutcome outcome = ExtractMessage({m.bodyOffset, store, out}, counter, extras);
    EXPECT_EQ(outcome.status, ExtractStatus::FirstBlockMissing);
    EXPECT_EQ(DescribeExtractFailure(outcome),
              "nothing of it is left: its first block could not be read");
    EXPECT_TRUE(fs::is_empty(out));
}

}  // namespace
}  // namespace dbx
