// The raw preview's HTML goes through the mail sanitizer and gets the decoded page's policy,
// and still shows the part as stored.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "raw_view.h"
#include "test_support.h"

namespace dbx::test {
namespace {

std::string WriteRaw(TempDir& dir, const std::string& html) {
    const std::string path = dir.File("MailHtml.html");
    std::ofstream(path, std::ios::binary) << html;
    return path;
}

TEST(RawView, AHostilePartCanNeitherFrameRefreshNorReachOut) {
    TempDir dir;
    const std::string path = WriteRaw(
        dir,
        "<html><head><meta http-equiv=\"refresh\" content=\"0;url=http://evil/\">"
        "<base href=\"http://evil/\"><style>body{background:url(http://evil/bg)}</style></head>"
        "<body onload=\"x()\"><iframe src=\"file:///etc/passwd\"></iframe>"
        "<fencedframe src=\"file:///etc/hosts\"></fencedframe><img src=\"http://evil/p.gif\">"
        "<p title=\"Tom &amp; Jerry\">Estagi=C3=A1rio <b>kept</b></p><script>x()</script>"
        "</body></html>");
    ASSERT_TRUE(SecureRawPreviewFile(path, "windows-1252"));
    const std::string page = ReadWholeFile(path);
    EXPECT_NE(page.find("http-equiv=\"Content-Security-Policy\" content=\"default-src 'none';"),
              std::string::npos);
    for (const char* gone :
         {"refresh", "evil", "iframe", "fencedframe", "/etc/", "onload", "<script", "url("}) {
        EXPECT_EQ(page.find(gone), std::string::npos) << gone << " in " << page;
    }
    // The part as stored: transfer encoding and all, no header block around it.
    EXPECT_NE(page.find("<p title=\"Tom &amp; Jerry\">Estagi=C3=A1rio <b>kept</b></p>"),
              std::string::npos)
        << page;
    EXPECT_EQ(page.find("dbxr-head"), std::string::npos);
}

TEST(RawView, TheStoredCharsetOrTheChosenCodePageReadsTheText) {
    TempDir dir;
    std::string path = WriteRaw(dir,
                                "<html><head><meta charset=koi8-r></head><body>"
                                "\xF0\xD2\xC9\xD7\xC5\xD4</body></html>");
    ASSERT_TRUE(SecureRawPreviewFile(path, "windows-1252"));
    EXPECT_NE(ReadWholeFile(path).find("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"),
              std::string::npos);
    path = WriteRaw(dir, "<html><body>\xCF\xF0\xE8\xE2\xE5\xF2</body></html>");
    ASSERT_TRUE(SecureRawPreviewFile(path, "windows-1251"));
    EXPECT_NE(ReadWholeFile(path).find("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"),
              std::string::npos);
}

TEST(RawView, AFileThatCannotBeReadLeavesNothingToShow) {
    TempDir dir;
    EXPECT_FALSE(SecureRawPreviewFile(dir.File("missing.html"), "windows-1252"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing.html")));
}

}  // namespace
}  // namespace dbx::test
