#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "cli_process.h"
#include "extract_command.h"
#include "failing_disk.h"
#include "scan_command.h"
#include "store_generator.h"
#include "test_support.h"

// The command line on a dying disk, and with output that cannot be written: every failure is
// said on stderr and in the exit status.
namespace dbx {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::FailingDisk;
using test::ProcessResult;
using test::RunDbxrecover;
using test::RunInChild;

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

class FailingDiskCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        gen::GeneratorOptions options;
        options.messageCount = 400;
        options.seed = 7;
        generated = gen::GenerateStore(store, options);
    }
    // A copy of the store with [begin, begin + length) zeroed: what the disk gave instead.
    std::string Zeroed(std::uint64_t begin, std::uint64_t length) {
        std::string bytes = test::ReadWholeFile(store);
        bytes.replace(begin, length, std::string(length, '\0'));
        const std::string path = dir.File("zeroed.dbx");
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    ProcessResult Scan(std::shared_ptr<FailingDisk> disk) {
        return RunInChild([&] {
            cli::ScanArgs args;
            args.store = store;
            args.format = "json";
            args.device = disk;
            return cli::RunScan(args);
        });
    }
    test::TempDir dir;
    std::string store = dir.File("store.dbx");
    gen::GeneratedStore generated;
};

TEST_F(FailingDiskCommand, ScanNamesTheBadSectorListsWhatAZeroedOneGivesAndEndsWith3) {
    auto disk = std::make_shared<FailingDisk>();
    disk->Fail(0x8000, 4096);
    const ProcessResult result = Scan(disk);
    EXPECT_EQ(result.exitCode, 3) << result.err;
    EXPECT_NE(result.err.find("dbxrecover: could not read 4096 bytes at 0x8000: Input/output "
                              "error\n"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("4096 bytes of '" + store + "' could not be read"), std::string::npos)
        << result.err;

    const ProcessResult zeroed = RunDbxrecover({"scan", "--format", "json", Zeroed(0x8000, 4096)});
    ASSERT_EQ(zeroed.exitCode, 0) << zeroed.err;
    const json expected = json::parse(zeroed.out);
    const json rows = json::parse(result.out);
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i]["offset"], expected[i]["offset"]);
        EXPECT_EQ(rows[i]["subject"], expected[i]["subject"]);
    }
    // The listing says which rows the disk failed part of.
    ASSERT_TRUE(rows[0].contains("incomplete"));
}

TEST_F(FailingDiskCommand, AtMostTwentyRangesAreNamedAndTheRestCounted) {
    auto disk = std::make_shared<FailingDisk>();
    for (std::uint64_t i = 0; i < 25; ++i) disk->Fail(0x10000 + i * 0x10000, 512, EIO);
    const ProcessResult result = Scan(disk);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(Count(result.err, "dbxrecover: could not read 512 bytes at 0x"), 20u) << result.err;
    EXPECT_NE(result.err.find("dbxrecover: and 5 more\n"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("12800 bytes of"), std::string::npos) << result.err;
}

TEST_F(FailingDiskCommand, ExtractWritesEveryMessageAndNamesTheIncompleteOne) {
    const gen::ManifestEntry* big = nullptr;
    for (const auto& m : generated.messages) {
        if (m.bodySize > 4096 && (!big || m.bodySize > big->bodySize)) big = &m;
    }
    ASSERT_TRUE(big);
    const std::uint64_t bad = (big->bodyOffset + 2048) / 512 * 512;
    auto disk = std::make_shared<FailingDisk>();
    disk->Fail(bad, 512);
    const std::string out = dir.File("out");
    const std::size_t listed =
        json::parse(RunDbxrecover({"scan", "--format", "json", store}).out).size();
    const ProcessResult result = RunInChild([&] {
        cli::ExtractArgs args;
        args.store = store;
        args.out = out;
        args.device = disk;
        return cli::RunExtract(args);
    });
    EXPECT_EQ(result.exitCode, 3) << result.err;
    EXPECT_EQ(result.out, std::to_string(listed) + " written (1 incomplete), 0 failed\n");
    EXPECT_EQ(Count(result.err, "is incomplete: "), 1u) << result.err;
    EXPECT_NE(result.err.find("bytes could not be read"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("could not read 512 bytes at 0x"), std::string::npos) << result.err;
    EXPECT_EQ(std::size_t(std::distance(fs::directory_iterator(out), fs::directory_iterator())),
              listed);
}

// Standard output on a full device, in a real process: nothing of the listing is lost
// silently, whatever the format.
TEST_F(FailingDiskCommand, AFullOutputDeviceEndsWith1AndSaysWhy) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    test::ProcessOptions full;
    full.prepare = [] {
        const int fd = open("/dev/full", O_WRONLY);
        return fd >= 0 && dup2(fd, STDOUT_FILENO) >= 0;
    };
    for (const char* format : {"table", "json", "csv"}) {
        const ProcessResult result = RunDbxrecover({"scan", "--format", format, store}, full);
        EXPECT_EQ(result.exitCode, 1) << format;
        EXPECT_EQ(result.err, "dbxrecover: cannot write the listing: No space left on device\n")
            << format;
    }
    const std::string out = dir.File("out");
    ProcessResult extract = RunDbxrecover({"extract", store, "--out", out}, full);
    EXPECT_EQ(extract.exitCode, 1);
    EXPECT_EQ(extract.err, "dbxrecover: cannot write the summary: No space left on device\n");
    extract = RunDbxrecover({"extract", store, "--out", out, "--dry-run"}, full);
    EXPECT_EQ(extract.exitCode, 1);
    EXPECT_NE(extract.err.find("No space left on device"), std::string::npos);
}

TEST(NamesOnStderr, AreEscapedSoTheyKeepToOneLineAndCannotSteerTheTerminal) {
    const ProcessResult result = RunDbxrecover({"scan", "no\nsuch\x1b[31m\\store.dbx"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "dbxrecover: cannot read 'no\\x0asuch\\x1b[31m\\\\store.dbx': No such file or "
              "directory\n");
}

}  // namespace
}  // namespace dbx
