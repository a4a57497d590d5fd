// Solid fills and the 64-band gradients, checked on painted pixels.
#include <gtest/gtest.h>

#include <QImage>
#include <set>

#include "effect_painter.h"

namespace dbx {
namespace {

constexpr ColorRef kBlack = 0x000000;
constexpr ColorRef kWhite = 0xFFFFFF;
constexpr ColorRef kRed = 0x0000FF;
constexpr ColorRef kBlue = 0xFF0000;
constexpr ColorRef kBackground = 0x00FF00;

// Grey level of band i of a black-to-white gradient.
ColorRef GreyBand(int i) {
    const int v = i * 255 / 64;
    return MakeColorRef(v, v, v);
}

class Gradients : public testing::Test {
  protected:
    QImage image{160, 140, QImage::Format_RGB32};
    EffectPainter painter;
    void SetUp() override { image.fill(ToQColor(kBackground)); }
    void Paint(int effect, const Rect& rect, ColorRef c1, ColorRef c2, ColorRef c3) {
        DeviceContext dc(&image);
        painter.Paint(dc, effect, rect, c1, c2, c3, 0, 0);
    }
    ColorRef At(int x, int y) const { return FromQRgb(image.pixel(x, y)); }
    int CountOutside(const Rect& r, ColorRef color) const {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                n += !inside && At(x, y) == color;
            }
        }
        return n;
    }
};

TEST_F(Gradients, HorizontalBandsFollowTheIntegerBoundaries) {
    const Rect r{0, 0, 100, 10};
    Paint(kEffectHGradient, r, kBlack, kRed, kWhite);
    EXPECT_EQ(At(0, 0), GreyBand(0));
    EXPECT_EQ(At(1, 5), GreyBand(1));  // band 1 covers 100/64 = 1 up to 200/64 = 3
    EXPECT_EQ(At(2, 9), GreyBand(1));
    EXPECT_EQ(At(3, 0), GreyBand(2));
    EXPECT_EQ(At(96, 0), GreyBand(62));
    EXPECT_EQ(At(97, 0), GreyBand(62));
    EXPECT_EQ(At(98, 0), GreyBand(63));
    EXPECT_EQ(At(99, 0), GreyBand(63));
    EXPECT_EQ(At(99, 0), MakeColorRef(251, 251, 251));  // never quite the end colour
    EXPECT_EQ(CountOutside(r, kBackground), 160 * 140 - 100 * 10);
}

TEST_F(Gradients, ChannelsStepIndependentlyAndDownwards) {
    Paint(kEffectHGradient, {0, 0, 64, 1}, MakeColorRef(255, 0, 100), kBlack,
          MakeColorRef(0, 255, 100));
    EXPECT_EQ(At(0, 0), MakeColorRef(255, 0, 100));
    // Band 1: red (255*64 - 255) / 64 = 251, green 255/64 = 3, blue unchanged.
    EXPECT_EQ(At(1, 0), MakeColorRef(251, 3, 100));
    EXPECT_EQ(At(63, 0), MakeColorRef(3, 251, 100));
}

TEST_F(Gradients, NarrowRectanglesSkipEmptyBandsButEndWithTheLastStep) {
    Paint(kEffectHGradient, {10, 0, 20, 5}, kBlack, kRed, kWhite);
    std::set<ColorRef> colours;
    for (int x = 10; x < 20; ++x) colours.insert(At(x, 2));
    EXPECT_EQ(colours.size(), 10u);
    // Bands 0-5 are empty: (i + 1) * 10 / 64 is 0 for them.
    EXPECT_EQ(At(10, 0), GreyBand(6));
    EXPECT_EQ(At(19, 0), GreyBand(63));
    EXPECT_EQ(At(9, 0), kBackground);
    EXPECT_EQ(At(20, 0), kBackground);
}

TEST_F(Gradients, VerticalGradientRunsTopToBottomOverTheFullWidth) {
    const Rect r{5, 10, 25, 74};
    Paint(kEffectVGradient, r, kBlack, kRed, kWhite);
    for (int i : {0, 1, 31, 63}) {
        EXPECT_EQ(At(5, 10 + i), GreyBand(i));
        EXPECT_EQ(At(24, 10 + i), GreyBand(i));
    }
    EXPECT_EQ(CountOutside(r, kBackground), 160 * 140 - 20 * 64);
}

TEST_F(Gradients, CentredGradientSplitsAnOddWidthAfterItsFloorHalf) {
    Paint(kEffectHCGradient, {0, 0, 129, 3}, kBlack, kRed, kWhite);
    // Left part x 0..63 runs black to white, right part x 64..128 white to black.
    EXPECT_EQ(At(0, 0), kBlack);
    EXPECT_EQ(At(63, 0), GreyBand(63));
    EXPECT_EQ(At(64, 0), kWhite);
    EXPECT_EQ(At(127, 0), MakeColorRef(3, 3, 3));  // the last of the 65 pixels' bands is two wide
    EXPECT_EQ(At(128, 0), MakeColorRef(3, 3, 3));  // (255 * 64 - 63 * 255) / 64
    EXPECT_EQ(At(129, 0), kBackground);
}

TEST_F(Gradients, VerticalCentredGradientSplitsAtHalfTheHeight) {
    Paint(kEffectVCGradient, {0, 0, 4, 129}, kBlack, kRed, kWhite);
    EXPECT_EQ(At(0, 0), kBlack);
    EXPECT_EQ(At(0, 63), GreyBand(63));
    EXPECT_EQ(At(0, 64), kWhite);
    EXPECT_EQ(At(3, 128), MakeColorRef(3, 3, 3));
    EXPECT_EQ(At(3, 129), kBackground);
}

TEST_F(Gradients, ThreeColourGradientsPassThroughTheMiddleColour) {
    Paint(kEffect3HGradient, {0, 0, 128, 2}, kRed, kWhite, kBlue);
    EXPECT_EQ(At(0, 0), kRed);
    EXPECT_EQ(At(64, 0), kWhite);
    EXPECT_EQ(At(127, 0), MakeColorRef(3, 3, 255));
    image.fill(ToQColor(kBackground));
    Paint(kEffect3VGradient, {0, 0, 2, 128}, kRed, kWhite, kBlue);
    EXPECT_EQ(At(1, 0), kRed);
    EXPECT_EQ(At(1, 64), kWhite);
    EXPECT_EQ(At(1, 127), MakeColorRef(3, 3, 255));
}

TEST_F(Gradients, SolidAndUnknownEffectsFillWithTheFirstColour) {
    for (int effect : {int(kEffectSolid), 16, 99, -1, -7}) {
        image.fill(ToQColor(kBackground));
        const Rect r{3, 4, 13, 9};
        Paint(effect, r, kRed, kWhite, kBlue);
        EXPECT_EQ(At(3, 4), kRed) << effect;
        EXPECT_EQ(At(12, 8), kRed) << effect;
        EXPECT_EQ(CountOutside(r, kBackground), 160 * 140 - 50) << effect;
    }
}

TEST_F(Gradients, EmptyRectanglesPaintNothing) {
    for (int effect = 0; effect <= 15; ++effect) {
        Paint(effect, {10, 10, 10, 50}, kRed, kWhite, kBlue);
        Paint(effect, {10, 10, 50, 10}, kRed, kWhite, kBlue);
        Paint(effect, {50, 50, 10, 10}, kRed, kWhite, kBlue);
    }
    EXPECT_EQ(CountOutside({}, kBackground), 160 * 140);
}

}  // namespace
}  // namespace dbx
