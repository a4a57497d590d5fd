#include "device_context.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>

#include "system_colors.h"

namespace dbx {
namespace {

constexpr ColorRef kWhite = 0xFFFFFF;
constexpr ColorRef kRed = 0x0000FF;
constexpr ColorRef kBlue = 0xFF0000;

class DrawingTest : public testing::Test {
  protected:
    QImage image{40, 30, QImage::Format_RGB32};
    void SetUp() override { image.fill(Qt::white); }
    ColorRef At(int x, int y) const { return FromQRgb(image.pixel(x, y)); }
    // Pixels of `color` inside the rectangle x0 <= x < x1, y0 <= y < y1.
    int Count(ColorRef color, int x0 = 0, int y0 = 0, int x1 = 40, int y1 = 30) const {
        int n = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) n += At(x, y) == color;
        }
        return n;
    }
};

TEST_F(DrawingTest, SolidFillCoversTheRectangleWithoutItsRightAndBottomEdges) {
    {
        DeviceContext dc(&image);
        dc.FillSolidRect({2, 3, 7, 5}, kRed);
        dc.FillSolidRect({10, 10, 10, 20}, kRed);  // empty
    }
    EXPECT_EQ(Count(kRed), 5 * 2);
    EXPECT_EQ(At(2, 3), kRed);
    EXPECT_EQ(At(6, 4), kRed);
    EXPECT_EQ(At(7, 4), kWhite);
    EXPECT_EQ(At(6, 5), kWhite);
}

TEST_F(DrawingTest, LinesLeaveOutTheirLastPointAndMoveThePosition) {
    {
        DeviceContext dc(&image);
        dc.SelectPen({PenStyle::Solid, 1, kRed});
        dc.MoveTo(5, 2);
        dc.LineTo(15, 2);
        EXPECT_EQ(dc.CurrentPosition(), QPoint(15, 2));
        dc.LineTo(15, 12);
    }
    EXPECT_EQ(Count(kRed, 0, 2, 15, 3), 10);  // x 5..14
    EXPECT_EQ(At(4, 2), kWhite);
    EXPECT_EQ(At(15, 2), kRed);                 // drawn as the first point of the second segment
    EXPECT_EQ(Count(kRed, 15, 0, 16, 30), 10);  // y 2..11
    EXPECT_EQ(At(15, 12), kWhite);
}

TEST_F(DrawingTest, SlantedLinesStopOnePixelShortInEveryDirection) {
    const struct {
        QPoint from, to;
    } lines[] = {{{0, 0}, {10, 10}},
                 {{30, 0}, {20, 10}},
                 {{5, 29}, {8, 17}},
                 {{39, 20}, {25, 25}},
                 {{20, 20}, {21, 21}}};
    for (const auto& line : lines) {
        image.fill(Qt::white);
        {
            DeviceContext dc(&image);
            dc.SelectPen({PenStyle::Solid, 1, kRed});
            dc.MoveTo(line.from.x(), line.from.y());
            dc.LineTo(line.to.x(), line.to.y());
        }
        const QPoint d = line.to - line.from;
        EXPECT_EQ(At(line.from.x(), line.from.y()), kRed) << line.to.x();
        EXPECT_EQ(At(line.to.x(), line.to.y()), kWhite) << line.to.x();
        EXPECT_EQ(Count(kRed), std::max(std::abs(d.x()), std::abs(d.y()))) << line.to.x();
    }
}

TEST_F(DrawingTest, WidePensAreCentredOnTheLine) {
    {
        DeviceContext dc(&image);
        dc.SelectPen({PenStyle::Solid, 3, kRed});
        dc.MoveTo(0, 10);
        dc.LineTo(20, 10);
    }
    EXPECT_EQ(Count(kRed), 20 * 3);
    EXPECT_EQ(At(0, 9), kRed);
    EXPECT_EQ(At(0, 11), kRed);
    EXPECT_EQ(At(0, 12), kWhite);
}

TEST_F(DrawingTest, RectangleFramesWithThePenAndFillsWithTheBrush) {
    {
        DeviceContext dc(&image);
        dc.SelectPen({PenStyle::Solid, 1, kRed});
        dc.SelectBrush(kBlue);
        dc.Rectangle({5, 5, 15, 12});
    }
    EXPECT_EQ(At(5, 5), kRed);
    EXPECT_EQ(At(14, 11), kRed);
    EXPECT_EQ(At(15, 11), kWhite);
    EXPECT_EQ(At(14, 12), kWhite);
    EXPECT_EQ(Count(kRed), 2 * 10 + 2 * 5);
    EXPECT_EQ(Count(kBlue), 8 * 5);
    EXPECT_EQ(At(6, 6), kBlue);
}

