#include "banded_background.h"

#include <QPainter>

#include <algorithm>

namespace dbx {
namespace {

// Draws the source rectangle (device-independent pixels of `picture`) into `target`.
void Blit(QPainter& painter, const QRect& target, const QImage& picture, const QRect& source) {
    if (target.isEmpty() || source.isEmpty()) return;
    const qreal r = picture.devicePixelRatio();
    painter.drawImage(
        QRectF(target), picture,
        QRectF(source.x() * r, source.y() * r, source.width() * r, source.height() * r));
}

}  // namespace

void PaintBandedBackground(QPainter& painter, const QImage& picture, QSize designed, int bottomBand,
                           QSize area) {
    if (picture.isNull()) return;
    const QSize own = picture.deviceIndependentSize().toSize();
    const int width = std::min(designed.width(), own.width());
    const int height = std::min(designed.height(), own.height());
    bottomBand = std::clamp(bottomBand, 1, height);
    const int extra = std::max(0, area.height() - height);
    const int bottomRows = height - bottomBand;
    // Rows: the top part, the repeated row, the bottom band moved down by `extra`.
    struct Strip {
        QRect source;
        int top, height;
    };
    const Strip strips[] = {
        {QRect(0, 0, width, bottomBand), 0, bottomBand},
        {QRect(0, bottomBand - 1, width, 1), bottomBand, extra},
        {QRect(0, bottomBand, width, bottomRows), bottomBand + extra, bottomRows},
    };
    const int right = std::max(0, area.width() - width);
    for (const Strip& strip : strips) {
        if (strip.height <= 0 || strip.source.isEmpty()) continue;
        Blit(painter, QRect(0, strip.top, width, strip.height), picture, strip.source);
        // Each row's last pixel, carried on to the right edge.
        Blit(painter, QRect(width, strip.top, right, strip.height), picture,
             QRect(width - 1, strip.source.y(), 1, strip.source.height()));
    }
}

}  // namespace dbx
