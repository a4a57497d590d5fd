#include "table_attributes.h"

#include "declarations.h"
#include "effect_names.h"
#include "layout_math.h"
#include "markup_tags.h"

namespace dbx::markup {
namespace {

void SetBorderWidth(StyleState& s, int width) {
    s.borderWidth = ClampLength(width);
    if (s.borderWidth == 0) {
        s.borderStyle = 0;
    } else if (s.borderStyle == 0) {
        s.borderStyle = 1;
    }
}

void SetBorderStyle(StyleState& s, int style) {
    s.borderStyle = style;
    if (s.borderStyle != 0 && s.borderWidth == 0) s.borderWidth = 1;
}

}  // namespace

void ApplyTableAttributes(std::string_view attributes, TablePart part, StyleState& s,
                          const ValueReader& values, CellSpans* spans) {
    const bool table = part == TablePart::Table;
    std::size_t pos = 0;
    while (auto attr = NextAttribute(attributes, pos)) {
        const std::string& name = attr->name;
        const std::string_view v = attr->value;
        if (name == "cellpadding" && table) {
            s.cellPadding = ClampLength(values.Length(v, s.cellPadding));
        } else if (name == "cellspacing" && table) {
            s.cellSpacing = ClampLength(values.Length(v, s.cellSpacing));
        } else if (name == "background" && table) {
            s.backgroundImage = std::string(v);
        } else if (name == "colspan" || name == "rowspan") {
            if (spans != nullptr) {
                int& span = name == "colspan" ? spans->columns : spans->rows;
                span = std::max(1, values.Length(v, 1));
            }
        } else if (name == "border") {
            SetBorderWidth(s, values.Length(v, s.borderWidth));
        } else if (name == "borderstyle") {
            SetBorderStyle(s, ParseBorderStyle(v).value_or(s.borderStyle));
        } else if (name == "bordercolor") {
            s.borderColorLight = values.Color(v, s.borderColorLight);
            s.borderColorDark = values.Color(v, s.borderColorDark);
        } else if (name == "bordercolorlight") {
            s.borderColorLight = values.Color(v, s.borderColorLight);
        } else if (name == "bordercolordark") {
            s.borderColorDark = values.Color(v, s.borderColorDark);
        } else if (name == "bgcolor") {
            s.backgroundColor = values.Color(v, s.backgroundColor);
            if (s.backgroundEffect == kNoEffect) s.backgroundEffect = 0;
        } else if (name == "bgmidcolor") {
            s.middleColor = values.Color(v, s.middleColor);
        } else if (name == "bgendcolor") {
            s.endColor = values.Color(v, s.endColor);
        } else if (name == "bgeffect") {
            s.backgroundEffect = ParseEffect(v, s.backgroundEffect, values.measures);
        } else if (name == "align") {
            s.horizontalAlign = ParseTextAlign(v).value_or(s.horizontalAlign);
        } else if (name == "valign") {
            s.verticalAlign = ParseVerticalAlign(v).value_or(s.verticalAlign);
        } else if (name == "width") {
            s.cellWidth = ClampLength(values.Length(v, s.cellWidth));
        } else if (name == "height") {
            s.cellHeight = ClampLength(values.Length(v, s.cellHeight));
        }
    }
    if (table) {
        if (s.borderStyle == 0 || s.borderWidth == 0) {
            s.borderStyle = 0;
            s.borderWidth = 0;
        } else if (s.borderStyle != 1) {
            s.borderWidth = 1;
        }
    } else if (s.borderWidth != 0) {
        s.borderWidth = 1;
    }
}

int TableBorderExtra(const StyleState& t) {
    if (t.borderWidth == 0) return 0;
    return t.borderStyle == kBorderDouble ? 6 : 2 * t.borderWidth;
}

int TableBorderInset(const StyleState& t) {
    if (t.borderWidth == 0) return 0;
    return t.borderStyle == kBorderDouble ? 3 : t.borderWidth;
}

}  // namespace dbx::markup
