#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "cli_process.h"
#include "test_support.h"

namespace dbx {
namespace {

using build::StoreBuilder;
using nlohmann::json;
using test::RunDbxrecover;

constexpr std::int64_t kWhen = 1262307600;  // 2010-01-01 01:00 UTC

build::MessageFields Fields(const std::string& from, const std::string& subject,
                            std::uint32_t body) {
    build::MessageFields f;
    f.from = from;
    f.fromName = "Name";
    f.to = "<to@example.pt>";
    f.toName = "To";
    f.subject = subject;
    f.filetime = build::FileTimeFromUnix(kWhen);
    f.bodyOffset = body;
    return f;
}

class ScanCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        StoreBuilder store(0x6000);
        store.Header();
        std::uint32_t at = build::kFirstSegment;
        at += std::uint32_t(
            store.PutRecord(at, TypicalProperties(Fields("ana@example.pt", "Reuni\xE3o", 0x4000))));
        store.PutFreedRecord(at, TypicalProperties(Fields("rui@example.pt", "a, \"b\"", 0x4400)));
        store.PutBody(0x4000, "Subject: one\r\n\r\nbody\r\n");
        store.PutBody(0x4400, "Subject: two\r\n\r\nbody\r\n", /*freed=*/true);
        store.Save(path);
    }
    test::TempDir dir;
    std::string path = dir.File("store.dbx");
};

TEST_F(ScanCommand, JsonListsEveryHitInDiscoveryOrder) {
    auto result = RunDbxrecover({"scan", "--format", "json", path});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    json hits = json::parse(result.out);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0]["offset"], 0x4000);
    EXPECT_EQ(hits[0]["status"], "Existing");
    EXPECT_EQ(hits[0]["from"], "ana@example.pt");
    EXPECT_EQ(hits[0]["to"], "<to@example.pt>");
    EXPECT_EQ(hits[0]["subject"], "Reuni\xC3\xA3o");
    EXPECT_EQ(hits[0]["date_utc"], "2010-01-01T01:00:00Z");
    EXPECT_FALSE(hits[0]["date_text"].get<std::string>().empty());
    EXPECT_EQ(hits[1]["status"], "Deleted");
    EXPECT_EQ(hits[1]["from"], "rui@example.pt");
    EXPECT_EQ(hits[1]["subject"], "a, \"b\"");
    const auto ordered = nlohmann::ordered_json::parse(result.out);
    std::vector<std::string> keys;
    for (auto& [key, value] : ordered[0].items()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"offset", "status", "from", "to", "subject",
                                              "date_text", "date_utc"}));
}

TEST_F(ScanCommand, CsvAndTable) {
    auto csv = RunDbxrecover({"scan", "--format", "csv", path});
    ASSERT_EQ(csv.exitCode, 0);
    EXPECT_TRUE(csv.out.starts_with("offset,status,from,to,subject,date_text,date_utc\r\n"));
    EXPECT_NE(csv.out.find(",Deleted,rui@example.pt,<to@example.pt>,\"a, \"\"b\"\"\","),
              std::string::npos)
        << csv.out;

    auto table = RunDbxrecover({"scan", path});
    ASSERT_EQ(table.exitCode, 0);
    EXPECT_NE(table.out.find("Existing"), std::string::npos);
    EXPECT_NE(table.out.find("Reuni\xC3\xA3o"), std::string::npos);
    EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'), 3);
}

TEST_F(ScanCommand, CodePageDecidesHowTextsAreDecoded) {
    auto cyrillic = RunDbxrecover({"scan", "--format", "json", "--codepage", "1251", path});
    ASSERT_EQ(cyrillic.exitCode, 0);
    EXPECT_EQ(json::parse(cyrillic.out)[0]["subject"], "Reuni\xD0\xB3o");  // 0xE3 is "г"
    auto unknown = RunDbxrecover({"scan", "--codepage", "klingon", path});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("klingon"), std::string::npos);
}

TEST_F(ScanCommand, StoresThatCannotBeReadFailWithOneClearLine) {
    // A folder is read as a store folder: one without any store cannot be scanned.
    std::filesystem::create_directory(dir.File("empty"));
    for (auto [target, reason] :
         {std::pair{dir.File("missing.dbx"), "No such file"}, {dir.File("empty"), "folder"}}) {
        auto result = RunDbxrecover({"scan", target});
        EXPECT_NE(result.exitCode, 0);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(target), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
}

// A named pipe would block the open for ever; a character device would be read like a file.
TEST_F(ScanCommand, PipesAndCharacterDevicesAreRefusedAtOnce) {
    const std::string fifo = dir.File("pipe.dbx");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    test::ProcessOptions options;
    options.killAfter = std::chrono::seconds(10);
    for (const std::string& target : {fifo, std::string("/dev/null")}) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"scan", target},
              std::vector<std::string>{"extract", target, "--out", dir.File("out")}}) {
            auto result = RunDbxrecover(args, options);
            EXPECT_FALSE(result.timedOut) << args[0] << " " << target << " hangs";
            EXPECT_EQ(result.exitCode, 1) << args[0] << " " << target;
            EXPECT_NE(result.err.find("not a regular file"), std::string::npos) << result.err;
            EXPECT_NE(result.err.find(target), std::string::npos) << result.err;
            EXPECT_EQ(result.out, "");
        }
    }
}

