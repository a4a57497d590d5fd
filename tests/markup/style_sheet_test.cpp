// The style sheet, its syntax and the built-in rules.
#include <gtest/gtest.h>

#include "markup_language.h"
#include "style_sheet.h"

namespace dbx::markup {
namespace {

TEST(BuiltInSheet, IsTheSeventeenRulesEachEndingInCrLf) {
    const std::string expected =
        "body {font-size: 10pt; color:black; font-family:Verdana}\r\n"
        "p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
        "h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
        "h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
        "h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}\r\n"
        "h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
        "h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
        "h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}\r\n"
        "pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}\r\n"
        "code {color:#990000; font-family:Arial}\r\n"
        "a:link {text-decoration:none; color:blue}\r\n"
        "a:hover {text-decoration:underline; color:blue}\r\n"
        "sub {font-size:65%; vertical-align:bottom}\r\n"
        "sup {font-size:65%; vertical-align:top}\r\n"
        "big {font-size:125%}\r\n"
        "small {font-size:75%}\r\n"
        ".cpp-comment {color:green; font-style:italic}\r\n";
    EXPECT_EQ(BuiltInStyleSheet(), expected);
    const StyleSheet sheet;
    EXPECT_EQ(sheet.Rules().size(), 17u);
    ASSERT_NE(sheet.Find("a:hover"), nullptr);
    EXPECT_EQ(*sheet.Find("a:hover"), "text-decoration:underline; color:blue");
    ASSERT_NE(sheet.Find(".cpp-comment"), nullptr);
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
