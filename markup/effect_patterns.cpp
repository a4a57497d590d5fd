#include "effect_patterns.h"

#include <algorithm>
#include <cstdint>

namespace dbx {
namespace {

using I64 = std::int64_t;

// All arithmetic as the effects define it: integers, division toward zero, and the low 8 bits
// of the result as the index. 64 bits keep the products of large rectangles exact. The image
// holds only `window` of the full width × height; coordinates stay those of the full rectangle.
class Pattern {
  public:
    Pattern(QImage& image, QRect window, int width, int height, int granularity,
            PseudoRandom& random)
        : image_(image),
          x0_(window.left()),
          y0_(window.top()),
          x1_(I64(window.left()) + window.width()),
          y1_(I64(window.top()) + window.height()),
          w_(width),
          h_(height),
          g_(granularity),
          n1_(255 - 2 * granularity),
          q_(granularity == 0 ? 1 : 2 * granularity),
          random_(random) {}

    void Paint(int effect) {
        switch (effect) {
            case 7:
                Each([&](I64, I64) { return 128 + Noise(); });
                break;
            case 8:
                Each([&](I64 x, I64 y) {
                    return g_ + (y * (n1_ / 2)) / h_ + ((w_ - x) * (n1_ / 2)) / w_ + Noise();
                });
                break;
            case 9:
                Each([&](I64, I64 y) { return g_ + (y * n1_) / h_ + Noise(); });
                break;
            case 10:
                Each([&](I64 x, I64) { return g_ + ((w_ - x) * n1_) / w_ + Noise(); });
                break;
            case 11:
                Each([&](I64, I64 y) { return Bump((255 * y) / h_ - 127) + Noise(); });
                break;
            case 12:
                Each([&](I64 x, I64) { return Bump((255 * (w_ - x)) / w_ - 127) + Noise(); });
                break;
            case 13:
                Each([&](I64 x, I64 y) { return SoftBump(x, y) + Noise(); });
                break;
            case 14:
                HardBump();
                break;
            case 15:
                Metal();
                break;
            default:
                break;
        }
    }

  private:
    I64 Noise() { return random_.Next() / (PseudoRandom::kMax / q_) - g_; }

    static I64 Cube(I64 t) { return t * t * t; }

    I64 Bump(I64 t) const { return 128 + ((Cube(t) / 16384) * (128 - g_)) / 128; }

    I64 SoftBump(I64 x, I64 y) const {
        const I64 u = (255 * y) / h_ - 127;
        const I64 v = (255 * (w_ - x)) / w_ - 127;
        I64 s = 128 + ((Cube(u) / 16384 + Cube(v) / 16384) * (128 - g_)) / 128;
        if (s < g_) s = g_;
        if (s > 255 - g_) s = 255 - g_;
        return s;
    }

    void HardBump() {
        Each([&](I64, I64 y) {
            const I64 t = (255 * y) / h_ - 127;
            return 128 + ((Cube(t) / 16384) * (64 - g_) * 2) / 128 + Noise();
        });
        const I64 bevel = std::min<I64>(w_ / 6, 16);
        const I64 d = I64(h_) * h_ / 4;
        for (I64 y = y0_; y < y1_; ++y) {
            // A one-row rectangle has d = 0; its numerator is 0 too, read as 0.
            const I64 numerator = (y * bevel - bevel * (h_ / 2)) * (y - h_ / 2);
            const I64 m = (d == 0 ? 0 : numerator / d) + w_ / 2 - bevel;
            std::uint8_t* row = image_.scanLine(int(y - y0_)) - x0_;
            for (I64 x = x0_; x < x1_; ++x) {
                I64 value = row[x];
                // Without a bevel (narrow rectangles) neither rule can hold.
                if (bevel > 0 && m < x - w_ / 2) value = g_ + (128 * (w_ - x)) / bevel;
                if (bevel > 0 && m + x - w_ / 2 < 0) value = (255 - g_) - (128 * x) / bevel;
                row[x] = std::uint8_t(value + Noise());
            }
        }
    }

