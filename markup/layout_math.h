#pragma once

#include <algorithm>
#include <cstdint>

namespace dbx::markup {

// Sizes read from markup (image sides, cell requests, paddings) are held to this, so that a
// hostile text cannot ask for a gigantic picture or overflow the sums built from them.
inline constexpr int kMaxLength = 16384;

// Positions and sums of a layout stay within this, far below the int range.
inline constexpr int kMaxCoordinate = 1 << 28;

inline int ClampLength(int value) {
    return std::clamp(value, 0, kMaxLength);
}

inline int ClampCoordinate(std::int64_t value) {
    return int(std::clamp<std::int64_t>(value, -kMaxCoordinate, kMaxCoordinate));
}

inline int AddClamped(int a, std::int64_t b) {
    return ClampCoordinate(std::int64_t(a) + b);
}

}  // namespace dbx::markup

namespace dbx::markup {

// The counts of "br=N" and "t=N" are held to this.
inline constexpr int kMaxRepeat = 1000;

}  // namespace dbx::markup
