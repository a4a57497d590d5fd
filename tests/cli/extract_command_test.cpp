#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "cli_process.h"
#include "mbox_writer.h"
#include "store_builder.h"
#include "store_generator.h"
#include "test_support.h"

namespace dbx {
namespace {

namespace fs = std::filesystem;
using test::ReadWholeFile;
using test::RunDbxrecover;

class ExtractCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        gen::GeneratorOptions options;
        options.messageCount = 60;
        options.deletedCount = 12;
        options.damage = true;
        options.seed = 11;
        options.onMessage = [&](const gen::ManifestEntry& e, std::string_view body) {
            if (e.status == gen::MessageStatus::Existing) bodies.emplace(std::string(body), e);
        };
        manifest = gen::GenerateStore(store, options).messages;
    }
    std::vector<std::string> Written() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(out)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempDir dir;
    std::string store = dir.File("store.dbx");
    std::string out = dir.File("mails");
    std::vector<gen::ManifestEntry> manifest;
    std::multimap<std::string, gen::ManifestEntry> bodies;  // existing ones, by their bytes
};

TEST_F(ExtractCommand, EveryExistingMessageComesOutByteForByte) {
    const std::string before = ReadWholeFile(store);
    auto result = RunDbxrecover({"extract", store, "--out", out, "--status", "existing"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, std::to_string(bodies.size()) + " written, 0 failed\n");
    EXPECT_EQ(ReadWholeFile(store), before);

    auto expected = bodies;
    for (const std::string& name : Written()) {
        const std::string path = out + "/" + name;
        auto match = expected.find(ReadWholeFile(path));
        ASSERT_NE(match, expected.end()) << name << " is none of the stored messages";
        struct stat st {};
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mtime, match->second.dateSeconds) << name;
        expected.erase(match);
    }
    EXPECT_TRUE(expected.empty());
}

TEST_F(ExtractCommand, ExistingFilesAreKeptAndNamesMoveOn) {
    fs::create_directory(out);
    std::ofstream(out + "/MailRec0.eml") << "an earlier rescue";
    auto result = RunDbxrecover(
        {"extract", store, "--out", out, "--prefix", "Rescue", "--status", "existing"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadWholeFile(out + "/MailRec0.eml"), "an earlier rescue");

    // A second run writes only what is not there yet, byte for byte, under any name.
    auto again = RunDbxrecover({"extract", store, "--out", out});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out, std::to_string(manifest.size() - bodies.size()) + " written, " +
                             std::to_string(bodies.size()) + " already there, 0 failed\n");
    EXPECT_EQ(ReadWholeFile(out + "/MailRec0.eml"), "an earlier rescue");
    EXPECT_TRUE(fs::exists(out + "/MailRec1.eml"));
    EXPECT_TRUE(fs::exists(out + "/Rescue0.eml"));
    EXPECT_EQ(Written().size(), 1 + manifest.size());
}

