#pragma once

#include <QRect>

namespace dbx {

// a * b / c rounded half away from zero, as the classic multiply-divide helper does; -1 when
// c is 0.
int MulDiv(int a, int b, int c);

// Dialog units of the templates' 8-point dialog font to pixels: x * 6 / 4, y * 13 / 8.
int DialogUnitsToPixelsX(int du);
int DialogUnitsToPixelsY(int du);
// Each of left, top, width and height is converted on its own, as the dialog manager does.
QRect DialogUnitsToPixels(const QRect& du);

}  // namespace dbx
