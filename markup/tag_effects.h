#pragma once

#include "markup_tags.h"
#include "style_sheet.h"
#include "style_state.h"
#include "value_reader.h"

namespace dbx::markup {

// Looks the selector up and applies its declarations; false when the sheet has no such rule.
bool ApplyRule(std::string_view selector, const StyleSheet& sheet, StyleState& state,
               const ValueReader& values);

// What an opening style tag does to the state (bold, italic, font attributes, alignment,
// sheet rules, span classes, links). `hoveredLink` picks "a:hover" over "a:link".
void ApplyTagEffect(const TagInfo& tag, StyleState& state, const StyleSheet& sheet,
                    const ValueReader& values, bool hoveredLink);

// The "style" attribute of a font tag: letters b, i, u, s, o, each turned off by a "-" or on by
// a "+" just before it; other characters are ignored.
void ApplyStyleLetters(std::string_view letters, StyleState& state);

}  // namespace dbx::markup
