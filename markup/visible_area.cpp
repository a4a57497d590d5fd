#include "visible_area.h"

#include <QPaintDevice>
#include <QPainter>

namespace dbx {

Rect VisibleArea(DeviceContext& dc) {
    QPainter& painter = dc.Painter();
    const QPaintDevice* device = painter.device();
    if (device == nullptr) return {};
    const QRectF deviceArea(0, 0, device->width(), device->height());
    QRectF area = painter.combinedTransform().inverted().mapRect(deviceArea);
    // The clip is kept in the painter's own coordinates.
    if (painter.hasClipping()) area &= painter.clipBoundingRect();
    const QRect r = area.toAlignedRect();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

}  // namespace dbx
