#include <gtest/gtest.h>

#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "cli_process.h"
#include "mbox_writer.h"
#include "store_generator.h"
#include "test_support.h"

// Writing into a place that fills up or refuses writes: the mbox file never ends inside a
// message, and an error that every message would meet is reported once.
namespace dbx {
namespace {

namespace fs = std::filesystem;
using test::ReadWholeFile;
using test::RunDbxrecover;

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

std::size_t Lines(const std::string& text) {
    return std::size_t(std::count(text.begin(), text.end(), '\n'));
}

// A small tmpfs on `path`, in a mount namespace of this test process's own (the programs it
// starts inherit it). Needs the right to mount; Mounted() tells.
class SmallFileSystem {
  public:
    SmallFileSystem(const std::string& path, const std::string& size, bool readOnly) : path_(path) {
        static const bool ownNamespace =
            unshare(CLONE_NEWNS) == 0 &&
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        fs::create_directories(path);
        mounted_ = ownNamespace && mount("tmpfs", path.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0,
                                         ("size=" + size).c_str()) == 0;
    }
    ~SmallFileSystem() {
        if (mounted_) umount2(path_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }

  private:
    std::string path_;
    bool mounted_ = false;
};

class WriteFailures : public ::testing::Test {
  protected:
    void SetUp() override {
        gen::GeneratorOptions options;
        options.messageCount = 40;
        options.deletedCount = 0;
        options.seed = 5;
        gen::GenerateStore(store, options);
        count = test::ScanHits(store).size();
        ASSERT_GE(count, 40u);
    }
    test::TempDir dir;
    std::string store = dir.File("store.dbx");
    std::size_t count = 0;
};

// A file size limit stands in for a full disk: the third message does not fit.
TEST(MboxWriter, AMessageThatDoesNotFitIsTakenOutAgain) {
    test::TempDir dir;
    const std::string path = dir.File("all.mbox");
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1200, 1200};
        setrlimit(RLIMIT_FSIZE, &limit);
        cli::MboxWriter mbox;
        bool ok = mbox.Create(path) && mbox.Append("a@b.c", 0, std::string(500, 'a')) &&
                  mbox.Append("a@b.c", 0, std::string(500, 'b'));
        const std::uint64_t two = mbox.Size();
        ok = ok && !mbox.Append("a@b.c", 0, std::string(500, 'c')) && errno == EFBIG;
        ok = ok && mbox.Size() == two && fs::file_size(path) == two;
        // A smaller message that fits still comes after the last whole one.
        ok = ok && mbox.Append("a@b.c", 0, "d") && mbox.Close();
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string text = ReadWholeFile(path);
    EXPECT_EQ(Count(text, "From a@b.c "), 3u);
    EXPECT_EQ(Count(text, std::string(500, 'c')), 0u);
    EXPECT_TRUE(text.ends_with("\nd\n\n")) << text.substr(text.size() - 20);
}

TEST_F(WriteFailures, AFullDiskStopsTheExtractionWithOneLine) {
    const std::string out = dir.File("full");
    SmallFileSystem tmpfs(out, "1m", false);
    if (!tmpfs.Mounted()) GTEST_SKIP() << "no right to mount a small file system";
    auto result = RunDbxrecover({"extract", store, "--out", out});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(Count(result.err, "No space left on device"), 1u) << result.err;
    EXPECT_EQ(Lines(result.err), 2u) << result.err;
    EXPECT_NE(result.err.find("not tried"), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("1 failed, "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(" not tried"), std::string::npos) << result.out;
    // What was written is whole: no file is left cut short.
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(out)) {
        ++files;
        EXPECT_GT(fs::file_size(entry.path()), 0u) << entry.path();
    }
    EXPECT_GT(files, 0u);
    EXPECT_LT(files, count);
    EXPECT_NE(result.out.find(std::to_string(files) + " written"), std::string::npos) << result.out;
}

TEST_F(WriteFailures, AnUnwritableFolderIsReportedOnce) {
    const std::string out = dir.File("locked");
    std::optional<SmallFileSystem> readOnly;
    std::string reason;
    if (geteuid() == 0) {
        // Permissions do not stop the superuser: a read-only file system does.
        readOnly.emplace(out, "64k", true);
        if (!readOnly->Mounted()) GTEST_SKIP() << "no right to mount a small file system";
        reason = "Read-only file system";
    } else {
        fs::create_directory(out);
        fs::permissions(out, fs::perms::owner_read | fs::perms::owner_exec);
        reason = "Permission denied";
    }
    auto result = RunDbxrecover({"extract", store, "--out", out});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(Count(result.err, reason), 1u) << result.err;
    EXPECT_EQ(Lines(result.err), 2u) << result.err;
    EXPECT_EQ(result.out, "0 written, 1 failed, " + std::to_string(count - 1) + " not tried\n");
}

TEST_F(WriteFailures, AFullMboxEndsWithAWholeMessageAndNamesTheOneThatFailed) {
    const std::string small = dir.File("small");
    SmallFileSystem tmpfs(small, "1m", false);
    if (!tmpfs.Mounted()) GTEST_SKIP() << "no right to mount a small file system";
    const std::string mbox = small + "/all.mbox";
    const std::string out = dir.File("mails");
    auto result = RunDbxrecover({"extract", store, "--out", out, "--mbox", mbox});
    // Something was not written: the exit status says so.
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(Lines(result.err), 1u) << result.err;
    EXPECT_NE(result.err.find("cannot add it to " + mbox), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("No space left on device"), std::string::npos) << result.err;
    const std::string text = ReadWholeFile(mbox);
    ASSERT_FALSE(text.empty());
    EXPECT_TRUE(text.ends_with("\n\n"));
    // The mbox holds the first messages whole, in order: each is one of the .eml files.
    const std::size_t held = Count(text, "\nFrom ") + 1;
    EXPECT_LT(held, count);
    EXPECT_GT(held, 0u);
    // Every .eml is still written; the mbox's own line adds up to all of them: those it holds,
    // the one that did not fit, and those after it, never tried.
    EXPECT_EQ(result.out,
              std::to_string(count) + " written, 0 failed\nmbox: " + std::to_string(held) +
                  " added, 1 failed, " + std::to_string(count - held - 1) + " not tried\n");
}

}  // namespace
}  // namespace dbx
