#pragma once

#include "device_context.h"
#include "rect.h"

namespace dbx {

// The part of the device's coordinates that drawing can reach: the device's own area, within
// the painter's clip. Drawing outside it may be skipped.
Rect VisibleArea(DeviceContext& dc);

// True when the two rectangles share at least one pixel.
inline bool Overlaps(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace dbx
