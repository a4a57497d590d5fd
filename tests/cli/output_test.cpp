#include <gtest/gtest.h>

#include <cstdio>

#include <nlohmann/json.hpp>

#include "codepage.h"
#include "hit_writers.h"

namespace dbx::cli {
namespace {

TEST(CsvField, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(CsvField("plain text"), "plain text");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("two\r\nlines"), "\"two\r\nlines\"");
}

TEST(FitWidth, CutsWholeCharactersAndMarksTheCut) {
    EXPECT_EQ(FitWidth("short", 10), "short");
    EXPECT_EQ(FitWidth("abcdefghij", 10), "abcdefghij");
    EXPECT_EQ(FitWidth("abcdefghijk", 10), "abcdefghi\xE2\x80\xA6");
    // Nine two-byte characters and the ellipsis: no character is split.
    EXPECT_EQ(FitWidth(std::string(11 * 2, 'x').replace(0, 22, 11, 'y'), 10).size(), 12u);
    std::string accents;
    for (int i = 0; i < 11; ++i) accents += "\xC3\xA3";
    EXPECT_EQ(FitWidth(accents, 10), accents.substr(0, 18) + "\xE2\x80\xA6");
}

TEST(CodePageDecoder, DecodesSingleByteCodePages) {
    auto western = CodePageDecoder::Open("windows-1252");
    ASSERT_TRUE(western);
    EXPECT_EQ(western->Decode("Reuni\xE3o \x80 5"), "Reuni\xC3\xA3o \xE2\x82\xAC 5");
    EXPECT_EQ(western->Decode(""), "");
    // 0x81 has no character in windows-1252.
    EXPECT_EQ(western->Decode("a\x81z"), "a\xEF\xBF\xBDz");
    auto central = CodePageDecoder::Open("1250");
    ASSERT_TRUE(central);
    EXPECT_EQ(central->Decode("\x8A"), "\xC5\xA0");  // S with caron
    EXPECT_FALSE(CodePageDecoder::Open("no-such-page"));
    // Code pages with characters of several bytes are decoded as a whole.
    auto utf8 = CodePageDecoder::Open("UTF-8");
    ASSERT_TRUE(utf8);
    EXPECT_EQ(utf8->Decode("Reuni\xC3\xA3o"), "Reuni\xC3\xA3o");
    EXPECT_EQ(western->Decode(std::string(1000, '\xE9')).size(), 2000u);
}

std::string Render(const std::string& format, const std::vector<HitRow>& rows) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    auto writer = MakeHitWriter(format, out);
    writer->Begin();
    for (const HitRow& r : rows) writer->Write(r);
    writer->End();
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
}

TEST(HitWriters, JsonIsValidEvenWhenEmptyOrOddlyTexted) {
    EXPECT_EQ(nlohmann::json::parse(Render("json", {})).size(), 0u);
    HitRow odd{7, "Deleted", "a\"b\\c", "tab\there", "line\nbreak", "", "1970-01-01T00:00:00Z"};
    auto parsed = nlohmann::json::parse(Render("json", {odd, odd}));
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[1]["from"], "a\"b\\c");
    EXPECT_EQ(parsed[1]["subject"], "line\nbreak");
    EXPECT_FALSE(MakeHitWriter("xml", stdout));
}

TEST(HitWriters, TableRowsStayOnOneLine) {
    HitRow row{7, "Existing", "a@b.c", "d@e.f", "line\nbreak\r", "01/01/10", ""};
    std::string table = Render("table", {row});
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 2);
    EXPECT_NE(table.find("line break"), std::string::npos);
}

}  // namespace
}  // namespace dbx::cli
