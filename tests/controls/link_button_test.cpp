#include "link_button.h"

#include <QCursor>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "controls_fixture.h"
#include "resource_registry.h"
#include "system_colors.h"

namespace dbx::test {
namespace {

constexpr ColorRef kRed = 0x0000FF;

class LinkButtonTest : public ControlsTest {
  protected:
    void SetUp() override {
        ControlsTest::SetUp();
        link = new CLinkButton(window.get());
        link->setGeometry(30, 10, 142, 37);
    }
    CLinkButton* link = nullptr;
};

TEST_F(LinkButtonTest, TheButtonTakesItsFacesSizeWhereverTheTemplatePutItAndDrawsIt) {
    // A red face with a strip of the 3-D face grey, which takes the current button colour.
    QImage face = SquareImage({168, 40}, kRed, kRed, 0);
    for (int x = 0; x < 168; ++x) face.setPixel(x, 0, qRgb(192, 192, 192));
    ResourceRegistry::Instance().AddImage(143, face);
    EXPECT_TRUE(link->SetFaceBitmap(143));
    EXPECT_EQ(link->geometry(), QRect(30, 10, 168, 40));
    EXPECT_EQ(link->FaceSize(), QSize(168, 40));
    Show();
    EXPECT_EQ(PixelOf(link, {100, 20}), kRed);
    EXPECT_EQ(PixelOf(link, {167, 39}), kRed);
    EXPECT_EQ(PixelOf(link, {5, 0}), GetSysColor(kColorBtnFace));
    // Pressed, the same face stays.
    link->setDown(true);
    EXPECT_EQ(PixelOf(link, {100, 20}), kRed);
}

TEST_F(LinkButtonTest, AClickIsTheButtonsOrdinaryClickAndTheCursorIsAHand) {
    ResourceRegistry::Instance().AddImage(143, SquareImage({168, 40}, kRed, kRed, 0));
    link->SetFaceBitmap(143);
    link->UseHandCursor(QString());
    EXPECT_FALSE(link->HasHandCursor());
    EXPECT_NE(link->cursor().shape(), Qt::PointingHandCursor);
    const QString text = QStringLiteral("Click here to visit software home page");
    link->UseHandCursor(text);
    link->SetHint(text, true);
    EXPECT_TRUE(link->HasHandCursor());
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(link->toolTip(), text);
    link->SetHint(QString(), false);
    EXPECT_EQ(link->toolTip(), text);
    Show();
    QSignalSpy clicks(link, &QPushButton::clicked);
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(80, 20));
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(LinkButtonTest, HoverEndsThroughTheTimerWhenThePointerLeavesWithoutAMove) {
    ResourceRegistry::Instance().AddImage(143, SquareImage({168, 40}, kRed, kRed, 0));
    link->SetFaceBitmap(143);
    Show();
    QTest::mouseMove(link, QPoint(50, 20));
    QCursor::setPos(link->mapToGlobal(QPoint(50, 20)));
    ASSERT_TRUE(link->IsHovering());
    // Still inside: the timer's checks keep it.
    QSignalSpy checks(link->findChild<QTimer*>("hoverCheck"), &QTimer::timeout);
    ASSERT_TRUE(checks.isValid());
    ASSERT_TRUE(QTest::qWaitFor([&] { return checks.count() >= 2; }));
    EXPECT_TRUE(link->IsHovering());
    QCursor::setPos(window->mapToGlobal(QPoint(300, 200)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !link->IsHovering(); }));
}

TEST_F(LinkButtonTest, ADragFromElsewhereDoesNotStartHovering) {
    Show();
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseMove(link, QPoint(50, 20));
    EXPECT_FALSE(link->IsHovering());
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(300, 200));
}

TEST_F(LinkButtonTest, WithoutAFaceTheButtonKeepsItsSizeShowsItsTextAndWorks) {
    EXPECT_TRUE(link->SetFaceBitmap(143));
    EXPECT_EQ(link->size(), QSize(142, 37));
    link->SetHint(QStringLiteral("Home page"));
    Show();
    QPalette palette = link->palette();
    palette.setColor(QPalette::Link, QColor(0, 0, 255));
    link->setPalette(palette);
    QImage picture = Picture(link);
    EXPECT_GT(CountPixels(picture, picture.rect(), kRed), 20);
    QSignalSpy clicks(link, &QPushButton::clicked);
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
}

}  // namespace
}  // namespace dbx::test
