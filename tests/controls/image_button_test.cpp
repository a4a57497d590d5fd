#include "image_button.h"

#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "controls_fixture.h"
#include "resource_registry.h"
#include "system_colors.h"

namespace dbx::test {
namespace {

constexpr ColorRef kKey = 0xE7E6BD;
constexpr ColorRef kRed = 0x0000FF;
constexpr ColorRef kBlue = 0xFF0000;
constexpr ColorRef kGreen = 0x00FF00;
constexpr ColorRef kBackdrop = 0x0000FF;

class ImageButtonTest : public ControlsTest {
  protected:
    void SetUp() override {
        ControlsTest::SetUp();
        window->colour = 0x808000;
        button = new CImageButton(window.get());
        button->setGeometry(20, 20, 60, 50);
    }
    // A hover picture of green framed in the key colour, a normal one of blue framed in black.
    void AssignPair() {
        ASSERT_EQ(button->AssignBitmaps(SquareImage({40, 40}, kGreen, kKey, 4), kKey,
                                        SquareImage({40, 40}, kBlue, 0, 4), 0),
                  CImageButton::kOk);
    }
    void Hover() { QTest::mouseMove(button, QPoint(30, 25)); }
    void Leave() { QTest::mouseMove(window.get(), QPoint(300, 200)); }
    CImageButton* button = nullptr;
};

TEST_F(ImageButtonTest, HoverShowsTheFirstPictureAndARaisedEdgeLeavingShowsTheSecond) {
    AssignPair();
    Show();
    // 40 x 40 centred in 60 x 50: (10, 5) to (50, 45).
    EXPECT_EQ(button->ImageRect(), QRect(10, 5, 40, 40));
    EXPECT_EQ(PixelOf(button, {30, 25}), kBlue);
    EXPECT_FALSE(button->IsHovered());

    Hover();
    EXPECT_TRUE(button->IsHovered());
    EXPECT_EQ(PixelOf(button, {30, 25}), kGreen);
    EXPECT_EQ(PixelOf(button, {0, 0}), GetSysColor(kColorBtnHighlight));
    EXPECT_EQ(PixelOf(button, {59, 49}), GetSysColor(kColorBtnShadow));

    Leave();
    EXPECT_FALSE(button->IsHovered());
    EXPECT_EQ(PixelOf(button, {30, 25}), kBlue);
    EXPECT_EQ(PixelOf(button, {0, 0}), GetSysColor(kColorBtnFace));
}

TEST_F(ImageButtonTest, TransparentColoursLetTheBackgroundShowThrough) {
    AssignPair();
    ASSERT_EQ(button->SetStateColour(CImageButton::kNormalBack, kRed), CImageButton::kOk);
    ASSERT_EQ(button->SetStateColour(CImageButton::kHoverBack, 0x00FFFF), CImageButton::kOk);
    ASSERT_EQ(button->SetStateColour(CImageButton::kFocusBack, kGreen), CImageButton::kOk);
    Show();
    button->clearFocus();
    // The black frame of the normal picture is transparent: the normal background shows.
    EXPECT_EQ(PixelOf(button, {11, 6}), kRed);
    Hover();
    // The key-coloured frame of the hover picture shows the hover background.
    EXPECT_EQ(PixelOf(button, {11, 6}), 0x00FFFFu);
    EXPECT_EQ(PixelOf(button, {30, 25}), kGreen);
}

TEST_F(ImageButtonTest, ParentBackgroundModeShowsTheParentsPixels) {
    AssignPair();
    button->UseParentBackground(false);
    Show();
    EXPECT_EQ(PixelOf(button, {3, 3}), 0x808000u);
    EXPECT_EQ(PixelOf(button, {11, 6}), 0x808000u);  // black frame: transparent
    Hover();
    EXPECT_EQ(PixelOf(button, {11, 6}), 0x808000u);  // key frame: transparent
    EXPECT_EQ(PixelOf(button, {30, 25}), kGreen);
}

TEST_F(ImageButtonTest, APressDrawsASunkenEdgeAndMovesThePictureByOnePixel) {
    AssignPair();
    Show();
    Hover();
    button->setDown(true);
    EXPECT_EQ(button->ImageRect(), QRect(11, 6, 40, 40));
    EXPECT_EQ(PixelOf(button, {0, 0}), GetSysColor(kColorBtnShadow));
    EXPECT_EQ(PixelOf(button, {59, 49}), GetSysColor(kColorBtnHighlight));
    EXPECT_EQ(PixelOf(button, {46, 41}), kGreen);
}

TEST_F(ImageButtonTest, HintIsTheTooltipWhileActiveAndANullTextChangesNothing) {
    button->SetHint(QStringLiteral("Save file"));
    EXPECT_EQ(button->toolTip(), QStringLiteral("Save file"));
    button->SetHint(QString());
    EXPECT_EQ(button->Hint(), QStringLiteral("Save file"));
    EXPECT_TRUE(button->HintActive());
    Show();
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(button, &help);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Save file"));
    QToolTip::hideText();

    button->SetHint(QStringLiteral("Select all"), false);
    EXPECT_EQ(button->Hint(), QStringLiteral("Select all"));
    EXPECT_TRUE(button->toolTip().isEmpty());
}

TEST_F(ImageButtonTest, StateColoursAreCheckedShiftedWithinRangeAndPainted) {
    EXPECT_EQ(button->SetStateColour(6, kRed), CImageButton::kBadColourIndex);
    EXPECT_EQ(button->SetStateColour(-1, kRed), CImageButton::kBadColourIndex);
    EXPECT_EQ(button->SetImagePlacement(4), CImageButton::kBadPlacement);
    EXPECT_EQ(button->ShiftStateColour(0, 256), CImageButton::kBadShift);
    EXPECT_EQ(button->ShiftStateColour(0, -256), CImageButton::kBadShift);
    EXPECT_EQ(button->ShiftStateColour(6, 10), CImageButton::kBadColourIndex);

    // One shift for all channels, cut so that none leaves 0..255: the hue stays.
    button->SetStateColour(0, MakeColorRef(200, 100, 50));
    EXPECT_EQ(button->ShiftStateColour(0, 100), CImageButton::kOk);
    EXPECT_EQ(button->StateColour(0), MakeColorRef(255, 155, 105));
    button->SetStateColour(0, MakeColorRef(200, 100, 50));
    button->ShiftStateColour(0, -100);
    EXPECT_EQ(button->StateColour(0), MakeColorRef(150, 50, 0));
    // Defaults: the button face and text colours.
    EXPECT_EQ(button->StateColour(CImageButton::kNormalBack), GetSysColor(kColorBtnFace));
    EXPECT_EQ(button->StateColour(CImageButton::kFocusText), GetSysColor(kColorBtnText));

    button->setText(QStringLiteral("WWWW"));
    button->SetStateColour(CImageButton::kHoverBack, kBlue);
    button->SetStateColour(CImageButton::kHoverText, kGreen);
    button->SetStateColour(CImageButton::kNormalBack, kRed);
    button->SetStateColour(CImageButton::kNormalText, 0xFFFFFF);
    button->setFocusPolicy(Qt::NoFocus);
    Show();
    QImage normal = Picture(button);
    EXPECT_EQ(FromQRgb(normal.pixel(2, 2)), kRed);
    EXPECT_GT(CountPixels(normal, normal.rect(), 0xFFFFFF), 10);
    EXPECT_EQ(CountPixels(normal, normal.rect(), kGreen), 0);
    Hover();
    QImage hovered = Picture(button);
    EXPECT_EQ(FromQRgb(hovered.pixel(2, 2)), kBlue);
    EXPECT_GT(CountPixels(hovered, hovered.rect(), kGreen), 10);

    // New system colours drop what was customised.
    const QPalette before = QApplication::palette();
    QPalette changed = before;
    changed.setColor(QPalette::Button, QColor(10, 20, 30));
    QApplication::setPalette(changed);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return button->StateColour(CImageButton::kHoverBack) == MakeColorRef(10, 20, 30); },
        1000));
    EXPECT_EQ(button->StateColour(CImageButton::kHoverText), GetSysColor(kColorBtnText));
    QApplication::setPalette(before);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return button->StateColour(CImageButton::kHoverBack) != MakeColorRef(10, 20, 30); },
        1000));
    EXPECT_EQ(button->StateColour(CImageButton::kHoverBack), GetSysColor(kColorBtnFace));
}

