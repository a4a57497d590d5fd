#include "markup_language.h"

#include "tag_effects.h"

namespace dbx::markup {

MarkupLanguage::MarkupLanguage(const SystemColors& system)
    : names_(system), fixedColor_(system.Get(kColorBtnShadow)) {}

void MarkupLanguage::AddReplacement(std::string from, std::string to) {
    replacements_.Add(std::move(from), std::move(to));
}

std::string MarkupLanguage::Prepare(std::string_view text) const {
    return PrepareText(text, replacements_, lineBreaks_);
}

ColorRef MarkupLanguage::ParseColor(std::string_view value, ColorRef fallback) const {
    return Values({}).Color(value, fallback);
}

ValueReader MarkupLanguage::Values(const FontMeasures& measures) const {
    return ValueReader{names_, colorMode_ ? std::nullopt : std::optional(fixedColor_), measures};
}

bool MarkupLanguage::ApplyRule(std::string_view selector, StyleState& state,
                               const FontMeasures& measures) const {
    return markup::ApplyRule(selector, sheet_, state, Values(measures));
}

bool MarkupLanguage::HandleTag(const TagInfo& tag, StyleStack& stack, StyleState& state,
                               const FontMeasures& measures, bool hoveredLink) const {
    if (tag.kind == TagKind::Unknown) return false;
    if (tag.closing) {
        stack.Close(tag.canonical, state);
        return false;
    }
    if (tag.canonical.empty()) return true;
    stack.Push(state, tag.canonical);
    ApplyTagEffect(tag, state, sheet_, Values(measures), hoveredLink);
    return false;
}

}  // namespace dbx::markup
