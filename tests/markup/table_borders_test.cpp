// Table borders: every pixel in the colour of its side, and a constant cost whatever the width.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdint>

#include "counting_device.h"
#include "device_context.h"
#include "table_attributes.h"
#include "table_borders.h"

namespace dbx::markup {
namespace {

constexpr ColorRef kFirst = 0x0000FF;   // red
constexpr ColorRef kSecond = 0xFF0000;  // blue
constexpr QRgb kPaper = 0xFFFFFFFF;

// What a border looks like, pixel by pixel: ring i lies i pixels inside the rectangle; along
// each side a dashed or dotted pattern restarts at the ring's corner; right and bottom are
// drawn after top and left and so take the corners they share with them.
QImage Expected(QSize size, const Rect& r, int style, int width) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(kPaper);
    const auto put = [&](int x, int y, ColorRef c) {
        if (x >= 0 && y >= 0 && x < size.width() && y < size.height())
            image.setPixel(x, y, ToQRgb(c) | 0xFF000000);
    };
    const auto line = [&](bool horizontal, int at, int from, int to, int on, int period,
                          ColorRef c) {
        for (int i = from; i < to; ++i) {
            if ((i - from) % period < on) horizontal ? put(i, at, c) : put(at, i, c);
        }
    };
    const auto ring = [&](Rect q, int on, int period) {
        if (q.IsEmpty()) return;
        line(true, q.top, q.left, q.right, on, period, kFirst);
        line(false, q.left, q.top, q.bottom, on, period, kFirst);
        line(false, q.right - 1, q.top, q.bottom, on, period, kSecond);
        line(true, q.bottom - 1, q.left, q.right, on, period, kSecond);
    };
    const auto inset = [](Rect q, int by) {
        return Rect{q.left + by, q.top + by, q.right - by, q.bottom - by};
    };
    if (style == kBorderDouble) {
        ring(r, 1, 1);
        ring(inset(r, 2), 1, 1);
        return image;
    }
    const int on = style == 2 ? 4 : 1;
    const int period = style == 2 ? 6 : style == 3 ? 2 : 1;
    const int rings = std::min(width, std::min(r.Width(), r.Height()) / 2 + 1);
    for (int i = 0; i < rings; ++i) ring(inset(r, i), on, period);
    return image;
}

QImage Drawn(QSize size, const Rect& r, int style, int width) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(kPaper);
    DeviceContext dc(&image);
    DrawTableBorder(dc, r, style, width, kFirst, kSecond);
    return image;
}

TEST(TableBorders, EveryPixelTakesTheColourOfItsSide) {
    std::uint32_t seed = 5;
    const auto next = [&seed](int below) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 8) % unsigned(below));
    };
    const QSize canvas(48, 48);
    for (int round = 0; round < 400; ++round) {
        const int left = next(20) - 4, top = next(20) - 4;
        const Rect r{left, top, left + 1 + next(40), top + 1 + next(40)};
        const int style = std::array{1, 2, 3, kBorderDouble}[std::size_t(next(4))];
        const int width = 1 + next(30);
        const QImage expected = Expected(canvas, r, style, width);
        const QImage drawn = Drawn(canvas, r, style, width);
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                ASSERT_EQ(drawn.pixel(x, y), expected.pixel(x, y))
                    << "pixel " << x << "," << y << " of " << r.left << "," << r.top << " "
                    << r.Width() << "x" << r.Height() << " style " << style << " width " << width;
            }
        }
    }
}

TEST(TableBorders, AWideBorderCostsNoMoreThanANarrowOne) {
    for (int style : {1, 2, 3}) {
        test::CountingDevice device(40000, 40000);
        {
            QPainter painter(&device);
            DeviceContext dc(painter);
            DrawTableBorder(dc, {0, 0, 40000, 40000}, style, 16384, kFirst, kSecond);
        }
        EXPECT_GT(device.engine.calls, 0) << style;
        EXPECT_LE(device.engine.calls, 8) << style;
    }
}

}  // namespace
}  // namespace dbx::markup
