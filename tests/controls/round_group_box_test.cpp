#include "round_group_box.h"

#include "controls_fixture.h"
#include "system_colors.h"

namespace dbx::test {
namespace {

class RoundGroupBoxTest : public ControlsTest {};

TEST_F(RoundGroupBoxTest, TheCaptionIsPaddedBlueOnButtonFaceTenPixelsInAndHidesTheFrameLine) {
    auto* box = new CRoundGroupBox(QStringLiteral("Select FIle"), window.get());
    box->setGeometry(20, 20, 300, 180);
    EXPECT_EQ(box->Caption(), QStringLiteral(" Select FIle "));
    EXPECT_EQ(box->CaptionTextColour(), 0xFF0000u);
    EXPECT_EQ(box->BorderColour(), GetSysColor(kColorBtnShadow));
    EXPECT_EQ(box->CaptionBackColour(), GetSysColor(kColorBtnFace));
    Show();
    const Rect caption = box->CaptionRect();
    EXPECT_EQ(caption.left, 11);
    EXPECT_EQ(caption.top, 1);
    ASSERT_GT(caption.Width(), 40);
    ASSERT_GT(caption.Height(), 8);

    const QImage picture = Picture(box);
    const QRect captionBox = caption.ToQRect();
    const ColorRef border = box->BorderColour();
    const ColorRef face = box->CaptionBackColour();
    // Blue text on button face; no frame line inside the caption box.
    EXPECT_GT(CountNear(picture, captionBox, 0xFF0000), 20);
    EXPECT_EQ(CountPixels(picture, captionBox, border), 0);
    EXPECT_EQ(FromQRgb(picture.pixel(caption.left + 1, caption.bottom - 1)), face);
    // The top edge runs through the middle of the caption, on both sides of it.
    const int lineY = 1 + caption.Height() / 2;
    EXPECT_EQ(FromQRgb(picture.pixel(caption.left - 2, lineY)), border);
    EXPECT_EQ(FromQRgb(picture.pixel(caption.right + 5, lineY)), border);
    // Left, right and bottom edges; rounded corners leave the very corner empty.
    EXPECT_EQ(FromQRgb(picture.pixel(1, 100)), border);
    EXPECT_EQ(FromQRgb(picture.pixel(298, 100)), border);
    EXPECT_EQ(FromQRgb(picture.pixel(150, 178)), border);
    EXPECT_NE(FromQRgb(picture.pixel(1, 178)), border);
    EXPECT_NE(FromQRgb(picture.pixel(1, lineY)), border);
    // Nothing is filled inside the frame: the window shows through.
    EXPECT_EQ(FromQRgb(picture.pixel(150, 100)), window->colour);
}

TEST_F(RoundGroupBoxTest, WithoutATitleTheFrameIsClosedAtTheTop) {
    auto* box = new CRoundGroupBox(QString(), window.get());
    box->setGeometry(20, 20, 200, 100);
    EXPECT_TRUE(box->Caption().isEmpty());
    EXPECT_TRUE(box->CaptionRect().IsEmpty());
    Show();
    const QImage picture = Picture(box);
    EXPECT_EQ(FromQRgb(picture.pixel(20, 1)), box->BorderColour());
}

}  // namespace
}  // namespace dbx::test
