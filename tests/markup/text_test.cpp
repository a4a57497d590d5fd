// Text preparation, tokens and text transforms.
#include <gtest/gtest.h>

#include <vector>

#include "markup_tokens.h"
#include "text_preparation.h"
#include "text_transform.h"

namespace dbx::markup {
namespace {

std::string Prepare(std::string_view text, bool lineBreaks = true) {
    return PrepareText(text, ReplacementMap::Entities(), lineBreaks);
}

std::vector<Token> Tokens(std::string_view prepared) {
    std::vector<Token> out;
    std::size_t pos = 0;
    while (auto token = NextToken(prepared, pos)) out.push_back(*token);
    return out;
}

// Text runs joined, tags written back in angle brackets.
std::string Render(std::string_view prepared) {
    std::string out;
    for (const Token& t : Tokens(prepared)) {
        out += t.type == TokenType::Text ? t.text : "[" + t.text + "]";
    }
    return out;
}

TEST(Entities, BecomeTheirWindows1252Bytes) {
    EXPECT_EQ(Prepare("&amp;&bull;&copy;&euro;&gt;&iquest;&nbsp;&para;&pound;&quot;&reg;&trade;"),
              "&\x95\xA9\x80>\xBF \xB6\xA3\"\xAE\x99");
    EXPECT_EQ(Prepare("&lt;"), "<<");
    EXPECT_EQ(Prepare("&AMP; &unknown;"), "&AMP; &unknown;");
}

TEST(Entities, LaterKeysSeeTheResultsOfEarlierOnes) {
    EXPECT_EQ(Prepare("&amp;nbsp;"), " ");
    EXPECT_EQ(Prepare("&amp;lt;"), "<<");
    EXPECT_EQ(Prepare("&amp;gt;"), ">");
    // "&amp;" comes first, so an ampersand produced by a later key stays.
    EXPECT_EQ(Prepare("&amp;amp;"), "&amp;");
}

TEST(Replacements, AddingReplacesAnExistingKeyAndIgnoresAnEmptyOne) {
    ReplacementMap map = ReplacementMap::Entities();
    map.Add("&copy;", "(c)");
    map.Add("", "never");
    map.Add("ab", "abab");  // its own key inside the replacement must not loop
    EXPECT_EQ(map.Apply("&copy; ab-ab"), "(c) abab-abab");
    EXPECT_EQ(map.Entries().count(""), 0u);
}

TEST(Preparation, LineFeedsAndTabsBecomeTagsOrDisappear) {
    EXPECT_EQ(Prepare("a\r\nb\n\nc\td"), "a<br>b<br><br>c<t>d");
    EXPECT_EQ(Prepare("a\r\nb\n\nc\td", false), "abcd");
}

TEST(Tokens, DoubledLessThanIsALiteralInsideOneRun) {
    const auto tokens = Tokens("a <<b> c");
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0].type, TokenType::Text);
    EXPECT_EQ(tokens[0].text, "a <b> c");
    EXPECT_EQ(Render(Prepare("&lt;b&gt;x&lt;/b&gt;")), "<b>x</b>");
}

TEST(Tokens, TagsRunToTheNextGreaterThan) {
    EXPECT_EQ(Render("x<b>y</b><font color=red>z"), "x[b]y[/b][font color=red]z");
    EXPECT_EQ(Render("<a <b>"), "[a <b]");
    EXPECT_EQ(Render("<>"), "[]");
}

TEST(Tokens, ALessThanWithoutGreaterThanIsSkipped) {
    const auto tokens = Tokens("ab<cd");
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0].text, "ab");
    EXPECT_EQ(tokens[1].type, TokenType::Tag);
    EXPECT_EQ(tokens[1].text, "");
    EXPECT_EQ(tokens[2].text, "cd");
    EXPECT_EQ(Render("<"), "[]");
    EXPECT_EQ(Render("x<<"), "x<");
}

TEST(Tokens, EmptyTextHasNoTokens) {
    EXPECT_TRUE(Tokens("").empty());
}

TEST(TextTransform, ChangesCaseAsAsked) {
    EXPECT_EQ(TransformText("Hello wORLD \xE9", TextTransform::None), "Hello wORLD \xE9");
    EXPECT_EQ(TransformText("Hello wORLD \xE9", TextTransform::Upper), "HELLO WORLD \xC9");
    EXPECT_EQ(TransformText("Hello wORLD \xC9", TextTransform::Lower), "hello world \xE9");
    EXPECT_EQ(TransformText("hELLO  wORLD-x \xE9t\xE9 1a", TextTransform::Capitalize),
              "Hello  World-x \xE9t\xE9 1a");
}

}  // namespace
}  // namespace dbx::markup
