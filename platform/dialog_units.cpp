#include "dialog_units.h"

#include <cstdint>

namespace dbx {

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const std::int64_t product = std::int64_t(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = product < 0 ? -product : product;
    const std::int64_t divisor = c < 0 ? -std::int64_t(c) : c;
    const std::int64_t rounded = (magnitude + divisor / 2) / divisor;
    return int(negative ? -rounded : rounded);
}

int DialogUnitsToPixelsX(int du) {
    return MulDiv(du, 6, 4);
}

int DialogUnitsToPixelsY(int du) {
    return MulDiv(du, 13, 8);
}

QRect DialogUnitsToPixels(const QRect& du) {
    return QRect(DialogUnitsToPixelsX(du.x()), DialogUnitsToPixelsY(du.y()),
                 DialogUnitsToPixelsX(du.width()), DialogUnitsToPixelsY(du.height()));
}

}  // namespace dbx