TEST_F(ImageButtonTest, PlacementPutsThePictureBesideAboveOrRightOfTheCaption) {
    ResourceRegistry::Instance().AddImage(150, SquareImage({50, 50}, kGreen, kGreen, 0));
    ResourceRegistry::Instance().AddImage(149, SquareImage({50, 50}, kBlue, kBlue, 0));
    button->setGeometry(20, 20, 50, 49);
    ASSERT_EQ(button->AssignIcons(150, 0, 0, 149, 0, 0), CImageButton::kOk);
    // Without a caption, placement 2 centres across and keeps the top edge.
    button->SetImagePlacement(CImageButton::kImageRight);
    EXPECT_EQ(button->ImageRect(), QRect(0, 0, 50, 50));

    ResourceRegistry::Instance().AddImage(151, SquareImage({20, 10}, kGreen, kGreen, 0));
    ASSERT_EQ(button->AssignIcons(151, 0, 0), CImageButton::kOk);
    button->setGeometry(20, 20, 100, 40);
    button->SetImagePlacement(CImageButton::kImageRight);
    EXPECT_EQ(button->ImageRect(), QRect(40, 0, 20, 10));
    button->setText(QStringLiteral("Next"));
    EXPECT_EQ(button->ImageRect(), QRect(100 - 3 - 20, 15, 20, 10));
    button->SetImagePlacement(CImageButton::kImageLeft);
    EXPECT_EQ(button->ImageRect(), QRect(3, 15, 20, 10));
    button->SetImagePlacement(CImageButton::kImageAbove);
    EXPECT_EQ(button->ImageRect(), QRect(40, 3, 20, 10));
    button->SetImagePlacement(CImageButton::kImageTopLeft);
    EXPECT_EQ(button->ImageRect(), QRect(0, 0, 20, 10));

    // The icon is drawn where it is placed.
    button->SetImagePlacement(CImageButton::kImageLeft);
    Show();
    EXPECT_EQ(PixelOf(button, {3, 15}), kGreen);
    EXPECT_EQ(PixelOf(button, {22, 24}), kGreen);
    EXPECT_NE(PixelOf(button, {23, 25}), kGreen);
}

