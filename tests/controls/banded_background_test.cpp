#include "banded_background.h"

#include <QPainter>

#include "controls_fixture.h"

namespace dbx::test {
namespace {

// A 20 x 10 picture: rows 0-2 red (top band), rows 3-6 a column pattern, rows 7-9 blue (the
// bottom band); its last column green.
QImage Picture() {
    QImage image(20, 10, QImage::Format_RGB32);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
            QRgb c = y < 3   ? qRgb(255, 0, 0)
                     : y < 7 ? qRgb(x * 10, x * 10, x * 10)
                             : qRgb(0, 0, 255);
            if (x == 19) c = qRgb(0, 255, 0);
            image.setPixel(x, y, c);
        }
    }
    return image;
}

QImage Paint(QSize area) {
    QImage target(area, QImage::Format_RGB32);
    target.fill(Qt::magenta);
    QPainter painter(&target);
    PaintBandedBackground(painter, Picture(), QSize(20, 10), 7, area);
    return target;
}

TEST(BandedBackgroundTest, AtItsOwnSizeThePictureIsCopiedUnchanged) {
    const QImage shown = Paint(QSize(20, 10));
    EXPECT_EQ(shown, Picture());
}

TEST(BandedBackgroundTest, ATallerAreaKeepsBothBandsAndRepeatsTheRowAboveTheBottomBand) {
    const QImage shown = Paint(QSize(20, 25));
    const QImage picture = Picture();
    EXPECT_EQ(shown.copy(0, 0, 20, 7), picture.copy(0, 0, 20, 7));
    EXPECT_EQ(shown.copy(0, 22, 20, 3), picture.copy(0, 7, 20, 3));
    for (int y = 7; y < 22; ++y) EXPECT_EQ(shown.pixel(5, y), picture.pixel(5, 6)) << y;
}

TEST(BandedBackgroundTest, AWiderAreaCarriesEachRowsLastPixelOn) {
    const QImage shown = Paint(QSize(50, 10));
    EXPECT_EQ(shown.copy(0, 0, 20, 10), Picture());
    EXPECT_EQ(shown.pixel(49, 0), qRgb(0, 255, 0));
    EXPECT_EQ(shown.pixel(35, 9), qRgb(0, 255, 0));
    EXPECT_EQ(CountPixels(shown, QRect(20, 0, 30, 10), 0xFF00FF), 0);
}

}  // namespace
}  // namespace dbx::test
