#include "bitmap_keying.h"

#include "system_colors.h"

namespace dbx {

KeyedBitmap KeyBitmap(const QImage& bitmap, ColorRef transparent) {
    KeyedBitmap keyed;
    if (bitmap.isNull()) return keyed;
    keyed.colour = bitmap.convertToFormat(QImage::Format_RGB32);
    keyed.mask = QImage(keyed.colour.size(), QImage::Format_RGB32);
    if (keyed.colour.isNull() || keyed.mask.isNull()) return {};
    keyed.colour.setDevicePixelRatio(bitmap.devicePixelRatio());
    keyed.mask.setDevicePixelRatio(bitmap.devicePixelRatio());
    const QRgb key = ToQRgb(transparent);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb black = qRgb(0, 0, 0);
    for (int y = 0; y < keyed.colour.height(); ++y) {
        auto* colour = reinterpret_cast<QRgb*>(keyed.colour.scanLine(y));
        auto* mask = reinterpret_cast<QRgb*>(keyed.mask.scanLine(y));
        for (int x = 0; x < keyed.colour.width(); ++x) {
            const bool clear = (colour[x] & 0xFFFFFF) == (key & 0xFFFFFF);
            mask[x] = clear ? white : black;
            if (clear) colour[x] = black;
        }
    }
    return keyed;
}

QImage MapGreysToSystemColours(const QImage& bitmap) {
    if (bitmap.isNull()) return bitmap;
    QImage mapped = bitmap.convertToFormat(QImage::Format_ARGB32);
    mapped.setDevicePixelRatio(bitmap.devicePixelRatio());
    const struct {
        QRgb grey;
        QRgb system;
    } map[] = {{qRgb(128, 128, 128), ToQRgb(GetSysColor(kColorBtnShadow))},
               {qRgb(192, 192, 192), ToQRgb(GetSysColor(kColorBtnFace))},
               {qRgb(223, 223, 223), ToQRgb(GetSysColor(kColor3dLight))}};
    for (int y = 0; y < mapped.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(mapped.scanLine(y));
        for (int x = 0; x < mapped.width(); ++x) {
            if (qAlpha(line[x]) != 255) continue;
            for (const auto& entry : map) {
                if (line[x] == entry.grey) {
                    line[x] = entry.system;
                    break;
                }
            }
        }
    }
    return mapped;
}

}  // namespace dbx
