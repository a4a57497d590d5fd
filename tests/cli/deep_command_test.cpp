#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "cli_process.h"
#include "little_endian.h"
#include "live_store.h"
#include "record_date.h"
#include "store_damage.h"
#include "store_generator.h"
#include "test_support.h"

namespace dbx {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::ReadWholeFile;
using test::RunDbxrecover;

// A generated store with damage, the manifest of what must come back, and each body.
class DamagedStore : public ::testing::Test {
  protected:
    void Generate(const gen::ChainDamage& damage, std::uint32_t messages = 120) {
        gen::GeneratorOptions options;
        options.messageCount = messages;
        options.deletedCount = messages / 6;
        options.seed = 29;
        options.onMessage = [&](const gen::ManifestEntry& e, std::string_view body) {
            bodies[e.bodyOffset] = std::string(body);
        };
        manifest = gen::GenerateStore(store, options).messages;
        gen::DamageStore(store, manifest, damage);
    }

    // What one extracted file must hold: a body's bytes, or for a freed chain all of them
    // but the four of each block that the free list overwrote.
    struct Expected {
        std::string bytes;
        bool freed = false;
        std::string what;
    };
    std::vector<Expected> ExpectedFiles() const {
        std::vector<Expected> files;
        for (const gen::ManifestEntry& e : manifest) {
            const std::string& body = bodies.at(e.bodyOffset);
            const bool freed = e.status == gen::MessageStatus::Deleted;
            const std::string what = e.damage + " " + std::to_string(e.bodyOffset);
            if (e.expect == "listed" || e.expect == "orphaned")
                files.push_back({body, freed, what});
            if (e.expect == "incomplete")
                files.push_back({body.substr(0, e.expectBytes), freed, what});
            if (e.tailOffset)
                files.push_back({body.substr(body.size() - e.tailBytes), freed, what});
        }
        return files;
    }

    static bool Matches(const std::string& file, const Expected& e) {
        if (file.size() != e.bytes.size()) return false;
        if (!e.freed) return file == e.bytes;
        for (std::size_t i = 0; i < file.size(); ++i) {
            if (i % 512 >= 4 && file[i] != e.bytes[i]) return false;
        }
        return true;
    }

    // Every file is one expected one and every expected one is there: nothing lost, nothing
    // twice, no file of zeros.
    void ExpectFilesAreExactly(const std::string& folder) const {
        std::vector<Expected> expected = ExpectedFiles();
        std::size_t files = 0;
        for (const auto& entry : fs::directory_iterator(folder)) {
            ++files;
            const std::string text = ReadWholeFile(entry.path().string());
            EXPECT_NE(text.find_first_not_of('\0'), std::string::npos) << entry.path();
            auto match = std::find_if(expected.begin(), expected.end(),
                                      [&](const Expected& e) { return Matches(text, e); });
            if (match == expected.end()) {
                ADD_FAILURE() << entry.path() << " (" << text.size() << " bytes) is unexpected";
                continue;
            }
            expected.erase(match);
        }
        for (const Expected& e : expected) ADD_FAILURE() << "missing: " << e.what;
        EXPECT_GT(files, 0u);
    }

    std::size_t Count(const std::string& expect) const {
        return std::size_t(std::count_if(manifest.begin(), manifest.end(),
                                         [&](const auto& e) { return e.expect == expect; }));
    }
    std::size_t Tails() const {
        return std::size_t(std::count_if(manifest.begin(), manifest.end(),
                                         [](const auto& e) { return e.tailOffset != 0; }));
    }

