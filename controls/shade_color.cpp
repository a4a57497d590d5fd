#include "shade_color.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "device_context.h"

namespace dbx {
namespace {

// Byte of a 0..1 value; the small bias keeps exact products such as 0.996 * 255 = 254 from
// landing just below their integer.
int ToByte(double unit) {
    return std::clamp(int(unit * 255.0 + 1e-7), 0, 255);
}

int Adjust(int byte, int percent) {
    if (percent > 0) return byte + (255 - byte) * percent / 100;
    if (percent < 0) return byte * (100 + percent) / 100;
    return byte;
}

double HueToValue(double m1, double m2, double hue) {
    while (hue < 0) hue += 360;
    while (hue >= 360) hue -= 360;
    if (hue < 60) return m1 + (m2 - m1) * hue / 60;
    if (hue < 180) return m2;
    if (hue < 240) return m1 + (m2 - m1) * (240 - hue) / 60;
    return m1;
}

}  // namespace

ColorRef ShadeColor(ColorRef colour, int lightnessPercent, int saturationPercent) {
    const int r = RedOf(colour), g = GreenOf(colour), b = BlueOf(colour);
    const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
    int h = 0, s = 0;
    int l = ToByte((mx + mn) / 510.0);
    if (mx != mn) {
        const double delta = mx - mn;
        s = ToByte(mx + mn <= 255 ? delta / (mx + mn) : delta / (510.0 - mx - mn));
        double hue;
        if (b == mx) {
            hue = 4 + (r - g) / delta;
        } else if (g == mx) {
            hue = 2 + (b - r) / delta;
        } else {
            hue = (g - b) / delta;
        }
        hue *= 60;
        if (hue < 0) hue += 360;
        h = ToByte(hue / 360.0);
    }
    l = Adjust(l, lightnessPercent);
    s = Adjust(s, saturationPercent);
    if (s == 0) return MakeColorRef(l, l, l);
    const double L = l / 255.0, S = s / 255.0, H = h * 360.0 / 255.0;
    const double m2 = L <= 0.5 ? L * (1 + S) : L + S - L * S;
    const double m1 = 2 * L - m2;
    return MakeColorRef(ToByte(HueToValue(m1, m2, H + 120)), ToByte(HueToValue(m1, m2, H)),
                        ToByte(HueToValue(m1, m2, H - 120)));
}

void GradientFill(DeviceContext& dc, const Rect& rect, ColorRef from, ColorRef to) {
    if (rect.IsEmpty()) return;
    if ((from & 0xFFFFFF) == (to & 0xFFFFFF)) {
        dc.FillSolidRect(rect, from);
        return;
    }
    const int dr = RedOf(to) - RedOf(from), dg = GreenOf(to) - GreenOf(from),
              db = BlueOf(to) - BlueOf(from);
    const int n = std::max({std::abs(dr), std::abs(dg), std::abs(db)});
    const double w = double(rect.Width()) / n;
    // Drawn in a buffer of its own, then copied.
    QImage buffer(rect.Width(), rect.Height(), QImage::Format_RGB32);
    {
        DeviceContext bands(&buffer);
        const auto at = [&](int t) {
            return MakeColorRef(RedOf(from) + t * dr / n, GreenOf(from) + t * dg / n,
                                BlueOf(from) + t * db / n);
        };
        int end = 0;
        for (int t = 0; t < n; ++t) {
            const int x0 = int(std::floor(t * w)), x1 = int(std::floor((t + 1) * w));
            if (x1 > x0) bands.FillSolidRect({x0, 0, x1, rect.Height()}, at(t));
            end = std::max(end, x1);
        }
        if (end < rect.Width()) bands.FillSolidRect({end, 0, rect.Width(), rect.Height()}, to);
    }
    dc.BitBlt(rect.left, rect.top, rect.Width(), rect.Height(), buffer, 0, 0);
}

}  // namespace dbx
