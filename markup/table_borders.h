#pragma once

#include "color_ref.h"
#include "device_context.h"
#include "rect.h"

namespace dbx::markup {

// Frames the inside of `rect` with a border of `width` pixels: top and left in `first`, right
// and bottom in `second` (they take the two shared corners). Styles: 1 solid, 2 dashed,
// 3 dotted, 6 double (two lines with a gap, 3 pixels in all); others are drawn solid.
void DrawTableBorder(DeviceContext& dc, const Rect& rect, int style, int width, ColorRef first,
                     ColorRef second);

}  // namespace dbx::markup
