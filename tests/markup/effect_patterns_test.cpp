// The pattern effects: colour table, index shapes, noise, and painting through the 8-bit image.
#include <gtest/gtest.h>

#include <QImage>

#include "effect_painter.h"
#include "effect_patterns.h"

namespace dbx {
namespace {

constexpr ColorRef kYellow = 0x86FDF7;
constexpr ColorRef kWhite = 0xFFFFFF;
constexpr ColorRef kBackground = 0x00FF00;

// Noise at granularity 0 adds 1 for the largest random number only; with the low 8 bits kept,
// an index may therefore be `expected` + 1 (mod 256), or + 2 where noise is added twice.
bool NearIndex(int actual, int expected, int noiseDraws = 1) {
    return ((actual - expected) & 0xFF) <= noiseDraws;
}

class Patterns : public testing::Test {
  protected:
    QImage image{250, 80, QImage::Format_RGB32};
    EffectPainter painter{7};
    void SetUp() override { image.fill(ToQColor(kBackground)); }
    void Paint(int effect, const Rect& rect, int granularity = 0, ColorRef c1 = kYellow,
               ColorRef c2 = kWhite, ColorRef c3 = kYellow) {
        DeviceContext dc(&image);
        painter.Paint(dc, effect, rect, c1, c2, c3, granularity, 0);
    }
    int Index(int x, int y) const { return painter.PaletteImage().pixelIndex(x, y); }
    ColorRef At(int x, int y) const { return FromQRgb(image.pixel(x, y)); }
};

TEST(PatternColorTable, RunsFromColourThreeThroughColourTwoToColourOne) {
    const ColorRef c1 = 0x000000, c2 = 0xFFFFFF, c3 = 0x0000FF;
    const auto table = PatternColorTable(c1, c2, c3);
    EXPECT_EQ(table[0], c3);
    EXPECT_EQ(table[64], MakeColorRef(255, 127, 127));
    EXPECT_EQ(table[128], MakeColorRef(253, 253, 253));  // the second write: 127/128 of colour 2
    EXPECT_EQ(table[129], MakeColorRef(251, 251, 251));
    EXPECT_EQ(table[255], c1);
    for (int i = 1; i < 129; ++i) EXPECT_LE(BlueOf(table[i - 1]), BlueOf(table[i]));
    for (int i = 129; i < 256; ++i) EXPECT_GE(BlueOf(table[i - 1]), BlueOf(table[i]));
}

TEST_F(Patterns, PaintingUsesThe256EntryTableAndTheTopLeftCorner) {
    const Rect r{20, 10, 120, 60};
    Paint(kEffectHShade, r, 0, 0x000000, 0xFFFFFF, 0x0000FF);
    const QImage& indexed = painter.PaletteImage();
    EXPECT_EQ(indexed.format(), QImage::Format_Indexed8);
    EXPECT_EQ(indexed.size(), QSize(100, 50));
    ASSERT_EQ(indexed.colorTable().size(), 256);
    EXPECT_EQ(indexed.colorTable()[0], qRgb(255, 0, 0));
    EXPECT_EQ(At(20, 10), 0x0000FFu);  // row 0 of hshade is index 0: colour 3
    EXPECT_EQ(At(119, 59), FromQRgb(indexed.color(Index(99, 49))));
    EXPECT_EQ(At(19, 10), kBackground);
    EXPECT_EQ(At(120, 59), kBackground);
    EXPECT_EQ(At(20, 60), kBackground);
}

TEST_F(Patterns, MessageBoxBackgroundIsWhiteInTheMiddleAndYellowAtTheEdges) {
    const int w = 200;
    Paint(kEffectVBump, {0, 0, w, 40});
    for (int y = 0; y < 40; y += 13) {
        EXPECT_TRUE(NearIndex(Index(0, y), 0));  // 256 wraps to 0: colour 3
        EXPECT_TRUE(NearIndex(Index(1, y), 250));
        EXPECT_TRUE(NearIndex(Index(w / 2, y), 128));
        EXPECT_TRUE(NearIndex(Index(w - 1, y), 6));
        for (int x = 2; x < w; ++x) EXPECT_LE(Index(x, y), Index(x - 1, y) + 1);
    }
    int exact = 0;
    for (int y = 0; y < 40; ++y) exact += At(0, y) == kYellow;
    EXPECT_GE(exact, 39);
    EXPECT_EQ(At(w / 2, 20), MakeColorRef(254, 254, 254));
    EXPECT_EQ(At(w - 1, 20), MakeColorRef(247, 253, 139));
}

TEST_F(Patterns, GranularityZeroNoiseIsAlmostAlwaysZero) {
    Paint(kEffectNoise, {0, 0, 240, 80});
    int ones = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 240; ++x) {
            ASSERT_TRUE(Index(x, y) == 128 || Index(x, y) == 129);
            ones += Index(x, y) == 129;
        }
    }
    EXPECT_LT(ones, 20);
}

