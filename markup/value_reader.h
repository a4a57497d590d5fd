#pragma once

#include <optional>
#include <string_view>

#include "color_ref.h"
#include "markup_colors.h"
#include "markup_numbers.h"

namespace dbx::markup {

// Reads the colour and length values of one point of a text: the colour names, the colour every
// value yields when colours are off, and the metrics of the selected font.
struct ValueReader {
    const ColorNames& names;
    std::optional<ColorRef> fixedColor;
    FontMeasures measures;

    ColorRef Color(std::string_view value, ColorRef fallback) const {
        return fixedColor ? *fixedColor : ParseColor(value, fallback, names);
    }
    int Length(std::string_view value, int fallback, bool fontSize = false) const {
        return ParseLength(value, fallback, fontSize, measures);
    }
};

}  // namespace dbx::markup
