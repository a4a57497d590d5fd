#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "cli_process.h"
#include "file_names.h"
#include "store_folder.h"
#include "test_support.h"

namespace dbx {
namespace {

namespace fs = std::filesystem;
using build::StoreBuilder;
using nlohmann::json;
using test::ReadWholeFile;
using test::RunDbxrecover;

constexpr std::int64_t kWhen = 1262307600;  // 2010-01-01 01:00 UTC

// A message folder store with one message per subject.
void SaveStore(const std::string& path, const std::vector<std::string>& subjects,
               std::string_view folderName = "Inbox") {
    StoreBuilder store(0x10000);
    store.Header(folderName);
    std::uint32_t at = build::kFirstSegment;
    std::uint32_t body = 0x4000;
    for (const std::string& subject : subjects) {
        build::MessageFields f;
        f.from = "ana@example.pt";
        f.to = "<rui@example.pt>";
        f.subject = subject;
        f.filetime = build::FileTimeFromUnix(kWhen);
        f.bodyOffset = body;
        at += std::uint32_t(store.PutRecord(at, TypicalProperties(f)));
        store.PutBody(body, "Subject: " + subject + "\r\n\r\nbody of " + subject + "\r\n");
        body += build::kBlockSize;
    }
    store.Save(path);
}

TEST(FileNames, UnsafeCharactersGoAndLengthsAreBounded) {
    EXPECT_EQ(cli::SafeFileName("a/b\\c:d*e?f\"g<h>i|j\tk"), "a_b_c_d_e_f_g_h_i_j_k");
    EXPECT_EQ(cli::SafeFileName("..hidden "), "hidden");
    EXPECT_EQ(cli::SafeFileName(""), "_");
    // Cut at a character boundary: "é" is two bytes.
    std::string accents;
    for (int i = 0; i < 150; ++i) accents += "\xC3\xA9";
    const std::string cut = cli::SafeFileName(accents, 201);
    EXPECT_EQ(cut.size(), 200u);
    EXPECT_EQ(cut.substr(198), "\xC3\xA9");

    const char* zone = std::getenv("TZ");
    const std::string saved = zone ? zone : "";
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(cli::DescriptiveName(kWhen, "ana@example.pt", "Re: a/b"),
              "2010-01-01 0100 ana@example.pt - Re_ a_b");
    zone ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
    tzset();
    EXPECT_EQ(cli::DescriptiveName(std::nullopt, "", ""), "undated (unknown) - (no subject)");
    EXPECT_LE(cli::DescriptiveName(kWhen, std::string(300, 'f'), std::string(300, 's')).size(),
              cli::kMaxNameBytes - 16);

    cli::UniqueNames names;
    EXPECT_EQ(names.Take("Inbox"), "Inbox");
    EXPECT_EQ(names.Take("inbox"), "inbox (2)");
    EXPECT_EQ(names.Take("Inbox"), "Inbox (3)");
}

class StoreFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directory(folder);
        SaveStore(folder + "/Inbox.dbx", {"one", "two"});
        SaveStore(folder + "/Sent Items.dbx", {"three"}, "Sent Items");
        SaveStore(folder + "/Folders.dbx", {"never"});
        SaveStore(folder + "/Offline.dbx", {"never"});
        SaveStore(folder + "/pop3uidl.DBX", {"never"});
        // A store whose header says it lists folders, not messages.
        StoreBuilder list(0x3000);
        list.Header().PutU32(4, 0x6F74FDC6);
        list.Save(folder + "/Other.dbx");
        std::ofstream(folder + "/notes.txt") << "not a store";
    }
    test::TempDir dir;
    std::string folder = dir.File("Outlook Express");
    std::string out = dir.File("out");
};

TEST_F(StoreFolder, OnlyMessageStoresAreTaken) {
    std::vector<cli::FolderStore> stores;
    std::string error;
    ASSERT_TRUE(cli::ListStoreFolder(folder, stores, error));
    ASSERT_EQ(stores.size(), 2u);
    EXPECT_EQ(stores[0].name, "Inbox");
    EXPECT_EQ(stores[1].name, "Sent Items");
    EXPECT_FALSE(cli::ListStoreFolder(dir.File("missing"), stores, error));
    EXPECT_FALSE(error.empty());
}

TEST_F(StoreFolder, ScanListsEveryStoreAndExtractWritesOneFolderEach) {
    auto scan = RunDbxrecover({"scan", "--format", "json", folder});
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    const json rows = json::parse(scan.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0]["folder"], "Inbox");
    EXPECT_EQ(rows[2]["folder"], "Sent Items");
    EXPECT_EQ(rows[2]["subject"], "three");

    const std::string mboxes = dir.File("mboxes");
    auto result = RunDbxrecover({"extract", folder, "--out", out, "--mbox", mboxes});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "3 written, 0 failed\n");
    EXPECT_EQ(ReadWholeFile(out + "/Inbox/MailRec1.eml"), "Subject: two\r\n\r\nbody of two\r\n");
    EXPECT_EQ(ReadWholeFile(out + "/Sent Items/MailRec0.eml"),
              "Subject: three\r\n\r\nbody of three\r\n");
    EXPECT_FALSE(fs::exists(out + "/Folders"));
    EXPECT_NE(ReadWholeFile(mboxes + "/Sent Items.mbox").find("body of three"), std::string::npos);
    EXPECT_NE(ReadWholeFile(mboxes + "/Inbox.mbox").find("body of two"), std::string::npos);

    auto empty = RunDbxrecover({"scan", dir.File("out")});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_NE(empty.err.find("holds no message store"), std::string::npos);
}

TEST_F(StoreFolder, DescriptiveNamesAreDatedSafeAndUnique) {
    const std::string path = dir.File("one.dbx");
    SaveStore(path, {"Re: same", "Re: same", "caf\xE9"});
    auto result = RunDbxrecover({"extract", path, "--out", out, "--names", "descriptive"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // The date is the local one: work it out here as the tool does.
    char date[32];
    const std::time_t t = kWhen;
    std::tm local{};
    localtime_r(&t, &local);
    std::strftime(date, sizeof date, "%Y-%m-%d %H%M", &local);
    const std::string stem = std::string(date) + " ana@example.pt - ";
    EXPECT_TRUE(fs::exists(out + "/" + stem + "Re_ same.eml"));
    EXPECT_TRUE(fs::exists(out + "/" + stem + "Re_ same (2).eml"));
    EXPECT_TRUE(fs::exists(out + "/" + stem + "caf\xC3\xA9.eml"));  // UTF-8 from windows-1252
    EXPECT_EQ(RunDbxrecover({"extract", path, "--out", out, "--names", "plain"}).exitCode, 2);
}

}  // namespace
}  // namespace dbx