TEST_F(ImageButtonTest, AMissingPictureLeavesAWorkingButtonThatShowsItsText) {
    EXPECT_EQ(button->AssignIcons(999, 0, 0, 0, 0, 0), CImageButton::kNoImageSize);
    EXPECT_FALSE(button->HasImage());
    ResourceRegistry::Instance().AddImage(150, SquareImage({8, 8}, kGreen, kGreen, 0));
    EXPECT_EQ(button->AssignIcons(150, 0, 0, 998, 0, 0), CImageButton::kNoImageSize);
    EXPECT_FALSE(button->HasImage());
    EXPECT_EQ(button->AssignBitmaps(QImage(), kKey), CImageButton::kOk);
    EXPECT_FALSE(button->HasImage());

    button->setText(QStringLiteral("Save"));
    button->SetStateColour(CImageButton::kNormalText, kGreen);
    button->SetStateColour(CImageButton::kFocusText, kGreen);
    Show();
    QImage picture = Picture(button);
    EXPECT_GT(CountNear(picture, picture.rect(), kGreen), 10);
    QSignalSpy clicks(button, &QPushButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(ImageButtonTest, FocusFromTheKeyboardIsMarkedWithADottedFrame) {
    auto* before = new QLineEdit(window.get());
    before->setGeometry(100, 20, 60, 20);
    button->SetStateColour(CImageButton::kNormalBack, kGreen);
    button->SetStateColour(CImageButton::kFocusBack, kGreen);
    Show();
    // The frame's top line runs 2 pixels inside the edge, dotted: some of its pixels differ.
    const auto marked = [&] {
        const QImage picture = Picture(button);
        return CountNear(picture, QRect(2, 2, 56, 1), kGreen) < 56;
    };
    button->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(marked());  // a click leaves no frame
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_TRUE(button->hasFocus());
    EXPECT_TRUE(marked());
}

TEST_F(ImageButtonTest, ADoubleClickIsTwoClicks) {
    Show();
    QSignalSpy clicks(button, &QPushButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseDClick(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_TRUE(button->hasFocus());
}

TEST_F(ImageButtonTest, DisablingEndsHoverMovesTheFocusOnAndEmbossesThePicture) {
    AssignPair();
    auto* next = new QLineEdit(window.get());
    next->setGeometry(100, 100, 80, 20);
    Show();
    window->activateWindow();
    button->setFocus();
    Hover();
    ASSERT_TRUE(button->IsHovered());
    button->setEnabled(false);
    EXPECT_FALSE(button->IsHovered());
    EXPECT_FALSE(button->hasFocus());
    EXPECT_TRUE(next->hasFocus());
    // Only the system's disabled colours on the face, none of the picture's own.
    QImage picture = Picture(button);
    EXPECT_EQ(CountPixels(picture, picture.rect(), kBlue), 0);
    EXPECT_GT(CountPixels(picture, picture.rect(), GetSysColor(kColorBtnShadow)), 100);
}

TEST_F(ImageButtonTest, HoverEndsWhenThePointerIsGoneWithoutALeaveOrWhenHidden) {
    AssignPair();
    Show();
    QCursor::setPos(button->mapToGlobal(QPoint(30, 25)));
    Hover();
    ASSERT_TRUE(button->IsHovered());
    // Still inside: the timer's checks keep it.
    QSignalSpy checks(button->findChild<QTimer*>("hoverCheck"), &QTimer::timeout);
    ASSERT_TRUE(checks.isValid());
    ASSERT_TRUE(QTest::qWaitFor([&] { return checks.count() >= 2; }));
    EXPECT_TRUE(button->IsHovered());
    QCursor::setPos(window->mapToGlobal(QPoint(300, 200)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !button->IsHovered(); }));

    QCursor::setPos(button->mapToGlobal(QPoint(30, 25)));
    Hover();
    ASSERT_TRUE(button->IsHovered());
    button->hide();
    EXPECT_FALSE(button->IsHovered());
}

TEST_F(ImageButtonTest, ADragFromElsewhereDoesNotMakeTheButtonHot) {
    AssignPair();
    Show();
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseMove(button, QPoint(30, 25));
    EXPECT_FALSE(button->IsHovered());
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(300, 200));
}

}  // namespace
}  // namespace dbx::test
