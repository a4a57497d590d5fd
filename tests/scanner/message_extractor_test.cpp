#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "little_endian.h"
#include "message_extractor.h"
#include "test_support.h"

namespace dbx {
namespace {

using build::StoreBuilder;
namespace fs = std::filesystem;
using test::ReadWholeFile;

// A block header with chosen fields and `fill` as its data.
build::Bytes Block(std::uint32_t self, std::uint32_t dataLength, std::uint32_t next, char fill) {
    build::Bytes b(build::kBlockSize, std::uint8_t(fill));
    StoreU32(b.data(), self);
    StoreU32(b.data() + 4, build::kBlockData);
    StoreU32(b.data() + 8, dataLength);
    StoreU32(b.data() + 12, next);
    return b;
}

class Extract : public ::testing::Test {
  protected:
    ExtractOutcome Run(std::uint32_t offset, std::uint32_t limit = 0) {
        store.Save(storePath);
        ExtractRequest request;
        request.offset = offset;
        request.storePath = storePath;
        request.outputDirectory = out;
        request.limit = limit;
        return ExtractMessage(request, counter);
    }
    test::TempDir dir;
    std::string storePath = dir.File("store.dbx");
    std::string out = dir.File("out");
    StoreBuilder store{0x3000};
    MailCounter counter;

