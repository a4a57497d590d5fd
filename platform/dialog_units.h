#pragma once

#include <QRect>

#include "mul_div.h"

namespace dbx {

// Dialog units of the templates' 8-point dialog font to pixels: x * 6 / 4, y * 13 / 8.
int DialogUnitsToPixelsX(int du);
int DialogUnitsToPixelsY(int du);
// Each of left, top, width and height is converted on its own, as the dialog manager does.
QRect DialogUnitsToPixels(const QRect& du);

}  // namespace dbx
