#include "splitter_bar.h"

#include <QSignalSpy>
#include <QTest>

#include "controls_fixture.h"
#include "system_colors.h"

namespace dbx::test {
namespace {

class SplitterBarTest : public ControlsTest {
  protected:
    void SetUp() override {
        ControlsTest::SetUp();
        // Where the main window puts its bar: 504 x 1 dialog units at (11, 169) is
        // (17, 275) 756 x 2 pixels, here in a smaller window.
        bar = new SplitterBar;
        bar->CreateBar(true, {17, 100, 317, 102}, window.get(), 1013);
        bar->SetTravel(40, 20, -1);
    }
    // Drags from the bar's middle by `dy` pixels and returns the displacement reported.
    int Drag(int dy) {
        QSignalSpy moved(bar, &SplitterBar::Moved);
        const QPoint from(150, 2);
        QTest::mousePress(bar, Qt::LeftButton, {}, from);
        QTest::mouseMove(bar, from + QPoint(0, dy));
        EXPECT_TRUE(bar->IsDragging());
        QTest::mouseRelease(bar, Qt::LeftButton, {}, from + QPoint(0, dy));
        EXPECT_EQ(moved.count(), 1);
        if (moved.count() != 1) return 0;
        const auto note = moved.takeFirst().at(0).value<SplitterNotification>();
        EXPECT_EQ(note.bar, bar);
        EXPECT_EQ(note.id, 1013);
        EXPECT_EQ(note.code, SplitterBar::kMovedCode);
        return note.displacement;
    }
    SplitterBar* bar = nullptr;
};

TEST_F(SplitterBarTest, AWideRectangleMakesAHorizontalBarFivePixelsHighWithAVerticalCursor) {
    EXPECT_EQ(bar->BarOrientation(), SplitterBar::kHorizontal);
    EXPECT_EQ(bar->geometry(), QRect(17, 100, 300, 5));
    EXPECT_EQ(bar->CentreLine(), 102);
    EXPECT_EQ(bar->MinPos(), 62);
    EXPECT_EQ(bar->MaxPos(), 122);
    EXPECT_EQ(bar->cursor().shape(), Qt::SizeVerCursor);
    EXPECT_EQ(bar->parentWidget(), window.get());

    auto* tall = new SplitterBar;
    tall->CreateBar(false, {50, 10, 52, 200}, window.get(), 7);
    EXPECT_EQ(tall->BarOrientation(), SplitterBar::kVertical);
    EXPECT_EQ(tall->geometry(), QRect(50, 10, 5, 190));
    EXPECT_EQ(tall->cursor().shape(), Qt::SizeHorCursor);
    EXPECT_FALSE(tall->isVisibleTo(window.get()));
    // Until limits are set, it cannot travel.
    EXPECT_EQ(tall->MinPos(), 52);
    EXPECT_EQ(tall->MaxPos(), 52);
}

TEST_F(SplitterBarTest, ADragStopsAtTheLimitsMovesTheBarAndReportsTheDisplacement) {
    Show();
    EXPECT_EQ(Drag(-200), -40);
    EXPECT_EQ(bar->CentreLine(), 62);
    EXPECT_EQ(bar->y(), 60);
    EXPECT_EQ(Drag(300), 60);  // limits stay where they were set: 122 - 62
    EXPECT_EQ(bar->CentreLine(), 122);
    EXPECT_EQ(Drag(-15), -15);
    EXPECT_EQ(bar->CentreLine(), 107);
    EXPECT_EQ(Drag(0), 0);
    EXPECT_EQ(bar->CentreLine(), 107);
    // New limits around the current line.
    bar->SetTravel(5, 5, -1);
    EXPECT_EQ(Drag(50), 5);
}

TEST_F(SplitterBarTest, TheTrackingLineFollowsTheClampedPointerAndGoesOnRelease) {
    Show();
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(100, 2));
    EXPECT_EQ(bar->TrackPos(), 102);
    QTest::mouseMove(bar, QPoint(100, -100));
    EXPECT_EQ(bar->TrackPos(), 62);
    // Two inverted lines above and below the track position, over the bar's width.
    QImage shown = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const ColorRef back = window->colour;
    EXPECT_NE(FromQRgb(shown.pixel(100, 61)), back);
    EXPECT_EQ(FromQRgb(shown.pixel(100, 62)), back);
    EXPECT_NE(FromQRgb(shown.pixel(100, 63)), back);
    EXPECT_EQ(FromQRgb(shown.pixel(10, 61)), back);  // left of the bar
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(100, -100));
    EXPECT_FALSE(bar->IsDragging());
    shown = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(FromQRgb(shown.pixel(100, 58)), back);
}

TEST_F(SplitterBarTest, TheBarIsARaisedGreyStrip) {
    Show();
    const QImage picture = Picture(bar);
    EXPECT_EQ(FromQRgb(picture.pixel(10, 0)), GetSysColor(kColorBtnHighlight));
    EXPECT_EQ(FromQRgb(picture.pixel(10, 4)), GetSysColor(kColorBtnShadow));
    EXPECT_EQ(FromQRgb(picture.pixel(10, 1)), 0xC8C8C8u);
    EXPECT_EQ(FromQRgb(picture.pixel(10, 2)), 0xDCDCC8u);
}

}  // namespace
}  // namespace dbx::test
