#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>

#include "crafted_stores.h"
#include "little_endian.h"
#include "loose_entries.h"
#include "record_probe.h"
#include "reference_recognizer.h"
#include "test_support.h"

// Stores built to make every probe read on to the end of the store: the probes of a whole scan
// cost the store's size, not its square, and answer exactly as the reference does.
namespace dbx {
namespace {

using build::Bytes;
using build::CraftedShape;
using build::CraftedStore;

struct Work {
    std::uint64_t entries = 0;
    std::uint64_t bytes = 0;
    std::uint64_t starts = 0;  // address starts weighed
    std::size_t hits = 0;
};

// One stretch of a scan, its searches with `budget` starts to weigh (none: no budget).
Work ProbeEveryOffset(const Bytes& image, std::uint64_t budget = UINT64_MAX) {
    test::MemorySource source(image);
    RecordRecognizer recognizer(source, test::UtcDates());
    recognizer.StartStretch(budget);
    Work work;
    for (std::int64_t r = 0; r < std::int64_t(image.size()); ++r) {
        RecoveredMessage message;
        std::uint64_t skip = 0;
        if (recognizer.ProbeIndexRecord(r, message, skip)) ++work.hits;
    }
    work.entries = recognizer.EntriesExamined();
    work.bytes = recognizer.SearchBytesExamined();
    work.starts = recognizer.AddressStartsWeighed();
    return work;
}

// What one probe of the first record costs on its own.
Work ProbeAlone(const Bytes& image, std::int64_t r) {
    test::MemorySource source(image);
    RecordRecognizer recognizer(source, test::UtcDates());
    RecoveredMessage message;
    std::uint64_t skip = 0;
    Work work;
    work.hits = recognizer.ProbeIndexRecord(r, message, skip) ? 1 : 0;
    work.entries = recognizer.EntriesExamined();
    work.bytes = recognizer.SearchBytesExamined();
    work.starts = recognizer.AddressStartsWeighed();
    return work;
}

constexpr std::int64_t kFirstRecord = 0x1000;

TEST(CraftedStores, EntryTablesThatNeverCompleteAreReadOnce) {
    for (std::size_t size : {std::size_t(1) << 18, std::size_t(1) << 20}) {
        const Bytes image = CraftedStore(CraftedShape::OpenEntryTables, size);
        // Each candidate alone reads its entries to the end of the store.
        EXPECT_GE(ProbeAlone(image, kFirstRecord).entries, (size - kFirstRecord) / 4 - 8);
        const Work all = ProbeEveryOffset(image);
        EXPECT_EQ(all.hits, 0u);
        EXPECT_LE(all.entries, size / 4 + 64) << size;  // one lane holds every candidate
    }
}

TEST(CraftedStores, SenderTextsInOneLongRunAreReadOnce) {
    for (std::size_t size : {std::size_t(1) << 18, std::size_t(1) << 20}) {
        const Bytes image = CraftedStore(CraftedShape::LongSenderRun, size);
        EXPECT_GE(ProbeAlone(image, kFirstRecord).bytes, size / 2 - 4096);
        const Work all = ProbeEveryOffset(image);
        EXPECT_EQ(all.hits, 0u);
        // The run once, and a short look at each text's start.
        EXPECT_LE(all.bytes, 4 * size) << size;
    }
}

TEST(CraftedStores, AnyNumberOfAddressPlacesSharesOneReading) {
    for (unsigned pairs : {1u, 17u, 40u, 1000u, 5000u}) {
        constexpr std::size_t kSize = std::size_t(1) << 19;
        const Bytes image = CraftedStore(CraftedShape::ManyAddressPlaces, kSize, pairs);
        EXPECT_GE(ProbeAlone(image, kFirstRecord).bytes, kSize - kFirstRecord - 64);
        const Work all = ProbeEveryOffset(image);
        EXPECT_EQ(all.hits, 0u);
        EXPECT_LE(all.bytes, 3 * kSize) << pairs;
    }
}

// Thousands of pairs of places, each candidate searching on past every address start to the
// end of the store: once each pair weighed every start after it on its own, and past the pairs
// kept every candidate did, some 30 million recipient checks for 512 KiB. Pairs that share a
// reach now share its pass: every start is weighed once for each of the forty reaches at most,
// and the recipients' texts are told from what the shared reading read, not read again.
TEST(CraftedStores, ManyPairsOfPlacesWeighEachStartOncePerReach) {
    constexpr std::size_t kSize = std::size_t(1) << 19;
    constexpr std::uint64_t kStarts = (kSize - kFirstRecord) / 64;  // one in each candidate
    for (unsigned pairs : {1u, 40u, 1000u, 5000u}) {
        const Bytes image = CraftedStore(CraftedShape::AddressStarts, kSize, pairs);
        EXPECT_GE(ProbeAlone(image, kFirstRecord).starts, kStarts - 64) << pairs;
        const Work all = ProbeEveryOffset(image);
        EXPECT_EQ(all.hits, 0u);
        EXPECT_GE(all.starts, kStarts - 64) << pairs;
        EXPECT_LE(all.starts, std::min(pairs, 40u) * kStarts) << pairs;
        // The shared reading: a start every 64 bytes, each read in a 256-byte chunk.
        EXPECT_LE(all.bytes, 5 * kSize) << pairs;
    }
}

// With a reach of its own for each pair, each start is still weighed once per reach, without a
// read of its own: the cost is the number of reaches times the starts, until the budget of the
// stretch is spent (below).
TEST(CraftedStores, PairsWithReachesOfTheirOwnWeighEachStartOncePerReach) {
    constexpr std::size_t kSize = std::size_t(1) << 19;
    constexpr std::uint64_t kStarts = (kSize - kFirstRecord) / 64;
    for (unsigned pairs : {100u, 1000u}) {
        const Bytes image = CraftedStore(CraftedShape::AddressStartsManyReaches, kSize, pairs);
        const Work all = ProbeEveryOffset(image);
        EXPECT_EQ(all.hits, 0u);
        EXPECT_GE(all.starts, pairs * (kStarts / 2)) << pairs;
        EXPECT_LE(all.starts, pairs * kStarts) << pairs;
        EXPECT_LE(all.bytes, 5 * kSize) << pairs;
    }
}

// Past its budget each search weighs the starts within kSpentReach of its record at most: the
// whole costs the budget and a constant for each record, not reaches times starts.
TEST(CraftedStores, PairsWithReachesOfTheirOwnCostABudgetAndAConstantPerRecord) {
    constexpr std::size_t kSize = std::size_t(1) << 20;
    constexpr std::uint64_t kStarts = (kSize - kFirstRecord) / 64;  // and records: one in 64 bytes
    constexpr unsigned kPairs = 10000;
    constexpr std::uint64_t kBudget = 1 << 20;
    const Bytes image = CraftedStore(CraftedShape::AddressStartsManyReaches, kSize, kPairs);
    const Work all = ProbeEveryOffset(image, kBudget);
    EXPECT_EQ(all.hits, 0u);
    constexpr std::uint64_t kNear = AddressSearch::kSpentReach / 64 + 1;
    EXPECT_LE(all.starts, kBudget + kStarts * kNear);
    // Without the budget: each reach weighs the starts after its first record.
    EXPECT_GT(std::uint64_t(kPairs) * (kStarts / 2), 4 * (kBudget + kStarts * kNear));
}

TEST(CraftedStores, AStopRequestEndsAPassOverManyStarts) {
    constexpr std::size_t kSize = std::size_t(4) << 20;
    const Bytes image = CraftedStore(CraftedShape::AddressStartsManyReaches, kSize);
    test::MemorySource source(image);
    std::atomic<int> stop{1};
    RecordRecognizer recognizer(source, test::UtcDates(), &stop);
    RecoveredMessage message;
    std::uint64_t skip = 0;
    EXPECT_FALSE(recognizer.ProbeIndexRecord(kFirstRecord, message, skip));
    // Alone it weighs every start, one every 64 bytes.
    EXPECT_LT(recognizer.AddressStartsWeighed(), kSize / 64 / 8);
    EXPECT_LT(recognizer.SearchBytesExamined(), kSize / 2);
}

// The last value of each id up to the entry that completes the set, read one entry at a time.
struct Naive {
    LooseEntries::Outcome outcome = LooseEntries::Outcome::Incomplete;
    RecordProperties props;
    std::int64_t completedAt = -1;
};
Naive CompleteNaively(const Bytes& image, std::int64_t table, std::uint32_t tries) {
    Naive naive;
    for (std::uint32_t i = 0; i < tries; ++i) {
        const std::int64_t pos = table + 4 * std::int64_t(i);
        if (pos + 4 > std::int64_t(image.size())) return naive;
        naive.props.Take(LoadU32(image.data() + pos));
        if (naive.props.HasLooseSet()) {
            naive.outcome = LooseEntries::Outcome::Complete;
            naive.completedAt = pos;
            return naive;
        }
    }
    return naive;
}

// Tables asked about in order, with jumps back (as the two threads' stretches do) and limits
// of every size: each answer is the one a reading of its own gives.
TEST(LooseEntries, SharedLanesAnswerAsAReadingOfTheirOwn) {
    std::mt19937 rng(5);
    const std::uint8_t ids[] = {0x04, 0x84, 0x12, 0x0E, 0x14, 0x08, 0x00, 0x80, 0x92};
    int complete = 0;
    int asked = 0;
    for (int round = 0; round < 40; ++round) {
        Bytes image(0x2000 + rng() % 64);
        for (std::size_t p = 0; p + 4 <= image.size(); p += 1 + rng() % 4) {
            const std::uint32_t value = rng() % 5 == 0 ? 0 : rng() % 300;
            StoreU32(image.data() + p, ids[rng() % sizeof ids] | value << 8);
        }
        std::vector<std::int64_t> tables;
        for (std::int64_t t = 0; t < std::int64_t(image.size()); t += 1 + rng() % 9) {
            tables.push_back(t);
        }
        if (round % 2) {
            // Stretches taken from the back.
            std::vector<std::int64_t> jumping;
            for (std::size_t end = tables.size(); end > 0;) {
                const std::size_t begin = end > 100 ? end - 100 : 0;
                jumping.insert(jumping.end(), tables.begin() + std::ptrdiff_t(begin),
                               tables.begin() + std::ptrdiff_t(end));
                end = begin;
            }
            tables = jumping;
        }
        test::MemorySource source(image);
        std::uint64_t examined = 0;
        LooseEntries entries(source, nullptr, examined);
        for (std::int64_t t : tables) {
            const std::uint32_t tries = rng() % 3 ? 1 + rng() % 40 : 0x1FFFFFFC;
            const Naive naive = CompleteNaively(image, t, tries);
            RecordProperties props;
            std::int64_t at = -1;
            ++asked;
            ASSERT_EQ(entries.Complete(t, tries, props, at), naive.outcome)
                << "round " << round << " table " << t << " tries " << tries;
            if (naive.outcome != LooseEntries::Outcome::Complete) continue;
            ++complete;
            EXPECT_EQ(at, naive.completedAt) << "round " << round << " table " << t;
            EXPECT_EQ(props.messageOffset, naive.props.messageOffset);
            EXPECT_EQ(props.offsetInDataArea, naive.props.offsetInDataArea);
            EXPECT_EQ(props.subject, naive.props.subject);
            EXPECT_EQ(props.sender, naive.props.sender);
            EXPECT_EQ(props.date, naive.props.date);
            EXPECT_EQ(props.recipient, naive.props.recipient);
        }
    }
    EXPECT_GT(complete, asked / 4);
    EXPECT_LT(complete, asked);
}

TEST(LooseEntries, AStopRequestEndsALongReading) {
    const Bytes image = CraftedStore(CraftedShape::OpenEntryTables, std::size_t(4) << 20);
    test::MemorySource source(image);
    std::uint64_t examined = 0;
    std::atomic<int> stop{1};
    LooseEntries entries(source, &stop, examined);
    RecordProperties props;
    std::int64_t at = -1;
    EXPECT_EQ(entries.Complete(kFirstRecord + 12, 0x1FFFFFFC, props, at),
              LooseEntries::Outcome::Stopped);
    EXPECT_LT(examined, image.size() / 64);
}

// Existing records whose texts start anywhere in long runs of at signs, full stops and
// letters, some running to the end of the store: every probe as the reference has it.
TEST(FieldTexts, LongTextsReadThroughTheSharedMapAsTheReferenceReadsThem) {
    std::mt19937 rng(3);
    const char alphabet[] = {'@', '.', 'a', 'b', 'c'};
    int hits = 0;
    for (int round = 0; round < 30; ++round) {
        Bytes image(0x3000);
        for (auto& b : image) {
            b = rng() % 60 == 0 ? 0 : std::uint8_t(alphabet[rng() % sizeof alphabet]);
        }
        if (round % 3 == 0) std::fill(image.end() - 700, image.end(), std::uint8_t('a'));
        const std::uint32_t size = std::uint32_t(image.size());
        for (int k = 0; k < 40; ++k) {
            const std::uint32_t r = 0x100 + rng() % (size - 0x200);
            const std::uint32_t dataArea = r + 12 + 20;
            auto place = [&] { return 1 + rng() % (size - dataArea + 32); };
            StoreU32(image.data() + r, r);
            StoreU32(image.data() + r + 4, 16 + 20);
            StoreU32(image.data() + r + 8, 5 << 16);
            StoreU32(image.data() + r + 12, 0x12 | 4 << 8);
            StoreU32(image.data() + r + 16, 0x0E | place() << 8);
            StoreU32(image.data() + r + 20, 0x14 | place() << 8);
            StoreU32(image.data() + r + 24, 0x08 | place() << 8);
            StoreU32(image.data() + r + 28, 0x84 | 0x100 << 8);
            StoreU64(image.data() + dataArea + 4, std::uint64_t(test::kSomeDate));
        }
        test::ReferenceRecognizer reference(image);
        test::MemorySource source(image);
        RecordRecognizer recognizer(source, test::UtcDates());
        for (std::int64_t r = 0; r < std::int64_t(size); ++r) {
            bool hit = false;
            ASSERT_EQ(test::ProbeDifference(recognizer, reference, r, hit), "")
                << "round " << round << " at " << r;
            hits += hit;
        }
    }
    EXPECT_GT(hits, 100);
}

// A subject left out reads the text at the data area itself; here it runs on to the end of the
// store, over every length that the 15-byte steps can meet it at.
TEST(FieldTexts, ATextRunningToTheStoresEndIsReadAsTheReferenceReadsIt) {
    std::uint64_t date = std::uint64_t(test::kSomeDate);
    for (int shift = 0; shift < 64; shift += 8) {
        if ((date >> shift & 0xFF) == 0) date |= std::uint64_t(1) << shift;
    }
    int hits = 0;
    for (std::uint32_t tail = 20; tail < 80; ++tail) {
        constexpr std::uint32_t kRecord = 0x800;
        constexpr std::uint32_t kDataArea = kRecord + 12 + 12;
        Bytes image(kDataArea + tail, 'x');
        // The sender's text runs on to the end too: "a@b.cxxx...".
        const std::string sender = "a@b.c";
        std::copy(sender.begin(), sender.end(), image.begin() + kDataArea + 14);
        StoreU32(image.data() + kRecord, kRecord);
        StoreU32(image.data() + kRecord + 4, 12 + tail);
        StoreU32(image.data() + kRecord + 8, 3 << 16);
        StoreU32(image.data() + kRecord + 12, 0x12 | 4 << 8);
        StoreU32(image.data() + kRecord + 16, 0x0E | 14 << 8);
        StoreU32(image.data() + kRecord + 20, 0x84 | 0x200 << 8);
        StoreU64(image.data() + kDataArea + 4, date);
        RecoveredMessage expected;
        std::uint64_t skip = 0;
        const bool hit = test::ReferenceRecognizer(image).Probe(kRecord, expected, skip);
        const test::Probe got = test::ProbeAt(image, kRecord);
        ASSERT_EQ(got.hit, hit) << tail;
        if (!hit) continue;
        ++hits;
        EXPECT_TRUE(test::SameMessage(got.message, expected)) << tail;
        EXPECT_EQ(got.message.subject.size(), tail) << tail;
    }
    EXPECT_EQ(hits, 60);
}

}  // namespace
}  // namespace dbx
