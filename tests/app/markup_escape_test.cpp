// Plain texts in message boxes, the closing message of a save, and the emptying of a folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/empty_folder.h"
#include "common/markup_escape.h"
#include "dialog_fixture.h"
#include "save/save_request.h"

namespace dbx::test {
namespace {

namespace fs = std::filesystem;

TEST(EscapeMarkup, TagsAndEntitiesInAPlainTextAreShownAsTheyRead) {
    for (const std::string text : {"/home/a/<b>bold</b>", "a & b", "&amp;", "&lt;x&gt;", "&&lt;;",
                                   "<<", "&", "<", "x<", "&copy; 2004", "plain /folder/name", ""}) {
        EXPECT_EQ(DisplayedText(EscapeMarkup(text)), text) << text;
    }
}

TEST(SaveReportText, CountsFolderFailuresAndCancel) {
    SaveReport report;
    report.folder = "/out";
    report.total = 5;
    report.saved = 5;
    EXPECT_EQ(DisplayedText(SaveReportText(report)), "5 mails saved in\n/out");

    report.saved = 3;
    report.failed = 1;
    report.firstFailure = "cannot create /out/<x>.eml: No space left on device";
    report.cancelled = true;
    EXPECT_EQ(DisplayedText(SaveReportText(report)),
              "3 mails saved in\n/out\n\n1 mail could not be saved: cannot create /out/<x>.eml: "
              "No space left on device\n\nSaving was cancelled: 1 mail not saved.");

    // A cancel after the last message left nothing out.
    report.saved = 4;
    EXPECT_EQ(DisplayedText(SaveReportText(report)),
              "4 mails saved in\n/out\n\n1 mail could not be saved: cannot create /out/<x>.eml: "
              "No space left on device");
}

TEST(SaveReportText, AFolderNameOutsideTheCodePageIsShownWithPlaceholders) {
    SaveReport report;
    report.folder = "/home/\xD0\xB8\xD0\xBC\xD1\x8F";  // UTF-8 Cyrillic
    report.total = report.saved = 1;
    EXPECT_EQ(DisplayedText(SaveReportText(report)), "1 mail saved in\n/home/???");
}

TEST(EmptyFolder, RemovesEverythingInsideButFollowsNoLink) {
    TempDir outside;
    std::ofstream(outside.File("keep.txt")) << "keep";
    TempDir folder;
    std::ofstream(folder.File("MailHtml.html")) << "mail";
    fs::create_directory(folder.File("sub"));
    std::ofstream(folder.File("sub/x.eml")) << "x";
    fs::create_symlink(outside.Path(), folder.File("link"));
    EXPECT_EQ(EmptyFolder(folder.Path().string()), 0);
    EXPECT_TRUE(fs::is_empty(folder.Path()));
    EXPECT_EQ(ReadAll(outside.File("keep.txt")), "keep");
    EXPECT_EQ(EmptyFolder(""), 0);
    EXPECT_EQ(EmptyFolder(folder.File("missing")), 0);
}

}  // namespace
}  // namespace dbx::test