    test::TempDir dir;
    std::string store = dir.File("store.dbx");
    std::string out = dir.File("out");
    std::vector<gen::ManifestEntry> manifest;
    std::map<std::uint32_t, std::string> bodies;
};

TEST_F(DamagedStore, DeepScanListsWhatTheManifestSaysOnceEach) {
    gen::ChainDamage damage;
    damage.zeroedRecords = 4;
    damage.brokenChains = 4;
    damage.wipedFirstBlocks = 3;
    damage.freedChains = 4;
    damage.loops = 2;
    damage.nextPastEnd = 2;
    Generate(damage);
    ASSERT_EQ(Count("orphaned"), 8u);
    ASSERT_EQ(Tails(), 7u);

    auto result = RunDbxrecover({"scan", "--deep", "--format", "json", store});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const json rows = json::parse(result.out);
    std::map<std::uint32_t, json> byOffset;
    for (const json& row : rows) {
        EXPECT_TRUE(byOffset.emplace(row["offset"].get<std::uint32_t>(), row).second)
            << "listed twice: " << row;
    }
    for (const gen::ManifestEntry& e : manifest) {
        SCOPED_TRACE(e.damage + " at " + std::to_string(e.bodyOffset));
        ASSERT_TRUE(byOffset.count(e.bodyOffset));
        const json& row = byOffset.at(e.bodyOffset);
        const bool orphan = e.expect == "orphaned";
        EXPECT_EQ(row["status"], orphan ? "Orphaned" : gen::StatusName(e.status));
        EXPECT_EQ(row["incomplete"], e.expect == "incomplete" || e.expect == "failed");
        // An orphan's date is its own header's: the time it was sent.
        if (orphan) {
            EXPECT_EQ(row["date_utc"], IsoUtcText(e.sentSeconds));
        }
        if (e.tailOffset) {
            ASSERT_TRUE(byOffset.count(e.tailOffset));
            EXPECT_EQ(byOffset.at(e.tailOffset)["status"], "Orphaned");
            EXPECT_EQ(byOffset.at(e.tailOffset)["incomplete"], true);
        }
    }
    EXPECT_EQ(rows.size(), manifest.size() + Tails());

    // Without --deep, only records are listed, and nothing says incomplete.
    const json plain = json::parse(RunDbxrecover({"scan", "--format", "json", store}).out);
    EXPECT_EQ(plain.size(), manifest.size() - Count("orphaned"));
    EXPECT_FALSE(plain[0].contains("incomplete"));
}

TEST_F(DamagedStore, DeepExtractionWritesEveryBodyOnceAndCountsHonestly) {
    gen::ChainDamage damage;
    damage.zeroedRecords = 3;
    damage.brokenChains = 3;
    damage.wipedFirstBlocks = 2;
    damage.freedChains = 3;
    damage.loops = 2;
    damage.nextPastEnd = 1;
    Generate(damage);

    auto result = RunDbxrecover({"extract", "--deep", store, "--out", out});
    const std::size_t failed = Count("failed");
    ASSERT_GT(failed, 0u);
    // The messages whose first block is gone were not written.
    ASSERT_EQ(result.exitCode, 1) << result.err;
    const std::size_t incomplete = Count("incomplete") + Tails();
    const std::size_t written = manifest.size() - failed + Tails();
    EXPECT_EQ(result.out, std::to_string(written) + " written (" + std::to_string(incomplete) +
                              " incomplete), " + std::to_string(failed) + " failed\n");
    EXPECT_NE(result.err.find("is incomplete"), std::string::npos);
    EXPECT_NE(result.err.find("first block is gone"), std::string::npos);
    ExpectFilesAreExactly(out);

    // A second run finds every one of them there already.
    auto again = RunDbxrecover({"extract", "--deep", store, "--out", out});
    ASSERT_EQ(again.exitCode, 1) << again.err;
    EXPECT_EQ(again.out, "0 written, " + std::to_string(written) + " already there, " +
                             std::to_string(failed) + " failed\n");
}

TEST_F(DamagedStore, PrependedBytesAreSeenByTheDeepSearchAndEveryMessageComesBack) {
    gen::ChainDamage damage;
    damage.prepend = 4096;
    Generate(damage, 60);
    auto scan = RunDbxrecover({"scan", "--deep", "--format", "json", store});
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    EXPECT_NE(scan.err.find("displaced by -4096 bytes"), std::string::npos) << scan.err;
    const json rows = json::parse(scan.out);
    ASSERT_EQ(rows.size(), manifest.size());
    EXPECT_EQ(rows[0]["displacement"], -4096);

    auto result = RunDbxrecover({"extract", "--deep", store, "--out", out});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, std::to_string(manifest.size()) + " written, 0 failed\n");
    ExpectFilesAreExactly(out);

