#include <gtest/gtest.h>

#include <filesystem>

#include "block_index.h"
#include "dedupe.h"
#include "displacement.h"
#include "little_endian.h"
#include "message_extractor.h"
#include "orphan_chains.h"
#include "scan_store.h"
#include "test_support.h"

namespace dbx {
namespace {

using build::StoreBuilder;
namespace fs = std::filesystem;
using test::ReadWholeFile;

constexpr std::int64_t kWhen = 1262307600;  // 2010-01-01 01:00 UTC
constexpr std::uint32_t kBodies = 0x4000;

std::string Mail(const std::string& subject, std::size_t size, char fill = 'x') {
    std::string mail =
        "Received: from mx.example.pt\r\nFrom: =?iso-8859-1?Q?Jo=E3o?= "
        "<joao@example.pt>\r\nTo: ana@example.pt\r\nSubject: " +
        subject + "\r\nDate: Fri, 1 Jan 2010 02:00:00 +0100\r\n\r\n";
    mail.resize(size, fill);
    return mail;
}

build::MessageFields Fields(std::uint32_t body, const std::string& subject) {
    build::MessageFields f;
    f.from = "ana@example.pt";
    f.to = "<rui@example.pt>";
    f.subject = subject;
    f.filetime = build::FileTimeFromUnix(kWhen);
    f.bodyOffset = body;
    return f;
}

struct Found {
    std::vector<RecoveredMessage> listed;
    std::vector<RecoveredMessage> orphans;
};

struct Collector : ScanObserver {
    std::vector<RecoveredMessage> hits;
    void OnMessage(const RecoveredMessage& m) override { hits.push_back(m); }
};

Found DeepScan(const std::string& path, std::int64_t displacement = 0) {
    Collector collector;
    BlockIndex index;
    ScanOptions options;
    options.formatDate = test::UtcDates();
    options.displacement = displacement;
    options.blocks = &index;
    ScanStore(path, collector, options);
    Found found;
    found.listed = OneRowPerBody(std::move(collector.hits));
    DeepSearchOptions deep;
    deep.displacement = displacement;
    deep.formatDate = test::UtcDates();
    found.orphans = FindOrphanedChains(path, index, found.listed, deep);
    return found;
}

class DeepRecovery : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directory(out);
        store.Header();
    }
    ExtractOutcome Extract(std::uint32_t offset, ExtractExtras extras = {}) {
        ExtractRequest request;
        request.offset = offset;
        request.storePath = path;
        request.outputDirectory = out;
        return ExtractMessage(request, counter, extras);
    }
    test::TempDir dir;
    std::string path = dir.File("store.dbx");
    std::string out = dir.File("out");
    StoreBuilder store{0x10000};
    MailCounter counter;
};

TEST_F(DeepRecovery, ChainsWhoseRecordsAreGoneComeBackWithTheirOwnHeaders) {
    const std::string kept = Mail("kept", 700);
    const std::string lost = Mail("=?utf-8?B?w6lw?= lost", 1100);
    store.PutRecord(build::kFirstSegment, TypicalProperties(Fields(kBodies, "kept")));
    store.PutBody(kBodies, kept);
    store.PutBody(kBodies + 4 * build::kBlockSize, lost);  // its record was zeroed
    store.Save(path);

    const Found found = DeepScan(path);
    ASSERT_EQ(found.listed.size(), 1u);
    EXPECT_FALSE(found.listed[0].incomplete);
    ASSERT_EQ(found.orphans.size(), 1u);
    const RecoveredMessage& orphan = found.orphans[0];
    EXPECT_EQ(orphan.offset, kBodies + 4 * build::kBlockSize);
    EXPECT_STREQ(StatusText(orphan), "Orphaned");
    EXPECT_FALSE(orphan.incomplete);
    EXPECT_FALSE(orphan.deleted);
    EXPECT_EQ(orphan.subject, "\xC3\xA9p lost");
    EXPECT_EQ(orphan.from, "Jo\xC3\xA3o <joao@example.pt>");
    EXPECT_EQ(orphan.to, "ana@example.pt");
    EXPECT_EQ(orphan.dateSeconds, kWhen);
    EXPECT_FALSE(orphan.dateText.empty());

    const ExtractOutcome r = Extract(orphan.offset);
    EXPECT_EQ(r.status, ExtractStatus::Written);
    EXPECT_FALSE(r.incomplete);
    EXPECT_EQ(ReadWholeFile(r.path), lost);
}

