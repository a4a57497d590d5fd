#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "output_path.h"
#include "preview_builder.h"
#include "test_support.h"

namespace dbx {
namespace {

namespace fs = std::filesystem;
using test::ReadWholeFile;

class Preview : public ::testing::Test {
  protected:
    PreviewResult Build(const std::string& message, const std::atomic<int>* stop = nullptr) {
        std::ofstream(eml, std::ios::binary) << message;
        return BuildPreviewFile(eml, dir.Path().string(), stop);
    }
    std::string Html() const { return dir.File("MailHtml.html"); }
    std::string Text() const { return dir.File("MailHtml.txt"); }

    test::TempDir dir;
    std::string eml = dir.File("MailRec0.eml");
};

TEST_F(Preview, HtmlFromTheFirstOpeningTagThroughTheLastClosingOne) {
    PreviewResult r = Build("Subject: x\r\n\r\n<HtMl><b>one</b></html>between<html>two</HTML>tail");
    EXPECT_EQ(r.kind, PreviewKind::Html);
    EXPECT_EQ(r.path, Html());
    EXPECT_EQ(ReadWholeFile(Html()), "<HtMl><b>one</b></html>between<html>two</HTML>");
}

TEST_F(Preview, MixedCaseClosingTagsDoNotCount) {
    std::ofstream(Text()) << "older text";
    PreviewResult r = Build("<html>body</Html>");
    EXPECT_EQ(r.kind, PreviewKind::None);
    EXPECT_EQ(ReadWholeFile(Html()), "");
    EXPECT_EQ(ReadWholeFile(Text()), "older text");
}

TEST_F(Preview, TextUpToTheFirstBase64PartReplacesTheOldText) {
    std::ofstream(Text()) << "older text";
    const std::string head = "Subject: x\r\n\r\nhello\r\nContent-Transfer-Encoding";
    PreviewResult r = Build(head + ": base64\r\n\r\nAAAA: BASE64");
    EXPECT_EQ(r.kind, PreviewKind::Text);
    EXPECT_EQ(r.path, Text());
    EXPECT_EQ(ReadWholeFile(Text()), head);
    EXPECT_FALSE(fs::exists(Html()));

    // Only the three spellings count.
    EXPECT_EQ(Build("a: bAsE64 b").kind, PreviewKind::Text);
    EXPECT_EQ(ReadWholeFile(Text()), "a: bAsE64 b");
    Build("x: Base64");
    EXPECT_EQ(ReadWholeFile(Text()), "x");
}

TEST_F(Preview, ALeadingZeroByteShowsAsAFullStop) {
    Build(std::string("\0rest", 5));
    EXPECT_EQ(ReadWholeFile(Text()), ".rest");
    Build(std::string("a\0b", 3));
    EXPECT_EQ(ReadWholeFile(Text()), std::string("a\0b", 3));
}

TEST_F(Preview, PatternsAcrossBufferBoundariesAreFound) {
    // Tags and the base64 mark straddling the reader's 1 MiB steps.
    std::string big(1 << 20, 'x');
    big.replace((1 << 20) - 3, 6, "<hTmL>");
    big += std::string(5000, 'y') + "</html>" + std::string((1 << 20) - 9, 'z') + "</HTML>";
    PreviewResult r = Build(big);
    ASSERT_EQ(r.kind, PreviewKind::Html);
    EXPECT_EQ(ReadWholeFile(Html()), big.substr((1 << 20) - 3, big.size() - ((1 << 20) - 3)));

    std::string text(1 << 20, 't');
    text.replace((1 << 20) - 4, 8, ": base64");
    Build(text);
    EXPECT_EQ(ReadWholeFile(Text()), text.substr(0, (1 << 20) - 4));
}

TEST_F(Preview, StopEndsWithNothingToShow) {
    std::atomic<int> stop{1};
    std::ofstream(Text()) << "older text";
    EXPECT_EQ(Build("plain text", &stop).kind, PreviewKind::None);
    EXPECT_EQ(Build("<html>x</html>", &stop).kind, PreviewKind::None);
    EXPECT_EQ(ReadWholeFile(Text()), "older text");
    EXPECT_TRUE(fs::exists(Html()));
}

TEST_F(Preview, NothingWithoutAFolderOrAMessage) {
    std::ofstream(eml) << "text";
    EXPECT_EQ(BuildPreviewFile(eml, "").kind, PreviewKind::None);
    EXPECT_EQ(BuildPreviewFile(dir.File("gone.eml"), dir.Path().string()).kind, PreviewKind::None);
    EXPECT_EQ(BuildPreviewFile(eml, dir.File("no-such-folder")).kind, PreviewKind::None);
}

}  // namespace
}  // namespace dbx
