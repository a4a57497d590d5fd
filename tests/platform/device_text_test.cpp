#include <gtest/gtest.h>
#include <QImage>

#include "device_context.h"

namespace dbx {
namespace {

class TextTest : public testing::Test {
  protected:
    QImage image{200, 60, QImage::Format_RGB32};
    void SetUp() override { image.fill(Qt::white); }
    ColorRef At(int x, int y) const { return FromQRgb(image.pixel(x, y)); }
    bool AnyPixel(ColorRef color, int x0, int y0, int x1, int y1) const {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                if (At(x, y) == color) return true;
            }
        }
        return false;
    }
    bool AnyNotWhite(int x0, int y0, int x1, int y1) const {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                if (At(x, y) != 0xFFFFFF) return true;
            }
        }
        return false;
    }
};

FontDesc Font(int height, const char* face = "Verdana", int weight = 400) {
    FontDesc f;
    f.height = height;
    f.face = face;
    f.weight = weight;
    return f;
}

TEST_F(TextTest, PositiveHeightsAreCellHeights) {
    DeviceContext dc(&image);
    for (int height : {10, 13, 16, 24, 40}) {
        for (const char* face : {"Verdana", "Arial", "Courier"}) {
            dc.SelectFont(Font(height, face));
            const TextMetrics m = dc.GetTextMetrics();
            EXPECT_NEAR(m.height, height, 1) << face << " " << height;
            EXPECT_EQ(m.height, m.ascent + m.descent);
            EXPECT_GT(m.xHeight, 0);
            EXPECT_LT(m.xHeight, m.ascent);
        }
    }
}

TEST_F(TextTest, NegativeHeightsAreCharacterHeights) {
    DeviceContext dc(&image);
    dc.SelectFont(Font(-20));
    EXPECT_GT(dc.GetTextMetrics().height, 20);
}

TEST_F(TextTest, SelectFontReturnsThePreviousFont) {
    DeviceContext dc(&image);
    const FontDesc first = Font(16);
    dc.SelectFont(first);
    const FontDesc previous = dc.SelectFont(Font(30, "Arial"));
    EXPECT_EQ(previous, first);
    EXPECT_EQ(dc.SelectedFont(), Font(30, "Arial"));
}

TEST_F(TextTest, ExtentGrowsWithTheTextAndHasTheCellHeight) {
    DeviceContext dc(&image);
    dc.SelectFont(Font(16));
    const QSize one = dc.TextExtent("m");
    const QSize three = dc.TextExtent("mmm");
    EXPECT_EQ(dc.TextExtent("").width(), 0);
    EXPECT_GT(one.width(), 0);
    EXPECT_NEAR(three.width(), 3 * one.width(), 2);  // advances are fractional
    EXPECT_EQ(one.height(), dc.GetTextMetrics().height);
    dc.SelectFont(Font(16, "Verdana", 700));
    EXPECT_GT(dc.TextExtent("mmm").width(), three.width());
}

TEST_F(TextTest, OpaqueTextFillsItsCellWithTheBackgroundColour) {
    DeviceContext dc(&image);
    dc.SelectFont(Font(20));
    EXPECT_EQ(dc.SetBkMode(BkMode::Opaque), BkMode::Opaque);  // the default
    dc.SetBkColor(0x00FF00);
    dc.SetTextColor(0x0000FF);
    dc.TextOut(10, 5, "Ab");
    const QSize extent = dc.TextExtent("Ab");
    EXPECT_EQ(At(10, 5), 0x00FF00u);
    EXPECT_EQ(At(10 + extent.width() - 1, 5 + extent.height() - 1), 0x00FF00u);
    EXPECT_EQ(At(10 + extent.width(), 5), 0xFFFFFFu);
    EXPECT_EQ(At(9, 5), 0xFFFFFFu);
    EXPECT_TRUE(AnyPixel(0x0000FF, 10, 5, 10 + extent.width(), 5 + extent.height()));
}

TEST_F(TextTest, TransparentTextDrawsOnlyGlyphsInsideItsCell) {
    DeviceContext dc(&image);
    dc.SelectFont(Font(20));
    dc.SetBkMode(BkMode::Transparent);
    dc.SetTextColor(0);
    dc.TextOut(30, 10, "Hg");
    const QSize extent = dc.TextExtent("Hg");
    EXPECT_EQ(At(30, 10), 0xFFFFFFu);
    EXPECT_TRUE(AnyPixel(0, 30, 10, 30 + extent.width(), 10 + extent.height()));
    EXPECT_FALSE(AnyNotWhite(0, 0, 200, 10));
    EXPECT_FALSE(AnyNotWhite(0, 10 + extent.height(), 200, 60));
}

TEST_F(TextTest, VerticalResolutionComesFromTheDevice) {
    {
        DeviceContext dc(&image);
        EXPECT_EQ(dc.PixelsPerInchY(), 96);
    }
    image.setDotsPerMeterY(4724);  // 120 per inch
    DeviceContext dc(&image);
    EXPECT_EQ(dc.PixelsPerInchY(), 120);
}

}  // namespace
}  // namespace dbx