    void SetUp() override { fs::create_directory(out); }
};

TEST_F(Extract, OneBlockGivesItsDataAndTheEndPosition) {
    store.Put(0x1000, Block(0x1000, 300, 0, 'a'));
    ExtractOutcome r = Run(0x1000);
    EXPECT_EQ(r.status, ExtractStatus::Written);
    EXPECT_EQ(r.path, out + "/MailRec0.eml");
    EXPECT_EQ(ReadWholeFile(r.path), std::string(300, 'a'));
    EXPECT_EQ(r.position, 0x1000u + 16 + 300);
    EXPECT_EQ(counter.Value(), 1);
}

TEST_F(Extract, DataLengthsOfZeroOrAbove512CountAs512) {
    for (std::uint32_t dataLength : {0u, 600u, 0x80000010u}) {
        store.Put(0x1000, Block(0x1000, dataLength, 0, 'b'));
        ExtractOutcome r = Run(0x1000);
        EXPECT_EQ(ReadWholeFile(r.path), std::string(512, 'b')) << dataLength;
    }
}

TEST_F(Extract, FollowsTheChainUntilItsEnd) {
    store.Put(0x1000, Block(0x1000, 512, 0x1800, 'a'));
    store.Put(0x1800, Block(0x1800, 100, 0, 'b'));
    store.Put(0x1400, Block(0x1400, 512, 0x1000, 'x'));  // not part of the chain
    ExtractOutcome r = Run(0x1000);
    EXPECT_EQ(ReadWholeFile(r.path), std::string(512, 'a') + std::string(100, 'b'));
    EXPECT_EQ(r.position, 0x1800u + 16 + 100);
}

TEST_F(Extract, BrokenChainsKeepWhatWasWritten) {
    store.Put(0x1000, Block(0x1000, 512, 0x9000, 'a'));  // next beyond the store
    EXPECT_EQ(ReadWholeFile(Run(0x1000).path), std::string(512, 'a'));

    store.Put(0x1000, Block(0x1000, 512, 0x2F00, 'a'));  // next block runs past the end
    store.Put(0x2F00, Block(0x2F00, 512, 0, 'z'));
    EXPECT_EQ(ReadWholeFile(Run(0x1000).path), std::string(512, 'a'));

    store.Put(0x1000, Block(0x1000, 10, 0x1800, 'a'));  // next read would be a tiny one
    store.Put(0x1800, Block(0x1800, 100, 0, 'b'));
    EXPECT_EQ(ReadWholeFile(Run(0x1000).path), std::string(10, 'a'));
}

TEST_F(Extract, ABlockWhoseDataReachesTheEndExactlyIsNotWritten) {
    store.Resize(0x1000 + 16 + 300);
    store.Put(0x1000, Block(0x1000, 300, 0, 'a'));
    store.Resize(0x1000 + 16 + 300);
    ExtractOutcome r = Run(0x1000);
    EXPECT_EQ(r.status, ExtractStatus::Written);
    EXPECT_EQ(ReadWholeFile(r.path), "");
}

TEST_F(Extract, ChainsThatLoopEnd) {
    store.Put(0x1000, Block(0x1000, 512, 0x1800, 'a'));
    store.Put(0x1800, Block(0x1800, 512, 0x1000, 'b'));
    ExtractOutcome r = Run(0x1000);
    EXPECT_EQ(r.status, ExtractStatus::Written);
    EXPECT_EQ(ReadWholeFile(r.path), std::string(512, 'a') + std::string(512, 'b'));
}

TEST_F(Extract, TheLimitBoundsTheWalk) {
    store.Put(0x1000, Block(0x1000, 512, 0x1800, 'a'));
    store.Put(0x1800, Block(0x1800, 512, 0, 'b'));
    EXPECT_EQ(ReadWholeFile(Run(0x1000, 0x1810).path), std::string(512, 'a'));
    const std::int32_t before = counter.Value();
    EXPECT_EQ(Run(0x2000, 0x1FFF).status, ExtractStatus::OffsetBeyondLimit);
    EXPECT_EQ(Run(0x3001).status, ExtractStatus::OffsetBeyondLimit);
    EXPECT_EQ(counter.Value(), before);
    // Within 16 bytes of the limit there is no whole header to read: an empty file.
    EXPECT_EQ(ReadWholeFile(Run(0x1000, 0x1008).path), "");
}

TEST_F(Extract, NamesCountUpAndNeverReplaceAFile) {
    store.Put(0x1000, Block(0x1000, 5, 0, 'a'));
    { std::ofstream(out + "/MailRec1.eml") << "keep me"; }
    EXPECT_EQ(Run(0x1000).path, out + "/MailRec0.eml");
    EXPECT_EQ(Run(0x1000).path, out + "/MailRec2.eml");
    EXPECT_EQ(counter.Value(), 3);
    EXPECT_EQ(ReadWholeFile(out + "/MailRec1.eml"), "keep me");
    // A link in the way is not followed either.
    fs::create_symlink(dir.File("elsewhere"), out + "/MailRec3.eml");
    EXPECT_EQ(Run(0x1000).path, out + "/MailRec4.eml");
    EXPECT_FALSE(fs::exists(dir.File("elsewhere")));
}

TEST_F(Extract, OneSeparatorBetweenFolderAndName) {
    store.Put(0x1000, Block(0x1000, 5, 0, 'a'));
    out += "/";
    EXPECT_EQ(Run(0x1000).path, dir.File("out") + "/MailRec0.eml");
}

TEST_F(Extract, FailuresLeaveTheCounterAndNameTheTriedFile) {
    store.Put(0x1000, Block(0x1000, 5, 0, 'a'));
    counter.Set(7);
    out = dir.File("no-such-folder");
    ExtractOutcome r = Run(0x1000);
    EXPECT_EQ(r.status, ExtractStatus::CannotCreate);
    EXPECT_EQ(r.path, out + "/MailRec7.eml");
    EXPECT_EQ(r.position, 0u);
    EXPECT_EQ(counter.Value(), 7);

    out = dir.File("out") + "/" + std::string(5000, 'd');
    EXPECT_EQ(Run(0x1000).status, ExtractStatus::CannotCreate);
    EXPECT_EQ(counter.Value(), 7);

    ExtractRequest missing;
    missing.storePath = dir.File("missing.dbx");
    missing.outputDirectory = dir.File("out");
    EXPECT_EQ(ExtractMessage(missing, counter).status, ExtractStatus::StoreUnreadable);
    EXPECT_EQ(counter.Value(), 7);
}

TEST_F(Extract, TheStoreIsNeverChanged) {
    store.PutBody(0x1000, std::string(3000, 'q'));
    store.Save(storePath);
    fs::permissions(storePath, fs::perms::owner_read);
    const std::string before = ReadWholeFile(storePath);
    ExtractRequest request{0x1000, storePath, out, 0, "MailRec"};
    ExtractOutcome r = ExtractMessage(request, counter);
    EXPECT_EQ(ReadWholeFile(r.path), std::string(3000, 'q'));
    EXPECT_EQ(ReadWholeFile(storePath), before);
}

// A full disk, as a file size limit in a child process: the write fails, the partial file
// goes, and the outcome says so.
TEST_F(Extract, AFailedWriteIsReportedAndLeavesNoPartialFile) {
    store.Resize(0x100000);
    store.PutBody(0x1000, std::string(600000, 'w'));
    store.Save(storePath);
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100000, 100000};
        setrlimit(RLIMIT_FSIZE, &limit);
        MailCounter childCounter;
        ExtractOutcome r =
            ExtractMessage(ExtractRequest{0x1000, storePath, out, 0, "MailRec"}, childCounter);
        const bool ok = r.status == ExtractStatus::WriteFailed && r.error == EFBIG &&
                        !fs::exists(r.path) && childCounter.Value() == 1;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace dbx
