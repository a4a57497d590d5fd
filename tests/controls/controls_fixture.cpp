#include "controls_fixture.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTest>

#include <cstdlib>

#include "resource_registry.h"

namespace dbx::test {

Backdrop::Backdrop(ColorRef c) : colour(c) {
    resize(360, 240);
}

void Backdrop::paintEvent(QPaintEvent* event) {
    ++paints;
    lastPainted = event->region();
    QPainter(this).fillRect(rect(), ToQColor(colour));
}

void ControlsTest::SetUp() {
    window = std::make_unique<Backdrop>();
}

void ControlsTest::TearDown() {
    window.reset();
    ResourceRegistry::Instance().Clear();
}

void ControlsTest::Show() {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // The pointer rests in a corner where no test puts a control.
    QTest::mouseMove(window.get(), QPoint(355, 235));
}

QImage ControlsTest::Picture(QWidget* widget) {
    // The whole window is drawn, so what lies under a see-through control is included.
    QWidget* top = widget->window();
    const QImage all = top->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint origin = widget->mapTo(top, QPoint(0, 0));
    return all.copy(QRect(origin, widget->size()));
}

ColorRef ControlsTest::PixelOf(QWidget* widget, QPoint p) {
    return FromQRgb(Picture(widget).pixel(p));
}

QImage SquareImage(QSize size, ColorRef fill, ColorRef frame, int border) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(ToQColor(frame));
    QPainter painter(&image);
    painter.fillRect(QRect(QPoint(border, border), size - QSize(2 * border, 2 * border)),
                     ToQColor(fill));
    return image;
}

int CountNear(const QImage& image, const QRect& rect, ColorRef colour, int tolerance) {
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const ColorRef c = FromQRgb(image.pixel(x, y));
            n += std::abs(RedOf(c) - RedOf(colour)) <= tolerance &&
                 std::abs(GreenOf(c) - GreenOf(colour)) <= tolerance &&
                 std::abs(BlueOf(c) - BlueOf(colour)) <= tolerance;
        }
    }
    return n;
}

int CountPixels(const QImage& image, const QRect& rect, ColorRef colour) {
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            n += FromQRgb(image.pixel(x, y)) == colour;
        }
    }
    return n;
}

}  // namespace dbx::test