TEST_F(ScanCommand, SmallStoresHaveNoHits) {
    StoreBuilder small(1999);
    small.PutRecord(100, test::MinimalRecord("a@b.c"));
    small.Save(path);
    auto result = RunDbxrecover({"scan", "--format", "json", path});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(json::parse(result.out).size(), 0u);
}

// An empty list alone would leave the user guessing: one line on stderr says why.
TEST_F(ScanCommand, AnEmptyListComesWithTheReason) {
    const std::vector<std::pair<std::size_t, std::string>> cases{
        {0, "is empty"}, {1999, "too short to hold messages"}, {5000, "no message record"}};
    for (const auto& [size, reason] : cases) {
        StoreBuilder(size).Save(path);
        auto scan = RunDbxrecover({"scan", "--format", "json", path});
        EXPECT_EQ(scan.exitCode, 0) << size;
        EXPECT_EQ(json::parse(scan.out).size(), 0u);
        EXPECT_NE(scan.err.find(reason), std::string::npos) << size << ": " << scan.err;
        EXPECT_NE(scan.err.find(path), std::string::npos) << scan.err;
        EXPECT_EQ(std::count(scan.err.begin(), scan.err.end(), '\n'), 1) << scan.err;

        auto extract = RunDbxrecover({"extract", path, "--out", dir.File("out")});
        EXPECT_EQ(extract.exitCode, 0) << size;
        EXPECT_EQ(extract.out, "0 written, 0 failed\n");
        EXPECT_NE(extract.err.find(reason), std::string::npos) << size << ": " << extract.err;
    }
}

TEST(ScanCommandLine, HelpVersionAndUsageErrors) {
    auto help = RunDbxrecover({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("scan"), std::string::npos);
    auto version = RunDbxrecover({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_NE(version.out.find("dbxrecover "), std::string::npos);
    EXPECT_EQ(RunDbxrecover({}).exitCode, 2);
    EXPECT_EQ(RunDbxrecover({"scan"}).exitCode, 2);
    EXPECT_EQ(RunDbxrecover({"scan", "--format", "xml", "x.dbx"}).exitCode, 2);
}

// A sparse store: a record near the start, then gigabytes of nothing.
std::string SparseStore(const test::TempDir& dir, std::uint64_t size) {
    const std::string path = dir.File("sparse.dbx");
    StoreBuilder head(0x3000);
    head.PutRecord(0x1000, test::MinimalRecord("early@example.com"));
    head.Save(path);
    EXPECT_EQ(truncate(path.c_str(), off_t(size)), 0);
    return path;
}

TEST(ScanCommandLarge, StoresBeyond4GiBAreScannedOverTheirFirst4GiBWithAWarning) {
    test::TempDir dir;
    const std::string path = SparseStore(dir, 5ull << 30);
    auto result = RunDbxrecover({"scan", "--format", "json", path});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.err.find("4 GiB"), std::string::npos) << result.err;
    ASSERT_EQ(json::parse(result.out).size(), 1u);
}

// The window offset of the latest progress line the program drew, or -1 before the first.
long long ShownWindow(const std::string& err) {
    const std::string label = "Parsing file :";
    const std::size_t at = err.rfind(label);
    if (at == std::string::npos) return -1;
    return std::atoll(err.c_str() + at + label.size());
}

TEST(ScanCommandLarge, CtrlCStopsTheScanAndKeepsWhatWasFound) {
    test::TempDir dir;
    const std::string path = SparseStore(dir, 4ull << 30);
    // Interrupted once the progress line shows the scan past the record, and long before the
    // end of the store: rows are handed over window by window, in order.
    test::ProcessOptions options;
    options.terminalStderr = true;
    options.interruptWhen = [](const std::string& err) { return ShownWindow(err) >= 0x10000; };
    auto result = RunDbxrecover({"scan", "--format", "json", path}, options);
    EXPECT_FALSE(result.signaled) << "the program did not catch the interrupt";
    EXPECT_EQ(result.exitCode, 130) << result.err;
    EXPECT_NE(result.err.find("the scan was stopped"), std::string::npos) << result.err;
    json hits = json::parse(result.out);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0]["from"], "early@example.com");
}

}  // namespace
}  // namespace dbx
