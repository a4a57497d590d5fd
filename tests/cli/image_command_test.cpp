#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <span>

#include <nlohmann/json.hpp>

#include "cli_process.h"
#include "failing_disk.h"
#include "image_builder.h"
#include "little_endian.h"
#include "live_store.h"
#include "scan_command.h"
#include "store_generator.h"
#include "test_support.h"

namespace dbx {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::ReadWholeFile;
using test::RunDbxrecover;

// Disk images holding generated stores, and the bodies each store must give back.
class DiskImage : public ::testing::Test {
  protected:
    std::vector<std::uint8_t> Store(std::uint32_t messages, std::uint64_t seed,
                                    const std::string& folder) {
        std::string name = std::to_string(seed);
        name += ".dbx";
        const std::string path = dir.File(name);
        test::WriteLiveStore(path, messages, seed, folder, [&](std::string_view body) {
            bodies[folder].insert(std::string(body));
        });
        return gen::ReadFileBytes(path);
    }

    // Rows of `scan --image` by the store they name.
    std::map<std::string, std::size_t> RowsPerStore() {
        auto scan = RunDbxrecover({"scan", "--image", "--format", "json", image});
        EXPECT_EQ(scan.exitCode, 0) << scan.err;
        std::map<std::string, std::size_t> rows;
        for (const json& row : json::parse(scan.out)) {
            EXPECT_EQ(row["status"], "Existing");
            EXPECT_FALSE(row["incomplete"].get<bool>()) << row.dump();
            ++rows[row["folder"].get<std::string>()];
        }
        return rows;
    }

    // Every store's folder holds its bodies, exactly.
    void ExpectExtracted(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {"extract", "--image", "--out", out, image};
        args.insert(args.end(), extra.begin(), extra.end());
        auto extract = RunDbxrecover(args);
        ASSERT_EQ(extract.exitCode, 0) << extract.err << extract.out;
        std::set<std::string> folders;  // a store that left nothing gets none
        for (const auto& entry : fs::directory_iterator(out)) {
            folders.insert(entry.path().filename().string());
        }
        std::set<std::string> stores;
        for (const auto& [folder, expected] : bodies) stores.insert(folder);
        EXPECT_EQ(folders, stores);
        for (const auto& [folder, expected] : bodies) {
            std::multiset<std::string> files;
            for (const auto& entry : fs::directory_iterator(fs::path(out) / folder)) {
                files.insert(ReadWholeFile(entry.path().string()));
            }
            EXPECT_EQ(files, std::multiset<std::string>(expected.begin(), expected.end()))
                << folder;
        }
    }

