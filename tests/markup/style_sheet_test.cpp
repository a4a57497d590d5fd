// The style sheet, its syntax and the built-in rules.
#include <gtest/gtest.h>

#include "markup_language.h"
#include "style_sheet.h"

namespace dbx::markup {
namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// What each rule does is checked by the rules' own tests below; here, the sheet's shape.
TEST(BuiltInSheet, IsSeventeenRulesOnLinesEndingInCrLfThatTheSheetReadsAsWritten) {
    const std::string text(BuiltInStyleSheet());
    const StyleSheet sheet;
    EXPECT_EQ(sheet.Rules().size(), 17u);
    std::size_t lines = 0;
    for (std::size_t at = 0; at < text.size(); ++lines) {
        const std::size_t end = text.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << "a rule without CR LF: " << text.substr(at);
        const std::string line = text.substr(at, end - at);
        at = end + 2;
        const std::size_t open = line.find('{');
        ASSERT_NE(open, std::string::npos) << line;
        ASSERT_EQ(line.back(), '}') << line;
        const std::string selector = Trimmed(line.substr(0, open));
        ASSERT_NE(sheet.Find(selector), nullptr) << selector;
        EXPECT_EQ(Trimmed(*sheet.Find(selector)),
                  Trimmed(line.substr(open + 1, line.size() - open - 2)))
            << selector;
    }
    EXPECT_EQ(lines, 17u);
    for (const char* selector : {"body", "h1", "h6", "pre", "a:link", "a:hover", ".cpp-comment"}) {
        EXPECT_NE(sheet.Find(selector), nullptr) << selector;
    }
}

TEST(StyleSheet, SelectorsAreFoundInAnyCase) {
    const StyleSheet sheet;
    EXPECT_NE(sheet.Find("BODY"), nullptr);
    EXPECT_NE(sheet.Find("H1"), nullptr);
    EXPECT_EQ(sheet.Find("h7"), nullptr);
    EXPECT_EQ(sheet.Find(""), nullptr);
}

TEST(StyleSheet, SettingATextReplacesTheSheetAndNothingRestoresIt) {
    StyleSheet sheet;
    sheet.Set("Warn {color:red} warn{color:blue}\n.x{font-size:2}  {color:green} y");
    EXPECT_EQ(sheet.Rules().size(), 2u);
    ASSERT_NE(sheet.Find("warn"), nullptr);
    EXPECT_EQ(*sheet.Find("warn"), "color:blue");  // the later rule wins
    EXPECT_EQ(*sheet.Find(".x"), "font-size:2");
    EXPECT_EQ(sheet.Find("body"), nullptr);
    sheet.Set(std::nullopt);
    EXPECT_EQ(sheet.Rules().size(), 17u);
}

TEST(StyleSheet, AnUnclosedRuleRunsToTheEnd) {
    StyleSheet sheet;
    sheet.Set("a {color:red");
    ASSERT_NE(sheet.Find("a"), nullptr);
    EXPECT_EQ(*sheet.Find("a"), "color:red");
    sheet.Set("");
    EXPECT_TRUE(sheet.Rules().empty());
}

class BuiltInRules : public testing::Test {
  protected:
    MarkupLanguage language{SystemColors::Classic()};
    StyleState Rule(std::string_view selector, StyleState state = {}) {
        EXPECT_TRUE(language.ApplyRule(selector, state, {9, 19, 96})) << selector;
        return state;
    }
};

TEST_F(BuiltInRules, BodyHeadingsAndPreformattedText) {
    const StyleState body = Rule("body");
    EXPECT_EQ(body.fontSize, 13);
    EXPECT_EQ(body.fontFace, "verdana");
    EXPECT_EQ(body.textColor, 0u);
    const StyleState h3 = Rule("h3");
    EXPECT_EQ(h3.fontSize, 16);
    EXPECT_EQ(h3.fontFace, "arial");
    EXPECT_EQ(h3.textColor, 0x0099FFu);
    EXPECT_EQ(h3.fontWeight, 700);
    const StyleState h6 = Rule("h6", body);
    EXPECT_EQ(h6.fontSize, 8);  // 65 % of 13
    EXPECT_EQ(h6.textColor, 0x626262u);
    EXPECT_EQ(h6.fontWeight, 400);
    const StyleState pre = Rule("pre");
    EXPECT_EQ(pre.fontSize, 12);
    EXPECT_EQ(pre.fontFace, "\"courier\"");  // quotes kept
    EXPECT_EQ(pre.backgroundMode, BkMode::Opaque);
    EXPECT_EQ(pre.backgroundColor, 0xBBEDFBu);
}

TEST_F(BuiltInRules, RelativeSizesAndScriptAlignment) {
    StyleState base;
    base.fontSize = 20;
    EXPECT_EQ(Rule("big", base).fontSize, 25);
    EXPECT_EQ(Rule("small", base).fontSize, 15);
    EXPECT_EQ(Rule("sub", base).fontSize, 13);
    EXPECT_EQ(Rule("sub", base).verticalAlign, VAlign::Bottom);
    EXPECT_EQ(Rule("sup", base).verticalAlign, VAlign::Top);
    EXPECT_EQ(Rule("code").textColor, 0x000099u);
    EXPECT_EQ(Rule("p").fontWeight, 700);
}

TEST_F(BuiltInRules, ACustomSheetIsUsedByTags) {
    language.SetStyleSheet("h1 {color:red}");
    StyleState state;
    EXPECT_FALSE(language.ApplyRule("body", state, {}));
    EXPECT_EQ(state, StyleState{});
    EXPECT_EQ(Rule("h1").textColor, 0x0000FFu);
    language.SetStyleSheet(std::nullopt);
    EXPECT_EQ(Rule("h1").fontWeight, 700);
}

}  // namespace
}  // namespace dbx::markup
