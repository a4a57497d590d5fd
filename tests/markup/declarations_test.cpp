// Style declarations and their properties.
#include <gtest/gtest.h>

#include "declarations.h"

namespace dbx::markup {
namespace {

class Declarations : public testing::Test {
  protected:
    ColorNames names{SystemColors::Classic()};
    StyleState state;
    void Apply(std::string_view text) {
        ApplyDeclarations(text, state, ValueReader{names, std::nullopt, {9, 19, 96}});
    }
};

TEST_F(Declarations, FontProperties) {
    Apply("font-size: 10pt; font-family:Arial; font-style:italic; font-weight:bold");
    EXPECT_EQ(state.fontSize, 13);
    EXPECT_EQ(state.fontFace, "arial");  // the whole text is read in lower case
    EXPECT_TRUE(state.italic);
    EXPECT_EQ(state.fontWeight, 700);
    Apply("font-size:3; font-family:; font-style:bogus; font-weight:lighter");
    EXPECT_EQ(state.fontSize, 12);
    EXPECT_EQ(state.fontFace, "arial");
    EXPECT_TRUE(state.italic);
    EXPECT_EQ(state.fontWeight, 100);
    Apply("font-style:; font-weight:bolder");
    EXPECT_FALSE(state.italic);
    EXPECT_EQ(state.fontWeight, 900);
    Apply("font-style: oblique; font-weight: 0x12c");
    EXPECT_TRUE(state.italic);
    EXPECT_EQ(state.fontWeight, 300);
    Apply("font-weight:");
    EXPECT_EQ(state.fontWeight, 400);
}

TEST_F(Declarations, KeywordsSetUnknownOnesKeepAndEmptyOnesReset) {
    Apply("text-align:center; vertical-align:middle; text-transform:uppercase");
    EXPECT_EQ(state.horizontalAlign, HAlign::Center);
    EXPECT_EQ(state.verticalAlign, VAlign::Center);
    EXPECT_EQ(state.textTransform, TextTransform::Upper);
    Apply("text-align:justify; vertical-align:sideways; text-transform:shout");
    EXPECT_EQ(state.horizontalAlign, HAlign::Center);
    EXPECT_EQ(state.verticalAlign, VAlign::Center);
    EXPECT_EQ(state.textTransform, TextTransform::Upper);
    Apply("text-align:; vertical-align:; text-transform:");
    EXPECT_EQ(state.horizontalAlign, HAlign::Left);
    EXPECT_EQ(state.verticalAlign, VAlign::Baseline);
    EXPECT_EQ(state.textTransform, TextTransform::None);
}

TEST_F(Declarations, ColoursAndBackground) {
    Apply("color:#FF9900; background-color:#fbedbb");
    EXPECT_EQ(state.textColor, 0x0099FFu);
    EXPECT_EQ(state.backgroundMode, BkMode::Opaque);
    EXPECT_EQ(state.backgroundColor, 0xBBEDFBu);
    Apply("background-color:transparent; color:nonsense");
    EXPECT_EQ(state.backgroundMode, BkMode::Transparent);
    EXPECT_EQ(state.backgroundColor, 0xBBEDFBu);
    EXPECT_EQ(state.textColor, 0x0099FFu);
    Apply("background-color:Navy");
    EXPECT_EQ(state.backgroundMode, BkMode::Opaque);
    EXPECT_EQ(state.backgroundColor, 0x800000u);
    Apply("background-color:");
    EXPECT_EQ(state.backgroundMode, BkMode::Transparent);
}

TEST_F(Declarations, TextDecorationListSetsAndClearsFlags) {
    Apply("text-decoration: underline, overline line-through");
    EXPECT_TRUE(state.underline && state.overline && state.strikeout);
    Apply("text-decoration:none underline");
    EXPECT_TRUE(state.underline);
    EXPECT_FALSE(state.overline || state.strikeout);
    Apply("text-decoration:");
    EXPECT_FALSE(state.underline);
    Apply("text-decoration:blink");
    EXPECT_FALSE(state.underline || state.overline || state.strikeout);
}

TEST_F(Declarations, BorderWidthAndStyleKeepEachOtherConsistent) {
    Apply("border-style:dashed");
    EXPECT_EQ(state.borderStyle, 2);
    EXPECT_EQ(state.borderWidth, 1);
    Apply("border-width:8");
    EXPECT_EQ(state.borderWidth, 8);
    Apply("border-width:thin");
    EXPECT_EQ(state.borderWidth, 6);
    Apply("size:thick");
    EXPECT_EQ(state.borderWidth, 8);  // 7.5 rounded
    Apply("border-width:medium");
    EXPECT_EQ(state.borderWidth, 8);
    Apply("border-width:0");
    EXPECT_EQ(state.borderStyle, 0);
    Apply("border-width:3px");
    EXPECT_EQ(state.borderStyle, 1);
    Apply("border-style:double");
    EXPECT_EQ(state.borderStyle, 6);
    EXPECT_EQ(state.borderWidth, 3);
    Apply("border-style:groovy");
    EXPECT_EQ(state.borderStyle, 6);
    Apply("border-style:none");
    EXPECT_EQ(state.borderStyle, 0);
    EXPECT_EQ(state.borderWidth, 3);
    Apply("border-style:dotted");
    EXPECT_EQ(state.borderStyle, 3);
    Apply("border-style:solid");
    EXPECT_EQ(state.borderStyle, 1);
}

TEST_F(Declarations, BorderColourMarginAndPadding) {
    state.borderColorLight = 1;
    state.borderColorDark = 2;
    Apply("border-color:bogus");
    EXPECT_EQ(state.borderColorLight, 1u);
    EXPECT_EQ(state.borderColorDark, 2u);
    Apply("border-color:red; margin:5; padding:1em");
    EXPECT_EQ(state.borderColorLight, 0x0000FFu);
    EXPECT_EQ(state.borderColorDark, 0x0000FFu);
    EXPECT_EQ(state.cellPadding, 5);
    EXPECT_EQ(state.cellSpacing, 19);
}

TEST_F(Declarations, LooseSyntaxIsReadWithoutHarm) {
    Apply("  COLOR : Red ;;; unknown-thing: 5; no colon here; font-size:20px; ");
    EXPECT_EQ(state.textColor, 0x0000FFu);
    EXPECT_EQ(state.fontSize, 20);
    Apply("color:blue");  // no closing semicolon
    EXPECT_EQ(state.textColor, 0xFF0000u);
    const StyleState before = state;
    Apply("");
    Apply(":;:;");
    Apply("color");
    EXPECT_EQ(state, before);
}

}  // namespace
}  // namespace dbx::markup
