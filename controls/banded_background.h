#pragma once

#include <QImage>
#include <QSize>

class QPainter;

namespace dbx {

// A window background drawn for one window size (`designed`) that also covers a larger one:
// at the designed size the picture lies unscaled at (0, 0); a taller window keeps the rows
// from `bottomBand` on at its bottom and repeats the row above them in between; a wider one
// carries every row's last pixel on to the right. Sizes in device-independent pixels.
void PaintBandedBackground(QPainter& painter, const QImage& picture, QSize designed, int bottomBand,
                           QSize area);

}  // namespace dbx
