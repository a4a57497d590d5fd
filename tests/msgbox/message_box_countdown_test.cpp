// Countdowns, driven tick by tick: auto-close on the default button, disabling in the caption or
// on the default button.
#include <gtest/gtest.h>

#include <QTest>

#include "message_box_driver.h"

namespace dbx {
namespace {

using test::Label;
using test::Options;
using test::ShowBox;

TEST(MessageBoxCountdown, ATimerOfOneSecondRunsOnlyWithACountdown) {
    MessageBoxOptions options = Options("Text", kMbOk);
    MessageBoxDialog plain(options);
    EXPECT_FALSE(plain.CountdownTimer().isActive());
    options.autoCloseSeconds = 5;
    MessageBoxDialog counting(options);
    EXPECT_TRUE(counting.CountdownTimer().isActive());
    EXPECT_EQ(counting.CountdownTimer().interval(), 1000);
}

TEST(MessageBoxCountdown, AutoCloseCountsDownOnOkAndPressesIt) {
    MessageBoxOptions options = Options("Text", kMbOk);
    options.autoCloseSeconds = 5;
    auto box = ShowBox(options);
    EXPECT_EQ(Label(*box, kIdOk), "OK = 5");
    EXPECT_TRUE(box->Button(kIdOk)->isEnabled());
    EXPECT_TRUE(box->Button(kIdOk)->isDefault());
    for (const char* expected : {"OK = 4", "OK = 3", "OK = 2", "OK = 1"}) {
        box->CountdownTick();
        EXPECT_EQ(Label(*box, kIdOk), expected);
        EXPECT_TRUE(box->isVisible());
    }
    box->CountdownTick();
    EXPECT_EQ(box->Answer(), kIdOk);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(Label(*box, kIdOk), "OK");
}

TEST(MessageBoxCountdown, DisableInTheCaptionHoldsEveryButtonButHelp) {
    MessageBoxOptions options = Options("Text", kMbOkCancel | kMbHelp);
    options.disableSeconds = 3;
    options.countdownInCaption = 1;
    auto box = ShowBox(options);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Caption (3 seconds remaining)"));
    EXPECT_FALSE(box->Button(kIdOk)->isEnabled());
    EXPECT_FALSE(box->Button(kIdCancel)->isEnabled());
    EXPECT_FALSE(box->Button(kIdOk)->isDefault());
    EXPECT_TRUE(box->Button(kIdHelp)->isEnabled());
    EXPECT_EQ(Label(*box, kIdOk), "OK");
    EXPECT_FALSE(box->CloseEnabled());
    // Neither Escape nor the close button gets round the wait.
    QTest::keyClick(box.get(), Qt::Key_Escape);
    box->close();
    EXPECT_TRUE(box->isVisible());

    box->CountdownTick();
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Caption (2 seconds remaining)"));
    box->CountdownTick();
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Caption (1 seconds remaining)"));
    EXPECT_FALSE(box->Button(kIdCancel)->isEnabled());
    box->CountdownTick();
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Caption"));
    EXPECT_TRUE(box->Button(kIdOk)->isEnabled());
    EXPECT_TRUE(box->Button(kIdCancel)->isEnabled());
    EXPECT_TRUE(box->Button(kIdOk)->isDefault());
    EXPECT_TRUE(box->CloseEnabled());
    EXPECT_TRUE(box->isVisible());  // disabling never closes
    QTest::keyClick(box.get(), Qt::Key_Escape);
    EXPECT_EQ(box->Answer(), kIdCancel);
}

TEST(MessageBoxCountdown, DisableOnTheDefaultButtonLeavesTheOthersEnabled) {
    MessageBoxOptions options = Options("Text", kMbOkCancel);
    options.disableSeconds = 2;
    auto box = ShowBox(options);
    EXPECT_EQ(Label(*box, kIdOk), "OK = 2");
    EXPECT_FALSE(box->Button(kIdOk)->isEnabled());
    EXPECT_FALSE(box->Button(kIdOk)->isDefault());
    EXPECT_TRUE(box->Button(kIdCancel)->isEnabled());
    EXPECT_TRUE(box->CloseEnabled());  // cancel allowed, and Cancel is not the waiting button
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Caption"));
    box->CountdownTick();
    EXPECT_EQ(Label(*box, kIdOk), "OK = 1");
    box->CountdownTick();
    EXPECT_EQ(Label(*box, kIdOk), "OK");
    EXPECT_TRUE(box->Button(kIdOk)->isEnabled());
    EXPECT_TRUE(box->Button(kIdOk)->isDefault());
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->CountdownTimer().isActive());
}

TEST(MessageBoxCountdown, WaitingCancelGreysCloseUntilTheEnd) {
    MessageBoxOptions options = Options("Text", kMbOkCancel | 0x100);  // Cancel is the default
    options.disableSeconds = 1;
    auto box = ShowBox(options);
    EXPECT_FALSE(box->CloseEnabled());
    EXPECT_FALSE(box->Button(kIdCancel)->isEnabled());
    QTest::keyClick(box.get(), Qt::Key_Escape);
    EXPECT_TRUE(box->isVisible());
    box->CountdownTick();
    EXPECT_TRUE(box->CloseEnabled());
    EXPECT_TRUE(box->Button(kIdCancel)->isEnabled());
}

TEST(MessageBoxCountdown, YesNoKeepsCloseGreyedAfterTheWait) {
    MessageBoxOptions options = Options("Text", kMbYesNo);
    options.disableSeconds = 1;
    auto box = ShowBox(options);
    EXPECT_FALSE(box->CloseEnabled());
    box->CountdownTick();
    EXPECT_FALSE(box->CloseEnabled());
    EXPECT_TRUE(box->Button(kIdYes)->isEnabled());
}

TEST(MessageBoxCountdown, HelpAsDefaultButtonStaysEnabledAndCounts) {
    MessageBoxOptions options = Options("Text", kMbOk | kMbHelp | 0x100);
    options.disableSeconds = 2;
    auto box = ShowBox(options);
    EXPECT_TRUE(box->Button(kIdHelp)->isEnabled());
    EXPECT_TRUE(box->Button(kIdHelp)->isDefault());
    EXPECT_EQ(Label(*box, kIdHelp), "Help = 2");
    EXPECT_EQ(Label(*box, kIdOk), "OK");
    box->CountdownTick();
    EXPECT_EQ(Label(*box, kIdHelp), "Help = 1");
    box->CountdownTick();
    EXPECT_EQ(Label(*box, kIdHelp), "Help");
}

}  // namespace
}  // namespace dbx