TEST_F(DeepRecovery, AChainBrokenInTheMiddleGivesAnIncompleteHeadAndAnIncompleteTail) {
    const std::string mail = Mail("broken", 4 * 512);
    store.PutRecord(build::kFirstSegment, TypicalProperties(Fields(kBodies, "broken")));
    store.PutBody(kBodies, mail);
    store.Zero(kBodies + build::kBlockSize, build::kBlockSize);  // the second block is wiped
    store.Save(path);

    const Found found = DeepScan(path);
    ASSERT_EQ(found.listed.size(), 1u);
    EXPECT_TRUE(found.listed[0].incomplete);
    ASSERT_EQ(found.orphans.size(), 1u);
    EXPECT_EQ(found.orphans[0].offset, kBodies + 2 * build::kBlockSize);
    EXPECT_TRUE(found.orphans[0].incomplete);
    EXPECT_EQ(found.orphans[0].subject, "");

    // The head keeps its first block and says it is cut short; no zeros are written.
    const ExtractOutcome head = Extract(kBodies);
    EXPECT_EQ(head.status, ExtractStatus::Written);
    EXPECT_TRUE(head.incomplete);
    EXPECT_EQ(head.end, ChainEnd::Unnamed);
    EXPECT_EQ(ReadWholeFile(head.path), mail.substr(0, 512));
    const ExtractOutcome tail = Extract(found.orphans[0].offset);
    EXPECT_EQ(ReadWholeFile(tail.path), mail.substr(1024));
}

TEST_F(DeepRecovery, FreedChainsComeBackWithoutTheirZeroTail) {
    const std::string mail = Mail("freed", 800);
    store.PutBody(kBodies, mail, /*freed=*/true);
    store.Save(path);

    const Found found = DeepScan(path);
    ASSERT_EQ(found.orphans.size(), 1u);
    const RecoveredMessage& orphan = found.orphans[0];
    EXPECT_TRUE(orphan.deleted);
    EXPECT_FALSE(orphan.incomplete);
    // The free-list link took the first four bytes of each block: the header's first line.
    EXPECT_EQ(orphan.subject, "freed");

    ExtractExtras extras;
    extras.trimFreedTail = true;
    const std::string text = ReadWholeFile(Extract(orphan.offset, extras).path);
    ASSERT_EQ(text.size(), mail.size());
    EXPECT_EQ(text.substr(4, 508), mail.substr(4, 508));
    EXPECT_EQ(text.substr(516), mail.substr(516));
    // Without the trim, the last block reads as a whole one.
    EXPECT_EQ(ReadWholeFile(Extract(orphan.offset).path).size(), 1024u);
}

TEST_F(DeepRecovery, BlockLookAlikesThatHoldNoMailAreNotListed) {
    // A freed index record of 0x210 bytes reads like a freed block: its data holds zeros.
    build::Bytes record(build::kBlockSize);
    StoreU32(record.data(), kBodies);
    StoreU32(record.data() + 4, 0x1FC);
    StoreU32(record.data() + 8, 0x210);
    StoreU32(record.data() + 12, 0x180);
    StoreU32(record.data() + 20, 0x0112);
    record[40] = 'a';
    store.Put(kBodies, record);
    store.Save(path);
    EXPECT_TRUE(DeepScan(path).orphans.empty());
}