TEST_F(DrawingTest, HollowBrushLeavesTheInsideAlone) {
    {
        DeviceContext dc(&image);
        dc.SelectPen({PenStyle::Solid, 2, kRed});
        const auto previous = dc.SelectBrush(std::nullopt);
        EXPECT_EQ(previous, std::optional<ColorRef>(kWhite));
        dc.Rectangle({0, 0, 10, 10});
    }
    EXPECT_EQ(Count(kRed), 100 - 36);
    EXPECT_EQ(Count(kWhite, 2, 2, 8, 8), 36);
}

TEST_F(DrawingTest, RoundRectSparesTheCorners) {
    {
        DeviceContext dc(&image);
        dc.SelectPen({PenStyle::Solid, 1, kRed});
        dc.SelectBrush(kBlue);
        dc.RoundRect({0, 0, 30, 20}, 10, 10);
    }
    EXPECT_EQ(At(0, 0), kWhite);
    EXPECT_EQ(At(29, 19), kWhite);
    EXPECT_EQ(At(15, 0), kRed);
    EXPECT_EQ(At(0, 10), kRed);
    EXPECT_EQ(At(15, 10), kBlue);
    EXPECT_EQ(At(30, 10), kWhite);
}

TEST_F(DrawingTest, NotXorPenDrawnTwiceRestoresThePicture) {
    QImage before = image;
    {
        DeviceContext dc(&image);
        dc.FillSolidRect({0, 0, 20, 30}, 0x336699);
        before = image.copy();
        dc.SetRop2(Rop2::NotXorPen);
        dc.SelectPen({PenStyle::Solid, 1, 0xC8C8C8});
        dc.SelectBrush(0x102030);
        for (int pass = 0; pass < 2; ++pass) {
            dc.MoveTo(10, 0);
            dc.LineTo(10, 30);
            dc.MoveTo(0, 15);
            dc.LineTo(40, 15);
            dc.Rectangle({2, 2, 30, 25});
            if (pass == 0) {
                // NOT (pen XOR destination): a white destination takes the pen colour.
                EXPECT_EQ(FromQRgb(image.pixel(35, 15)), 0xC8C8C8u);
            }
        }
    }
    EXPECT_EQ(image, before);
}

TEST_F(DrawingTest, SolidFillsIgnoreTheRasterOperation) {
    {
        DeviceContext dc(&image);
        dc.SetRop2(Rop2::NotXorPen);
        dc.FillSolidRect({0, 0, 5, 5}, kRed);
        dc.FillSolidRect({0, 0, 5, 5}, kRed);
    }
    EXPECT_EQ(At(2, 2), kRed);
}

TEST_F(DrawingTest, RaisedEdgeUsesLightOutsideHighlightInsideAndShadowsBottomRight) {
    const SystemColors c = CurrentSystemColors();
    {
        DeviceContext dc(&image);
        dc.DrawEdge({0, 0, 20, 10}, kEdgeRaised, kSideAll | kSideMiddle);
    }
    EXPECT_EQ(At(0, 0), c.Get(kColor3dLight));
    EXPECT_EQ(At(5, 0), c.Get(kColor3dLight));
    EXPECT_EQ(At(1, 1), c.Get(kColorBtnHighlight));
    EXPECT_EQ(At(19, 9), c.Get(kColor3dDkShadow));
    EXPECT_EQ(At(19, 0), c.Get(kColor3dDkShadow));  // shared corner
    EXPECT_EQ(At(0, 9), c.Get(kColor3dDkShadow));
    EXPECT_EQ(At(18, 8), c.Get(kColorBtnShadow));
    EXPECT_EQ(At(10, 5), c.Get(kColorBtnFace));
    EXPECT_EQ(At(20, 5), kWhite);
}

TEST_F(DrawingTest, EtchedTopEdgeIsAShadowLineOverAHighlightLine) {
    image.fill(Qt::black);
    const SystemColors c = CurrentSystemColors();
    {
        DeviceContext dc(&image);
        dc.DrawEdge({0, 4, 40, 30}, kEdgeEtched, kSideTop);
    }
    EXPECT_EQ(At(0, 4), c.Get(kColorBtnShadow));
    EXPECT_EQ(At(39, 4), c.Get(kColorBtnShadow));
    EXPECT_EQ(At(0, 5), c.Get(kColorBtnHighlight));
    EXPECT_EQ(At(0, 3), 0u);
    EXPECT_EQ(At(0, 6), 0u);
    EXPECT_EQ(At(0, 20), 0u);
}

