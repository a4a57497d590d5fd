#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "little_endian.h"
#include "scan_store.h"
#include "store_damage.h"
#include "store_generator.h"

namespace dbx {
namespace {

using gen::GeneratedStore;
using gen::GeneratorOptions;
using gen::ManifestEntry;
using gen::MessageStatus;

constexpr std::uint32_t kBlockSize = 0x210;
constexpr std::uint32_t kDirectOffsetLimit = 1u << 24;

class TempFolder {
  public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "dbxgen-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temp folder");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

struct Collector : ScanObserver {
    std::vector<RecoveredMessage> hits;
    void OnMessage(const RecoveredMessage& m) override { hits.push_back(m); }
};

std::vector<RecoveredMessage> Scan(const std::string& path) {
    Collector collector;
    ScanOptions options;
    options.formatDate = [](std::int64_t seconds) { return IsoUtcText(seconds); };
    const ScanReport report = ScanStore(path, collector, options);
    EXPECT_EQ(report.outcome, ScanOutcome::Finished);
    return collector.hits;
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::size_t CountDeleted(const GeneratedStore& store) {
    return std::count_if(store.messages.begin(), store.messages.end(),
                         [](const ManifestEntry& e) { return e.status == MessageStatus::Deleted; });
}

struct Case {
    const char* name;
    std::uint32_t messages = 0;
    std::uint64_t size = 0;
    std::optional<std::uint32_t> deleted;
    double share = 0.1;
    std::uint64_t seed = 1;
    bool damage = false;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class GeneratedStoreScan : public ::testing::TestWithParam<Case> {};

TEST_P(GeneratedStoreScan, FindsEveryListedMessageOnceWithItsRecordAndNothingElse) {
    const Case& c = GetParam();
    TempFolder dir;
    GeneratorOptions options;
    options.messageCount = c.messages;
    options.targetSize = c.size;
    options.deletedCount = c.deleted;
    options.deletedShare = c.share;
    options.seed = c.seed;
    options.damage = c.damage;
    const std::string path = dir.File("store.dbx");
    const GeneratedStore store = gen::GenerateStore(path, options);
    ASSERT_FALSE(store.messages.empty());
    ASSERT_GT(CountDeleted(store), 0u);
    if (c.damage) {
        EXPECT_GT(store.lostRecords, 0u);
        EXPECT_GT(store.damagedRanges, store.lostRecords);
    }
    if (c.size > kDirectOffsetLimit) {
        EXPECT_GT(store.staleRecords, 0u);  // freed copies pointing at live bodies
        // Past 16 MiB the body offset sits in the record's data area: both recognisers
        // must meet it.
        for (MessageStatus status : {MessageStatus::Existing, MessageStatus::Deleted}) {
            EXPECT_TRUE(std::any_of(
                store.messages.begin(), store.messages.end(), [status](const ManifestEntry& e) {
                    return e.status == status && e.bodyOffset >= kDirectOffsetLimit;
                }));
        }
    }

    std::map<std::uint32_t, std::vector<RecoveredMessage>> hitsByBody;
    const std::vector<RecoveredMessage> hits = Scan(path);
    for (const RecoveredMessage& hit : hits) hitsByBody[hit.offset].push_back(hit);

    for (const ManifestEntry& e : store.messages) {
        SCOPED_TRACE("message " + std::to_string(e.index) + " with record at " +
                     std::to_string(e.recordOffset));
        auto it = hitsByBody.find(e.bodyOffset);
        ASSERT_NE(it, hitsByBody.end());
        ASSERT_EQ(it->second.size(), 1u);
        const RecoveredMessage& hit = it->second.front();
        EXPECT_EQ(hit.from, e.from);
        EXPECT_EQ(hit.to, e.to);
        EXPECT_EQ(hit.subject, e.subject);
        EXPECT_EQ(hit.dateSeconds, e.dateSeconds);
        EXPECT_EQ(StatusText(hit), std::string(gen::StatusName(e.status)));
    }
    EXPECT_EQ(hits.size(), store.messages.size());
}

INSTANTIATE_TEST_SUITE_P(
    Stores, GeneratedStoreScan,
    ::testing::Values(Case{"count_seed1", 60, 0, 15, 0.1, 1, false},
                      Case{"count_seed2", 60, 0, 15, 0.1, 2, false},
                      Case{"count_seed3", 90, 0, 30, 0.1, 3, false},
                      Case{"count_damaged", 80, 0, 25, 0.1, 4, true},
                      Case{"all_deleted_damaged", 70, 0, 70, 0.1, 5, true},
                      Case{"size_400k", 0, 400 << 10, std::nullopt, 0.3, 6, false},
                      Case{"size_3m_damaged", 0, 3 << 20, std::nullopt, 0.2, 7, true},
                      Case{"past_16m_damaged", 0, 20 << 20, std::nullopt, 0.25, 8, true}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(GeneratedStore, TheSameSeedGivesTheSameBytes) {
    TempFolder dir;
    GeneratorOptions options;
    options.messageCount = 40;
    options.deletedCount = 10;
    options.damage = true;
    options.seed = 11;
    const GeneratedStore a = gen::GenerateStore(dir.File("a.dbx"), options);
    const GeneratedStore b = gen::GenerateStore(dir.File("b.dbx"), options);
    options.seed = 12;
    gen::GenerateStore(dir.File("c.dbx"), options);
    EXPECT_EQ(ReadAll(dir.File("a.dbx")), ReadAll(dir.File("b.dbx")));
    EXPECT_NE(ReadAll(dir.File("a.dbx")), ReadAll(dir.File("c.dbx")));
    ASSERT_EQ(a.messages.size(), b.messages.size());
    for (std::size_t i = 0; i < a.messages.size(); ++i) {
        EXPECT_EQ(gen::ManifestJsonLine(a.messages[i]), gen::ManifestJsonLine(b.messages[i]));
    }
}

TEST(GeneratedStore, DeletedCountsAreMetExactly) {
    TempFolder dir;
    for (std::uint32_t deleted : {0u, 1u, 17u, 50u}) {
        GeneratorOptions options;
        options.messageCount = 50;
        options.deletedCount = deleted;
        options.seed = deleted + 100;
        options.overwrite = true;
        const GeneratedStore store = gen::GenerateStore(dir.File("s.dbx"), options);
        EXPECT_EQ(store.messages.size(), 50u);
        EXPECT_EQ(CountDeleted(store), deleted);
    }
}

TEST(GeneratedStore, ATargetSizeIsTheFileLength) {
    TempFolder dir;
    GeneratorOptions options;
    options.targetSize = 1 << 20;
    options.seed = 3;
    const std::string path = dir.File("sized.dbx");
    const GeneratedStore store = gen::GenerateStore(path, options);
    EXPECT_EQ(std::filesystem::file_size(path), std::uint64_t(1) << 20);
    EXPECT_EQ(store.fileSize, std::uint64_t(1) << 20);
    EXPECT_LE(store.usedSpace, store.fileSize);
    EXPECT_GE(store.messages.size(), 5u);
}

TEST(GeneratedStore, TheFileHeaderDescribesTheStore) {
    TempFolder dir;
    GeneratorOptions options;
    options.messageCount = 30;
    options.deletedCount = 6;
    options.folderName = "Caixa de entrada";
    const std::string path = dir.File("header.dbx");
    const GeneratedStore store = gen::GenerateStore(path, options);
    const std::vector<std::uint8_t> bytes = ReadAll(path);
    ASSERT_GE(bytes.size(), 0x2AD4u);
    EXPECT_EQ(LoadU32(bytes.data()), 0xFE12ADCFu);
    EXPECT_EQ(LoadU32(bytes.data() + 4), 0x6F74FDC5u);
    EXPECT_EQ(LoadU32(bytes.data() + 0x7C), store.usedSpace);
    EXPECT_EQ(LoadU32(bytes.data() + 0xC4), 24u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()) + 0x24BC + 0x105),
              "Caixa de entrada");
    EXPECT_EQ(bytes.size(), store.fileSize);
}

TEST(GeneratedStore, BodiesHandedOutAreTheBytesOfTheBlockChains) {
    TempFolder dir;
    GeneratorOptions options;
    options.targetSize = 4 << 20;
    options.deletedShare = 0.3;
    options.damage = true;
    options.seed = 21;
    std::map<std::uint32_t, std::string> bodies;
    options.onMessage = [&](const ManifestEntry& e, std::string_view body) {
        bodies[e.bodyOffset] = std::string(body);
    };
    const std::string path = dir.File("bodies.dbx");
    const GeneratedStore store = gen::GenerateStore(path, options);
    const std::vector<std::uint8_t> file = ReadAll(path);
    ASSERT_EQ(bodies.size(), store.messages.size());

    bool someChainJumps = false;
    for (const ManifestEntry& e : store.messages) {
        SCOPED_TRACE("message " + std::to_string(e.index));
        const std::string& body = bodies.at(e.bodyOffset);
        ASSERT_EQ(body.size(), e.bodySize);
        std::string chained;  // for freed blocks: bytes 4..511 of each, the rest is overwritten
        std::string expected;
        std::uint32_t block = e.bodyOffset;
        for (std::size_t n = 0; block != 0; ++n) {
            ASSERT_LE(block + kBlockSize, file.size());
            const std::uint8_t* b = file.data() + block;
            ASSERT_EQ(LoadU32(b), block);
            const std::uint32_t next = LoadU32(b + 12);
            if (next != 0 && next != block + kBlockSize) someChainJumps = true;
            const std::size_t start = n * 0x200;
            const std::size_t length = std::min<std::size_t>(0x200, body.size() - start);
            if (e.status == MessageStatus::Existing) {
                ASSERT_EQ(LoadU32(b + 4), 0x200u);
                ASSERT_EQ(LoadU32(b + 8), length);
                chained.append(reinterpret_cast<const char*>(b) + 16, length);
            } else {
                ASSERT_EQ(LoadU32(b + 4), 0x1FCu);
                ASSERT_EQ(LoadU32(b + 8), 0x210u);
                if (length > 4) {
                    chained.append(reinterpret_cast<const char*>(b) + 20, length - 4);
                    expected.append(body, start + 4, length - 4);
                }
            }
            block = next;
            ASSERT_LT(n, 10000u);
        }
        EXPECT_EQ(chained, e.status == MessageStatus::Existing ? body : expected);
    }
    EXPECT_TRUE(someChainJumps);
}

TEST(GeneratedStore, MessagesAreMailAsOutlookExpressStoresIt) {
    TempFolder dir;
    GeneratorOptions options;
    options.targetSize = 4 << 20;
    options.seed = 31;
    std::vector<std::string> bodies;
    options.onMessage = [&](const ManifestEntry&, std::string_view body) {
        bodies.emplace_back(body);
    };
    const GeneratedStore store = gen::GenerateStore(dir.File("mail.dbx"), options);
    ASSERT_EQ(bodies.size(), store.messages.size());

    int html = 0, attachments = 0, plain = 0, upperHtml = 0, lowerHtml = 0;
    for (const std::string& body : bodies) {
        const std::size_t split = body.find("\r\n\r\n");
        ASSERT_NE(split, std::string::npos);
        const std::string head = body.substr(0, split + 2);
        for (const char* name : {"\r\nFrom: \"", "\r\nTo: \"", "\r\nSubject: ", "\r\nDate: ",
                                 "Message-ID: <", "\r\nMIME-Version: 1.0\r\n", "Content-Type: "}) {
            EXPECT_NE(head.find(name), std::string::npos) << name;
        }
        for (std::size_t i = 0; i < body.size(); ++i) {
            const bool lineFeed = body[i] == '\n';
            const bool carriageReturn = body[i] == '\r';
            ASSERT_TRUE(!lineFeed || (i > 0 && body[i - 1] == '\r')) << "bare LF at " << i;
            ASSERT_TRUE(!carriageReturn || (i + 1 < body.size() && body[i + 1] == '\n'));
        }
        const bool hasHtml = body.find("text/html") != std::string::npos;
        html += hasHtml;
        upperHtml += body.find("<HTML>") != std::string::npos;
        lowerHtml += body.find("<html>") != std::string::npos;
        attachments += body.find("Content-Disposition: attachment") != std::string::npos;
        plain += head.find("Content-Type: text/plain") != std::string::npos;
    }
    EXPECT_GT(plain, 0);
    EXPECT_GT(html, 0);
    EXPECT_GT(attachments, 0);
    EXPECT_GT(upperHtml, 0);
    EXPECT_GT(lowerHtml, 0);

    std::size_t accented = 0, replies = 0, forwards = 0;
    for (const ManifestEntry& e : store.messages) {
        EXPECT_EQ(e.fromName.find('@'), std::string::npos) << e.fromName;
        EXPECT_EQ(e.toName.find('@'), std::string::npos) << e.toName;
        EXPECT_NE(e.from.find('@'), std::string::npos);
        EXPECT_NE(e.from.front(), '<');
        ASSERT_GE(e.to.size(), 3u);
        EXPECT_EQ(e.to.front(), '<');
        EXPECT_EQ(e.to.back(), '>');
        EXPECT_GE(e.sentSeconds, 915148800);   // 1999-01-01
        EXPECT_LT(e.sentSeconds, 1262304000);  // 2010-01-01
        EXPECT_GE(e.dateSeconds, e.sentSeconds);
        const auto high = [](unsigned char c) { return c >= 0x80; };
        if (std::any_of(e.subject.begin(), e.subject.end(), high) ||
            std::any_of(e.fromName.begin(), e.fromName.end(), high)) {
            ++accented;
        }
        replies += e.subject.rfind("Re: ", 0) == 0 || e.subject.rfind("RE: ", 0) == 0;
        forwards += e.subject.rfind("Fw: ", 0) == 0 || e.subject.rfind("FW: ", 0) == 0;
    }
    EXPECT_GT(accented, 0u);
    EXPECT_LT(accented, store.messages.size());
    EXPECT_GT(replies, 0u);
    EXPECT_GT(forwards, 0u);
}

TEST(GeneratedStore, AnExistingFileIsOnlyReplacedWhenAskedTo) {
    TempFolder dir;
    const std::string path = dir.File("mine.dbx");
    std::ofstream(path) << "keep me";
    GeneratorOptions options;
    options.messageCount = 5;
    EXPECT_THROW(gen::GenerateStore(path, options), std::runtime_error);
    std::ifstream in(path);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "keep me");
    options.overwrite = true;
    EXPECT_EQ(gen::GenerateStore(path, options).messages.size(), 5u);
    EXPECT_GT(std::filesystem::file_size(path), 0x2AD4u);
}

TEST(GeneratedStore, ManifestLinesKeepTheStoredBytes) {
    ManifestEntry e;
    e.index = 7;
    e.recordOffset = 0x2AD4;
    e.bodyOffset = 0xEAD4;
    e.status = MessageStatus::Deleted;
    e.from = "joao@uol.com.br";
    e.fromName = "Jo\xE3o \"Z\" Silva";
    e.to = "<m@x.de>";
    e.toName = "M\xFCller\\";
    e.subject = "Re: Reuni\xE3o";
    e.dateSeconds = 1100000000;
    e.sentSeconds = 1099999990;
    e.bodySize = 1234;
    EXPECT_EQ(gen::ManifestJsonLine(e),
              "{\"index\":7,\"record_offset\":10964,\"body_offset\":60116,\"status\":\"Deleted\","
              "\"from\":\"joao@uol.com.br\",\"from_name\":\"Jo\\u00e3o \\\"Z\\\" Silva\","
              "\"to\":\"<m@x.de>\",\"to_name\":\"M\\u00fcller\\\\\","
              "\"subject\":\"Re: Reuni\\u00e3o\",\"date_seconds\":1100000000,"
              "\"sent_seconds\":1099999990,\"body_size\":1234}");
}

TEST(GeneratedStore, ManifestLinesOfDamagedMessagesSayWhatMustComeBack) {
    ManifestEntry e;
    e.bodySize = 2000;
    e.damage = "chain-broken";
    e.expect = "incomplete";
    e.expectBytes = 512;
    e.tailOffset = 0xF000;
    e.tailBytes = 976;
    EXPECT_TRUE(gen::ManifestJsonLine(e).ends_with(
        ",\"body_size\":2000,\"damage\":\"chain-broken\",\"expect\":\"incomplete\","
        "\"expect_bytes\":512,\"tail_offset\":61440,\"tail_bytes\":976}"))
        << gen::ManifestJsonLine(e);
}

TEST(GeneratedStore, DamageIsDoneWhereTheManifestSays) {
    TempFolder dir;
    GeneratorOptions options;
    options.messageCount = 40;
    options.deletedCount = 8;
    options.seed = 4;
    const std::string path = dir.File("damaged.dbx");
    std::vector<ManifestEntry> messages = gen::GenerateStore(path, options).messages;
    const std::vector<std::uint8_t> before = ReadAll(path);
    gen::ChainDamage damage;
    damage.zeroedRecords = 2;
    damage.wipedFirstBlocks = 2;
    damage.loops = 1;
    damage.prepend = 4096;
    gen::DamageStore(path, messages, damage);
    const std::vector<std::uint8_t> after = ReadAll(path);
    ASSERT_EQ(after.size(), before.size() + 4096);
    std::map<std::string, int> kinds;
    for (const ManifestEntry& e : messages) {
        ++kinds[e.damage];
        const std::uint8_t* now = after.data() + 4096;
        if (e.damage == "record-zeroed") {
            EXPECT_EQ(LoadU32(now + e.recordOffset), 0u);
            EXPECT_EQ(e.expect, "orphaned");
        } else if (e.damage == "first-block-zeroed") {
            EXPECT_EQ(LoadU32(now + e.bodyOffset), 0u);
            EXPECT_EQ(e.expect, "failed");
            EXPECT_EQ(LoadU32(now + e.tailOffset), e.tailOffset);
        } else if (e.damage.empty()) {
            EXPECT_EQ(LoadU32(now + e.recordOffset), e.recordOffset);
            EXPECT_EQ(e.expect, "listed");
        }
    }
    EXPECT_EQ(kinds["record-zeroed"], 2);
    EXPECT_EQ(kinds["first-block-zeroed"], 2);
    EXPECT_EQ(kinds["chain-loops"], 1);
}

}  // namespace
}  // namespace dbx
