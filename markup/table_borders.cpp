#include "table_borders.h"

#include <QBrush>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <array>

#include "table_attributes.h"

namespace dbx::markup {
namespace {

// Dashes of 4 pixels with gaps of 2; dots every other pixel.
struct Pattern {
    int on = 1;
    int period = 1;
};

Pattern PatternOf(int style) {
    if (style == 2) return {4, 6};
    if (style == 3) return {1, 2};
    return {1, 1};
}

Rect Inset(const Rect& r, int by) {
    return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

// One ring of 1-pixel lines, for the double style.
void Ring(DeviceContext& dc, const Rect& r, ColorRef first, ColorRef second) {
    if (r.IsEmpty()) return;
    dc.FillSolidRect({r.left, r.top, r.right, r.top + 1}, first);
    dc.FillSolidRect({r.left, r.top, r.left + 1, r.bottom}, first);
    dc.FillSolidRect({r.right - 1, r.top, r.right, r.bottom}, second);
    dc.FillSolidRect({r.left, r.bottom - 1, r.right, r.bottom}, second);
}

// a·x + b·y + c, evaluated at pixel centres.
struct Linear {
    double a = 0, b = 0, c = 0;
    double At(QPointF p) const { return a * p.x() + b * p.y() + c; }
};

enum Side { kTop, kLeft, kRight, kBottom };

// A pixel's distance from each side of the rectangle, counted in whole pixels from 0.
Linear DistanceFrom(Side side, const Rect& r) {
    switch (side) {
        case kTop:
            return {0, 1, -r.top - 0.5};
        case kLeft:
            return {1, 0, -r.left - 0.5};
        case kRight:
            return {-1, 0, r.right - 0.5};
        case kBottom:
            break;
    }
    return {0, -1, r.bottom - 0.5};
}

// The part of a convex polygon where f ≤ 0.
QPolygonF ClipBelow(const QPolygonF& polygon, const Linear& f) {
    QPolygonF out;
    for (qsizetype i = 0; i < polygon.size(); ++i) {
        const QPointF p = polygon[i];
        const QPointF q = polygon[(i + 1) % polygon.size()];
        const double fp = f.At(p), fq = f.At(q);
        if (fp <= 0) out << p;
        if ((fp < 0 && fq > 0) || (fp > 0 && fq < 0)) out << p + (q - p) * (fp / (fp - fq));
    }
    return out;
}

// The pixels ring i of the border draws on `side`: those at distance i < rings from it and no
// nearer to another side. Every bound lies half a pixel off the pixel centres, so that no centre
// is on an edge of the polygon.
QPolygonF SideArea(Side side, const Rect& r, int rings) {
    QPolygonF area{QPointF(r.left, r.top), QPointF(r.right, r.top), QPointF(r.right, r.bottom),
                   QPointF(r.left, r.bottom)};
    const Linear own = DistanceFrom(side, r);
    area = ClipBelow(area, {own.a, own.b, own.c - (rings - 0.5)});
    for (Side other : {kTop, kLeft, kRight, kBottom}) {
        if (other == side) continue;
        const Linear d = DistanceFrom(other, r);
        area = ClipBelow(area, {own.a - d.a, own.b - d.b, own.c - d.c - 0.5});
    }
    return area;
}

// Along each side the pattern restarts at every ring's corner, so dashes run diagonally: a tile
// lit where (u·du + v·dv) mod period < on, anchored at the side's first pixel.
QBrush SideBrush(Side side, Pattern p, ColorRef color) {
    if (p.period == 1) return QBrush(ToQColor(color));
    const int du = side == kLeft ? -1 : 1;
    const int dv = side == kTop ? -1 : 1;
    QImage tile(p.period, p.period, QImage::Format_ARGB32);
    tile.fill(Qt::transparent);
    for (int v = 0; v < p.period; ++v) {
        for (int u = 0; u < p.period; ++u) {
            const int phase = ((u * du + v * dv) % p.period + p.period) % p.period;
            if (phase < p.on) tile.setPixel(u, v, ToQColor(color).rgba());
        }
    }
    return QBrush(tile);
}

QPoint SideOrigin(Side side, const Rect& r) {
    if (side == kRight) return {r.right - 1, r.top};
    if (side == kBottom) return {r.left, r.bottom - 1};
    return {r.left, r.top};
}

}  // namespace

void DrawTableBorder(DeviceContext& dc, const Rect& rect, int style, int width, ColorRef first,
                     ColorRef second) {
    if (width <= 0 || style == 0 || rect.IsEmpty()) return;
    if (style == kBorderDouble) {
        Ring(dc, rect, first, second);
        Ring(dc, Inset(rect, 2), first, second);
        return;
    }
    const Pattern pattern = PatternOf(style);
    const int rings = std::min(width, std::min(rect.Width(), rect.Height()) / 2 + 1);
    QPainter& painter = dc.Painter();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    // Right and bottom are drawn last: they take the two corners they share with the others.
    for (Side side : {kTop, kLeft, kRight, kBottom}) {
        const QPolygonF area = SideArea(side, rect, rings);
        if (area.size() < 3) continue;
        painter.setBrush(SideBrush(side, pattern, side == kTop || side == kLeft ? first : second));
        painter.setBrushOrigin(SideOrigin(side, rect));
        painter.drawPolygon(area);
    }
    painter.restore();
}

}  // namespace dbx::markup
