// What a box resolves from its options beyond the button sets: extra buttons, texts, cancel.
#include <gtest/gtest.h>

#include <QWidget>

#include "message_box_content.h"
#include "resource_registry.h"

namespace dbx {
namespace {

MessageBoxOptions WithStyle(unsigned style) {
    MessageBoxOptions options;
    options.caption = "Caption";
    options.text = "Text";
    options.style = style;
    return options;
}

std::vector<int> Ids(const MessageBoxContent& content) {
    std::vector<int> ids;
    for (const BoxButton& b : content.buttons) ids.push_back(b.id);
    return ids;
}

TEST(MessageBoxContent, HelpReportAndMoreFollowTheSetInThisOrder) {
    QWidget owner;
    MessageBoxOptions options = WithStyle(kMbYesNo | kMbHelp);
    options.reportMessage = 0x8100;
    options.moreText = "Details";
    EXPECT_EQ(Ids(ResolveContent(options)), (std::vector<int>{6, 7, 9, 31}));  // no owner
    options.owner = &owner;
    const MessageBoxContent content = ResolveContent(options);
    EXPECT_EQ(Ids(content), (std::vector<int>{6, 7, 9, 21, 31}));
    EXPECT_EQ(content.buttons.back().label, "More >>");
    EXPECT_EQ(content.buttons.back().openLabel, "<< More");
}

TEST(MessageBoxContent, ABoxWithoutAClosingButtonCanBeCancelled) {
    EXPECT_TRUE(ResolveContent(WithStyle(0xA)).cancelAllowed);
    EXPECT_TRUE(ResolveContent(WithStyle(0xA | kMbHelp)).cancelAllowed);
    MessageBoxOptions custom = WithStyle(0xA);
    custom.customButtons = "Go";
    EXPECT_FALSE(ResolveContent(custom).cancelAllowed);
}

TEST(MessageBoxContent, TextsFromIdsAndTheirEmptyCases) {
    ResourceRegistry strings;
    strings.AddString(700, "From the table");
    strings.AddString(9012, "Table check label");
    MessageBoxOptions options = WithStyle(kMbCheckBox);
    options.stringModule = &strings;
    options.caption = TextOrId::Id(700);
    options.text = TextOrId::Id(701);  // not in the table
    options.headerText = "Header";     // no band: not resolved
    options.moreArea.separatorCaption = "Details";
    options.buttonsArea.separatorCaption = "Unused";  // no separator: not resolved
    MessageBoxContent content = ResolveContent(options);
    EXPECT_EQ(content.caption, "From the table");
    EXPECT_EQ(content.body, "");
    EXPECT_EQ(content.header, "");
    EXPECT_EQ(content.moreSeparatorCaption, "Details");
    EXPECT_EQ(content.buttonsSeparatorCaption, "");
    EXPECT_TRUE(content.checkBox);
    EXPECT_EQ(content.checkBoxLabel, "Table check label");
    EXPECT_EQ(content.countdownFormat, "%s (%d seconds remaining)");

    options.style |= kMbNoResources;
    options.checkBoxLabel = "Keep quiet";
    content = ResolveContent(options);
    EXPECT_EQ(content.caption, "");
    EXPECT_EQ(content.checkBoxLabel, "Keep quiet");
}

}  // namespace
}  // namespace dbx
