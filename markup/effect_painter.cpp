#include "effect_painter.h"

#include <QList>
#include <cstdint>

#include "effect_patterns.h"
#include "visible_area.h"

namespace dbx {
namespace {

constexpr int kBands = 64;

int Step(int a, int b, int i) {
    return (a * kBands + i * (b - a)) / kBands;
}

}  // namespace

void PaintGradient(DeviceContext& dc, const Rect& area, bool horizontal, ColorRef from,
                   ColorRef to) {
    if (area.IsEmpty()) return;
    const std::int64_t length = horizontal ? area.Width() : area.Height();
    const int start = horizontal ? area.left : area.top;
    for (int i = 0; i < kBands; ++i) {
        const int begin = start + int(i * length / kBands);
        const int end = start + int((i + 1) * length / kBands);
        if (begin == end) continue;
        const ColorRef color =
            MakeColorRef(Step(RedOf(from), RedOf(to), i), Step(GreenOf(from), GreenOf(to), i),
                         Step(BlueOf(from), BlueOf(to), i));
        dc.FillSolidRect(horizontal ? Rect{begin, area.top, end, area.bottom}
                                    : Rect{area.left, begin, area.right, end},
                         color);
    }
}

void EffectPainter::Paint(DeviceContext& dc, int effect, const Rect& rect, ColorRef color1,
                          ColorRef color2, ColorRef color3, int granularity,
                          [[maybe_unused]] int option) {
    if (rect.IsEmpty()) return;
    const int midX = rect.left + rect.Width() / 2;
    const int midY = rect.top + rect.Height() / 2;
    const Rect leftPart{rect.left, rect.top, midX, rect.bottom};
    const Rect rightPart{midX, rect.top, rect.right, rect.bottom};
    const Rect topPart{rect.left, rect.top, rect.right, midY};
    const Rect bottomPart{rect.left, midY, rect.right, rect.bottom};
    switch (effect) {
        case kEffectHGradient:
        case kEffectVGradient:
            PaintGradient(dc, rect, effect == kEffectHGradient, color1, color3);
            return;
        case kEffectHCGradient:
            PaintGradient(dc, leftPart, true, color1, color3);
            PaintGradient(dc, rightPart, true, color3, color1);
            return;
        case kEffectVCGradient:
            PaintGradient(dc, topPart, false, color1, color3);
            PaintGradient(dc, bottomPart, false, color3, color1);
            return;
        case kEffect3HGradient:
            PaintGradient(dc, leftPart, true, color1, color2);
            PaintGradient(dc, rightPart, true, color2, color3);
            return;
        case kEffect3VGradient:
            PaintGradient(dc, topPart, false, color1, color2);
            PaintGradient(dc, bottomPart, false, color2, color3);
            return;
        default:
            break;
    }
    if (effect >= kEffectNoise && effect <= kEffectMetal) {
        // Only what can show is painted: a rectangle far larger than the device costs no more.
        const QRect shown = VisibleArea(dc).ToQRect() & rect.ToQRect();
        const QRect window = shown.translated(-rect.left, -rect.top);
        image_ =
            PatternIndexImage(effect, rect.Width(), rect.Height(), window, granularity, random_);
        if (shown.isEmpty()) return;
        if (!image_.isNull()) {
            const auto table = PatternColorTable(color1, color2, color3);
            QList<QRgb> colors;
            colors.reserve(qsizetype(table.size()));
            for (ColorRef c : table) colors.append(ToQRgb(c));
            image_.setColorTable(colors);
            dc.DrawImage(shown.left(), shown.top(), image_);
            return;
        }
        // Too large to allocate: the first colour at least covers the area.
    }
    dc.FillSolidRect(rect, color1);
}

}  // namespace dbx
