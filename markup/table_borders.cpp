#include "table_borders.h"

#include <algorithm>

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

// A line along x (or y) from `from` to `to` (exclusive), one pixel thick at `at`, in pieces.
void PatternLine(DeviceContext& dc, bool horizontal, int at, int from, int to, Pattern p,
                 ColorRef color) {
    for (int start = from; start < to; start += p.period) {
        const int end = std::min(to, start + p.on);
        dc.FillSolidRect(horizontal ? Rect{start, at, end, at + 1} : Rect{at, start, at + 1, end},
                         color);
    }
}

void Ring(DeviceContext& dc, const Rect& r, Pattern p, ColorRef first, ColorRef second) {
    if (r.IsEmpty()) return;
    PatternLine(dc, true, r.top, r.left, r.right, p, first);
    PatternLine(dc, false, r.left, r.top, r.bottom, p, first);
    PatternLine(dc, false, r.right - 1, r.top, r.bottom, p, second);
    PatternLine(dc, true, r.bottom - 1, r.left, r.right, p, second);
}

Rect Inset(const Rect& r, int by) {
    return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

}  // namespace

void DrawTableBorder(DeviceContext& dc, const Rect& rect, int style, int width, ColorRef first,
                     ColorRef second) {
    if (width <= 0 || style == 0) return;
    if (style == kBorderDouble) {
        Ring(dc, rect, {}, first, second);
        Ring(dc, Inset(rect, 2), {}, first, second);
        return;
    }
    const Pattern pattern = PatternOf(style);
    const int rings = std::min(width, std::min(rect.Width(), rect.Height()) / 2 + 1);
    for (int i = 0; i < rings; ++i) Ring(dc, Inset(rect, i), pattern, first, second);
}

}  // namespace dbx::markup
