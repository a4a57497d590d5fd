#pragma once

#include <QImage>

#include "color_ref.h"

namespace dbx {

// A bitmap split for drawing with a transparent colour: `mask` is white where the picture is
// transparent and black elsewhere; `colour` is the picture with its transparent pixels black.
// Drawn as mask (AND) then colour (OR), what lies below shows through the transparent pixels.
struct KeyedBitmap {
    QImage colour;
    QImage mask;
};

// Null images when `bitmap` is null. Alpha is ignored: only the exact colour is transparent.
KeyedBitmap KeyBitmap(const QImage& bitmap, ColorRef transparent);

// The 3-D greys of a picture (128, 192 and 223) in the system's shadow, face and light colours,
// so a picture drawn in greys matches the current button colours.
QImage MapGreysToSystemColours(const QImage& bitmap);

}  // namespace dbx
