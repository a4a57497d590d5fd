#pragma once

#include <string_view>

#include "mul_div.h"

namespace dbx::markup {

// Every reader here takes what it can and yields 0 for text that holds no number. Results are
// held to the 32-bit range.

// Optional leading white space and sign, then "0x" hexadecimal, a leading "0" octal, otherwise
// decimal; reading stops at the first character that is not a digit of the base.
int ReadAutoInteger(std::string_view text);

// The decimal digits at the very start of the text.
int ReadLeadingDecimal(std::string_view text);

// Metrics of the selected font and the device, for the relative units.
struct FontMeasures {
    int xHeight = 0;
    int textHeight = 0;
    int pixelsPerInchY = 96;
};

// A length such as "12", "0x10", "10pt", "2em" or "150%" (a percentage of `fallback`); an empty
// value yields `fallback`. With `fontSize`, plain numbers 1-7 are the classic font sizes.
int ParseLength(std::string_view value, int fallback, bool fontSize, const FontMeasures& measures);

}  // namespace dbx::markup
