#include <gtest/gtest.h>

#include <random>
#include <set>

#include "little_endian.h"
#include "scan_store.h"
#include "test_support.h"

// The fast scan (filter, buffer, skips) must give exactly what probing every offset with
// direct reads gives.
namespace dbx {
namespace {

using build::StoreBuilder;

// Returns the number of hits.
std::size_t ExpectSameAsReference(const std::string& path) {
    std::vector<RecoveredMessage> expected = test::ReferenceScan(path);
    std::vector<RecoveredMessage> actual = test::ScanHits(path);
    EXPECT_EQ(actual.size(), expected.size());
    if (actual.size() != expected.size()) return 0;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_TRUE(test::SameMessage(actual[i], expected[i]))
            << "hit " << i << ": " << actual[i].offset << " " << actual[i].from << " vs "
            << expected[i].offset << " " << expected[i].from;
    }
    return actual.size();
}

// Messages in the layout of a real store, some deleted, with damage laid over them.
StoreBuilder MailStore(std::uint32_t seed) {
    std::mt19937 rng(seed);
    StoreBuilder store;
    store.Header();
    std::uint32_t at = build::kFirstSegment;
    for (int batch = 0; batch < 6; ++batch) {
        std::vector<std::pair<build::MessageFields, bool>> messages;
        std::uint32_t recordsAt = at;
        std::uint32_t bodyAt = at + 0x3000;
        for (int i = 0; i < 8; ++i) {
            build::MessageFields f;
            f.from = "sender" + std::to_string(rng() % 100) + "@example.org";
            f.to = "<rcpt" + std::to_string(rng() % 100) + "@example.net>";
            f.subject = "Subject " + std::to_string(rng());
            f.filetime = build::FileTimeFromUnix(900000000 + rng() % 300000000);
            std::string body(rng() % 3000, 'a');
            f.bodyOffset = bodyAt;
            f.bodySize = std::uint32_t(body.size());
            const bool deleted = rng() % 4 == 0;
            if (deleted) {
                recordsAt +=
                    std::uint32_t(store.PutFreedRecord(recordsAt, TypicalProperties(f), 0));
            } else {
                recordsAt += std::uint32_t(store.PutRecord(recordsAt, TypicalProperties(f)));
            }
            store.PutBody(bodyAt, body, deleted);
            bodyAt += std::uint32_t(build::BlocksFor(body.size()) * build::kBlockSize);
        }
        at = bodyAt + 0x100;
    }
    // Damage: zeroed and random stretches, some cutting through records.
    for (int i = 0; i < 6; ++i) {
        const std::size_t where = rng() % store.Size();
        if (i % 2) {
            store.Zero(where, rng() % 400);
        } else {
            store.Garbage(where, rng() % 400, rng());
        }
    }
    return store;
}

TEST(ScanEquivalence, GeneratedMailStores) {
    test::TempDir dir;
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        const std::string path = dir.File("store" + std::to_string(seed) + ".dbx");
        MailStore(seed).Save(path);
        // 48 messages, a few of them hit by the damage.
        EXPECT_GE(ExpectSameAsReference(path), 40u);
    }
}

// Cut anywhere, a store loses exactly the records that no longer fit: none survive a cut before
// the first segment, fewer survive a cut half-way than the whole store holds.
TEST(ScanEquivalence, TruncatedStores) {
    test::TempDir dir;
    StoreBuilder store = MailStore(9);
    std::vector<std::size_t> counts;
    for (std::size_t cut : {std::size_t(2000), std::size_t(2001), std::size_t(build::kFirstSegment),
                            store.Size() / 2 + 7, store.Size() - 1, store.Size()}) {
        StoreBuilder copy = store;
        copy.Resize(cut);
        const std::string path = dir.File("cut" + std::to_string(cut) + ".dbx");
        copy.Save(path);
        counts.push_back(ExpectSameAsReference(path));
    }
    EXPECT_EQ(counts[0], 0u);
    EXPECT_EQ(counts[1], 0u);
    EXPECT_EQ(counts[2], 0u);
    EXPECT_GT(counts[3], 5u);
    EXPECT_LT(counts[3], counts[5]);
    EXPECT_GE(counts[5], 40u);
    EXPECT_LE(counts[4], counts[5]);
    EXPECT_GE(counts[4] + 1, counts[5]);
}

// Random bytes with many words holding their own offset: each such probe passes the first
// test and runs deep into the recognisers, with counts and lengths that are noise. Real
// records of both kinds lie among them, so that both sides have hits to agree on.
TEST(ScanEquivalence, SelfOffsetNoise) {
    test::TempDir dir;
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        std::mt19937 rng(seed);
        StoreBuilder store;
        store.Garbage(0, 100000, seed);
        build::Bytes image = store.Image();
        for (std::uint32_t at = 0; at + 12 <= image.size(); at += 20 + rng() % 200) {
            StoreU32(image.data() + at, at);
            if (rng() % 3 == 0) image[at + 10] = 0;  // entry count 0: the loose recogniser
            if (rng() % 20 != 0) StoreU32(image.data() + at + 4, rng() % 2048);
        }
        StoreBuilder noisy(0);
        noisy.Put(0, image);
        // Records laid over the noise, away from one another: live ones, and freed ones whose
        // bodies start with a freed block.
        constexpr int kPlanted = 12;
        for (int i = 0; i < kPlanted; ++i) {
            const auto at = std::uint32_t(4000 + i * 8000 + rng() % 1000);
            build::MessageFields f;
            const std::string n = std::to_string(i);
            f.from = std::string("s").append(n).append("@example.org");
            f.to = std::string("<r").append(n).append("@example.net>");
            f.subject = std::string("planted ").append(n);
            f.filetime = build::FileTimeFromUnix(1000000000 + i);
            f.bodyOffset = at + 0x800;
            noisy.Zero(at - 2100, 2100);  // no noise hit's skip reaches over the record
            if (i % 2) {
                noisy.PutFreedRecord(at, TypicalProperties(f), 0);
                noisy.PutBody(f.bodyOffset, "Subject: x\r\n\r\nbody", /*freed=*/true);
            } else {
                noisy.PutRecord(at, TypicalProperties(f));
            }
        }
        const std::string path = dir.File("noise" + std::to_string(seed) + ".dbx");
        noisy.Save(path);
        const std::vector<RecoveredMessage> hits = test::ScanHits(path);
        // A noise word may also reach a planted record's texts: count each record once.
        std::set<std::string> planted;
        for (const RecoveredMessage& m : hits) {
            if (m.subject.starts_with("planted ")) planted.insert(m.subject);
        }
        EXPECT_EQ(planted.size(), std::size_t(kPlanted)) << "seed " << seed;
        EXPECT_GE(ExpectSameAsReference(path), std::size_t(kPlanted)) << "seed " << seed;
    }
}

}  // namespace
}  // namespace dbx