TEST_F(DrawingTest, EightBitImagesAreCopiedThroughTheirColourTable) {
    QImage indexed(4, 2, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(1, 2, 3), qRgb(250, 0, 7)});
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) indexed.scanLine(y)[x] = std::uint8_t((x + y) % 2);
    }
    {
        DeviceContext dc(&image);
        dc.DrawImage(10, 20, indexed);
    }
    EXPECT_EQ(At(10, 20), MakeColorRef(1, 2, 3));
    EXPECT_EQ(At(11, 20), MakeColorRef(250, 0, 7));
    EXPECT_EQ(At(10, 21), MakeColorRef(250, 0, 7));
    EXPECT_EQ(At(13, 21), MakeColorRef(1, 2, 3));
    EXPECT_EQ(At(14, 20), kWhite);
    EXPECT_EQ(At(9, 20), kWhite);
}

TEST_F(DrawingTest, BitBltCopiesPartOfAnImageAndStretchScalesIt) {
    QImage source(10, 10, QImage::Format_RGB32);
    source.fill(Qt::black);
    source.setPixel(3, 4, qRgb(255, 0, 0));
    QImage half(2, 2, QImage::Format_RGB32);
    half.fill(qRgb(0, 0, 255));
    {
        DeviceContext dc(&image);
        dc.BitBlt(0, 0, 2, 2, source, 3, 4);
        dc.StretchImage({20, 20, 30, 30}, half);
    }
    EXPECT_EQ(At(0, 0), kRed);
    EXPECT_EQ(At(1, 0), 0u);
    EXPECT_EQ(At(2, 0), kWhite);
    EXPECT_EQ(Count(kBlue), 100);
    EXPECT_EQ(At(29, 29), kBlue);
}

TEST_F(DrawingTest, MaskAndThenColourBlocksLeaveTheBackgroundWhereTheMaskIsWhite) {
    image.fill(qRgb(0, 255, 0));
    QImage mask(4, 1, QImage::Format_RGB32);
    QImage colour(4, 1, QImage::Format_RGB32);
    const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    const QRgb maskPixels[] = {white, black, white, black};
    const QRgb colourPixels[] = {black, qRgb(255, 0, 0), black, qRgb(0, 0, 255)};
    for (int x = 0; x < 4; ++x) {
        mask.setPixel(x, 0, maskPixels[x]);
        colour.setPixel(x, 0, colourPixels[x]);
    }
    {
        DeviceContext dc(&image);
        dc.BitBlt(5, 5, 4, 1, mask, 0, 0, BltOp::SrcAnd);
        dc.BitBlt(5, 5, 4, 1, colour, 0, 0, BltOp::SrcPaint);
    }
    EXPECT_EQ(At(5, 5), MakeColorRef(0, 255, 0));
    EXPECT_EQ(At(6, 5), kRed);
    EXPECT_EQ(At(7, 5), MakeColorRef(0, 255, 0));
    EXPECT_EQ(At(8, 5), kBlue);
}

TEST_F(DrawingTest, BitBltTakesSourceCoordinatesInDeviceIndependentPixels) {
    QImage dense(8, 8, QImage::Format_RGB32);
    dense.fill(Qt::black);
    dense.setDevicePixelRatio(2);
    {
        QPainter p(&dense);
        p.fillRect(QRect(2, 2, 2, 2), Qt::red);  // logical (2, 2) to (4, 4)
    }
    {
        DeviceContext dc(&image);
        dc.BitBlt(10, 10, 2, 2, dense, 2, 2);
    }
    EXPECT_EQ(Count(kRed), 4);
    EXPECT_EQ(At(10, 10), kRed);
    EXPECT_EQ(At(11, 11), kRed);
}

TEST_F(DrawingTest, ClippingKeepsDrawingInsideEveryRectangleGiven) {
    {
        DeviceContext dc(&image);
        dc.IntersectClipRect({5, 5, 20, 20});
        dc.IntersectClipRect({10, 0, 40, 15});
        dc.FillSolidRect({0, 0, 40, 30}, kRed);
    }
    EXPECT_EQ(Count(kRed), 10 * 10);
    EXPECT_EQ(At(10, 5), kRed);
    EXPECT_EQ(At(19, 14), kRed);
    EXPECT_EQ(At(9, 10), kWhite);
    EXPECT_EQ(At(15, 15), kWhite);
}

TEST_F(DrawingTest, ABorrowedPainterGetsItsStateBack) {
    QPainter painter(&image);
    painter.setPen(QColor(1, 2, 3));
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    {
        DeviceContext dc(painter);
        dc.SelectPen({PenStyle::Dash, 2, kRed});
        dc.SetRop2(Rop2::NotXorPen);
        dc.MoveTo(0, 0);
        dc.LineTo(30, 20);
        dc.TextOut(0, 0, "x");
    }
    EXPECT_EQ(painter.pen().color(), QColor(1, 2, 3));
    EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_Multiply);
}

}  // namespace
}  // namespace dbx
