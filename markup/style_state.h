#pragma once

#include <string>

#include "color_ref.h"
#include "device_context.h"
#include "font_desc.h"

namespace dbx::markup {

enum class HAlign : int { Left = 0, Center = 1, Right = 2, Justify = 3 };
enum class VAlign : int { Top = 0, Center = 1, Bottom = 2, Baseline = 3 };
enum class TextTransform : int { None = 0, Upper = 1, Lower = 2, Capitalize = 3 };
enum class LinkKind : int { None = 0, Hyperlink = 1, Message = 2 };

inline constexpr int kNoEffect = -1;

// The drawing attributes in force at one point of a text.
struct StyleState {
    std::string tagName;  // canonical name of the tag that pushed this state
    int fontSize = 16;    // cell height in device pixels
    int fontWeight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool overline = false;
    std::string fontFace = "Verdana";
    ColorRef textColor = 0;
    ColorRef backgroundColor = 0xFFFFFF;  // also the first colour of a background effect
    ColorRef borderColorLight = 0;
    ColorRef borderColorDark = 0;
    ColorRef middleColor = 0xFFFFFF;
    ColorRef endColor = 0xFFFFFF;
    BkMode backgroundMode = BkMode::Transparent;
    int backgroundEffect = kNoEffect;
    std::string backgroundImage;
    HAlign horizontalAlign = HAlign::Left;
    VAlign verticalAlign = VAlign::Baseline;
    int borderStyle = 0;
    int borderWidth = 0;
    int cellWidth = 0;
    int cellHeight = 0;
    TextTransform textTransform = TextTransform::None;
    int cellPadding = 2;
    int cellSpacing = 0;
    LinkKind linkKind = LinkKind::None;
    std::string linkTarget;

    friend bool operator==(const StyleState&, const StyleState&) = default;
};

inline FontDesc FontOf(const StyleState& s) {
    FontDesc f;
    f.height = s.fontSize;
    f.weight = s.fontWeight;
    f.italic = s.italic;
    f.underline = s.underline;
    f.strikeout = s.strikeout;
    f.face = s.fontFace;
    return f;
}

}  // namespace dbx::markup