TEST_F(Patterns, NoiseSpreadsOverTwiceTheGranularity) {
    Paint(kEffectNoise, {0, 0, 240, 80}, 10);
    int low = 255, high = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 240; ++x) {
            low = std::min(low, Index(x, y));
            high = std::max(high, Index(x, y));
        }
    }
    EXPECT_EQ(low, 118);
    EXPECT_EQ(high, 138);
}

TEST_F(Patterns, ShadesRunAcrossTheirAxes) {
    Paint(kEffectHShade, {0, 0, 50, 40});
    EXPECT_TRUE(NearIndex(Index(30, 0), 0));
    EXPECT_TRUE(NearIndex(Index(30, 20), 127));
    EXPECT_TRUE(NearIndex(Index(30, 39), 248));
    Paint(kEffectVShade, {0, 0, 50, 40});
    EXPECT_TRUE(NearIndex(Index(0, 5), 255));
    EXPECT_TRUE(NearIndex(Index(25, 5), 127));
    EXPECT_TRUE(NearIndex(Index(49, 5), 5));
    Paint(kEffectDiagShade, {0, 0, 50, 40}, 10);
    // g + (y * 117) / H + ((W - x) * 117) / W with noise of at most 10 either way.
    EXPECT_NEAR(Index(0, 0), 10 + 117, 10);
    EXPECT_NEAR(Index(49, 39), 10 + 114 + 2, 10);
}

TEST_F(Patterns, HorizontalBumpIsDarkAtTheTopAndBrightAtTheBottom) {
    Paint(kEffectHBump, {0, 0, 30, 64});
    EXPECT_TRUE(NearIndex(Index(3, 0), 3));
    EXPECT_TRUE(NearIndex(Index(3, 32), 128));
    EXPECT_TRUE(NearIndex(Index(3, 63), 244));
}

TEST_F(Patterns, SoftBumpIsHeldWithinTheGranularityBounds) {
    Paint(kEffectSoftBump, {0, 0, 64, 64});
    // Unheld, these corners would wrap to 116 and 143.
    EXPECT_TRUE(NearIndex(Index(0, 63), 255));
    EXPECT_TRUE(NearIndex(Index(63, 0), 0));
    EXPECT_TRUE(NearIndex(Index(32, 32), 128));
}

TEST_F(Patterns, HardBumpHasBevelsAtTheSidesOfItsMiddleRow) {
    Paint(kEffectHardBump, {0, 0, 60, 40});
    // Bevel 10, d 400; row 20 has m = 20, row 0 has m = 30 and no bevel.
    EXPECT_TRUE(NearIndex(Index(0, 20), 255, 2));
    EXPECT_TRUE(NearIndex(Index(9, 20), 140, 2));
    EXPECT_TRUE(NearIndex(Index(10, 20), 128, 2));
    EXPECT_TRUE(NearIndex(Index(50, 20), 128, 2));
    EXPECT_TRUE(NearIndex(Index(51, 20), 115, 2));
    EXPECT_TRUE(NearIndex(Index(59, 20), 12, 2));
    for (int x = 0; x < 60; ++x) EXPECT_TRUE(NearIndex(Index(x, 0), 3, 2)) << x;
}

TEST_F(Patterns, MetalIsADiagonalShadeWithRandomScratches) {
    Paint(kEffectMetal, {0, 0, 200, 80});
    const QImage first = painter.PaletteImage().copy();
    EXPECT_LE(Index(199, 0), 42);  // shade about 0 plus a scratch of at most 40
    EXPECT_GE(Index(0, 79), 212);  // shade about 212
    painter.Seed(12345);
    Paint(kEffectMetal, {0, 0, 200, 80});
    EXPECT_NE(painter.PaletteImage(), first);
}

TEST_F(Patterns, TheSameSeedPaintsTheSamePattern) {
    for (int effect = kEffectNoise; effect <= kEffectMetal; ++effect) {
        painter.Seed(99);
        Paint(effect, {0, 0, 70, 30}, 20);
        const QImage first = painter.PaletteImage().copy();
        painter.Seed(99);
        Paint(effect, {0, 0, 70, 30}, 20);
        EXPECT_EQ(painter.PaletteImage(), first) << effect;
    }
}

