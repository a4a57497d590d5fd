#pragma once

#include "color_ref.h"
#include "rect.h"

namespace dbx {

class DeviceContext;

// The colour made lighter or darker and more or less saturated: lightness and saturation,
// each held in a byte, move towards 255 by p percent of the way for p > 0, or shrink by p
// percent for p < 0. Hue is kept. Every intermediate byte is truncated.
ColorRef ShadeColor(ColorRef colour, int lightnessPercent, int saturationPercent);

// A horizontal gradient from `from` (left) to `to` (right) in as many vertical bands as the
// largest channel difference.
void GradientFill(DeviceContext& dc, const Rect& rect, ColorRef from, ColorRef to);

}  // namespace dbx