TEST_F(ExtractCommand, DryRunListsWithoutWriting) {
    auto result =
        RunDbxrecover({"extract", store, "--out", out, "--status", "deleted", "--dry-run"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("/MailRec11.eml"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("12 would be written"), std::string::npos) << result.out;
    EXPECT_FALSE(fs::exists(out));
}

// The listing shows the store's texts as the table does: decoded, with no control character
// that could steer the terminal.
TEST(ExtractDryRun, TextsAreDecodedAndMadeSafe) {
    test::TempDir dir;
    const std::string store = dir.File("store.dbx");
    build::MessageFields f;
    f.from = "ana@example.pt";
    f.to = "<rui@example.pt>";
    f.subject = "Reuni\xE3o \x1B]0;owned\x07\x1B[31mred\r\nnext\x9B";
    f.filetime = build::FileTimeFromUnix(1262307600);
    f.bodyOffset = 0x4000;
    build::StoreBuilder image(0x5000);
    image.Header();
    image.PutRecord(build::kFirstSegment, build::TypicalProperties(f));
    image.PutBody(0x4000, "Subject: x\r\n\r\nbody\r\n");
    image.Save(store);

    auto western = RunDbxrecover({"extract", store, "--out", dir.File("out"), "--dry-run"});
    ASSERT_EQ(western.exitCode, 0) << western.err;
    EXPECT_NE(western.out.find("Reuni\xC3\xA3o"), std::string::npos) << western.out;
    EXPECT_NE(western.out.find("red  next"), std::string::npos) << western.out;
    for (char control : {'\x1B', '\x07', '\r'}) {
        EXPECT_EQ(western.out.find(control), std::string::npos) << int(control);
    }
    EXPECT_EQ(std::count(western.out.begin(), western.out.end(), '\n'), 2) << western.out;

    auto cyrillic = RunDbxrecover(
        {"extract", store, "--out", dir.File("out"), "--dry-run", "--codepage", "1251"});
    ASSERT_EQ(cyrillic.exitCode, 0) << cyrillic.err;
    EXPECT_NE(cyrillic.out.find("Reuni\xD0\xB3o"), std::string::npos) << cyrillic.out;
    // In ISO-8859-1, 0x9B is the C1 control that starts a terminal command.
    auto latin1 = RunDbxrecover(
        {"extract", store, "--out", dir.File("out"), "--dry-run", "--codepage", "ISO-8859-1"});
    ASSERT_EQ(latin1.exitCode, 0) << latin1.err;
    EXPECT_EQ(latin1.out.find("\xC2\x9B"), std::string::npos) << latin1.out;
    EXPECT_EQ(RunDbxrecover({"extract", store, "--out", dir.File("out"), "--dry-run", "--codepage",
                             "klingon"})
                  .exitCode,
              2);
}

TEST_F(ExtractCommand, FailuresAreNamedAndSetTheExitCode) {
    auto past = RunDbxrecover({"extract", store, "--out", out, "--offset", "4000000000", "--offset",
                               std::to_string(manifest[0].bodyOffset)});
    // A message that was not written makes the exit status say so.
    EXPECT_EQ(past.exitCode, 1);
    EXPECT_EQ(past.out, "1 written, 1 failed\n");
    EXPECT_NE(past.err.find("offset 4000000000: the offset lies beyond"), std::string::npos)
        << past.err;

    std::ofstream(dir.File("a-file")) << "x";
    auto notFolder = RunDbxrecover({"extract", store, "--out", dir.File("a-file")});
    EXPECT_EQ(notFolder.exitCode, 1);
    EXPECT_NE(notFolder.err.find("a-file"), std::string::npos);

    EXPECT_EQ(RunDbxrecover({"extract", store, "--out", out, "--prefix", "../x"}).exitCode, 2);
    EXPECT_EQ(
        RunDbxrecover({"extract", store, "--out", out, "--all", "--status", "deleted"}).exitCode,
        2);
    auto missing = RunDbxrecover({"extract", dir.File("none.dbx"), "--out", out});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("none.dbx"), std::string::npos);
}

TEST_F(ExtractCommand, MboxHoldsEveryMessageAndIsNeverReplaced) {
    const std::string mbox = dir.File("all.mbox");
    auto result = RunDbxrecover({"extract", store, "--out", out, "--mbox", mbox});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string text = ReadWholeFile(mbox);
    std::size_t separators = text.starts_with("From ") ? 1 : 0;
    for (std::size_t at = text.find("\n\nFrom "); at != std::string::npos;
         at = text.find("\n\nFrom ", at + 1)) {
        ++separators;
    }
    EXPECT_EQ(separators, manifest.size());

    auto again = RunDbxrecover({"extract", store, "--out", out, "--mbox", mbox});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find("exists"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(mbox), text);
}

TEST(Mboxrd, FromLinesAreQuotedOnceMore) {
    EXPECT_EQ(cli::QuoteFromLines("From me\r\nx\r\n>From you\r\nFromage\r\n From\r\n"),
              ">From me\r\nx\r\n>>From you\r\nFromage\r\n From\r\n");
    EXPECT_EQ(cli::QuoteFromLines("last line From x\nFrom y"), "last line From x\n>From y");
}

}  // namespace
}  // namespace dbx
