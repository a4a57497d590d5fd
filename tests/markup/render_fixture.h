#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device_context.h"
#include "markup_renderer.h"
#include "system_colors.h"

namespace dbx::testing {

// A renderer with the classic system colours, measuring on a scratch image and drawing into
// white images. Expected sizes come from the renderer's own one-line measurements, never from
// glyph widths written into a test.
class RenderFixture : public ::testing::Test {
  protected:
    MarkupRenderer renderer{SystemColors::Classic()};

    QSize Measure(std::string_view text) {
        QImage scratch(1, 1, QImage::Format_ARGB32);
        DeviceContext dc(&scratch);
        return renderer.Measure(dc, text);
    }

    // Draws the measured text into (0, 0, width, height) of a white image of that size.
    QImage Draw(int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        DeviceContext dc(&image);
        renderer.Draw(dc, Rect{0, 0, width, height});
        return image;
    }
    QImage Draw(QSize size) { return Draw(size.width(), size.height()); }

    // The width of a text on one line, without the extra pixel of a measurement.
    static int Width(std::string_view text) {
        MarkupRenderer plain{SystemColors::Classic()};
        QImage scratch(1, 1, QImage::Format_ARGB32);
        DeviceContext dc(&scratch);
        return plain.Measure(dc, text).width() - 1;
    }
    static int LineHeight() {
        MarkupRenderer plain{SystemColors::Classic()};
        QImage scratch(1, 1, QImage::Format_ARGB32);
        DeviceContext dc(&scratch);
        return plain.Measure(dc, "Xg").height() - 1;
    }

    const std::vector<markup::HotArea>& Areas() const { return renderer.HotAreas(); }

    static ColorRef At(const QImage& image, int x, int y) { return FromQRgb(image.pixel(x, y)); }

    // Whether any pixel of the box [x0, x1) × [y0, y1) has exactly `color` (or, when `color`
    // is omitted, is not white).
    static bool Any(const QImage& image, int x0, int y0, int x1, int y1,
                    std::optional<ColorRef> color = std::nullopt) {
        for (int y = std::max(0, y0); y < std::min(y1, image.height()); ++y) {
            for (int x = std::max(0, x0); x < std::min(x1, image.width()); ++x) {
                const ColorRef c = At(image, x, y);
                if (color ? c == *color : c != 0xFFFFFF) return true;
            }
        }
        return false;
    }
};

}  // namespace dbx::testing
