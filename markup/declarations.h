#pragma once

#include <optional>
#include <string_view>

#include "style_state.h"
#include "value_reader.h"

namespace dbx::markup {

// The keyword parsers of the style properties; nullopt means "leave the value unchanged".
int ParseFontWeight(std::string_view value);
std::optional<bool> ParseFontStyle(std::string_view value);
std::optional<HAlign> ParseTextAlign(std::string_view value);
std::optional<TextTransform> ParseTextTransform(std::string_view value);
std::optional<VAlign> ParseVerticalAlign(std::string_view value);
std::optional<int> ParseBorderStyle(std::string_view value);

// Applies one property; unknown names are ignored.
void ApplyProperty(std::string_view name, std::string_view value, StyleState& state,
                   const ValueReader& values);

// Applies a rule text such as "color:red; font-size: 10pt". The text is read in lower case;
// values have surrounding white space removed.
void ApplyDeclarations(std::string_view text, StyleState& state, const ValueReader& values);

}  // namespace dbx::markup