TEST_F(Patterns, TinyWideAndOddRectanglesAreFilledWithoutStrayWrites) {
    const Rect rects[] = {{0, 0, 1, 1}, {0, 0, 2, 3},  {0, 0, 5, 1},
                          {0, 0, 7, 2}, {0, 0, 1, 80}, {0, 0, 240, 1}};
    for (int effect = kEffectNoise; effect <= kEffectMetal; ++effect) {
        for (const Rect& r : rects) {
            for (int granularity : {0, 127, 255, -3, 1000}) {
                image.fill(ToQColor(kBackground));
                painter.Seed(std::uint32_t(effect * 31 + granularity));
                Paint(effect, r, granularity, 0x000001, 0x000002, 0x000003);
                EXPECT_EQ(painter.PaletteImage().size(), QSize(r.Width(), r.Height()));
                EXPECT_NE(At(r.right - 1, r.bottom - 1), kBackground) << effect;
                EXPECT_EQ(At(r.right, 0), kBackground) << effect;
            }
        }
    }
}

TEST(PatternImage, RectanglesWiderThanTheRandomRangeDoNotDivideByZero) {
    PseudoRandom random(3);
    const QImage metal = PatternIndexImage(kEffectMetal, 40000, 2, 0, random);
    EXPECT_EQ(metal.size(), QSize(40000, 2));
    const QImage tall = PatternIndexImage(kEffectMetal, 2, 40000, 0, random);
    EXPECT_EQ(tall.size(), QSize(2, 40000));
    EXPECT_TRUE(PatternIndexImage(kEffectNoise, 0, 5, 0, random).isNull());
}

TEST(PatternImage, AWindowHoldsThePixelsOfTheWholeRectangle) {
    for (int effect = kEffectNoise; effect <= kEffectMetal; ++effect) {
        if (effect == kEffectMetal || effect == kEffectNoise) continue;  // random scratches, noise
        PseudoRandom wholeRandom(9), windowRandom(9);
        const QImage whole = PatternIndexImage(effect, 300, 120, 0, wholeRandom);
        const QRect window(170, 35, 90, 60);
        const QImage part = PatternIndexImage(effect, 300, 120, window, 0, windowRandom);
        ASSERT_EQ(part.size(), window.size()) << effect;
        for (int y = 0; y < window.height(); ++y) {
            for (int x = 0; x < window.width(); ++x) {
                const int expected = whole.pixelIndex(window.left() + x, window.top() + y);
                ASSERT_TRUE(NearIndex(part.pixelIndex(x, y), expected, 2))
                    << "effect " << effect << " at " << x << "," << y;
            }
        }
    }
}

TEST(PatternImage, AWindowOutsideTheRectangleIsCutToIt) {
    PseudoRandom random(1);
    EXPECT_EQ(PatternIndexImage(kEffectNoise, 50, 50, QRect(40, -10, 30, 30), 0, random).size(),
              QSize(10, 20));
    EXPECT_TRUE(PatternIndexImage(kEffectNoise, 50, 50, QRect(60, 0, 5, 5), 0, random).isNull());
}

TEST_F(Patterns, OnlyTheVisiblePartOfAHugeRectangleIsPainted) {
    for (int effect = kEffectNoise; effect <= kEffectMetal; ++effect) {
        image.fill(ToQColor(kBackground));
        Paint(effect, {-100000, -50000, 8000000, 8000000}, 40);
        EXPECT_LE(painter.PaletteImage().width(), image.width()) << effect;
        EXPECT_LE(painter.PaletteImage().height(), image.height()) << effect;
        for (QPoint p : {QPoint(0, 0), QPoint(249, 79), QPoint(125, 40)}) {
            EXPECT_NE(At(p.x(), p.y()), kBackground) << effect;
        }
    }
    // Partly off the device: the rest is painted where it shows.
    image.fill(ToQColor(kBackground));
    Paint(kEffectHShade, {200, 60, 4000, 4000});
    EXPECT_EQ(painter.PaletteImage().size(), QSize(50, 20));
    EXPECT_NE(At(249, 79), kBackground);
    EXPECT_EQ(At(199, 79), kBackground);
    EXPECT_EQ(At(249, 59), kBackground);
}

TEST(PseudoRandom, SpansTheFifteenBitRangeAndRepeatsWithItsSeed) {
    PseudoRandom a(42), b(42);
    int low = PseudoRandom::kMax, high = 0;
    for (int i = 0; i < 200000; ++i) {
        const int r = a.Next();
        ASSERT_EQ(r, b.Next());
        low = std::min(low, r);
        high = std::max(high, r);
    }
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 0x7FFF);
}

}  // namespace
}  // namespace dbx