TEST_F(DeepRecovery, WipedFirstBlocksWriteNoFileAndSayWhy) {
    store.PutRecord(build::kFirstSegment, TypicalProperties(Fields(kBodies, "gone")));
    store.PutBody(kBodies, Mail("gone", 300));
    store.Zero(kBodies, build::kBlockSize);
    store.Save(path);

    const ExtractOutcome r = Extract(kBodies);
    EXPECT_EQ(r.status, ExtractStatus::FirstBlockMissing);
    EXPECT_TRUE(r.path.empty());
    EXPECT_TRUE(fs::is_empty(out));
    EXPECT_EQ(counter.Value(), 0);
    EXPECT_NE(DescribeExtractFailure(r).find("first block"), std::string::npos);

    const Found found = DeepScan(path);
    ASSERT_EQ(found.listed.size(), 1u);
    EXPECT_TRUE(found.listed[0].incomplete);
    EXPECT_TRUE(found.orphans.empty());
}

TEST_F(DeepRecovery, LoopsAndNextBlocksPastTheEndEndTheWalkAsIncomplete) {
    const std::string mail = Mail("loop", 3 * 512);
    store.PutBody(kBodies, mail);
    store.PutU32(kBodies + 2 * build::kBlockSize + 12, kBodies);  // the last leads back
    const std::uint32_t other = kBodies + 8 * build::kBlockSize;
    store.PutBody(other, Mail("past", 200));
    store.PutU32(other + 12, 0xFFFFF000u);
    store.Save(path);

    const ExtractOutcome loop = Extract(kBodies);
    EXPECT_TRUE(loop.incomplete);
    EXPECT_EQ(loop.end, ChainEnd::Loop);
    EXPECT_EQ(ReadWholeFile(loop.path), mail);
    const ExtractOutcome past = Extract(other);
    EXPECT_TRUE(past.incomplete);
    EXPECT_EQ(past.end, ChainEnd::PastEnd);

    // The loop's blocks all have a predecessor: nothing starts it, and nothing hangs.
    const Found found = DeepScan(path);
    ASSERT_EQ(found.orphans.size(), 1u);
    EXPECT_EQ(found.orphans[0].offset, other);
    EXPECT_TRUE(found.orphans[0].incomplete);
}

TEST_F(DeepRecovery, StaleCopiesGiveOneRowAndTheLiveRecordWins) {
    // A deleted message: a stale freed copy and the freed record lead to one freed body.
    std::uint32_t at = build::kFirstSegment;
    at += std::uint32_t(store.PutFreedRecord(at, TypicalProperties(Fields(kBodies, "old"))));
    at += std::uint32_t(store.PutFreedRecord(at, TypicalProperties(Fields(kBodies, "new"))));
    store.PutBody(kBodies, Mail("new", 300), /*freed=*/true);
    // Another body, reached first by a freed record and then by a live one.
    const std::uint32_t other = kBodies + 2 * build::kBlockSize;
    at += std::uint32_t(store.PutFreedRecord(at, TypicalProperties(Fields(other, "gone"))));
    store.PutRecord(at, TypicalProperties(Fields(other, "live")));
    store.PutBody(other, Mail("live", 300), /*freed=*/true);
    store.Save(path);

    const std::vector<RecoveredMessage> all = test::ScanHits(path);
    ASSERT_EQ(all.size(), 4u);  // the plain scan lists every record
    const std::vector<RecoveredMessage> one = OneRowPerBody(all);
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[0].subject, "old");
    EXPECT_TRUE(one[0].deleted);
    EXPECT_EQ(one[1].subject, "live");
    EXPECT_FALSE(one[1].deleted);
    EXPECT_TRUE(DeepScan(path).orphans.empty());

    // While a scan runs: the live row at once, the deleted one only once the scan is over,
    // and the same rows as above.
    struct Rows : ScanObserver {
        std::vector<RecoveredMessage> got;
        void OnMessage(const RecoveredMessage& m) override { got.push_back(m); }
    } rows;
    OneRowPerBodyObserver dedupe(rows);
    for (const RecoveredMessage& m : all) dedupe.OnMessage(m);
    ASSERT_EQ(rows.got.size(), 1u);
    EXPECT_EQ(rows.got[0].subject, "live");
    dedupe.Flush();
    ASSERT_EQ(rows.got.size(), 2u);
    EXPECT_EQ(rows.got[1].subject, "old");
    EXPECT_EQ(dedupe.Listed().size(), 2u);
}

