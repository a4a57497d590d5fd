#include "markup_numbers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace dbx::markup {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<int>::max();
constexpr std::int64_t kMin = std::numeric_limits<int>::min();

int Clamp(std::int64_t v) {
    return int(std::clamp(v, kMin, kMax));
}
int Clamp(double v) {
    if (std::isnan(v)) return 0;
    return int(std::clamp(std::trunc(v), double(kMin), double(kMax)));
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Accumulates digits of `base` from `pos`, stopping short of overflow.
std::int64_t ReadDigits(std::string_view text, std::size_t pos, int base) {
    std::int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int d = DigitValue(text[pos]);
        if (d >= base) break;
        value = std::min<std::int64_t>(value * base + d, kMax + 1);
    }
    return value;
}

constexpr std::array<int, 7> kFontSizes = {8, 10, 12, 14, 18, 24, 36};

}  // namespace

int ReadAutoInteger(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int base = 10;
    if (pos < text.size() && text[pos] == '0') {
        const bool hexPrefix =
            pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X');
        if (hexPrefix && pos + 2 < text.size() && DigitValue(text[pos + 2]) < 16) {
            base = 16;
            pos += 2;
        } else {
            base = 8;
        }
    }
    const std::int64_t magnitude = ReadDigits(text, pos, base);
    return Clamp(negative ? -magnitude : magnitude);
}

int ReadLeadingDecimal(std::string_view text) {
    return Clamp(ReadDigits(text, 0, 10));
}

int ParseLength(std::string_view value, int fallback, bool fontSize, const FontMeasures& m) {
    if (value.empty()) return fallback;
    if (value.front() == '+' || value.front() == '-') value.remove_prefix(1);
    if (!value.empty() && value.back() == '%') {
        return MulDiv(fallback, ReadLeadingDecimal(value), 100);
    }
    const std::int64_t n = ReadLeadingDecimal(value);
    const double d = m.pixelsPerInchY;
    if (value.size() >= 2) {
        const std::string_view unit = value.substr(value.size() - 2);
        if (unit == "px") return Clamp(n);
        if (unit == "ex") return Clamp(n * m.xHeight);
        if (unit == "em") return Clamp(n * m.textHeight);
        if (unit == "in") return Clamp(double(n) * d);
        if (unit == "cm") return Clamp(double(n) * d * 0.39370078740157477);
        if (unit == "mm") return Clamp(double(n) * d * 0.03937007874015748);
        if (unit == "pt") return Clamp(n * m.pixelsPerInchY / 72);
        if (unit == "pc") return Clamp(n * m.pixelsPerInchY / 6);
    }
    const int number = ReadAutoInteger(value);
    if (fontSize && number >= 1 && number <= 7) return kFontSizes[std::size_t(number - 1)];
    return number;
}

}  // namespace dbx::markup
