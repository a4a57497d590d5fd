#include "declarations.h"

#include <algorithm>
#include <string>

#include "ansi_codepage.h"

namespace dbx::markup {
namespace {

bool IsItemStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view v) {
    while (!v.empty() && IsBlank(v.front())) v.remove_prefix(1);
    while (!v.empty() && IsBlank(v.back())) v.remove_suffix(1);
    return v;
}

void ApplyTextDecoration(std::string_view value, StyleState& s) {
    if (value.empty()) value = "none";
    std::size_t pos = 0;
    while (pos < value.size()) {
        const std::size_t end = std::min(value.find_first_of(" ,", pos), value.size());
        const std::string_view word = value.substr(pos, end - pos);
        if (word == "none") {
            s.underline = s.strikeout = s.overline = false;
        } else if (word == "underline") {
            s.underline = true;
        } else if (word == "line-through") {
            s.strikeout = true;
        } else if (word == "overline") {
            s.overline = true;
        }
        pos = end + 1;
    }
}

void ApplyBorderWidth(std::string_view value, StyleState& s, const ValueReader& values) {
    if (value == "thin") {
        s.borderWidth = MulDiv(s.borderWidth, 75, 100);
    } else if (value == "thick") {
        s.borderWidth = MulDiv(s.borderWidth, 125, 100);
    } else if (value != "medium") {
        s.borderWidth = values.Length(value, s.borderWidth);
    }
    if (s.borderWidth == 0) {
        s.borderStyle = 0;
    } else if (s.borderStyle == 0) {
        s.borderStyle = 1;
    }
}

}  // namespace

int ParseFontWeight(std::string_view v) {
    if (v.empty() || v == "normal") return 400;
    if (v == "bold") return 700;
    if (v == "bolder") return 900;
    if (v == "lighter") return 100;
    return ReadAutoInteger(v);
}

std::optional<bool> ParseFontStyle(std::string_view v) {
    if (v.empty() || v == "normal") return false;
    if (v == "italic" || v == "oblique") return true;
    return std::nullopt;
}

std::optional<HAlign> ParseTextAlign(std::string_view v) {
    if (v.empty() || v == "left") return HAlign::Left;
    if (v == "center") return HAlign::Center;
    if (v == "right") return HAlign::Right;
    return std::nullopt;
}

std::optional<TextTransform> ParseTextTransform(std::string_view v) {
    if (v.empty() || v == "none") return TextTransform::None;
    if (v == "uppercase") return TextTransform::Upper;
    if (v == "lowercase") return TextTransform::Lower;
    if (v == "capitalize") return TextTransform::Capitalize;
    return std::nullopt;
}

std::optional<VAlign> ParseVerticalAlign(std::string_view v) {
    if (v.empty() || v == "baseline") return VAlign::Baseline;
    if (v == "middle" || v == "vcenter") return VAlign::Center;
    if (v == "top") return VAlign::Top;
    if (v == "bottom") return VAlign::Bottom;
    return std::nullopt;
}

std::optional<int> ParseBorderStyle(std::string_view v) {
    if (v.empty() || v == "none") return 0;
    if (v == "solid") return 1;
    if (v == "dashed") return 2;
    if (v == "dotted") return 3;
    if (v == "double") return 6;
    return std::nullopt;
}

void ApplyProperty(std::string_view name, std::string_view v, StyleState& s,
                   const ValueReader& values) {
    if (name == "font-size") {
        s.fontSize = values.Length(v, s.fontSize, true);
    } else if (name == "font-family") {
        if (!v.empty()) s.fontFace = std::string(v);
    } else if (name == "font-style") {
        s.italic = ParseFontStyle(v).value_or(s.italic);
    } else if (name == "font-weight") {
        s.fontWeight = ParseFontWeight(v);
    } else if (name == "text-align") {
        s.horizontalAlign = ParseTextAlign(v).value_or(s.horizontalAlign);
    } else if (name == "text-transform") {
        s.textTransform = ParseTextTransform(v).value_or(s.textTransform);
    } else if (name == "color") {
        s.textColor = values.Color(v, s.textColor);
    } else if (name == "background-color") {
        if (v.empty() || v == "transparent") {
            s.backgroundMode = BkMode::Transparent;
        } else {
            s.backgroundMode = BkMode::Opaque;
            s.backgroundColor = values.Color(v, s.backgroundColor);
        }
    } else if (name == "text-decoration") {
        ApplyTextDecoration(v, s);
    } else if (name == "vertical-align") {
        s.verticalAlign = ParseVerticalAlign(v).value_or(s.verticalAlign);
    } else if (name == "border-color") {
        s.borderColorLight = values.Color(v, s.borderColorLight);
        s.borderColorDark = values.Color(v, s.borderColorDark);
    } else if (name == "border-width" || name == "size") {
        ApplyBorderWidth(v, s, values);
    } else if (name == "border-style") {
        s.borderStyle = ParseBorderStyle(v).value_or(s.borderStyle);
        if (s.borderStyle != 0 && s.borderWidth == 0) s.borderWidth = 1;
    } else if (name == "margin") {
        s.cellPadding = values.Length(v, s.cellPadding);
    } else if (name == "padding") {
        s.cellSpacing = values.Length(v, s.cellSpacing);
    }
}

void ApplyDeclarations(std::string_view text, StyleState& state, const ValueReader& values) {
    const std::string lower = AnsiLower(text);
    const std::string_view t = lower;
    std::size_t pos = 0;
    while (pos < t.size()) {
        while (pos < t.size() && !IsItemStart(t[pos])) ++pos;
        if (pos >= t.size()) break;
        const std::size_t nameEnd = std::min(t.find_first_of(" :", pos), t.size());
        const std::string_view name = t.substr(pos, nameEnd - pos);
        std::size_t p = nameEnd;
        while (p < t.size() && t[p] == ' ') ++p;
        const std::size_t itemEnd = std::min(t.find(';', p), t.size());
        if (p < t.size() && t[p] == ':') {
            ApplyProperty(name, Trim(t.substr(p + 1, itemEnd - p - 1)), state, values);
        }
        // An item without a colon is skipped up to its semicolon.
        pos = itemEnd + 1;
    }
}

}  // namespace dbx::markup
