// Tag lookup, attributes, the style stack and what style tags do to the state.
#include <gtest/gtest.h>

#include "markup_language.h"
#include "markup_tags.h"

namespace dbx::markup {
namespace {

TEST(TagLookup, AliasesShareKindAndCanonicalName) {
    const struct {
        const char* name;
        TagKind kind;
        const char* canonical;
    } cases[] = {
        {"b", TagKind::Bold, "bold"},
        {"em", TagKind::Italic, "italic"},
        {"strike", TagKind::Strikeout, "strikeout"},
        {"middle", TagKind::VCenter, "vcenter"},
        {"bottom", TagKind::Bottom, "vcenter"},
        {"a", TagKind::Link, "link"},
        {"\n", TagKind::Break, ""},
        {"\t", TagKind::Tab, ""},
        {"hr", TagKind::Rule, ""},
        {"ilst", TagKind::ImageList, ""},
        {"h6", TagKind::SheetRule, "h6"},
        {"sup", TagKind::SheetRule, "sup"},
        {"justify", TagKind::Justify, "justify"},
        {"span", TagKind::Span, "span"},
    };
    for (const auto& c : cases) {
        const TagInfo info = LookupTag(c.name);
        EXPECT_EQ(info.kind, c.kind) << c.name;
        EXPECT_EQ(info.canonical, c.canonical) << c.name;
    }
}

TEST(TagLookup, UnknownNamesIncludeUpperCaseAndTableTags) {
    for (const char* name : {"B", "Font", "p", "table", "td", "tr", "h7", "", " b", "b/"}) {
        EXPECT_EQ(LookupTag(name).kind, TagKind::Unknown) << name;
    }
}

TEST(TagLookup, SplitsNameClosingSlashAndAttributes) {
    const TagInfo font = LookupTag("font   color=red size=3");
    EXPECT_EQ(font.name, "font");
    EXPECT_EQ(font.attributes, "color=red size=3");
    const TagInfo closing = LookupTag("/em");
    EXPECT_TRUE(closing.closing);
    EXPECT_EQ(closing.kind, TagKind::Italic);
    EXPECT_EQ(closing.canonical, "italic");
    const TagInfo br = LookupTag("br=3");
    EXPECT_EQ(br.kind, TagKind::Break);
    EXPECT_EQ(br.attributes, "=3");
}

std::vector<Attribute> Attributes(std::string_view text) {
    std::vector<Attribute> out;
    std::size_t pos = 0;
    while (auto a = NextAttribute(text, pos)) out.push_back(*a);
    return out;
}

TEST(Attributes, ReadQuotedUnquotedAndBareValues) {
    const auto attrs =
        Attributes("face=\"Courier New\" size = 3 href='a b' nowrap  color=#ff0000 x=a=b");
    ASSERT_EQ(attrs.size(), 6u);
    EXPECT_EQ(attrs[0].name, "face");
    EXPECT_EQ(attrs[0].value, "Courier New");
    EXPECT_EQ(attrs[1].name, "size");
    EXPECT_EQ(attrs[1].value, "3");
    EXPECT_EQ(attrs[2].value, "a b");
    EXPECT_EQ(attrs[3].name, "nowrap");
    EXPECT_EQ(attrs[3].value, "");
    EXPECT_EQ(attrs[4].value, "#ff0000");
    EXPECT_EQ(attrs[5].value, "a=b");
}

TEST(Attributes, SkipLeadingJunkAndSurviveAnUnclosedQuote) {
    const auto attrs = Attributes("  ,;\"  .x=1 msg=\"never closed");
    ASSERT_EQ(attrs.size(), 2u);
    EXPECT_EQ(attrs[0].name, ".x");
    EXPECT_EQ(attrs[0].value, "1");
    EXPECT_EQ(attrs[1].value, "never closed");
    EXPECT_TRUE(Attributes("").empty());
    EXPECT_TRUE(Attributes(" = \"\" ").empty());
}

TEST(TagCount, SkipsOneCharacterAfterTheName) {
    const FontMeasures m;
    EXPECT_EQ(TagCount(LookupTag("br=3"), m), 3);
    EXPECT_EQ(TagCount(LookupTag("br 3"), m), 1);
    EXPECT_EQ(TagCount(LookupTag("br"), m), 1);
    EXPECT_EQ(TagCount(LookupTag("t=2"), m), 2);
    EXPECT_EQ(TagCount(LookupTag("br=0x4"), m), 4);
}

class StyleTags : public testing::Test {
  protected:
    MarkupLanguage language{SystemColors::Classic()};
    StyleStack stack;
    StyleState state;
    FontMeasures measures{9, 19, 96};

