#include "effect_names.h"

#include <array>

namespace dbx::markup {
namespace {

// Index i holds the name of effect i - 1.
constexpr std::array<std::string_view, 17> kNames = {
    "transparent", "solid",      "hgradient", "vgradient", "hcgradient", "vcgradient",
    "3hgradient",  "3vgradient", "noise",     "diagshade", "hshade",     "vshade",
    "hbump",       "vbump",      "softbump",  "hardbump",  "metal",
};

}  // namespace

std::optional<int> EffectNumber(std::string_view name) {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (kNames[i] == name) return int(i) - 1;
    }
    return std::nullopt;
}

std::string_view EffectName(int number) {
    if (number < -1 || number >= int(kNames.size()) - 1) return {};
    return kNames[std::size_t(number + 1)];
}

int ParseEffect(std::string_view value, int fallback, const FontMeasures& measures) {
    if (value.empty()) return fallback;
    if (const auto number = EffectNumber(value)) return *number;
    return ParseLength(value, fallback, false, measures);
}

}  // namespace dbx::markup