    // The plain scan reads the store as it lies, where no record names its own position.
    auto plain = RunDbxrecover({"scan", "--format", "json", store});
    EXPECT_EQ(plain.err.find("displaced"), std::string::npos) << plain.err;
    EXPECT_NE(plain.err.find("no messages found"), std::string::npos) << plain.err;
}

void Overwrite(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), std::streamsize(bytes.size()));
    ASSERT_TRUE(file.good()) << path;
}

// Bytes anyone can put into a mail, or a stretch of the store copied over another: neither
// may make the scan read the store away from its own positions.
class PlantedBytes : public DamagedStore {
  protected:
    static constexpr std::int64_t kFakeDisplacement = 1000000;

    // Linked look-alike block headers, 16 bytes apart, in the data of the messages' blocks.
    void PlantHeaders(std::size_t count) {
        std::string bytes = ReadWholeFile(store);
        std::vector<std::uint32_t> places;
        for (const gen::ManifestEntry& e : manifest) {
            for (std::uint32_t block = e.bodyOffset, n = 0; block && n < 64; ++n) {
                if (block + build::kBlockSize > bytes.size()) break;
                for (std::uint32_t p = block + 16; p + 16 <= block + 16 + 512; p += 16) {
                    places.push_back(p);
                }
                block = LoadU32(reinterpret_cast<const std::uint8_t*>(bytes.data()) + block + 12);
            }
            if (places.size() >= count) break;
        }
        ASSERT_GE(places.size(), count);
        places.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            std::uint8_t header[16];
            StoreU32(header, std::uint32_t(places[i] + kFakeDisplacement));
            StoreU32(header + 4, 0x200);
            StoreU32(header + 8, 16);
            StoreU32(header + 12,
                     i + 1 < count ? std::uint32_t(places[i + 1] + kFakeDisplacement) : 0);
            bytes.replace(places[i], 16, reinterpret_cast<const char*>(header), 16);
        }
        Overwrite(store, bytes);
    }

    std::string Rows() {
        auto scan = RunDbxrecover({"scan", "--format", "json", store});
        EXPECT_EQ(scan.exitCode, 0) << scan.err;
        EXPECT_EQ(scan.err.find("displaced"), std::string::npos) << scan.err;
        return scan.out;
    }
    void ExpectTheDeepSearchAtItsPlace() {
        auto deep = RunDbxrecover({"scan", "--deep", "--format", "json", store});
        ASSERT_EQ(deep.exitCode, 0) << deep.err;
        EXPECT_EQ(deep.err.find("displaced"), std::string::npos) << deep.err;
        EXPECT_GE(json::parse(deep.out).size(), manifest.size() - 20);
    }
};

TEST_F(PlantedBytes, HeadersPlantedInMailsChangeNoRow) {
    Generate(gen::ChainDamage{}, 400);
    const std::string before = Rows();
    ASSERT_EQ(json::parse(before).size(), manifest.size());
    PlantHeaders(130);
    EXPECT_EQ(Rows(), before);
    ExpectTheDeepSearchAtItsPlace();
}

TEST_F(PlantedBytes, AStretchCopiedOverTheStartOfTheBlocksChangesNoRow) {
    Generate(gen::ChainDamage{}, 400);
    const std::string before = Rows();
    std::string bytes = ReadWholeFile(store);
    // The first stretch of blocks with no record in it (the records come in segments of
    // their own between the blocks): the copy takes only blocks.
    constexpr std::uint32_t kCopy = 70000;
    constexpr std::uint32_t kRecordSpan = 1024;
    std::vector<std::uint32_t> records;
    std::uint32_t firstBody = ~0u;
    for (const gen::ManifestEntry& e : manifest) {
        records.push_back(e.recordOffset);
        firstBody = std::min(firstBody, e.bodyOffset);
    }
    records.push_back(std::uint32_t(bytes.size()));
    std::sort(records.begin(), records.end());
    std::uint32_t to = 0;
    for (std::size_t i = 0; i + 1 < records.size() && !to; ++i) {
        const std::uint32_t start = std::max(records[i] + kRecordSpan, firstBody);
        if (records[i + 1] >= start + kCopy) to = start;
    }
    ASSERT_NE(to, 0u);
    const auto from = std::uint32_t(bytes.size() - kCopy - 4096);
    ASSERT_GE(from, to + kCopy);
    bytes.replace(to, kCopy, bytes.substr(from, kCopy));
    Overwrite(store, bytes);
    // Every row stays but those of freed records whose first block the copy took: they no
    // longer lead to one.
    json expected = json::array();
    for (const json& row : json::parse(before)) {
        const auto offset = row["offset"].get<std::uint32_t>();
        if (row["status"] == "Deleted" && offset >= to && offset < to + kCopy) continue;
        expected.push_back(row);
    }
    EXPECT_GT(expected.size(), manifest.size() - 10);
    EXPECT_EQ(json::parse(Rows()), expected);
    ExpectTheDeepSearchAtItsPlace();
}

