#pragma once

#include <QImage>
#include <cstdint>

#include "color_ref.h"
#include "device_context.h"
#include "pseudo_random.h"
#include "rect.h"

namespace dbx {

// Background effect numbers; any other number paints a solid fill.
enum Effect : int {
    kEffectSolid = 0,
    kEffectHGradient = 1,
    kEffectVGradient = 2,
    kEffectHCGradient = 3,
    kEffectVCGradient = 4,
    kEffect3HGradient = 5,
    kEffect3VGradient = 6,
    kEffectNoise = 7,
    kEffectDiagShade = 8,
    kEffectHShade = 9,
    kEffectVShade = 10,
    kEffectHBump = 11,
    kEffectVBump = 12,
    kEffectSoftBump = 13,
    kEffectHardBump = 14,
    kEffectMetal = 15,
};

// Fills rectangles with the background effects: solid colour, six gradients of 64 bands, and
// nine patterns drawn through an 8-bit image with a 256-entry colour table.
class EffectPainter {
  public:
    explicit EffectPainter(std::uint32_t seed = 1) : random_(seed) {}
    void Seed(std::uint32_t seed) { random_.Seed(seed); }

    // Granularity 0-255 (values outside are held to it); `option` is accepted and unused.
    void Paint(DeviceContext& dc, int effect, const Rect& rect, ColorRef color1, ColorRef color2,
               ColorRef color3, int granularity, int option = 0);

    // The 8-bit image of the last pattern painting.
    const QImage& PaletteImage() const { return image_; }

  private:
    PseudoRandom random_;
    QImage image_;
};

// 64 bands from colour `from` to colour `to` along the width (or the height) of `area`.
void PaintGradient(DeviceContext& dc, const Rect& area, bool horizontal, ColorRef from,
                   ColorRef to);

}  // namespace dbx
