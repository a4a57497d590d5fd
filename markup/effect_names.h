#pragma once

#include <optional>
#include <string_view>

#include "markup_numbers.h"

namespace dbx::markup {

// "transparent" -1, "solid" 0, "hgradient" 1 ... "metal" 15.
std::optional<int> EffectNumber(std::string_view name);
// The name of an effect number, or an empty text for numbers without one.
std::string_view EffectName(int number);

// A name, or else a number read as a length with `fallback` as default; empty keeps `fallback`.
int ParseEffect(std::string_view value, int fallback, const FontMeasures& measures);

}  // namespace dbx::markup