std::string Name(std::size_t i) {
    std::string name = "m0";
    name[1] = char('0' + i);
    return name;
}

TEST_F(DeepRecovery, AStoreCutShortInsideAChainKeepsThePartAndSaysSo) {
    const std::string mail = Mail("cut", 3 * 512);
    store.PutBody(kBodies, mail);
    store.Resize(kBodies + build::kBlockSize + 100);  // the second block's data runs out
    store.Save(path);
    const ExtractOutcome r = Extract(kBodies);
    EXPECT_EQ(r.status, ExtractStatus::Written);
    EXPECT_TRUE(r.incomplete);
    EXPECT_EQ(r.end, ChainEnd::PastEnd);
    EXPECT_EQ(r.bytes, 512u);
    EXPECT_EQ(ReadWholeFile(r.path), mail.substr(0, 512));
}

TEST_F(DeepRecovery, AnOrphanIsJudgedByTheHeaderItStartsWith) {
    // Its record is gone and its body holds zeros in the first block: still a mail.
    std::string binary = Mail("zeros", 300);
    binary.append(200, '\0');
    binary.resize(1200, 'b');
    store.PutBody(kBodies, binary);
    // A header with a zero inside it is no mail header, and a header that never ends in a
    // chain read whole is none either.
    std::string broken = Mail("broken", 600);
    broken[20] = '\0';
    store.PutBody(kBodies + 4 * build::kBlockSize, broken);
    store.PutBody(kBodies + 8 * build::kBlockSize, "From: a@b.pt\r\nbinary\1\2\3");
    store.Save(path);

    const Found found = DeepScan(path);
    ASSERT_EQ(found.orphans.size(), 1u);
    const RecoveredMessage& orphan = found.orphans[0];
    EXPECT_EQ(orphan.offset, kBodies);
    EXPECT_EQ(orphan.subject, "zeros");
    EXPECT_FALSE(orphan.incomplete);
    EXPECT_EQ(ReadWholeFile(Extract(orphan.offset).path), binary);
}

TEST_F(DeepRecovery, AChainEndingBeforeItsRecordSizeIsIncomplete) {
    const std::string mail = Mail("short", 1300);
    build::MessageFields cut = Fields(kBodies, "short");
    cut.bodySize = std::uint32_t(mail.size());
    std::uint32_t at = build::kFirstSegment;
    at += std::uint32_t(store.PutRecord(at, TypicalProperties(cut)));
    store.PutBody(kBodies, mail);
    store.PutU32(kBodies + build::kBlockSize + 12, 0);  // the second block ends the chain
    // A whole one with its size given stays whole.
    const std::uint32_t other = kBodies + 4 * build::kBlockSize;
    build::MessageFields whole = Fields(other, "whole");
    whole.bodySize = 700;
    store.PutRecord(at, TypicalProperties(whole));
    store.PutBody(other, Mail("whole", 700));
    store.Save(path);

    const Found found = DeepScan(path);
    ASSERT_EQ(found.listed.size(), 2u);
    EXPECT_EQ(found.listed[0].size, 1300u);
    EXPECT_TRUE(found.listed[0].incomplete);
    EXPECT_FALSE(found.listed[1].incomplete);
    // The third block, no longer reached, is a tail of its own.
    ASSERT_EQ(found.orphans.size(), 1u);
    EXPECT_EQ(found.orphans[0].offset, kBodies + 2 * build::kBlockSize);

    // Without the deep search the extraction says so too, from the record's size.
    const std::vector<RecoveredMessage> plain = test::ScanHits(path);
    ASSERT_EQ(plain.size(), 2u);
    ExtractExtras extras;
    extras.recordSize = plain[0].size;
    const ExtractOutcome r = Extract(plain[0].offset, extras);
    EXPECT_EQ(r.status, ExtractStatus::Written);
    EXPECT_TRUE(r.incomplete);
    EXPECT_EQ(r.shortBy, 276u);
    EXPECT_EQ(ReadWholeFile(r.path), mail.substr(0, 1024));
    EXPECT_EQ(IncompleteReason(r, &plain[0]),
              "its chain ends 276 bytes before the size its record gives");
    extras.recordSize = plain[1].size;
    const ExtractOutcome w = Extract(plain[1].offset, extras);
    EXPECT_FALSE(w.incomplete);
    EXPECT_EQ(IncompleteReason(w, &plain[1]), "");
}

