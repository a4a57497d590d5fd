#pragma once

#include <QColor>
#include <cstdint>

namespace dbx {

// A colour laid out 0x00BBGGRR: red in the low byte, the high byte unused.
using ColorRef = std::uint32_t;

constexpr ColorRef MakeColorRef(int red, int green, int blue) {
    return ColorRef(red & 0xFF) | (ColorRef(green & 0xFF) << 8) | (ColorRef(blue & 0xFF) << 16);
}
constexpr int RedOf(ColorRef c) {
    return int(c & 0xFF);
}
constexpr int GreenOf(ColorRef c) {
    return int((c >> 8) & 0xFF);
}
constexpr int BlueOf(ColorRef c) {
    return int((c >> 16) & 0xFF);
}

inline QColor ToQColor(ColorRef c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}
inline QRgb ToQRgb(ColorRef c) {
    return qRgb(RedOf(c), GreenOf(c), BlueOf(c));
}
inline ColorRef FromQRgb(QRgb rgb) {
    return MakeColorRef(qRed(rgb), qGreen(rgb), qBlue(rgb));
}
inline ColorRef FromQColor(const QColor& c) {
    return FromQRgb(c.rgb());
}

}  // namespace dbx
