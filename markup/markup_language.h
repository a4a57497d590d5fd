#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "markup_colors.h"
#include "markup_tags.h"
#include "style_sheet.h"
#include "style_stack.h"
#include "style_state.h"
#include "system_colors.h"
#include "text_preparation.h"
#include "value_reader.h"

namespace dbx::markup {

// The tables and settings a renderer keeps for its lifetime: replacements, colour names (system
// colours sampled at creation), the style sheet, the line-break option and the colour mode.
class MarkupLanguage {
  public:
    explicit MarkupLanguage(const SystemColors& system);

    void SetLineBreaks(bool on) { lineBreaks_ = on; }
    void AddReplacement(std::string from, std::string to);
    std::string Prepare(std::string_view text) const;

    // With colours off every colour value yields the fixed colour.
    void SetColorMode(bool on) { colorMode_ = on; }
    bool ColorMode() const { return colorMode_; }
    void SetFixedColor(ColorRef color) { fixedColor_ = color & 0xFFFFFF; }
    ColorRef FixedColor() const { return fixedColor_; }
    ColorRef ParseColor(std::string_view value, ColorRef fallback) const;
    ValueReader Values(const FontMeasures& measures) const;

    // nullopt restores the built-in sheet.
    void SetStyleSheet(std::optional<std::string_view> text) { sheet_.Set(text); }
    bool ApplyRule(std::string_view selector, StyleState& state,
                   const FontMeasures& measures) const;

    // Applies the stack rule and the effect of a style tag; unknown tags and unmatched closing
    // tags change nothing. Returns true for an opening tag that acts at its position instead
    // (rule, break, tab, image, string), which is the layout's part.
    bool HandleTag(const TagInfo& tag, StyleStack& stack, StyleState& state,
                   const FontMeasures& measures, bool hoveredLink = false) const;

  private:
    ReplacementMap replacements_ = ReplacementMap::Entities();
    ColorNames names_;
    StyleSheet sheet_;
    bool lineBreaks_ = true;
    bool colorMode_ = true;
    ColorRef fixedColor_;
};

}  // namespace dbx::markup
