#include "image_styles.h"

#include <QPainter>
#include <algorithm>
#include <vector>

namespace dbx::markup {
namespace {

constexpr int kMaxBlur = 63;

bool Has(std::string_view letters, char c) {
    return letters.find(c) != std::string_view::npos;
}

template <typename ChannelMap>
void MapPixels(QImage& image, ChannelMap map) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            if (qAlpha(p) == 0) continue;
            int r = qRed(p), g = qGreen(p), b = qBlue(p);
            map(r, g, b);
            line[x] = qRgba(r, g, b, qAlpha(p));
        }
    }
}

// Replaces every sample of each line by the average of the 2 × radius + 1 samples centred on
// it; samples beyond the ends count as 0.
void BoxPass(std::vector<int>& plane, int lines, int length, std::size_t lineStep,
             std::size_t sampleStep, int radius) {
    if (radius == 0) return;
    std::vector<int> prefix(std::size_t(length) + 1, 0);
    const int size = 2 * radius + 1;
    for (int l = 0; l < lines; ++l) {
        const std::size_t base = std::size_t(l) * lineStep;
        for (int i = 0; i < length; ++i) {
            prefix[std::size_t(i) + 1] =
                prefix[std::size_t(i)] + plane[base + std::size_t(i) * sampleStep];
        }
        for (int i = 0; i < length; ++i) {
            const int lo = std::max(0, i - radius);
            const int hi = std::min(length, i + radius + 1);
            plane[base + std::size_t(i) * sampleStep] =
                (prefix[std::size_t(hi)] - prefix[std::size_t(lo)]) / size;
        }
    }
}

// Even sizes are raised to the next odd one, so the blur has a centre.
int BlurRadius(int size) {
    return std::clamp(size, 0, kMaxBlur) / 2;
}

}  // namespace

QImage StyledImage(QImage image, std::string_view letters) {
    if (image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    if (Has(letters, 'g')) {
        MapPixels(image, [](int& r, int& g, int& b) {
            r = g = b = int(0.299 * r + 0.587 * g + 0.114 * b);
        });
    }
    if (Has(letters, 'd')) {
        MapPixels(image, [](int& r, int& g, int& b) {
            r = r * 3 / 4;
            g = g * 3 / 4;
            b = b * 3 / 4;
        });
    }
    if (Has(letters, 'l')) {
        MapPixels(image, [](int& r, int& g, int& b) {
            r = std::min(255, r * 5 / 4);
            g = std::min(255, g * 5 / 4);
            b = std::min(255, b * 5 / 4);
        });
    }
    return image;
}

void DrawImageShadow(DeviceContext& dc, int x, int y, const QImage& original,
                     const ImageShadow& shadow) {
    if (original.isNull()) return;
    const QImage image = original.convertToFormat(QImage::Format_ARGB32);
    const int darkness = std::clamp(shadow.darkness, 0, 100);
    if (!shadow.soft) {
        QImage flat(image.size(), QImage::Format_ARGB32);
        const int level = 255 * (100 - darkness) / 100;
        for (int row = 0; row < image.height(); ++row) {
            const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(row));
            auto* out = reinterpret_cast<QRgb*>(flat.scanLine(row));
            for (int col = 0; col < image.width(); ++col) {
                out[col] = qRgba(level, level, level, qAlpha(in[col]));
            }
        }
        BlendImage(dc, x + shadow.offsetX, y + shadow.offsetY, flat);
        return;
    }
    const int rx = BlurRadius(shadow.blurX);
    const int ry = BlurRadius(shadow.blurY);
    const int width = image.width() + 2 * rx;
    const int height = image.height() + 2 * ry;
    std::vector<int> alpha(std::size_t(width) * std::size_t(height), 0);
    for (int row = 0; row < image.height(); ++row) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        for (int col = 0; col < image.width(); ++col) {
            alpha[std::size_t(row + ry) * std::size_t(width) + std::size_t(col + rx)] =
                qAlpha(in[col]);
        }
    }
    BoxPass(alpha, height, width, std::size_t(width), 1, rx);
    BoxPass(alpha, width, height, 1, std::size_t(width), ry);
    QImage soft(width, height, QImage::Format_ARGB32);
    for (int row = 0; row < height; ++row) {
        auto* out = reinterpret_cast<QRgb*>(soft.scanLine(row));
        for (int col = 0; col < width; ++col) {
            const int a = alpha[std::size_t(row) * std::size_t(width) + std::size_t(col)];
            out[col] = qRgba(0, 0, 0, a * darkness / 100);
        }
    }
    BlendImage(dc, x + shadow.offsetX - rx, y + shadow.offsetY - ry, soft);
}

void BlendImage(DeviceContext& dc, int x, int y, const QImage& image) {
    QPainter& painter = dc.Painter();
    const QPainter::CompositionMode previous = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(QPoint(x, y), image);
    painter.setCompositionMode(previous);
}

}  // namespace dbx::markup
