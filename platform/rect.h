#pragma once

#include <QRect>

namespace dbx {

// A rectangle whose right and bottom edges lie just outside it, as the drawing calls expect.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    QRect ToQRect() const { return QRect(left, top, Width(), Height()); }

    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace dbx
