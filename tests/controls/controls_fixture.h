#pragma once

#include <gtest/gtest.h>
#include <QImage>
#include <QRegion>
#include <QWidget>

#include <memory>

#include "color_ref.h"

namespace dbx::test {

// A shown window that paints itself in one colour, so what a control leaves unpainted shows.
class Backdrop : public QWidget {
  public:
    explicit Backdrop(ColorRef colour = 0x0000FF);
    ColorRef colour;
    int paints = 0;
    QRegion lastPainted;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

class ControlsTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Shows the backdrop (360 x 240) and waits until it is exposed.
    void Show();
    // The pixel at `p` of the widget's current picture, as the screen would show it.
    static ColorRef PixelOf(QWidget* widget, QPoint p);
    static QImage Picture(QWidget* widget);

    std::unique_ptr<Backdrop> window;
};

// A solid square of `size` in `fill`, with a `border`-wide frame of `frame`.
QImage SquareImage(QSize size, ColorRef fill, ColorRef frame, int border);
// Counts the pixels of `colour` in `rect` of `image`.
int CountPixels(const QImage& image, const QRect& rect, ColorRef colour);
// The same for colours within `tolerance` of `colour` in every channel (smoothed text).
int CountNear(const QImage& image, const QRect& rect, ColorRef colour, int tolerance = 90);

}  // namespace dbx::test