    test::TempDir dir;
    std::string image = dir.File("disk.img");
    std::string out = dir.File("out");
    std::map<std::string, std::set<std::string>> bodies;
};

TEST_F(DiskImage, StoresAtSectorsAmongRandomBytesAreFoundEachApartAndNamed) {
    const auto inbox = Store(20, 3, "Inbox");
    const auto sent = Store(30, 4, "Sent Items");
    constexpr std::uint64_t kPartition = 63 * gen::ImageBuilder::kSector;
    const std::uint64_t second = kPartition + inbox.size() + 777 * gen::ImageBuilder::kSector;
    {
        gen::ImageBuilder disk(image, second + sent.size() + (1 << 20));
        disk.Random(0, disk.kSector * 62, 1);
        disk.Random(kPartition + inbox.size(), second - kPartition - inbox.size(), 2);
        disk.Put(kPartition, inbox);
        disk.Put(second, sent);
        disk.Close();
    }
    // The plain scan finds nothing that names itself where it lies.
    auto plain = RunDbxrecover({"scan", "--format", "json", image});
    EXPECT_EQ(json::parse(plain.out).size(), 0u) << plain.err;

    EXPECT_EQ(RowsPerStore(),
              (std::map<std::string, std::size_t>{{"Inbox", 20}, {"Sent Items", 30}}));
    const std::string mbox = dir.File("mbox");
    ExpectExtracted({"--mbox", mbox});
    EXPECT_TRUE(fs::is_regular_file(fs::path(mbox) / "Inbox.mbox"));
    EXPECT_TRUE(fs::is_regular_file(fs::path(mbox) / "Sent Items.mbox"));
}

TEST_F(DiskImage, AStoreWhoseHeaderIsGoneIsNamedByNumber) {
    auto inbox = Store(12, 7, "Inbox");
    std::fill(inbox.begin(), inbox.begin() + 0x2AD4, std::uint8_t(0));  // header and info gone
    {
        gen::ImageBuilder disk(image, 8 << 20);
        disk.Random(0, 8 << 20, 5);
        disk.Put(1000 * disk.kSector, inbox);
        disk.Close();
    }
    bodies["Store 1"] = bodies["Inbox"];
    bodies.erase("Inbox");
    EXPECT_EQ(RowsPerStore(), (std::map<std::string, std::size_t>{{"Store 1", 12}}));
    ExpectExtracted();
}

TEST_F(DiskImage, AStorePastFourGibibytesIsReached) {
    const auto inbox = Store(10, 9, "Inbox");
    constexpr std::uint64_t kAt = (std::uint64_t(4) << 30) + 3 * gen::ImageBuilder::kSector;
    {
        gen::ImageBuilder disk(image, kAt + inbox.size() + (1 << 20));  // sparse
        disk.Random(0, 1 << 20, 11);
        disk.Put(kAt, inbox);
        disk.Close();
    }
    EXPECT_EQ(RowsPerStore(), (std::map<std::string, std::size_t>{{"Inbox", 10}}));
    ExpectExtracted();
}

TEST_F(DiskImage, AStoreInPiecesAtRandomClustersComesBackWhole) {
    const auto inbox = Store(60, 13, "Inbox");
    ASSERT_GT(inbox.size(), std::size_t(4 * 65536));
    constexpr std::uint64_t kSize = 24 << 20;
    {
        gen::ImageBuilder disk(image, kSize);
        disk.Random(0, kSize, 17);
        disk.Scatter(inbox, 65536, 1 << 20, kSize, 4096, 19);
        disk.Close();
    }
    auto scan = RunDbxrecover({"scan", "--image", "--format", "json", image});
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    std::size_t rows = 0;
    for (const json& row : json::parse(scan.out)) {
        EXPECT_EQ(row["folder"], "Inbox");
        EXPECT_FALSE(row["incomplete"].get<bool>()) << row.dump();
        ++rows;
    }
    EXPECT_EQ(rows, 60u);
    ExpectExtracted();
}

// Stores of one layout name the same positions, and their chains cross from piece to piece at
// the same places: each piece must still go to its own store, never to the other's.
TEST_F(DiskImage, TwoStoresCutIntoPiecesAtTheSamePositionsAreToldApart) {
    const auto inbox = Store(40, 21, "Inbox");
    const auto sent = Store(40, 22, "Sent Items");
    const auto deleted = Store(40, 23, "Deleted Items");
    constexpr std::uint64_t kSize = 48 << 20;
    {
        gen::ImageBuilder disk(image, kSize);
        disk.Random(0, kSize, 25);
        disk.Put(63 * disk.kSector, inbox);
        disk.Scatter(sent, 65536, 8 << 20, kSize, 4096, 26);
        disk.Scatter(deleted, 65536, 8 << 20, kSize, 4096, 27);
        disk.Close();
    }
    // Records whose mail lies in a piece not joined to their store cannot be written: 1.
    auto extract = RunDbxrecover({"extract", "--image", "--out", out, image});
    ASSERT_TRUE(extract.exitCode == 0 || extract.exitCode == 1) << extract.err;
    std::map<std::string, std::string> storeOf;  // body -> its store
    for (const auto& [folder, expected] : bodies) {
        for (const std::string& body : expected) storeOf[body] = folder;
    }
    std::size_t home = 0;
    std::size_t folders = 0;
    for (const auto& folder : fs::directory_iterator(out)) {
        ++folders;
        const std::string name = folder.path().filename().string();
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            const auto it = storeOf.find(ReadWholeFile(entry.path().string()));
            if (it == storeOf.end()) continue;  // a piece of a mail, not a whole one
            if (bodies.count(name) != 0) {
                EXPECT_EQ(name, it->second) << "a mail of one store in another's folder";
            }
            home += name == it->second ? 1 : 0;
        }
    }
    // Long mails cross pieces that both stores hold at the same positions: the lines of their
    // text say whose piece comes next.
    EXPECT_EQ(home, 120u) << "of 120 mails, whole in their own store's folder";
    EXPECT_EQ(folders, 3u) << "the three stores, none in parts apart";
}

// A piece of each store at one displacement by chance, nearer each other than a group's look
// around its structures reaches: each group keeps to its own piece.
TEST_F(DiskImage, PiecesOfTwoStoresAtOneDisplacementStayApart) {
    const auto sent = Store(40, 22, "Sent Items");
    const auto deleted = Store(40, 23, "Deleted Items");
    constexpr std::uint64_t kKiB = 1024;
    ASSERT_GT(deleted.size(), 448 * kKiB);
    {
        gen::ImageBuilder disk(image, 24 << 20);
        disk.Random(0, 24 << 20, 33);
        const std::span<const std::uint8_t> s(sent), d(deleted);
        // Sent's [64, 128) KiB and Deleted's [320, 384) KiB lie 256 KiB apart in the image, as
        // in the stores: both lie 8 MiB - 64 KiB after the positions they name.
        constexpr std::uint64_t kAt = 8 << 20;
        disk.Put(kAt, s.subspan(64 * kKiB, 64 * kKiB));
        disk.Put(kAt + 256 * kKiB, d.subspan(320 * kKiB, 64 * kKiB));
        disk.Put(63 * disk.kSector, s.first(64 * kKiB));
        disk.Put(2 << 20, s.subspan(128 * kKiB));
        disk.Put(12 << 20, d.first(320 * kKiB));
        disk.Put(16 << 20, d.subspan(384 * kKiB));
        disk.Close();
    }
    EXPECT_EQ(RowsPerStore(),
              (std::map<std::string, std::size_t>{{"Sent Items", 40}, {"Deleted Items", 40}}));
    ExpectExtracted();
}