TEST_F(DeepRecovery, AStaleRecordNamingTheMiddleOfAChainLeavesTheWholeMessageWhole) {
    const std::string mail = Mail("middle", 1300);
    store.PutBody(kBodies, mail);
    build::MessageFields stale = Fields(kBodies + build::kBlockSize, "middle");
    stale.bodySize = std::uint32_t(mail.size());
    store.PutRecord(build::kFirstSegment, TypicalProperties(stale));
    store.Save(path);

    const Found found = DeepScan(path);
    ASSERT_EQ(found.listed.size(), 1u);
    EXPECT_TRUE(found.listed[0].incomplete);
    ASSERT_EQ(found.orphans.size(), 1u);
    const RecoveredMessage& orphan = found.orphans[0];
    EXPECT_EQ(orphan.offset, kBodies);
    EXPECT_EQ(orphan.subject, "middle");
    EXPECT_FALSE(orphan.incomplete);

    const ExtractOutcome whole = Extract(orphan.offset);
    EXPECT_EQ(ReadWholeFile(whole.path), mail);
    EXPECT_EQ(IncompleteReason(whole, &orphan), "");
    const ExtractOutcome tail = Extract(found.listed[0].offset);
    EXPECT_EQ(ReadWholeFile(tail.path).size(), 788u);
    EXPECT_NE(IncompleteReason(tail, &found.listed[0]), "");
}

class Displaced : public DeepRecovery {
  protected:
    // A store with three messages, two of them listed, as it would be at its own place.
    StoreBuilder Original() {
        StoreBuilder s{0x10000};
        s.Header();
        std::uint32_t at = build::kFirstSegment;
        for (std::uint32_t i = 0; i < 2; ++i) {
            const std::uint32_t body = kBodies + i * 4 * build::kBlockSize;
            at += std::uint32_t(s.PutRecord(at, TypicalProperties(Fields(body, Name(i)))));
            s.PutBody(body, Mail(Name(i), 900));
        }
        s.PutBody(kBodies + 8 * build::kBlockSize, Mail("m2", 600));
        return s;
    }
    void Write(const build::Bytes& bytes) {
        StoreBuilder s(bytes.size());
        s.Put(0, bytes);
        s.Save(path);
    }
};

TEST_F(Displaced, BytesPutBeforeTheStoreAreFoundAndSkipped) {
    const build::Bytes original = Original().Image();
    StoreBuilder shifted;
    shifted.Garbage(0, 4096, 7).Put(4096, original);
    Write(shifted.Image());

    StoreFile file;
    ASSERT_TRUE(file.Open(path));
    const DisplacementFinding finding = FindDisplacement(file);
    EXPECT_EQ(finding.displacement, -4096);
    EXPECT_GE(finding.agreeing, 3u);

    EXPECT_TRUE(test::ScanHits(path).empty());  // as it lies, nothing names itself
    const Found found = DeepScan(path, finding.displacement);
    ASSERT_EQ(found.listed.size(), 2u);
    EXPECT_EQ(found.listed[0].offset, kBodies);
    ASSERT_EQ(found.orphans.size(), 1u);
    EXPECT_EQ(found.orphans[0].subject, "m2");

    ExtractExtras extras;
    extras.displacement = finding.displacement;
    EXPECT_EQ(ReadWholeFile(Extract(found.listed[1].offset, extras).path), Mail("m1", 900));
}

