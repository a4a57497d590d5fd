#include "transparent_static.h"

#include <QTest>

#include "controls_fixture.h"

namespace dbx::test {
namespace {

constexpr ColorRef kBackdrop = 0x00A0FF;
constexpr ColorRef kInk = 0x000000;

class TransparentStaticTest : public ControlsTest {
  protected:
    void SetUp() override {
        ControlsTest::SetUp();
        window->colour = kBackdrop;
        label = new CTransparentStatic(window.get());
        label->setGeometry(10, 10, 300, 40);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, Qt::white);
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
    }
    CTransparentStatic* label = nullptr;
};

TEST_F(TransparentStaticTest, TheParentsBackgroundShowsAroundAndUnderTheText) {
    label->SetWindowText(QStringLiteral("Searching..."));
    Show();
    QImage picture = Picture(label);
    EXPECT_EQ(CountPixels(picture, picture.rect(), 0xFFFFFF), 0);
    EXPECT_GT(CountNear(picture, picture.rect(), kInk), 10);
    EXPECT_EQ(FromQRgb(picture.pixel(290, 35)), kBackdrop);
}

TEST_F(TransparentStaticTest, ANewTextLeavesNothingOfTheOldOne) {
    label->SetWindowText(QStringLiteral("WWWWWWWWWWWWWWWWWWWW"));
    Show();
    QImage before = Picture(label);
    const int right = 150;
    ASSERT_GT(CountNear(before, QRect(right, 0, 150, 40), kInk), 10);
    const int paints = window->paints;
    label->SetWindowText(QStringLiteral("W"));
    // The parent has painted under the label at once, before any later repaint.
    EXPECT_GT(window->paints, paints);
    EXPECT_TRUE(window->lastPainted.contains(label->geometry()));
    QImage after = window->grab(label->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(CountNear(after, QRect(right, 0, 150, 40), kInk), 0);
    EXPECT_EQ(label->WindowText(), QStringLiteral("W"));
}

}  // namespace
}  // namespace dbx::test
