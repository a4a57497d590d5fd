// Sizes and places of the box's parts from what it measured.
#include <gtest/gtest.h>

#include "message_box_layout.h"

namespace dbx {
namespace {

TEST(MessageBoxLayout, LabelsGrowToButtonsWithMulDivRounding) {
    // Rounded, not cut: 20 * 80 / 45 = 35.56, 13 * 23 / 13 = 23; 50 * 80 / 45 = 88.9,
    // 17 * 23 / 13 = 30.08; 9 * 80 / 45 = 16, 27 * 23 / 13 = 47.77.
    EXPECT_EQ(ScaleButtonLabel(QSize(20, 13)), QSize(36, 23));
    EXPECT_EQ(ScaleButtonLabel(QSize(50, 17)), QSize(89, 30));
    EXPECT_EQ(ScaleButtonLabel(QSize(9, 27)), QSize(16, 48));
}

TEST(MessageBoxLayout, SmallButtonsGetTheMinimumAndTheWidestCandidateWins) {
    BoxMeasures m;
    m.bodyText = QSize(100, 20);
    m.buttonLabels = {QSize(20, 13), QSize(30, 13)};
    const BoxLayout layout = ComputeBoxLayout(m);
    EXPECT_EQ(layout.button, QSize(80, 23));
    EXPECT_EQ(layout.bodyHeight, 20 + 28);
    EXPECT_EQ(layout.buttonBandHeight, 11 + 23);
    // Buttons: 11 + 2 * (11 + 80) = 193 beats the body's 100 + 28.
    EXPECT_EQ(layout.clientWidth, 193);
    EXPECT_EQ(layout.clientHeight, 48 + 34);
    EXPECT_EQ(layout.headerHeight, 0);
    EXPECT_EQ(layout.moreHeight, 0);

    m.bodyText = QSize(400, 20);
    EXPECT_EQ(ComputeBoxLayout(m).clientWidth, 428);
    // The widest label sets every button's width.
    m.buttonLabels.push_back(QSize(90, 13));  // 160 wide
    const BoxLayout wide = ComputeBoxLayout(m);
    EXPECT_EQ(wide.button, QSize(160, 23));
    EXPECT_EQ(wide.clientWidth, 11 + 3 * (11 + 160));
}

TEST(MessageBoxLayout, HeaderMoreCheckBoxAndBandBackground) {
    BoxMeasures m;
    m.headerMinimum = 60;
    m.headerText = QSize(50, 10);  // 10 + 28 < 60
    m.bodyText = QSize(100, 30);
    m.moreText = QSize(600, 40);
    m.buttonsBackground = true;
    m.buttonsCaption = QSize(700, 14);
    m.checkBox = true;
    m.checkBoxLabel = QSize(120, 13);
    m.buttonLabels = {QSize(20, 13)};
    BoxLayout layout = ComputeBoxLayout(m);
    EXPECT_EQ(layout.headerHeight, 60);
    EXPECT_EQ(layout.moreHeight, 40 + 28);
    EXPECT_EQ(layout.buttonBandHeight, 22 + 13 + 11 + 23);
    EXPECT_EQ(layout.clientWidth, 700 + 10);  // the buttons caption is widest
    // The details area is not part of the closed box.
    EXPECT_EQ(layout.clientHeight, 60 + 58 + 69);

    m.headerText = QSize(50, 70);  // taller than the minimum
    m.buttonsCaption.reset();
    layout = ComputeBoxLayout(m);
    EXPECT_EQ(layout.headerHeight, 98);
    EXPECT_EQ(layout.clientWidth, 628);  // the details text

    // A header option of 0 means no band, whatever the text.
    m.headerMinimum = 0;
    EXPECT_EQ(ComputeBoxLayout(m).headerHeight, 0);
    // The check box label: width + 2 * 10 + 20.
    BoxMeasures check;
    check.checkBox = true;
    check.checkBoxLabel = QSize(300, 13);
    EXPECT_EQ(ComputeBoxLayout(check).clientWidth, 340);
}

TEST(MessageBoxLayout, ButtonRowInItsThreeAlignments) {
    const QRect client(0, 0, 400, 150);
    const QSize button(80, 23);
    const int y = 150 - 11 - 23;
    auto left = PlaceButtons(client, 2, button, 0, false);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0], QRect(11, y, 80, 23));
    EXPECT_EQ(left[1], QRect(102, y, 80, 23));
    auto right = PlaceButtons(client, 2, button, 1, false);
    EXPECT_EQ(right[1].right() + 1, 400 - 11);
    EXPECT_EQ(right[0].x(), 400 - 11 - 171);
    auto centred = PlaceButtons(client, 2, button, 2, false);
    EXPECT_EQ(centred[0].x(), (400 - 171) / 2);
    EXPECT_EQ(centred[1].x(), (400 - 171) / 2 + 91);
    // A check box below the buttons lifts them by 13 + 11.
    EXPECT_EQ(PlaceButtons(client, 1, button, 2, true)[0].y(), y - 24);
}

}  // namespace
}  // namespace dbx
