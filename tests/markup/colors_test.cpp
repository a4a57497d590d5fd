// Colour values and names.
#include <gtest/gtest.h>

#include <QColor>

#include "effect_names.h"
#include "markup_colors.h"

namespace dbx::markup {
namespace {

constexpr ColorRef kPrevious = 0x010203;

class Colors : public testing::Test {
  protected:
    ColorNames names{SystemColors::Classic()};
    ColorRef Parse(std::string_view v) const { return ParseColor(v, kPrevious, names); }
};

TEST_F(Colors, HashFormNeedsExactlySixHexDigits) {
    EXPECT_EQ(Parse("#ff9900"), MakeColorRef(0xFF, 0x99, 0x00));
    EXPECT_EQ(Parse("#FF9900"), MakeColorRef(0xFF, 0x99, 0x00));
    EXPECT_EQ(Parse("#fff"), kPrevious);
    EXPECT_EQ(Parse("#ff99001"), kPrevious);
    EXPECT_EQ(Parse("#gg9900"), kPrevious);
    EXPECT_EQ(Parse("#"), kPrevious);
}

TEST_F(Colors, NumbersAreColourRefsWithAutomaticBase) {
    EXPECT_EQ(Parse("255"), 0x0000FFu);
    EXPECT_EQ(Parse("0xff0000"), 0xFF0000u);
    EXPECT_EQ(Parse("0377"), 0x0000FFu);
    EXPECT_EQ(Parse("0"), 0u);
    EXPECT_EQ(Parse("0x7fffffff"), 0xFFFFFFu);  // only the colour bytes are kept
}

TEST_F(Colors, EmptyAndUnknownKeepThePreviousColour) {
    EXPECT_EQ(Parse(""), kPrevious);
    EXPECT_EQ(Parse("notacolour"), kPrevious);
    EXPECT_EQ(Parse("Red"), kPrevious);
    EXPECT_EQ(Parse(" red"), kPrevious);
}

TEST_F(Colors, OnlyTheListedGreySpellingsExist) {
    EXPECT_EQ(Parse("lightgrey"), MakeColorRef(0xD3, 0xD3, 0xD3));
    EXPECT_EQ(Parse("lightgray"), kPrevious);
    EXPECT_EQ(Parse("grey"), kPrevious);
    EXPECT_EQ(Parse("darkgrey"), kPrevious);
    EXPECT_EQ(Parse("darkslategray"), MakeColorRef(0x2F, 0x4F, 0x4F));
}

TEST_F(Colors, WebNamesHaveTheirCssValues) {
    // Qt knows the same keywords (but none of the system names); its values serve as an
    // independent reference.
    int webNames = 0;
    for (const auto& [name, value] : names.Entries()) {
        const QColor reference = QColor::fromString(QLatin1String(name.c_str()));
        if (!reference.isValid()) continue;
        ++webNames;
        EXPECT_EQ(value, FromQColor(reference)) << name;
    }
    EXPECT_EQ(webNames, 140);
}

TEST_F(Colors, SystemNamesTakeTheSampledSystemColours) {
    SystemColors system = SystemColors::Classic();
    system.Set(kColorBtnFace, 0xABCDEF);
    system.Set(kColorInfoBk, 0x111111);
    const ColorNames sampled(system);
    EXPECT_EQ(sampled.Entries().size(), 140u + 28u);
    EXPECT_EQ(ParseColor("buttonface", 0, sampled), 0xABCDEFu);
    EXPECT_EQ(ParseColor("threedface", 0, sampled), 0xABCDEFu);
    EXPECT_EQ(ParseColor("infobackground", 0, sampled), 0x111111u);
    EXPECT_EQ(ParseColor("threeddarkshadow", 0, sampled), system.Get(kColor3dDkShadow));
    EXPECT_EQ(ParseColor("scrollbar", 0, sampled), system.Get(kColorScrollBar));
    EXPECT_EQ(ParseColor("windowframe", 0, sampled), system.Get(kColorWindowFrame));
    EXPECT_EQ(ParseColor("inactivecaptiontext", 0, sampled), system.Get(kColorInactiveCaptionText));
}

TEST(EffectNames, NamesNumbersAndFallbacks) {
    const FontMeasures m;
    EXPECT_EQ(ParseEffect("transparent", 3, m), -1);
    EXPECT_EQ(ParseEffect("solid", 3, m), 0);
    EXPECT_EQ(ParseEffect("3hgradient", 0, m), 5);
    EXPECT_EQ(ParseEffect("vbump", 0, m), 12);
    EXPECT_EQ(ParseEffect("metal", 0, m), 15);
    EXPECT_EQ(ParseEffect("", 7, m), 7);
    EXPECT_EQ(ParseEffect("9", 7, m), 9);
    EXPECT_EQ(ParseEffect("VBUMP", 7, m), 0);
    for (int n = -1; n <= 15; ++n) EXPECT_EQ(EffectNumber(EffectName(n)), n);
    EXPECT_EQ(EffectName(16), "");
    EXPECT_EQ(EffectName(-2), "");
}

}  // namespace
}  // namespace dbx::markup