TEST_F(Displaced, AStoreWhoseStartIsCutOffIsReadAtItsOwnPositions) {
    const build::Bytes original = Original().Image();
    const std::size_t cut = 0x3000;  // the header and the records go
    Write(build::Bytes(original.begin() + cut, original.end()));

    StoreFile file;
    ASSERT_TRUE(file.Open(path));
    const DisplacementFinding finding = FindDisplacement(file);
    EXPECT_EQ(finding.displacement, std::int64_t(cut));
    file.SetDisplacement(finding.displacement);
    EXPECT_EQ(file.CurrentLength(), original.size());
    std::uint8_t bytes[8];
    ASSERT_EQ(file.ReadAt(cut - 4, bytes, 8), 8u);  // the lost part reads as zeros
    EXPECT_EQ(LoadU32(bytes), 0u);
    EXPECT_EQ(LoadU32(bytes + 4), LoadU32(original.data() + cut));

    const Found found = DeepScan(path, finding.displacement);
    EXPECT_TRUE(found.listed.empty());
    ASSERT_EQ(found.orphans.size(), 3u);
    ExtractExtras extras;
    extras.displacement = finding.displacement;
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(found.orphans[i].subject, Name(i));
        EXPECT_EQ(ReadWholeFile(Extract(found.orphans[i].offset, extras).path),
                  Mail(Name(i), i < 2 ? 900 : 600));
    }
}

TEST_F(Displaced, AStoreAtItsPlaceIsNotDisplaced) {
    Write(Original().Image());
    StoreFile file;
    ASSERT_TRUE(file.Open(path));
    const DisplacementFinding finding = FindDisplacement(file);
    EXPECT_EQ(finding.displacement, 0);
    EXPECT_GT(finding.agreeing, 3u);
}

// Linked look-alike block headers 16 bytes apart, naming positions `shift` bytes on from where
// they lie, in the data of the blocks at `blocks` (a mail can carry any bytes).
void PlantHeaders(StoreBuilder& s, const std::vector<std::uint32_t>& blocks, std::size_t count,
                  std::int64_t shift) {
    std::vector<std::uint32_t> places;
    for (std::uint32_t block : blocks) {
        for (std::uint32_t p = block + 16; p < block + build::kBlockSize; p += 16) {
            places.push_back(p);
        }
    }
    ASSERT_GE(places.size(), count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto named = [&](std::size_t k) { return std::uint32_t(places[k] + shift); };
        s.PutU32(places[i], named(i)).PutU32(places[i] + 4, 0x200).PutU32(places[i] + 8, 16);
        s.PutU32(places[i] + 12, i + 1 < count ? named(i + 1) : 0);
    }
}

std::vector<std::uint32_t> BlocksOfOriginal() {
    std::vector<std::uint32_t> blocks;
    for (std::uint32_t b : {0u, 1u, 4u, 5u, 8u}) blocks.push_back(kBodies + b * build::kBlockSize);
    return blocks;
}

TEST_F(Displaced, HeadersPlantedInMailsDoNotMoveAStoreAtItsPlace) {
    StoreBuilder s = Original();
    s.Zero(0, 8);  // not even the header at the file's start speaks for it
    PlantHeaders(s, BlocksOfOriginal(), 130, 1000000);
    Write(s.Image());
    StoreFile file;
    ASSERT_TRUE(file.Open(path));
    const DisplacementFinding finding = FindDisplacement(file);
    EXPECT_EQ(finding.displacement, 0);
    EXPECT_GE(finding.agreeing, 3u);  // its own blocks lead to blocks, its records to bodies
    EXPECT_GE(finding.seen, 130u);
}

TEST_F(Displaced, LookAlikeHeadersThatLeadNowhereNameNoDisplacement) {
    StoreBuilder s{0x10000};
    for (std::uint32_t p = 0x1000; p < 0x1000 + 300 * 16; p += 16) {
        s.PutU32(p, p + 4096).PutU32(p + 4, 0x200).PutU32(p + 8, 16).PutU32(p + 12, 0);
    }
    Write(s.Image());
    StoreFile file;
    ASSERT_TRUE(file.Open(path));
    const DisplacementFinding finding = FindDisplacement(file);
    EXPECT_EQ(finding.displacement, 0);
    EXPECT_EQ(finding.agreeing, 0u);
    EXPECT_EQ(finding.seen, 300u);
}