// The first block of both stores, inside a chain, whose header a sector boundary cuts after
// its data length: the next pointer is the next piece's. 0 when there is none.
std::uint64_t BlockCutBeforeItsNextPointer(const std::vector<std::uint8_t>& a,
                                           const std::vector<std::uint8_t>& b) {
    auto inChain = [](const std::vector<std::uint8_t>& store, std::uint64_t pos) {
        const std::uint8_t* header = store.data() + pos;
        return pos + 16 <= store.size() && LoadU32(header) == pos && LoadU32(header + 4) == 0x200 &&
               LoadU32(header + 12) == pos + 528;
    };
    for (std::uint64_t cut = 0x10000; cut < std::min(a.size(), b.size()); cut += 512) {
        if (inChain(a, cut - 12) && inChain(b, cut - 12)) return cut - 12;
    }
    return 0;
}

// Both stores of one layout are cut at the same sector, 12 bytes into a block of a chain: that
// block's next pointer lies in the piece after the cut, and only the text of the chain running
// on tells whose piece that is.
TEST_F(DiskImage, AChainRunsOnWhereItsPieceEndsInsideABlockHeader) {
    const auto sent = Store(40, 22, "Sent Items");
    const auto deleted = Store(40, 23, "Deleted Items");
    const std::uint64_t block = BlockCutBeforeItsNextPointer(sent, deleted);
    ASSERT_NE(block, 0u);
    const std::size_t cut = block + 12;
    constexpr std::uint64_t kMiB = 1 << 20;
    {
        gen::ImageBuilder disk(image, 24 * kMiB);
        disk.Random(0, 24 * kMiB, 31);
        const std::span<const std::uint8_t> s(sent), d(deleted);
        // The pieces after the cut come first, so that no piece runs on where it lies.
        disk.Put(63 * disk.kSector, s.subspan(cut));
        disk.Put(6 * kMiB, d.subspan(cut));
        disk.Put(12 * kMiB + 7 * disk.kSector, d.first(cut));
        disk.Put(18 * kMiB, s.first(cut));
        disk.Close();
    }
    EXPECT_EQ(RowsPerStore(),
              (std::map<std::string, std::size_t>{{"Sent Items", 40}, {"Deleted Items", 40}}));
    ExpectExtracted();
}

TEST_F(DiskImage, OnATerminalTheSurveyShowsItsProgressAndCtrlCKeepsTheStoresFoundBeforeIt) {
    constexpr std::uint64_t kSent = 48 << 20;
    constexpr std::uint64_t kMiB = 1 << 20;
    {
        gen::ImageBuilder disk(image, 64 << 20);
        disk.Put(63 * gen::ImageBuilder::kSector, Store(20, 3, "Inbox"));
        disk.Put(kSent, Store(30, 4, "Sent Items"));
    }
    // The line's clock leaps two seconds once the survey reads at 8 MiB (the line shows after
    // one), and the disk presses Ctrl-C when the survey reads on from 16 MiB: long before the
    // second store.
    static std::atomic<bool> leapt{false};
    auto clock = [] {
        static const auto start = std::chrono::steady_clock::now();
        return start + std::chrono::seconds(leapt.load() ? 2 : 0);
    };
    auto disk = std::make_shared<test::FailingDisk>();
    disk->OnRead([](std::uint64_t pos, std::size_t) {
        static std::atomic<bool> pressed{false};
        if (pos >= 8 * kMiB) leapt = true;
        if (pos >= 16 * kMiB && !pressed.exchange(true)) std::raise(SIGINT);
    });
    test::ProcessOptions options;
    options.terminalStderr = true;
    const auto result = test::RunInChild(
        [&] {
            cli::ScanArgs args;
            args.store = image;
            args.image = true;
            args.format = "json";
            args.device = disk;
            args.clock = clock;
            return cli::RunScan(args);
        },
        options);
    EXPECT_EQ(result.exitCode, 130) << result.err;
    EXPECT_TRUE(
        std::regex_search(result.err, std::regex("\\] [0-9]+%  [0-9]+ MB/s, 1 store found")))
        << result.err;
    EXPECT_NE(result.err.find("the scan was stopped"), std::string::npos) << result.err;
    std::map<std::string, std::size_t> rows;
    for (const json& row : json::parse(result.out)) ++rows[row["folder"].get<std::string>()];
    EXPECT_EQ(rows, (std::map<std::string, std::size_t>{{"Inbox", 20}}));
}

}  // namespace
}  // namespace dbx
