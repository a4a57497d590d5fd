// Next and disk images: which inputs it asks about, and what the answer does.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

#include "common/app_texts.h"
#include "dialog_fixture.h"
#include "extract_command.h"
#include "failing_disk.h"
#include "image_builder.h"
#include "list/results_model.h"
#include "list/results_view.h"
#include "output_path.h"
#include "session/window_session.h"
#include "static_text.h"
#include "store_builder.h"
#include "store_generator.h"
#include "wizard/disk_image_question.h"
#include "wizard/wizard_flow.h"

namespace dbx::test {
namespace {

namespace fs = std::filesystem;

void WriteBytes(const std::string& path, const build::Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

// Random bytes: no store's first word.
build::Bytes Noise() {
    return RandomByteVector(64 * 1024, 7);
}

void WriteNoise(const std::string& path) {
    WriteBytes(path, Noise());
}

void WriteEmptyStore(const std::string& path) {
    build::StoreBuilder store{0x8000};
    store.Header();
    store.Save(path);
}

// A file of `size` bytes that takes no room on the disk.
void WriteSparse(const std::string& path, std::uint64_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0) << path;
    const int result = ::ftruncate(fd, off_t(size));
    ::close(fd);
    ASSERT_EQ(result, 0) << path;
}

TEST(ImageQuestion, StoresAreSearchedAsStoresAndOtherFilesAreAskedAbout) {
    TempDir dir;
    const std::string store = dir.File("Inbox.dbx");
    WriteEmptyStore(store);
    EXPECT_EQ(ImageQuestionFor(store), ImageQuestion::kNotAsked);
    // A store's first word makes it a store, whatever its name.
    const std::string copy = dir.File("Inbox.dbx.bak");
    fs::copy_file(store, copy);
    EXPECT_EQ(ImageQuestionFor(copy), ImageQuestion::kNotAsked);

    const std::string image = dir.File("disk.img");
    WriteNoise(image);
    EXPECT_EQ(ImageQuestionFor(image), ImageQuestion::kNotAStore);
    // The user named it a store: not asked, in any case of the name.
    const std::string named = dir.File("Damaged.DBX");
    WriteNoise(named);
    EXPECT_EQ(ImageQuestionFor(named), ImageQuestion::kNotAsked);
    // A link is judged by what it leads to.
    const std::string link = dir.File("link-to-disk");
    fs::create_symlink(image, link);
    EXPECT_EQ(ImageQuestionFor(link), ImageQuestion::kNotAStore);

    // Looking is only reading.
    const build::Bytes noise = Noise();
    EXPECT_EQ(ReadAll(image), std::string(noise.begin(), noise.end()));
}

TEST(ImageQuestion, AFileLargerThanAnyStoreIsAskedAboutWhateverItsName) {
    TempDir dir;
    const std::uint64_t beyond = (std::uint64_t(4) << 30) + 512;
    for (const char* name : {"disk.img", "Huge.dbx"}) {
        const std::string path = dir.File(name);
        WriteSparse(path, beyond);
        EXPECT_EQ(ImageQuestionFor(path), ImageQuestion::kTooLarge) << name;
    }
    // The largest a store can be is still one.
    const std::string largest = dir.File("largest.dbx");
    WriteSparse(largest, 0xFFFFFFFFu);
    EXPECT_EQ(ImageQuestionFor(largest), ImageQuestion::kNotAsked);
}

TEST(ImageQuestion, WhatCannotBeLookedAtIsNotAskedAboutAndNothingWaits) {
    TempDir dir;
    EXPECT_EQ(ImageQuestionFor(""), ImageQuestion::kNotAsked);
    EXPECT_EQ(ImageQuestionFor(dir.File("missing.img")), ImageQuestion::kNotAsked);
    EXPECT_EQ(ImageQuestionFor(dir.Path().string()), ImageQuestion::kNotAsked);
    // Nobody writes to the pipe: a look that waited for it would never end.
    const std::string pipe = dir.File("pipe.img");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(ImageQuestionFor(pipe), ImageQuestion::kNotAsked);
    EXPECT_EQ(ImageQuestionFor("/dev/null"), ImageQuestion::kNotAsked);
    // Too short to start like a store, and to be a disk.
    const std::string tiny = dir.File("tiny.img");
    std::ofstream(tiny) << "ab";
    EXPECT_EQ(ImageQuestionFor(tiny), ImageQuestion::kNotAsked);
    if (::geteuid() != 0) {
        const std::string locked = dir.File("locked.img");
        WriteNoise(locked);
        ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
        EXPECT_EQ(ImageQuestionFor(locked), ImageQuestion::kNotAsked);
    }
}

TEST(ImageQuestion, ABlockDeviceIsAskedAboutWithoutBeingOpened) {
    // Any block device of this machine: only its type is looked at, so no rights are needed.
    std::string device;
    std::error_code error;
    fs::directory_iterator it("/dev", error), end;
    for (int seen = 0; !error && it != end && seen < 4096; it.increment(error), ++seen) {
        struct stat st {};
        if (::stat(it->path().c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
            device = it->path().string();
            break;
        }
    }
    if (device.empty()) GTEST_SKIP() << "no block device in /dev";
    EXPECT_EQ(ImageQuestionFor(device), ImageQuestion::kBlockDevice) << device;
}

TEST(ImageQuestion, EachReasonHasItsOwnShortLines) {
    EXPECT_EQ(std::string(ImageQuestionText(ImageQuestion::kNotAStore)), texts::kImageQuestion);
    EXPECT_EQ(std::string(ImageQuestionText(ImageQuestion::kTooLarge)), texts::kLargeImageQuestion);
    EXPECT_EQ(std::string(ImageQuestionText(ImageQuestion::kBlockDevice)), texts::kDiskQuestion);
    for (const char* text :
         {texts::kImageQuestion, texts::kLargeImageQuestion, texts::kDiskQuestion}) {
        // Shown as written: no markup that would hide a word, and no line too long for a
        // small screen.
        const std::string shown = DisplayedText(text);
        EXPECT_EQ(shown, text);
        std::size_t start = 0;
        while (start <= shown.size()) {
            const std::size_t end = std::min(shown.find('\n', start), shown.size());
            EXPECT_LE(end - start, 60u) << shown.substr(start, end - start);
            start = end + 1;
        }
    }
}

// The window: Next asks before it searches anything that may be a disk image.
class ImageSearch : public DialogTest {
  protected:
    void Next(const std::string& path) {
        SetPath(path);
        Click(kIdNext);
        WaitForJobs();
    }

    // Next on a file of random bytes named as an image, the question answered with `answer`.
    std::string NextOnNoise(int answer) {
        const std::string image = stores.File("disk.img");
        WriteNoise(image);
        boxes.Answer(answer);
        Next(image);
        return image;
    }

    // Two stores at sectors of a disk image of `size` bytes, among random bytes: "Inbox"
    // (6 messages) at sector 63, "Sent Items" (4) at `second` (0: the first MiB after the
    // first store).
    std::string TwoStoreImage(std::uint64_t size = 4 << 20, std::uint64_t second = 0) {
        const std::string image = stores.File("disk.img");
        gen::ImageBuilder disk(image, size);
        disk.Random(0, size, 3);
        std::uint64_t at = 63 * gen::ImageBuilder::kSector;
        for (const auto& [name, count, seed] :
             {std::tuple{"Inbox", 6u, 11u}, std::tuple{"Sent Items", 4u, 12u}}) {
            const std::string part = stores.File("part.dbx");
            gen::GeneratorOptions options;
            options.messageCount = count;
            options.deletedCount = 0;
            options.seed = seed;
            options.folderName = name;
            options.overwrite = true;
            gen::GenerateStore(part, options);
            const std::vector<std::uint8_t> bytes = gen::ReadFileBytes(part);
            disk.Put(at, bytes);
            at = second != 0 ? second : (at + bytes.size() + (1 << 20)) / (1 << 20) * (1 << 20);
        }
        disk.Close();
        return image;
    }
};

TEST_F(ImageSearch, AnImageFileIsAskedAboutAndYesSearchesItAsAnImage) {
    const std::string image = NextOnNoise(kIdYes);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    const ShownMessageBox& box = boxes.Shown()[0];
    EXPECT_EQ(box.text, texts::kImageQuestion);
    EXPECT_EQ(box.caption, "Varnook Tobrin Outlook Express");
    EXPECT_EQ(box.style, 0x24u);  // Yes and No, question icon
    EXPECT_EQ(box.options.windowArea.backgroundEffect, 12);
    EXPECT_EQ(dialog->Step(), 2);
    EXPECT_EQ(dialog->Session().sourceFile, image);
    EXPECT_TRUE(dialog->Session().imageSearch);
}

TEST_F(ImageSearch, NoSearchesItAsOneStore) {
    const std::string image = NextOnNoise(kIdNo);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, texts::kImageQuestion);
    EXPECT_EQ(dialog->Step(), 2);
    EXPECT_EQ(dialog->Session().sourceFile, image);
    EXPECT_FALSE(dialog->Session().imageSearch);
}

TEST_F(ImageSearch, AStoreIsNotAskedAboutAndAnEarlierYesDoesNotStand) {
    NextOnNoise(kIdYes);
    ASSERT_TRUE(dialog->Session().imageSearch);
    Click(kIdBack);
    boxes.Clear();

    Scan({{"anna@example.org", "<bob@example.net>", "First", "Subject: First\r\n\r\nOne\r\n"}});
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(dialog->Step(), 2);
    EXPECT_FALSE(dialog->Session().imageSearch);
    EXPECT_EQ(dialog->Results()->rowCount(), 1);
}

// The bytes of every .eml file in `folder`, sorted.
std::vector<std::string> MailsIn(const std::string& folder) {
    std::vector<std::string> mails;
    for (const std::string& name : EmlFiles(folder))
        mails.push_back(ReadAll(JoinPath(folder, name)));
    std::sort(mails.begin(), mails.end());
    return mails;
}

TEST_F(ImageSearch, YesListsEveryStoreOfTheImageByNameAndSaveFillsAFolderPerStore) {
    const std::string image = TwoStoreImage();
    TempDir out;
    seams.saveFolder = [&out](const std::string&) { return out.Path().string(); };
    boxes.Answer(kIdYes);
    Next(image);
    ASSERT_EQ(boxes.Shown().size(), 1u);

    EXPECT_EQ(dialog->Session().storeNames, (std::vector<std::string>{"Inbox", "Sent Items"}));
    ResultsModel* results = dialog->Results();
    ASSERT_EQ(results->rowCount(), 10);
    EXPECT_FALSE(dialog->ResultsList()->isColumnHidden(ResultsModel::kFolder));
    std::map<QString, int> perFolder;
    for (int row = 0; row < results->rowCount(); ++row) {
        ++perFolder[results->Text(row, ResultsModel::kFolder)];
    }
    EXPECT_EQ(perFolder, (std::map<QString, int>{{"Inbox", 6}, {"Sent Items", 4}}));

    Click(kIdSelectAll);
    Click(kIdSave);
    WaitForJobs();
    EXPECT_TRUE(EmlFiles(out.Path().string()).empty());
    // The bytes the command line writes of the same image, folder for folder.
    TempDir cli;
    cli::ExtractArgs args;
    args.store = image;
    args.image = true;
    args.out = cli.Path().string();
    ASSERT_EQ(cli::RunExtract(args), 0);
    for (const char* folder : {"Inbox", "Sent Items"}) {
        const std::vector<std::string> saved = MailsIn(out.File(folder));
        EXPECT_EQ(saved.size(), std::size_t(perFolder[folder])) << folder;
        EXPECT_TRUE(saved == MailsIn(cli.File(folder))) << folder;
    }
}

// Stop while the survey runs ends the survey alone: what it found is still read and listed.
TEST_F(ImageSearch, StopDuringTheSurveyListsTheStoresItFoundSoFar) {
    constexpr std::uint64_t kMiB = 1 << 20;
    const std::string image = TwoStoreImage(16 * kMiB, 12 * kMiB);
    // Holds the survey's reads past its first 2 MiB, long before the second store; it lives
    // as long as the disk that reads through it.
    auto gate = std::make_shared<Gate>();
    auto disk = std::make_shared<FailingDisk>();
    disk->OnRead([gate](std::uint64_t pos, std::size_t n) {
        if (pos + n > 2 * kMiB) gate->Pass(1, 1);
    });
    seams.device = disk;
    boxes.Answer(kIdYes);
    SetPath(image);
    Click(kIdNext);
    ASSERT_TRUE(PumpUntil([&] { return gate->reached.load(); }));
    auto* status = dialog->ControlAs<StaticText>(kIdStatusLine);
    ASSERT_TRUE(PumpUntil(
        [&] {
            return status->WindowText() ==
                   "Looking for stores in the disk image: 2 of 16 MB, 1 store header found";
        },
        5000))
        << status->WindowText().toStdString();

    boxes.Answer(kIdYes);  // "Do you really want to stop search process ?"
    Click(kIdStop);
    EXPECT_EQ(boxes.Shown().back().text, texts::kStopQuestion);
    // The stores found are still to be read: Stop stays for that.
    EXPECT_TRUE(Visible(kIdStop));
    EXPECT_FALSE(Visible(kIdBack));
    gate->released = true;
    WaitForJobs();
    EXPECT_TRUE(Visible(kIdBack));
    EXPECT_EQ(dialog->Session().storeNames, std::vector<std::string>{"Inbox"});
    EXPECT_EQ(dialog->Results()->rowCount(), 6);
    EXPECT_TRUE(dialog->ResultsList()->isColumnHidden(ResultsModel::kFolder));
}

}  // namespace
}  // namespace dbx::test
