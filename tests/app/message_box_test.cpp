// The message box's interface: defaults, the application style, buttons and the test seam.
#include <gtest/gtest.h>

#include "common/app_message.h"
#include "markup_message_box.h"
#include "resource_registry.h"
#include "system_colors.h"

namespace dbx {
namespace {

TEST(MessageBoxOptions, DefaultsAndTheApplicationStyle) {
    const MessageBoxOptions defaults;
    EXPECT_EQ(defaults.buttonAlignment, 2);
    EXPECT_EQ(defaults.style, 0x30u);
    EXPECT_EQ(defaults.windowArea.backgroundEffect, -1);
    EXPECT_EQ(defaults.windowArea.color1, GetSysColor(kColorBtnFace));
    EXPECT_TRUE(defaults.text.IsNull());

    const MessageBoxOptions app = AppMessageStyle();
    EXPECT_EQ(app.windowArea.separatorStyle, 0);
    EXPECT_EQ(app.windowArea.separatorCaptionAlignment, 2);
    EXPECT_TRUE(app.windowArea.separatorCaption.IsNull());
    EXPECT_EQ(app.windowArea.backgroundEffect, 12);
    EXPECT_EQ(app.windowArea.color1, 0x86FDF7u);
    EXPECT_EQ(app.windowArea.color2, 0xFFFFFFu);
    EXPECT_EQ(app.windowArea.color3, 0x86FDF7u);
    // Everything else keeps its default.
    EXPECT_EQ(app.headerArea.backgroundEffect, -1);
    EXPECT_EQ(app.buttonAlignment, 2);
    EXPECT_TRUE(app.moreText.IsNull());
}

TEST(TextOrId, TextsAndResourceIds) {
    ResourceRegistry strings;
    strings.AddString(9001, "Fine");
    EXPECT_EQ(TextOrId("abc").Resolve(&strings), "abc");
    EXPECT_EQ(TextOrId::Id(9001).Resolve(&strings), "Fine");
    EXPECT_EQ(TextOrId::Id(9001).Resolve(&strings, /*noResources=*/true), "");
    EXPECT_EQ(TextOrId::Id(4).Resolve(&strings), "");
    EXPECT_EQ(TextOrId(static_cast<const char*>(nullptr)).Resolve(&strings), "");
    EXPECT_TRUE(TextOrId(static_cast<const char*>(nullptr)).IsNull());
}

TEST(MessageBoxButtons, SetsAndDefaultButton) {
    EXPECT_EQ(StyleButtons(0x40), std::vector<int>{1});
    EXPECT_EQ(StyleButtons(0x24), (std::vector<int>{6, 7}));
    EXPECT_EQ(StyleButtons(0x3 | kMbYesToAll | kMbNoToAll), (std::vector<int>{6, 19, 7, 20, 2}));
    EXPECT_TRUE(StyleButtons(0xC).empty());
    EXPECT_EQ(DefaultButtonId(0x24), 6);
    EXPECT_EQ(DefaultButtonId(0x124), 7);
    EXPECT_EQ(DefaultButtonId(0x324), 6);  // beyond the last button: the first
}

TEST(MessageBoxTestSeam, RecordsBoxesAndAnswersThem) {
    MessageBoxTestSeam seam;
    seam.Answer(7);
    MessageBoxOptions options = AppMessageStyle();
    options.moreText = "more";
    EXPECT_EQ(ShowMarkupMessageBox(nullptr, "<b>Sure?</b>", "Title", 0x24, &options), 7);
    // Without a queued answer the default button answers.
    EXPECT_EQ(ShowMarkupMessageBox(nullptr, "Note", "Title ", 0x40, nullptr), 1);
    ASSERT_EQ(seam.Shown().size(), 2u);
    EXPECT_EQ(seam.Shown()[0].text, "<b>Sure?</b>");
    EXPECT_EQ(seam.Shown()[0].caption, "Title");
    EXPECT_EQ(seam.Shown()[0].style, 0x24u);
    EXPECT_EQ(seam.Shown()[0].options.moreText.Text(), "more");
    EXPECT_EQ(seam.Shown()[0].options.text.Text(), "<b>Sure?</b>");
    EXPECT_EQ(seam.Shown()[0].options.style, 0x24u);
    EXPECT_EQ(seam.Shown()[1].caption, "Title ");
    {
        MessageBoxTestSeam inner;
        ShowMarkupMessageBox(nullptr, "inner", "c", 0, nullptr);
        EXPECT_EQ(inner.Shown().size(), 1u);
    }
    ShowMarkupMessageBox(nullptr, "outer again", "c", 0, nullptr);
    EXPECT_EQ(seam.Shown().size(), 3u);
}

}  // namespace
}  // namespace dbx