TEST_F(DamagedStore, AStoreWithItsStartCutOffComesBackWithADeepSearch) {
    gen::ChainDamage damage;
    damage.cut = 64 * 1024;
    Generate(damage, 60);
    const std::size_t orphaned = Count("orphaned");
    const std::size_t lost = Count("lost");
    ASSERT_GT(orphaned, 0u);
    auto scan = RunDbxrecover({"scan", "--deep", "--format", "csv", store});
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    EXPECT_NE(scan.err.find("its first 65536 bytes are missing"), std::string::npos);
    EXPECT_TRUE(scan.out.starts_with(
        "offset,status,from,to,subject,date_text,date_utc,incomplete,displacement\r\n"));
    EXPECT_NE(scan.out.find(",Orphaned,"), std::string::npos);

    auto result = RunDbxrecover({"extract", "--deep", store, "--out", out});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // Messages with blocks in the part cut off may leave pieces; every other one is whole.
    std::set<std::string> whole;
    for (const auto& entry : fs::directory_iterator(out)) {
        whole.insert(ReadWholeFile(entry.path().string()));
    }
    for (const gen::ManifestEntry& e : manifest) {
        if (e.expect == "lost") continue;
        const std::string& body = bodies.at(e.bodyOffset);
        if (e.status == gen::MessageStatus::Existing) {
            EXPECT_TRUE(whole.count(body)) << e.damage << " " << e.bodyOffset;
        } else {
            EXPECT_TRUE(std::any_of(whole.begin(), whole.end(), [&](const std::string& f) {
                return Matches(f, {body, true, ""});
            })) << e.bodyOffset;
        }
    }
    EXPECT_LE(lost, 3u);
}

}  // namespace
}  // namespace dbx

