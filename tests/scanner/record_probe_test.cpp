#include <gtest/gtest.h>

#include "record_probe.h"
#include "reference_recognizer.h"
#include "test_support.h"

namespace dbx {
namespace {

using build::Direct;
using build::FileTime;
using build::FileTimeFromUnix;
using build::Property;
using build::StoreBuilder;
using build::Text;
using build::Word;

constexpr std::int64_t k2010 = 1262304000;  // 2010-01-01 00:00:00 UTC
const std::int64_t kDate2010 = FileTimeFromUnix(k2010 + 3600);

using test::Probe;
using test::ProbeAt;

std::vector<Property> Minimal(const std::string& sender, std::uint32_t body = 0x100,
                              std::int64_t filetime = kDate2010) {
    return test::MinimalRecord(sender, body, filetime);
}

TEST(ProbeIndexRecord, DecodesATypicalRecord) {
    build::MessageFields f;
    f.from = "ana@example.com.br";
    f.fromName = "Ana Sousa";
    f.to = "<joao@example.pt>";
    f.toName = "Jo\xE3o";
    f.subject = "Re: Reuni\xE3o";
    f.messageId = "<1@example.com.br>";
    f.filetime = kDate2010;
    f.bodyOffset = 0x5000;
    StoreBuilder store(0x6000);
    const std::size_t size = store.PutRecord(0x3000, build::TypicalProperties(f));

    Probe p = ProbeAt(store.Image(), 0x3000);
    ASSERT_TRUE(p.hit);
    EXPECT_EQ(p.message.from, f.from);
    EXPECT_EQ(p.message.to, f.to);
    EXPECT_EQ(p.message.subject, f.subject);
    EXPECT_EQ(p.message.offset, 0x5000u);
    EXPECT_FALSE(p.message.deleted);
    EXPECT_EQ(p.message.dateSeconds, k2010 + 3600);
    EXPECT_EQ(p.message.dateText, "2010-01-01T01:00:00Z");
    // The skip stops short of the next record, which starts right after this one.
    EXPECT_EQ(p.skip, size - 13);
}

TEST(ProbeIndexRecord, RejectsWrongSelfOffsetAndOutOfRangeOffsets) {
    StoreBuilder store(0x2000);
    store.Put(0x1001, build::EncodeIndexRecord(0x1000, Minimal("a@b.c")));
    EXPECT_FALSE(ProbeAt(store.Image(), 0x1001).hit);
    EXPECT_FALSE(ProbeAt(store.Image(), 0x1000).hit);
    EXPECT_FALSE(ProbeAt(store.Image(), -1).hit);
    EXPECT_FALSE(ProbeAt(store.Image(), 0x2001).hit);
}

TEST(ProbeIndexRecord, MissingRecipientAndSubjectReadTheStartOfTheDataArea) {
    StoreBuilder store(0x2000);
    const std::size_t size = store.PutRecord(0x1000, Minimal("ana@example.com"));
    Probe p = ProbeAt(store.Image(), 0x1000);
    ASSERT_TRUE(p.hit);
    EXPECT_EQ(p.message.to, "first value");
    EXPECT_EQ(p.message.subject, "first value");
    EXPECT_EQ(p.skip, size - 13);
}

TEST(ProbeIndexRecord, SkipIs36PerEntryWhenTheRecordIsLonger) {
    StoreBuilder store(0x2000);
    store.PutRecord(0x1000, test::MinimalRecord("a@b.c", 0x100, kDate2010, 300));
    Probe p = ProbeAt(store.Image(), 0x1000);
    ASSERT_TRUE(p.hit);
    EXPECT_EQ(p.skip, 36u * 5);
}

TEST(ProbeIndexRecord, SenderNeedsAtSignAndFullStopInAnyOrder) {
    for (auto [sender, expected] : {std::pair{"ana@example", false},
                                    {"ana.example", false},
                                    {"ana@example.com", true},
                                    {"ana.s@example", true},
                                    {"", false}}) {
        StoreBuilder store(0x2000);
        store.PutRecord(0x1000, Minimal(sender));
        EXPECT_EQ(ProbeAt(store.Image(), 0x1000).hit, expected) << sender;
    }
}

TEST(ProbeIndexRecord, DatesBefore1970AreRejectedAndZeroIsAccepted) {
    StoreBuilder store(0x3000);
    store.PutRecord(0x1000, Minimal("a@b.c", 0x100, FileTimeFromUnix(-86400)));
    store.PutRecord(0x2000, Minimal("a@b.c", 0x100, 0));
    EXPECT_FALSE(ProbeAt(store.Image(), 0x1000).hit);
    Probe zero = ProbeAt(store.Image(), 0x2000);
    ASSERT_TRUE(zero.hit);
    EXPECT_EQ(zero.message.dateSeconds, 1240428288);
    EXPECT_EQ(zero.message.dateText, "2009-04-22T19:24:48Z");
}

TEST(ProbeIndexRecord, BodyOffsetFromTheEntryOrTheDataArea) {
    StoreBuilder store(0x4000);
    // 0x04 stores the offset in the data area; a later 0x84 gives the value, but the mark stays.
    store.PutRecord(0x1000, {Text(0x1C, "x"), Text(0x0E, "a@b.c"), FileTime(0x12, kDate2010),
                             Word(0x04, 0x3000)});
    store.PutRecord(0x2000, {Word(0x04, 0x2222), Text(0x0E, "a@b.c"), FileTime(0x12, kDate2010),
                             Direct(0x84, 0)});
    store.PutRecord(0x2800, {Word(0x04, 0x2222), Text(0x0E, "a@b.c"), FileTime(0x12, kDate2010),
                             Word(0x1C, 0x1234), Direct(0x84, 18)});  // 18: where 0x1234 lies
    EXPECT_EQ(ProbeAt(store.Image(), 0x1000).message.offset, 0x3000u);
    EXPECT_FALSE(ProbeAt(store.Image(), 0x2000).hit) << "a value of 0 counts as absent";
    Probe marked = ProbeAt(store.Image(), 0x2800);
    ASSERT_TRUE(marked.hit);
    EXPECT_EQ(marked.message.offset, 0x1234u);
}

TEST(ProbeIndexRecord, BodyOffsetMustLieInTheStore) {
    StoreBuilder store(0x3000);
    store.PutRecord(0x1000, Minimal("a@b.c", 0x3000));
    store.PutRecord(0x2000, Minimal("a@b.c", 0x3001));
    store.PutRecord(0x2800, {Text(0x1C, "x"), Text(0x0E, "a@b.c"), FileTime(0x12, kDate2010),
                             Word(0x04, 0x80000000u)});
    EXPECT_TRUE(ProbeAt(store.Image(), 0x1000).hit) << "the store length itself is allowed";
    EXPECT_FALSE(ProbeAt(store.Image(), 0x2000).hit);
    EXPECT_FALSE(ProbeAt(store.Image(), 0x2800).hit) << "negative as a signed number";
}

TEST(ProbeIndexRecord, LastEntryWinsAndOnlyTheOffsetHonoursTheDirectBit) {
    StoreBuilder store(0x2000);
    store.PutRecord(0x1000, {Text(0x08, "first"), Text(0x08, "second"), Text(0x0E, "a@b.c"),
                             FileTime(0x12, kDate2010), Direct(0x84, 0x100)});
    EXPECT_EQ(ProbeAt(store.Image(), 0x1000).message.subject, "second");

    StoreBuilder direct(0x2000);
    direct.PutRecord(0x1000,
                     {Text(0x1C, "first value"), Text(0x0E, "a@b.c"), FileTime(0x12, kDate2010),
                      Direct(0x84, 0x100), Direct(0x88, 3), Direct(0x94, 5)});
    Probe p = ProbeAt(direct.Image(), 0x1000);
    ASSERT_TRUE(p.hit);
    EXPECT_EQ(p.message.subject, "first value");
    EXPECT_EQ(p.message.to, "first value");
}

TEST(ProbeIndexRecord, ContentPastTheEndOfTheStoreIsNeverUsed) {
    StoreBuilder store;
    const std::size_t size = store.PutRecord(0x1000, Minimal("a@b.c"));
    store.Resize(0x1000 + size);
    EXPECT_TRUE(ProbeAt(store.Image(), 0x1000).hit);
    // The FILETIME is the last value: cut into it, the record is gone.
    store.Resize(0x1000 + size - 4);
    EXPECT_FALSE(ProbeAt(store.Image(), 0x1000).hit);
    // An entry table running past the end.
    store.Resize(0x1000 + 14);
    EXPECT_FALSE(ProbeAt(store.Image(), 0x1000).hit);
}

class FieldText : public ::testing::Test {
  protected:
    std::string Read(std::int64_t base, std::uint32_t ref) {
        test::MemorySource source(store.Image());
        RecordRecognizer recognizer(source, test::UtcDates());
        return recognizer.ReadFieldText(base, ref);
    }
    StoreBuilder store{1000};
};

TEST_F(FieldText, ReadsUpToTheTerminatingZero) {
    store.PutText(100, "exactly15chars!").PutText(200, "short");
    EXPECT_EQ(Read(100, 0), "exactly15chars!");
    EXPECT_EQ(Read(90, 10), "exactly15chars!");
    EXPECT_EQ(Read(200, 0), "short");
    EXPECT_EQ(Read(150, 0), "");
    EXPECT_EQ(Read(-1, 201), "");
}

TEST_F(FieldText, TextRunningToTheEndOfTheStore) {
    store.PutText(980, std::string(20, 'z'));
    EXPECT_EQ(Read(980, 0), std::string(20, 'z'));
    // The bound applies to the base, which passes the store length while the text goes on.
    store.PutText(490, std::string(40, 'y'));
    EXPECT_EQ(Read(990, 0xFFFFFFFFu - 499), "");
    EXPECT_EQ(Read(960, 0xFFFFFFFFu - 469), std::string(40, 'y'));
}

// A damaged store can make a text run on for megabytes: only its start is kept, but whether
// it reads as an address is still decided on the whole of it, as the reference does.
TEST(ProbeIndexRecord, LongTextsAreCutButJudgedWhole) {
    const std::string sender = std::string(100000, 'x') + "@example.org";
    const std::string subject(200000, 's');
    StoreBuilder store(0x1000);
    store.PutRecord(
        0x100, {Text(0x1C, "first value"), Text(0x0E, sender),
                FileTime(0x12, FileTimeFromUnix(k2010)), Direct(0x84, 0x80), Text(0x08, subject)});
    Probe p = ProbeAt(store.Image(), 0x100);
    ASSERT_TRUE(p.hit);
    EXPECT_EQ(p.message.from, sender.substr(0, RecordRecognizer::kMaxFieldText));
    EXPECT_EQ(p.message.subject, subject.substr(0, RecordRecognizer::kMaxFieldText));

    test::ReferenceRecognizer reference(store.Image());
    RecoveredMessage expected;
    std::uint64_t skip = 0;
    ASSERT_TRUE(reference.Probe(0x100, expected, skip));
    EXPECT_TRUE(test::SameMessage(p.message, expected));
    EXPECT_EQ(p.skip, skip);
}

}  // namespace
}  // namespace dbx