TEST_F(Displaced, ADisplacedStoreIsFoundThoughAMailInItCarriesHeadersOfAnother) {
    StoreBuilder original = Original();
    // Packed look-alikes count once per block span: one block's data holds 31 of them.
    PlantHeaders(original, {kBodies + 8 * build::kBlockSize}, 31, 1000000);
    StoreBuilder shifted;
    shifted.Garbage(0, 4096, 7).Put(4096, original.Image());
    Write(shifted.Image());
    StoreFile file;
    ASSERT_TRUE(file.Open(path));
    const DisplacementFinding finding = FindDisplacement(file);
    EXPECT_EQ(finding.displacement, -4096);
    const Found found = DeepScan(path, finding.displacement);
    ASSERT_EQ(found.listed.size(), 2u);
    EXPECT_EQ(found.listed[0].offset, kBodies);
}

std::vector<std::int64_t> Groups(const std::string& path) {
    StoreFile file;
    EXPECT_TRUE(file.Open(path));
    std::vector<std::int64_t> groups;
    for (const DisplacementFinding& f : FindDisplacements(file)) groups.push_back(f.displacement);
    return groups;
}

TEST_F(Displaced, EveryStoreInAFileIsAGroupOfItsOwn) {
    // Two stores one after the other: the second names positions from its own start.
    StoreBuilder second{0x10000};
    second.Header("Sent Items");
    second.PutRecord(build::kFirstSegment, TypicalProperties(Fields(kBodies, "s0")));
    second.PutBody(kBodies, Mail("s0", 1500));
    second.PutBody(kBodies + 4 * build::kBlockSize, Mail("s1", 1100));
    build::Bytes both = Original().Image();
    both.insert(both.end(), second.Image().begin(), second.Image().end());
    Write(both);
    EXPECT_EQ(Groups(path), (std::vector<std::int64_t>{0, -0x10000}));

    const Found found = DeepScan(path, -0x10000);
    ASSERT_EQ(found.listed.size(), 1u);
    EXPECT_EQ(found.listed[0].subject, "s0");
    ASSERT_EQ(found.orphans.size(), 1u);
    EXPECT_EQ(found.orphans[0].subject, "s1");
}

TEST_F(Displaced, LookAlikesInMailsAndCopiedStretchesAreNoStoreOfTheirOwn) {
    StoreBuilder s = Original();
    s.Zero(0, 8);
    PlantHeaders(s, BlocksOfOriginal(), 130, 1000000);
    // A stretch of blocks copied elsewhere (as a file system leaves old clusters).
    const build::Bytes image = s.Image();
    const build::Bytes copy(image.begin() + kBodies,
                            image.begin() + kBodies + 9 * build::kBlockSize);
    s.Put(0x9000, copy);
    Write(s.Image());
    EXPECT_EQ(Groups(path), (std::vector<std::int64_t>{0}));

    // Nothing agrees: no group at all.
    Write(build::Bytes(0x4000, 0));
    EXPECT_TRUE(Groups(path).empty());
}

TEST(BlockIndexBounds, OverlappingHeadersAreNotTakenSoTheIndexStaysSmall) {
    // A crafted stretch with a block header every 16 bytes.
    constexpr std::uint32_t kSpan = 64 * 1024;
    build::Bytes bytes(kSpan + 16);
    for (std::uint32_t p = 0; p < kSpan; p += 16) {
        StoreU32(bytes.data() + p, 0x10000 + p);
        StoreU32(bytes.data() + p + 4, 0x200);
        StoreU32(bytes.data() + p + 8, 16);
        StoreU32(bytes.data() + p + 12, 0x10000 + p + 16);
    }
    BlockIndex index;
    for (std::uint32_t p = 0; p < kSpan; p += 16) index.Offer(0x10000 + p, bytes.data() + p);
    EXPECT_EQ(index.Size(), (kSpan + build::kBlockSize - 1) / build::kBlockSize);
    ASSERT_NE(index.Find(0x10000), nullptr);
    EXPECT_EQ(index.Find(0x10010), nullptr);
    EXPECT_NE(index.Find(0x10000 + build::kBlockSize), nullptr);
}

}  // namespace
}  // namespace dbx