namespace dbx {
namespace {

// Stores laid one after the other in one file, as a copy or a carving leaves them.
class StoresInOneFile : public ::testing::Test {
  protected:
    // Appends a generated store of `messages` messages; returns where it starts.
    std::size_t Append(std::uint32_t messages, std::uint64_t seed, const std::string& folder) {
        const std::string part = dir.File("part" + std::to_string(seed) + ".dbx");
        test::WriteLiveStore(part, messages, seed, folder,
                             [&](std::string_view body) { bodies.emplace_back(body); });
        const std::size_t at = bytes.size();
        bytes += ReadWholeFile(part);
        return at;
    }
    void Save() {
        std::ofstream(store, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    }

    test::TempDir dir;
    std::string store = dir.File("two.dbx");
    std::string out = dir.File("out");
    std::string bytes;
    std::vector<std::string> bodies;
};

TEST_F(StoresInOneFile, TheSecondStoreIsFoundAndReadAtItsOwnPositions) {
    Append(20, 5, "Inbox");
    const std::size_t second = Append(30, 6, "Sent Items");
    Save();

    // The plain scan reads the file as it lies: the first store only.
    auto plain = RunDbxrecover({"scan", "--format", "json", store});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(json::parse(plain.out).size(), 20u);

    auto deep = RunDbxrecover({"scan", "--deep", "--format", "json", store});
    ASSERT_EQ(deep.exitCode, 0) << deep.err;
    EXPECT_NE(deep.err.find(std::to_string(-std::int64_t(second))), std::string::npos) << deep.err;
    std::map<std::int64_t, std::size_t> perGroup;
    for (const json& row : json::parse(deep.out)) {
        EXPECT_EQ(row["status"], "Existing");
        EXPECT_FALSE(row["incomplete"].get<bool>());
        ++perGroup[row.value("displacement", std::int64_t(0))];
    }
    EXPECT_EQ(perGroup,
              (std::map<std::int64_t, std::size_t>{{-std::int64_t(second), 30u}, {0, 20u}}));

    auto extract = RunDbxrecover({"extract", "--deep", "--out", out, store});
    ASSERT_EQ(extract.exitCode, 0) << extract.err;
    std::multiset<std::string> files;
    for (const auto& entry : fs::directory_iterator(out)) {
        files.insert(ReadWholeFile(entry.path().string()));
    }
    EXPECT_EQ(files, std::multiset<std::string>(bodies.begin(), bodies.end()));
}

}  // namespace
}  // namespace dbx

namespace dbx {
namespace {

std::string MovedMail(const std::string& subject, std::size_t size) {
    std::string mail = "From: ana@example.pt\r\nTo: rui@example.pt\r\nSubject: " + subject +
                       "\r\nDate: Fri, 1 Jan 2010 02:00:00 +0100\r\n\r\n";
    mail.resize(size, 'm');
    return mail;
}

TEST(MovedBlocks, AMessageWhoseBlocksLieAwayFromTheirOffsetsComesBackWhole) {
    test::TempDir dir;
    const std::string store = dir.File("moved.dbx");
    constexpr std::uint32_t kBodies = 0x4000;
    constexpr std::uint32_t kMoved = kBodies + 4 * build::kBlockSize;
    constexpr std::uint32_t kAway = 0x8000;
    build::StoreBuilder s{0x14000};
    s.Header();
    std::uint32_t at = build::kFirstSegment;
    const std::string kept = MovedMail("kept", 900);
    const std::string moved = MovedMail("moved", 1300);
    for (const auto& [body, text] : {std::pair{kBodies, kept}, std::pair{kMoved, moved}}) {
        build::MessageFields f;
        f.from = "ana@example.pt";
        f.to = "<rui@example.pt>";
        f.subject = text.substr(text.find("Subject: ") + 9, 4);
        f.filetime = build::FileTimeFromUnix(1262307600);
        f.bodyOffset = body;
        f.bodySize = std::uint32_t(text.size());
        at += std::uint32_t(s.PutRecord(at, TypicalProperties(f)));
    }
    s.PutBody(kBodies, kept);
    // The moved message's blocks name their own offsets but lie 0x8000 bytes further on.
    std::vector<std::uint32_t> named;
    for (std::uint32_t i = 0; i < 3; ++i) named.push_back(kMoved + i * build::kBlockSize);
    for (const build::Block& b : build::EncodeMessageBlocks(moved, named)) {
        s.Put(b.offset + kAway, b.bytes);
    }
    s.Save(store);

    const std::string out = dir.File("out");
    auto plain = RunDbxrecover({"extract", "--out", out + "-plain", store});
    EXPECT_NE(plain.exitCode, 0);  // as the file lies, the moved message has no first block

    auto deep = RunDbxrecover({"scan", "--deep", "--format", "json", store});
    ASSERT_EQ(deep.exitCode, 0) << deep.err;
    const json rows = json::parse(deep.out);
    ASSERT_EQ(rows.size(), 2u) << deep.out;
    EXPECT_EQ(rows[1]["offset"], kMoved);
    EXPECT_EQ(rows[1]["status"], "Existing");
    EXPECT_FALSE(rows[1]["incomplete"].get<bool>());
    EXPECT_EQ(rows[1]["displacement"], -std::int64_t(kAway));
    EXPECT_EQ(rows[0].value("displacement", std::int64_t(0)), 0);

    auto extract = RunDbxrecover({"extract", "--deep", "--out", out, store});
    ASSERT_EQ(extract.exitCode, 0) << extract.err << extract.out;
    std::multiset<std::string> files;
    for (const auto& entry : fs::directory_iterator(out)) {
        files.insert(ReadWholeFile(entry.path().string()));
    }
    EXPECT_EQ(files, (std::multiset<std::string>{kept, moved}));
}

}  // namespace
}  // namespace dbx
