#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>

#include "little_endian.h"
#include "record_probe.h"
#include "reference_recognizer.h"
#include "scan_store.h"
#include "test_support.h"

// The search for a freed record's data area: the same answers as walking back from every at
// sign, at a cost that grows with the record, not with its square.
namespace dbx {
namespace {

using build::Bytes;
using build::StoreBuilder;

constexpr std::uint32_t kRecord = 0x1000;
constexpr std::uint32_t kBody = 0x400;

// A freed-record candidate at kRecord with entries for date, sender, body and recipient, a
// freed first block at kBody, and `tail` right after the entries.
StoreBuilder FreedCandidate(std::uint32_t bodyLength, const Bytes& tail, std::uint32_t sender = 8,
                            std::uint32_t recipient = 24, std::uint32_t date = 40) {
    StoreBuilder store(kRecord + 28);
    store.PutU32(kBody, kBody).PutU32(kBody + 4, 0x1FC);
    store.PutU32(kRecord, kRecord).PutU32(kRecord + 4, bodyLength).PutU32(kRecord + 8, 0);
    store.PutU32(kRecord + 12, 0x12 | date << 8)
        .PutU32(kRecord + 16, 0x0E | sender << 8)
        .PutU32(kRecord + 20, 0x84 | kBody << 8)
        .PutU32(kRecord + 24, 0x14 | recipient << 8);
    store.Put(kRecord + 28, tail);
    return store;
}

struct Searched {
    bool hit = false;
    RecoveredMessage message;
    std::uint64_t skip = 0;
    std::uint64_t examined = 0;
};

Searched Probe(const Bytes& image, std::int64_t r, const std::atomic<int>* stop = nullptr) {
    test::MemorySource source(image);
    RecordRecognizer recognizer(source, test::UtcDates(), stop);
    Searched s;
    s.hit = recognizer.ProbeIndexRecord(r, s.message, s.skip);
    s.examined = recognizer.SearchBytesExamined();
    return s;
}

// The reported stall: a run of at signs with no 0 byte made every at sign walk back over the
// whole run. Now each byte of the record is looked at a bounded number of times.
TEST(LooseSearch, ALongRunOfAtSignsCostsOnePass) {
    constexpr std::uint32_t kRun = 1 << 20;
    StoreBuilder store = FreedCandidate(0x7FFFFFF0, Bytes(kRun, '@'));
    store.Put(kRecord + 28 + kRun, Bytes(64, 'x'));
    Searched s = Probe(store.Image(), kRecord);
    EXPECT_FALSE(s.hit);
    EXPECT_GE(s.examined, kRun);
    EXPECT_LE(s.examined, 3u * kRun);

    // With a 0 byte before the run, every at sign names the same candidate.
    store.Put(kRecord + 27, Bytes{0});
    s = Probe(store.Image(), kRecord);
    EXPECT_FALSE(s.hit);
    EXPECT_LE(s.examined, 3u * kRun);
}

TEST(LooseSearch, TheWholeScanOfTheStallingStoreEnds) {
    constexpr std::uint32_t kRun = 1 << 20;
    StoreBuilder store = FreedCandidate(0x7FFFFFF0, Bytes(kRun, '@'));
    store.Put(kRecord + 27, Bytes{0});
    test::TempDir dir;
    const std::string path = dir.File("at-signs.dbx");
    store.Save(path);
    EXPECT_TRUE(test::ScanHits(path).empty());
}

TEST(LooseSearch, AStopRequestEndsALongSearch) {
    constexpr std::uint32_t kRun = 4 << 20;
    StoreBuilder store = FreedCandidate(0x7FFFFFF0, Bytes(kRun, '@'));
    std::atomic<int> stop{1};
    Searched s = Probe(store.Image(), kRecord, &stop);
    EXPECT_FALSE(s.hit);
    EXPECT_LT(s.examined, kRun / 8);

    // The scan does not wait for the next window either.
    test::TempDir dir;
    const std::string path = dir.File("at-signs.dbx");
    store.Save(path);
    struct Count : ScanObserver {
        int windows = 0;
        std::atomic<int>* stop = nullptr;
        void OnWindow(std::uint64_t w, std::string_view) override {
            ++windows;
            if (w == kRecord / kScanWindow * kScanWindow) *stop = 1;
        }
        void OnMessage(const RecoveredMessage&) override {}
    } count;
    stop = 0;
    count.stop = &stop;
    ScanOptions options;
    options.stopFlag = &stop;
    EXPECT_EQ(ScanStore(path, count, options).outcome, ScanOutcome::Stopped);
    EXPECT_EQ(count.windows, int(kRecord / kScanWindow) + 1);
}

// Random tails over a small alphabet: 0 bytes, at signs, full stops, letters, and now and
// then a date. Both readings must agree on every probe, hits included.
TEST(LooseSearch, AgreesWithWalkingBackFromEveryAtSign) {
    std::mt19937 rng(7);
    const char alphabet[] = {'\0', '@', '.', 'a', 'b', '\0', '@', '.'};
    int hits = 0;
    int probes = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes tail(64 + rng() % 400);
        for (auto& b : tail) b = std::uint8_t(alphabet[rng() % sizeof alphabet]);
        const auto date = std::uint64_t(build::FileTimeFromUnix(1262307600 + rng() % 100000));
        const std::size_t dateAt = rng() % (tail.size() - 8);
        if (rng() % 2) StoreU64(tail.data() + dateAt, date);
        StoreBuilder store =
            FreedCandidate(16 + rng() % std::uint32_t(tail.size() + 64), tail, 1 + rng() % 24,
                           1 + rng() % 48, std::uint32_t(rng() % 64));
        const Bytes& image = store.Image();
        test::ReferenceRecognizer reference(image);
        for (std::int64_t r : {std::int64_t(kRecord), std::int64_t(kBody)}) {
            Searched s = Probe(image, r);
            RecoveredMessage expected;
            std::uint64_t skip = 0;
            const bool hit = reference.Probe(r, expected, skip);
            ++probes;
            ASSERT_EQ(s.hit, hit) << "round " << round << " at " << r;
            if (!hit) continue;
            ++hits;
            EXPECT_TRUE(test::SameMessage(s.message, expected)) << "round " << round;
            EXPECT_EQ(s.skip, skip) << "round " << round;
        }
    }
    // The rounds reach the end of the search, not only its early rejections.
    EXPECT_GT(hits, 100);
    EXPECT_LT(hits, probes);
}

// A candidate every 64 bytes, each searching the rest of the store and none finding an
// address: once every candidate walked the rest of the store on its own, some 500 MB read for
// 256 KiB. Candidates with the same address places now share one pass.
TEST(LooseSearch, OverlappingCandidatesCostTheStoresSizeNotItsSquare) {
    constexpr std::uint32_t kSize = 1 << 18;
    constexpr std::uint32_t kEvery = 64;
    StoreBuilder store(kSize);
    store.PutU32(kBody, kBody).PutU32(kBody + 4, 0x1FC);
    std::vector<std::uint32_t> candidates;
    for (std::uint32_t r = kRecord; r + kEvery <= kSize; r += kEvery) {
        // No full stop, not even in a self offset: no search ends early.
        if ((r & 0xFF) == '.' || (r >> 8 & 0xFF) == '.' || (r >> 16 & 0xFF) == '.') continue;
        StoreBuilder one = FreedCandidate(0x7FFFFFF0, Bytes(kEvery - 28, '@'));
        store.Put(r, Bytes(one.Image().begin() + kRecord, one.Image().end())).PutU32(r, r);
        candidates.push_back(r);
    }
    test::MemorySource source(store.Image());
    RecordRecognizer recognizer(source, test::UtcDates());
    for (std::uint32_t r = 0; r < kSize; ++r) {
        RecoveredMessage message;
        std::uint64_t skip = 0;
        ASSERT_FALSE(recognizer.ProbeIndexRecord(r, message, skip)) << r;
    }
    EXPECT_GT(candidates.size(), 4000u);
    // Each of them does search: its header and entries pass, and it reads to the end alone.
    for (std::size_t i = 0; i < 4; ++i) {
        RecordRecognizer alone(source, test::UtcDates());
        RecoveredMessage message;
        std::uint64_t skip = 0;
        EXPECT_FALSE(alone.ProbeIndexRecord(candidates[i], message, skip));
        EXPECT_GE(alone.SearchBytesExamined(), kSize - candidates[i] - 4);
    }
    EXPECT_GE(recognizer.SearchBytesExamined(), kSize / 2);
    EXPECT_LE(recognizer.SearchBytesExamined(), 4u * kSize);
}

// A store of random bytes from an alphabet of 0 bytes, at signs, full stops and letters, with
// a body and a dozen dates among them: freed-record candidates put into it find data areas.
StoreBuilder RandomAddressStore(std::mt19937& rng, std::uint32_t size) {
    const char alphabet[] = {'\0', '@', '.', 'a', '\0', '@', '.', 'b', '@'};
    StoreBuilder store(size);
    store.PutU32(kBody, kBody).PutU32(kBody + 4, 0x1FC);
    for (std::uint32_t p = 0x800; p < size; ++p) {
        store.Put(p, Bytes{std::uint8_t(alphabet[rng() % sizeof alphabet])});
    }
    for (int d = 0; d < 12; ++d) {
        const std::uint32_t at = 0x800 + rng() % (size - 0x808);
        Bytes date(8);
        StoreU64(date.data(), std::uint64_t(build::FileTimeFromUnix(1262307600 + rng() % 100000)));
        store.Put(at, date);
    }
    return store;
}

// A freed-record candidate at `r` with its sender's and recipient's text places.
void PutCandidate(StoreBuilder& store, std::mt19937& rng, std::uint32_t r, std::uint32_t date,
                  std::uint32_t sender, std::uint32_t recipient, std::uint32_t size) {
    store.PutU32(r, r).PutU32(r + 4, 16 + rng() % (size - r)).PutU32(r + 8, 0);
    store.PutU32(r + 12, 0x12 | date << 8)
        .PutU32(r + 16, 0x0E | sender << 8)
        .PutU32(r + 20, 0x84 | kBody << 8)
        .PutU32(r + 24, 0x14 | recipient << 8);
}

// Probes every offset of `image` from `from` on with one recognizer, forwards and then in
// stretches of `stretch` that jump back (as the two threads' stretches do); each answer must be
// the reference's. `onHit` is called with each offset that found a record.
template <typename OnHit>
void ProbeBothWays(const Bytes& image, std::int64_t from, std::size_t stretch, int round,
                   OnHit onHit) {
    test::ReferenceRecognizer reference(image);
    std::vector<std::int64_t> order;
    for (std::int64_t r = from; r < std::int64_t(image.size()); ++r) order.push_back(r);
    std::vector<std::int64_t> jumping;
    for (std::size_t end = order.size(); end > 0;) {
        const std::size_t start = end > stretch ? end - stretch : 0;
        jumping.insert(jumping.end(), order.begin() + std::ptrdiff_t(start),
                       order.begin() + std::ptrdiff_t(end));
        end = start;
    }
    for (const auto* sequence : {&order, &jumping}) {
        test::MemorySource source(image);
        RecordRecognizer recognizer(source, test::UtcDates());
        for (std::int64_t r : *sequence) {
            bool hit = false;
            ASSERT_EQ(test::ProbeDifference(recognizer, reference, r, hit), "")
                << "round " << round << " at " << r;
            if (hit) onHit(r);
        }
    }
}

// Many overlapping candidates with a few pairs of address places, probed by one recognizer
// at every offset, forwards and then in an order that jumps back (as the two threads' stretches
// do): every answer is the one the reference finds alone.
TEST(LooseSearch, SharedPassesAgreeWithTheReferenceAtEveryOffset) {
    std::mt19937 rng(11);
    const std::uint32_t places[][2] = {{8, 24}, {1, 17}, {12, 3}};
    constexpr std::uint32_t kSize = 0x1400;
    int hits = 0;
    for (int round = 0; round < 24; ++round) {
        StoreBuilder store = RandomAddressStore(rng, kSize);
        for (int c = 0; c < 40; ++c) {
            const std::uint32_t r = 0x800 + rng() % (kSize - 0x820);
            const auto& place = places[rng() % 3];
            const std::uint32_t date = rng() % 64;
            PutCandidate(store, rng, r, date, place[0], place[1], kSize);
        }
        ProbeBothWays(store.Image(), 0x7F0, 300, round, [&](std::int64_t) { ++hits; });
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(hits, 50);
}

// Pairs of places that share a reach (the recipient's text as far from the sender's) share a
// pass, though a large sender keeps the data area of the early 0 bytes before the store's
// start: probed at every offset, forwards and jumping back, each answer is the reference's.
TEST(LooseSearch, PairsThatShareAReachAgreeWithTheReference) {
    std::mt19937 rng(13);
    // Reaches 16, -9 and 0; senders past the first candidates' 0 bytes.
    const std::uint32_t places[][2] = {{8, 24},        {1, 17},        {30, 46},
                                       {0x900, 0x910}, {0xC40, 0xC50}, {12, 3},
                                       {0xA00, 0x9F7}, {5, 5},         {0x880, 0x880}};
    constexpr std::uint32_t kSize = 0x1400;
    constexpr std::size_t kPlaces = sizeof places / sizeof places[0];
    int hits = 0;
    std::vector<int> hitsOfPair(kPlaces);
    for (int round = 0; round < 24; ++round) {
        StoreBuilder store = RandomAddressStore(rng, kSize);
        std::vector<std::pair<std::uint32_t, std::size_t>> records;
        for (int c = 0; c < 48; ++c) {
            const std::uint32_t r = 0x800 + rng() % (kSize - 0x820);
            const std::size_t k = rng() % kPlaces;
            const std::uint32_t date = rng() % 64;
            PutCandidate(store, rng, r, date, places[k][0], places[k][1], kSize);
            records.emplace_back(r, k);
        }
        const Bytes& image = store.Image();
        ProbeBothWays(image, 0x7F0, 200, round, [&](std::int64_t r) {
            ++hits;
            // Later records may have overwritten this one's places: only an intact one counts
            // for its pair.
            for (const auto& [at, k] : records) {
                if (at == r && LoadU32(image.data() + r + 16) >> 8 == places[k][0] &&
                    LoadU32(image.data() + r + 24) >> 8 == places[k][1]) {
                    ++hitsOfPair[k];
                }
            }
        });
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(hits, 50);
    // Every pair, the large senders' included, finds data areas.
    for (std::size_t k = 0; k < kPlaces; ++k) EXPECT_GT(hitsOfPair[k], 0) << k;
}

// Records of one reach whose senders take turns between a small place and one that keeps the
// data area of all but the last 0 bytes before the store's start, the small ones finding their
// answer just before those: each keeps what it knows, rather than each turn starting over.
TEST(LooseSearch, SendersTakingTurnsFarApartShareTheirReachsPass) {
    constexpr std::uint32_t kSize = 1 << 18;
    constexpr std::uint32_t kStartsFrom = 0x8000;
    constexpr std::uint32_t kFar = 0x3F000;
    StoreBuilder store(kSize);
    store.PutU32(kBody, kBody).PutU32(kBody + 4, 0x1FC);
    // An address start every 16 bytes; five bytes after it its own closing 0 byte.
    std::uint32_t starts = 0;
    for (std::uint32_t z = kStartsFrom; z + 16 <= kSize; z += 16, ++starts) {
        store.Put(z, Bytes{0, 'a', '@', 'b', '.', 'c', 0});
    }
    // The one whose recipient's text is an address too.
    store.Put(kFar - 64, Bytes{0, 'a', '@', 'b', '.', 'c', '@', 'd', '.', 'e', 0});
    std::vector<std::uint32_t> records;
    for (std::uint32_t r = kRecord; r + 64 <= kStartsFrom; r += 64) {
        if ((r >> 8 & 0xFF) == '.') continue;
        const std::uint32_t sender = records.size() % 2 ? kFar : 8;
        store.PutU32(r, r).PutU32(r + 4, 0x7FFFFFF0).PutU32(r + 8, 0);
        store.PutU32(r + 12, 0x12 | 40 << 8)
            .PutU32(r + 16, 0x0E | sender << 8)
            .PutU32(r + 20, 0x84 | kBody << 8)
            .PutU32(r + 24, 0x14 | (sender + 5) << 8);
        records.push_back(r);
    }
    const Bytes& image = store.Image();
    test::ReferenceRecognizer reference(image);
    test::MemorySource source(image);
    RecordRecognizer recognizer(source, test::UtcDates());
    for (std::uint32_t r : records) {
        bool hit = true;
        ASSERT_EQ(test::ProbeDifference(recognizer, reference, r, hit), "") << r;
    }
    EXPECT_GT(records.size(), 200u);
    // Each start once, up to the answer for the small senders and from their first 0 byte on
    // for the large: not once for every turn.
    EXPECT_GE(recognizer.AddressStartsWeighed(), starts - 16);
    EXPECT_LE(recognizer.AddressStartsWeighed(), starts);
}

// Once a stretch's searches have spent their budget (only a crafted store makes them), each
// looks for its sender's address within kSpentReach of its record; before, anywhere up to the
// end of its body, as the reference does.
TEST(LooseSearch, OnceTheBudgetIsSpentASearchLooksOnlyNearItsRecord) {
    for (std::uint32_t distance : {100u, 100u * 1024}) {
        // The sender's text after the 0 byte at `distance` (the data area starts 7 bytes
        // before it), the recipient's 16 bytes on, the date 32 bytes on.
        Bytes tail(distance, 'x');
        const Bytes texts{0, 'a', '@', 'b', '.', 'c', 0};
        tail.insert(tail.end(), texts.begin(), texts.end());
        tail.resize(distance + 17, 0);
        for (char c : std::string("d@e.f")) tail.push_back(std::uint8_t(c));
        tail.resize(distance + 33, 0);
        Bytes date(8);
        StoreU64(date.data(), std::uint64_t(test::kSomeDate));
        tail.insert(tail.end(), date.begin(), date.end());
        const StoreBuilder store = FreedCandidate(0x7FFFFFF0, tail);
        const Bytes& image = store.Image();

        test::ReferenceRecognizer reference(image);
        RecoveredMessage expected;
        std::uint64_t skip = 0;
        ASSERT_TRUE(reference.Probe(kRecord, expected, skip)) << distance;
        for (std::uint64_t budget : {RecordRecognizer::kWeighedPerStretch, std::uint64_t(0)}) {
            test::MemorySource source(image);
            RecordRecognizer recognizer(source, test::UtcDates());
            recognizer.StartStretch(budget);
            RecoveredMessage got;
            const bool near = distance < AddressSearch::kSpentReach;
            EXPECT_EQ(recognizer.ProbeIndexRecord(kRecord, got, skip), budget > 0 || near)
                << distance << " " << budget;
            if (budget > 0 || near) {
                EXPECT_TRUE(test::SameMessage(got, expected)) << distance;
                EXPECT_EQ(got.from, "a@b.c");
                EXPECT_EQ(got.to, "d@e.f");
            }
        }
    }
}

// More 0 bytes followed by an address than the search keeps ahead of the records: past them
// each pass reads on by itself, and still finds what the reference finds.
TEST(LooseSearch, PastTheKeptStartsEachPassReadsOnByItself) {
    constexpr std::uint32_t kDense = 0x2000;
    constexpr std::uint32_t kRepeats = (1u << 20) + 1000;  // "\0@." each: an address start
    const std::uint32_t answer = kDense + 3 * kRepeats;
    StoreBuilder store(answer + 64);
    store.PutU32(kBody, kBody).PutU32(kBody + 4, 0x1FC);
    Bytes dense(3 * std::size_t(kRepeats));
    for (std::size_t i = 0; i < dense.size(); i += 3) {
        dense[i] = 0;
        dense[i + 1] = '@';
        dense[i + 2] = '.';
    }
    store.Put(kDense, dense);
    // The first 0 byte whose texts pass for both pairs below: "x@@y.z", a date after it.
    store.Put(answer, Bytes{0, 'x', '@', '@', 'y', '.', 'z', 0});
    Bytes date(8);
    StoreU64(date.data(), std::uint64_t(test::kSomeDate));
    store.Put(answer + 8, date);
    // Recipients one and two bytes after the sender: in the dense stretch a full stop or a 0
    // byte, never an address. Two records share the first pair.
    const std::uint32_t places[][2] = {{8, 9}, {8, 9}, {8, 10}};
    for (std::uint32_t k = 0; k < 3; ++k) {
        const std::uint32_t r = kRecord + 0x40 * k;
        const std::uint32_t sender = places[k][0], recipient = places[k][1];
        const std::uint32_t dateAt = answer + 8 - (answer + 1 - sender);
        store.PutU32(r, r).PutU32(r + 4, 0x7FFFFFF0).PutU32(r + 8, 0);
        store.PutU32(r + 12, 0x12 | dateAt << 8)
            .PutU32(r + 16, 0x0E | sender << 8)
            .PutU32(r + 20, 0x84 | kBody << 8)
            .PutU32(r + 24, 0x14 | recipient << 8);
    }
    const Bytes& image = store.Image();
    test::ReferenceRecognizer reference(image);
    test::MemorySource source(image);
    RecordRecognizer recognizer(source, test::UtcDates());
    int hits = 0;
    for (std::int64_t r = kRecord; r < kRecord + 0xC0; ++r) {
        RecoveredMessage got, expected;
        std::uint64_t gotSkip = 0, skip = 0;
        const bool hit = reference.Probe(r, expected, skip);
        ASSERT_EQ(recognizer.ProbeIndexRecord(r, got, gotSkip), hit) << r;
        if (!hit) continue;
        ++hits;
        EXPECT_TRUE(test::SameMessage(got, expected)) << r;
        EXPECT_EQ(got.from, "x@@y.z");
        EXPECT_EQ(gotSkip, skip) << r;
    }
    EXPECT_EQ(hits, 3);
}

}  // namespace
}  // namespace dbx