    void Metal() {
        image_.fill(0);
        const I64 side = std::min(w_, h_);
        // Guarded divisors: rectangles wider than 0x7FFF pixels would otherwise divide by zero.
        const I64 xDivisor = std::max<I64>(1, PseudoRandom::kMax / w_);
        const I64 yDivisor = std::max<I64>(1, PseudoRandom::kMax / h_);
        const I64 lengthDivisor = std::max<I64>(1, PseudoRandom::kMax / side);
        for (int scratch = 0; scratch < 200; ++scratch) {
            const I64 x0 = random_.Next() / xDivisor;
            const I64 y0 = random_.Next() / yDivisor;
            const I64 length = random_.Next() / lengthDivisor;
            const auto value = std::uint8_t(random_.Next() / 819);
            for (I64 k = 0; k < length / 2; ++k) {
                // The scratch conditions alone let x0 or y0 reach the far edge; points outside
                // the image are left out.
                if (x0 - k > 0 && y0 + k < h_) Set(x0 - k, y0 + k, value);
                if (x0 + k < w_ && y0 - k > 0) Set(w_ - x0 + k, y0 - k, value);
            }
        }
        const I64 n2 = (n1_ - 40) / 2;
        Each([&](I64 x, I64 y) {
            const I64 base = image_.constScanLine(int(y - y0_))[x - x0_];
            return base + (y * n2) / h_ + ((w_ - x) * n2) / w_ +
                   random_.Next() / (PseudoRandom::kMax / q_);
        });
    }

    void Set(I64 x, I64 y, std::uint8_t value) {
        if (x >= x0_ && x < x1_ && y >= y0_ && y < y1_) {
            image_.scanLine(int(y - y0_))[x - x0_] = value;
        }
    }

    template <typename IndexOf>
    void Each(IndexOf indexOf) {
        for (I64 y = y0_; y < y1_; ++y) {
            std::uint8_t* row = image_.scanLine(int(y - y0_));
            for (I64 x = x0_; x < x1_; ++x) row[x - x0_] = std::uint8_t(indexOf(x, y));
        }
    }

    QImage& image_;
    const I64 x0_, y0_, x1_, y1_;
    const I64 w_;
    const I64 h_;
    const I64 g_;
    const I64 n1_;
    const I64 q_;
    PseudoRandom& random_;
};

ColorRef Mix(ColorRef a, I64 weightA, ColorRef b, I64 weightB) {
    return MakeColorRef(int((RedOf(a) * weightA + RedOf(b) * weightB) / 128),
                        int((GreenOf(a) * weightA + GreenOf(b) * weightB) / 128),
                        int((BlueOf(a) * weightA + BlueOf(b) * weightB) / 128));
}

}  // namespace

std::array<ColorRef, 256> PatternColorTable(ColorRef color1, ColorRef color2, ColorRef color3) {
    std::array<ColorRef, 256> table{};
    for (int i = 0; i <= 128; ++i) table[std::size_t(i)] = Mix(color3, 128 - i, color2, i);
    // Entry 128 is written again here; this second value stays.
    for (int j = 1; j <= 128; ++j) table[std::size_t(127 + j)] = Mix(color2, 128 - j, color1, j);
    return table;
}

QImage PatternIndexImage(int effect, int width, int height, int granularity, PseudoRandom& random) {
    return PatternIndexImage(effect, width, height, QRect(0, 0, width, height), granularity,
                             random);
}

QImage PatternIndexImage(int effect, int width, int height, QRect window, int granularity,
                         PseudoRandom& random) {
    window &= QRect(0, 0, width, height);
    if (width <= 0 || height <= 0 || window.isEmpty()) return {};
    QImage image(window.size(), QImage::Format_Indexed8);
    if (image.isNull()) return image;
    Pattern(image, window, width, height, std::clamp(granularity, 0, 255), random).Paint(effect);
    return image;
}

}  // namespace dbx
