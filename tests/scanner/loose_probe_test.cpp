#include <gtest/gtest.h>

#include "record_probe.h"
#include "test_support.h"

namespace dbx {
namespace {

using build::Bytes;
using build::FileTimeFromUnix;
using build::StoreBuilder;

constexpr std::int64_t kWhen = 1262304000 + 7200;  // 2010-01-01 02:00 UTC

using test::Probe;
using test::ProbeAt;

Bytes FileTimeBytes(std::int64_t seconds) {
    Bytes b(8);
    const auto ft = std::uint64_t(FileTimeFromUnix(seconds));
    for (int i = 0; i < 8; ++i) b[std::size_t(i)] = std::uint8_t(ft >> (8 * i));
    return b;
}

// A hand-laid record with entry count 0, as a freed one is found: entries for date, sender,
// body offset and recipient, and the values where the test puts them.
struct LooseRecord {
    std::uint32_t r = 1000;
    std::uint32_t bodyLength = 64;
    std::uint32_t date = 16, sender = 8, recipient = 24;
    std::uint32_t body = 4000;
    std::uint32_t blockSizeWord = 0x1FC;

    StoreBuilder Build() const {
        StoreBuilder store(5000);
        store.PutU32(r, r).PutU32(r + 4, bodyLength).PutU32(r + 8, 0);
        store.PutU32(r + 12, 0x12 | date << 8)
            .PutU32(r + 16, 0x0E | sender << 8)
            .PutU32(r + 20, 0x84 | body << 8)
            .PutU32(r + 24, 0x14 | recipient << 8);
        store.PutU32(body, body).PutU32(body + 4, blockSizeWord);
        return store;
    }
};

// The worked example: the fourth entry (at 1024) completes the set, the sender text starts at
// 1040 with sender value 8, so the data area starts at 1032 and the skip is 8.
TEST(ProbeLooseIndexRecord, FindsTheDataAreaFromTheSenderAddress) {
    LooseRecord rec;
    rec.date = 24;
    rec.recipient = 32;
    StoreBuilder store = rec.Build();
    store.PutText(1040, std::string("ana@mail.pt") + '\0');
    store.Put(1032 + 24, FileTimeBytes(kWhen));
    store.PutText(1032 + 32, std::string("<rui@mail.pt>") + '\0');

    Probe p = ProbeAt(store.Image(), 1000);
    ASSERT_TRUE(p.hit);
    EXPECT_TRUE(p.message.deleted);
    EXPECT_EQ(p.message.from, "ana@mail.pt");
    EXPECT_EQ(p.message.to, "<rui@mail.pt>");
    EXPECT_EQ(p.message.subject, "");  // no subject: the text at the data area start
    EXPECT_EQ(p.message.offset, 4000u);
    EXPECT_EQ(p.message.dateSeconds, kWhen);
    EXPECT_EQ(p.skip, 8u);
}

class LooseCase : public ::testing::Test {
  protected:
    // Sender at 1040 (data area 1032), date at 1056, recipient at 1064.
    void SetUp() override {
        rec.date = 24;
        rec.recipient = 32;
        Rebuild();
    }
    void Rebuild() {
        store = rec.Build();
        store.PutText(1040, std::string("ana@mail.pt") + '\0');
        store.Put(1056, FileTimeBytes(kWhen));
        store.PutText(1064, std::string("rui@mail.pt") + '\0');
    }
    LooseRecord rec;
    StoreBuilder store;
};

TEST_F(LooseCase, TheBodyMustStartWithAFreedBlock) {
    EXPECT_TRUE(ProbeAt(store.Image(), 1000).hit);
    rec.blockSizeWord = 512;
    Rebuild();
    EXPECT_FALSE(ProbeAt(store.Image(), 1000).hit);
    rec.blockSizeWord = 0x1FC;
    Rebuild();
    store.PutU32(4000, 4001);
    EXPECT_FALSE(ProbeAt(store.Image(), 1000).hit) << "the block's self offset";
}

TEST_F(LooseCase, EveryOneOfTheFourPropertiesIsNeeded) {
    for (std::uint32_t entry : {1012u, 1016u, 1020u, 1024u}) {
        Rebuild();
        store.PutU32(entry, 0x1C | 8 << 8);
        EXPECT_FALSE(ProbeAt(store.Image(), 1000).hit) << entry;
    }
}

TEST_F(LooseCase, ABodyLengthBelowOneEntryMeansNoRecord) {
    rec.bodyLength = 3;
    Rebuild();
    EXPECT_FALSE(ProbeAt(store.Image(), 1000).hit);
}

TEST_F(LooseCase, AtSignsThatDoNotLeadToAddressesAreSkipped) {
    // "x@y" (no full stop) right after a 0 byte, before the real sender.
    store.PutText(1028, std::string("\0x@y", 4) + '\0' + "zz");
    Probe p = ProbeAt(store.Image(), 1000);
    ASSERT_TRUE(p.hit);
    EXPECT_EQ(p.message.from, "ana@mail.pt");
}

TEST(ProbeLooseIndexRecord, AnAcceptedCandidateIsNeverReconsidered) {
    // The real data area starts at 1032: sender 1040, date 1132, recipient 1152. Before it,
    // "p@q.r" at 1029 makes a candidate data area at 1021 whose recipient (1141) also reads as
    // an address; its date (1121) decides the record, the real sender is never looked at.
    LooseRecord rec;
    rec.date = 100;
    rec.recipient = 120;
    StoreBuilder store = rec.Build();
    store.PutText(1040, std::string("ana@mail.pt") + '\0');
    store.Put(1132, FileTimeBytes(kWhen));
    store.PutText(1152, std::string("rui@mail.pt") + '\0');
    EXPECT_EQ(ProbeAt(store.Image(), 1000).message.from, "ana@mail.pt");

    store.PutText(1028, std::string("\0p@q.r", 6) + '\0');
    store.PutText(1141, std::string("u@v.w") + '\0');
    store.Put(1121, FileTimeBytes(-86400));
    EXPECT_FALSE(ProbeAt(store.Image(), 1000).hit);

    store.Put(1121, FileTimeBytes(kWhen));
    Probe p = ProbeAt(store.Image(), 1000);
    ASSERT_TRUE(p.hit);
    EXPECT_EQ(p.message.from, "p@q.r");
    EXPECT_EQ(p.message.to, "u@v.w");
}

TEST_F(LooseCase, TheSearchStaysInsideTheRecordAndTheStore) {
    rec.bodyLength = 40;  // the search covers 1000..1039: the sender's at sign is beyond
    Rebuild();
    EXPECT_FALSE(ProbeAt(store.Image(), 1000).hit);
    rec.bodyLength = 0xFFFFFF00u;  // negative: R + L wraps below R
    Rebuild();
    EXPECT_FALSE(ProbeAt(store.Image(), 1000).hit);
}

TEST(ProbeLooseIndexRecord, FreedTypicalRecordWithFreedBody) {
    build::MessageFields f;
    f.from = "maria@example.com.br";
    f.fromName = "Maria";
    f.to = "<pedro@example.com.br>";
    f.toName = "Pedro";
    f.subject =
        "Or\xE7"
        "amento";
    f.filetime = FileTimeFromUnix(kWhen);
    f.bodyOffset = 0x4000;
    StoreBuilder store(0x5000);
    store.PutFreedRecord(0x3000, build::TypicalProperties(f), 0x2A00);
    store.PutBody(0x4000, "Subject: x\r\n\r\nhello\r\n", /*freed=*/true);
    Probe p = ProbeAt(store.Image(), 0x3000);
    ASSERT_TRUE(p.hit);
    EXPECT_TRUE(p.message.deleted);
    EXPECT_EQ(p.message.from, f.from);
    EXPECT_EQ(p.message.to, f.to);
    EXPECT_EQ(p.message.subject, f.subject);
    EXPECT_EQ(p.message.offset, 0x4000u);

    // A live body under a freed record is not reported.
    store.PutBody(0x4000, "Subject: x\r\n\r\nhello\r\n", /*freed=*/false);
    EXPECT_FALSE(ProbeAt(store.Image(), 0x3000).hit);
}

}  // namespace
}  // namespace dbx