    // Feeds the tag texts in order; returns how many asked to act at their position.
    int Feed(std::initializer_list<const char*> tags, bool hovered = false) {
        int acting = 0;
        for (const char* t : tags) {
            acting += language.HandleTag(LookupTag(t), stack, state, measures, hovered);
        }
        return acting;
    }
};

TEST_F(StyleTags, ClosingTagsCloseOnlyTheInnermostOpenTagOfTheirName) {
    Feed({"b", "i"});
    const StyleState xy = state;
    EXPECT_EQ(xy.tagName, "italic");
    EXPECT_EQ(xy.fontWeight, 800);
    EXPECT_TRUE(xy.italic);
    Feed({"/b"});  // top is italic: ignored
    EXPECT_EQ(state, xy);
    Feed({"/i"});
    EXPECT_EQ(state.fontWeight, 800);
    EXPECT_FALSE(state.italic);
    Feed({"/b"});
    EXPECT_EQ(state, StyleState{});
    EXPECT_EQ(stack.Depth(), 0u);
}

TEST_F(StyleTags, SharedCanonicalNamesCloseEachOther) {
    Feed({"i", "/em"});
    EXPECT_FALSE(state.italic);
    Feed({"vcenter"});
    EXPECT_EQ(state.verticalAlign, VAlign::Center);
    Feed({"/bottom"});
    EXPECT_EQ(state.verticalAlign, VAlign::Baseline);
    Feed({"strike", "/s"});
    EXPECT_FALSE(state.strikeout);
}

TEST_F(StyleTags, UnknownAndPositionTagsLeaveTheStackAlone) {
    EXPECT_EQ(Feed({"B", "p", "/b", "/br", "/hr"}), 0);
    EXPECT_EQ(state, StyleState{});
    EXPECT_EQ(Feed({"br", "t=2", "hr", "bmp idres=5", "icon", "ilst", "string idres=1"}), 7);
    EXPECT_EQ(stack.Depth(), 0u);
    EXPECT_EQ(state, StyleState{});
}

TEST_F(StyleTags, BoldDoublesTheWeightUpTo900) {
    Feed({"b"});
    EXPECT_EQ(state.fontWeight, 800);
    Feed({"b"});
    EXPECT_EQ(state.fontWeight, 900);
    state.fontWeight = 100;
    Feed({"b"});
    EXPECT_EQ(state.fontWeight, 200);
    state.fontWeight = 2000000000;
    Feed({"b"});
    EXPECT_EQ(state.fontWeight, 900);
}

TEST_F(StyleTags, FlagsToggleAndAlignmentsSet) {
    Feed({"u", "u", "s", "i", "center", "right", "justify", "bottom"});
    EXPECT_FALSE(state.underline);
    EXPECT_TRUE(state.strikeout && state.italic);
    EXPECT_EQ(state.horizontalAlign, HAlign::Justify);
    EXPECT_EQ(state.verticalAlign, VAlign::Bottom);
    Feed({"/vcenter", "/justify", "/right"});
    EXPECT_EQ(state.horizontalAlign, HAlign::Center);
    EXPECT_EQ(state.verticalAlign, VAlign::Baseline);
}

TEST_F(StyleTags, FontAttributesSetFaceSizeColourWeightAndBackground) {
    Feed({"font face=Arial size=3 color=#ff9900 weight=bold bkgnd=yellow"});
    EXPECT_EQ(state.fontFace, "Arial");
    EXPECT_EQ(state.fontSize, 12);
    EXPECT_EQ(state.textColor, 0x0099FFu);
    EXPECT_EQ(state.fontWeight, 700);
    EXPECT_EQ(state.backgroundMode, BkMode::Opaque);
    EXPECT_EQ(state.backgroundColor, 0x00FFFFu);
    Feed({"font size=+3 color=#fff bkgnd=transparent"});
    EXPECT_EQ(state.fontSize, 12);
    EXPECT_EQ(state.textColor, 0x0099FFu);  // malformed colour keeps the previous one
    EXPECT_EQ(state.backgroundMode, BkMode::Transparent);
    Feed({"font size=12 color=255 face=\"Courier New\""});
    EXPECT_EQ(state.fontSize, 12);
    EXPECT_EQ(state.textColor, 0x0000FFu);
    EXPECT_EQ(state.fontFace, "Courier New");
    Feed({"font size=150% bkgnd"});
    EXPECT_EQ(state.fontSize, 18);
    EXPECT_EQ(state.backgroundMode, BkMode::Transparent);
}

TEST_F(StyleTags, LaterAttributesOverrideEarlierOnes) {
    Feed({"font color=red size=7 color=blue"});
    EXPECT_EQ(state.textColor, 0xFF0000u);
    EXPECT_EQ(state.fontSize, 36);
    Feed({"font style=b style=i"});
    EXPECT_EQ(state.fontWeight, 400);
    EXPECT_TRUE(state.italic);
}

TEST_F(StyleTags, StyleLettersTurnAttributesOnAndOff) {
    Feed({"font style=buso"});
    EXPECT_EQ(state.fontWeight, 700);
    EXPECT_TRUE(state.underline && state.strikeout && state.overline);
    Feed({"font style=-b+i-u"});
    EXPECT_EQ(state.fontWeight, 400);
    EXPECT_TRUE(state.italic);
    EXPECT_FALSE(state.underline);
    state = StyleState{};
    Feed({"font style=-xs-?o"});  // a sign applies to the next character only
    EXPECT_TRUE(state.strikeout);
    EXPECT_TRUE(state.overline);
}

TEST_F(StyleTags, SheetTagsApplyTheirRuleAndSpanItsClass) {
    Feed({"h2"});
    EXPECT_EQ(state.fontSize, 17);  // 13pt at 96 per inch
    EXPECT_EQ(state.textColor, 0x0099FFu);
    EXPECT_EQ(state.fontWeight, 700);
    Feed({"/h2", "span class=cpp-comment"});
    EXPECT_EQ(state.textColor, 0x008000u);
    EXPECT_TRUE(state.italic);
    Feed({"/span", "span class=nothing"});
    EXPECT_EQ(state.textColor, 0u);
    EXPECT_EQ(stack.Depth(), 1u);
}

TEST_F(StyleTags, LinksTakeTheirTargetAndTheLinkOrHoverRule) {
    Feed({"a href=\"http://example.org/x\""});
    EXPECT_EQ(state.linkKind, LinkKind::Hyperlink);
    EXPECT_EQ(state.linkTarget, "http://example.org/x");
    EXPECT_EQ(state.textColor, 0xFF0000u);
    EXPECT_FALSE(state.underline);
    Feed({"/a"});
    EXPECT_EQ(state.linkKind, LinkKind::None);
    Feed({"a msg=details"}, true);
    EXPECT_EQ(state.linkKind, LinkKind::Message);
    EXPECT_EQ(state.linkTarget, "details");
    EXPECT_TRUE(state.underline);
}

TEST_F(StyleTags, MonochromeModeGivesEveryColourTheFixedOne) {
    language.SetColorMode(false);
    EXPECT_EQ(language.FixedColor(), SystemColors::Classic().Get(kColorBtnShadow));
    language.SetFixedColor(0x123456);
    Feed({"font color=red bkgnd=blue", "h2"});
    EXPECT_EQ(state.textColor, 0x123456u);
    EXPECT_EQ(state.backgroundColor, 0x123456u);
    EXPECT_EQ(language.ParseColor("", 0), 0x123456u);
}

}  // namespace
}  // namespace dbx::markup
