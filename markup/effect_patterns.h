#pragma once

#include <QImage>
#include <array>

#include "color_ref.h"
#include "pseudo_random.h"

namespace dbx {

// Index 0 is colour 3, index 128 about colour 2, index 255 colour 1, with even steps between.
std::array<ColorRef, 256> PatternColorTable(ColorRef color1, ColorRef color2, ColorRef color3);

// An 8-bit image of width × height whose pixels hold the indices of pattern effect 7-15 with
// granularity 0-255; a null image when it cannot be allocated.
QImage PatternIndexImage(int effect, int width, int height, int granularity, PseudoRandom& random);
// Only the part `window` of that image, the pixels keeping their values but for the noise: the
// cost follows the window, not the whole rectangle.
QImage PatternIndexImage(int effect, int width, int height, QRect window, int granularity,
                         PseudoRandom& random);

}  // namespace dbx
