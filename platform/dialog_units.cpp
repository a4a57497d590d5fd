#include "dialog_units.h"

namespace dbx {

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
