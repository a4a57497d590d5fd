#include "tag_effects.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "declarations.h"

namespace dbx::markup {
namespace {

// Later occurrences of a name override earlier ones; the survivors keep their text order.
std::vector<Attribute> ReadAttributes(std::string_view text) {
    std::vector<Attribute> all;
    std::size_t pos = 0;
    while (auto attr = NextAttribute(text, pos)) all.push_back(std::move(*attr));
    std::set<std::string, std::less<>> seen;
    std::vector<Attribute> last;
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        if (seen.insert(it->name).second) last.push_back(std::move(*it));
    }
    std::reverse(last.begin(), last.end());
    return last;
}

void ApplyFontAttributes(std::string_view text, StyleState& s, const ValueReader& values) {
    for (const Attribute& a : ReadAttributes(text)) {
        if (a.name == "face") {
            if (!a.value.empty()) s.fontFace = a.value;
        } else if (a.name == "size") {
            s.fontSize = values.Length(a.value, s.fontSize, true);
        } else if (a.name == "color") {
            s.textColor = values.Color(a.value, s.textColor);
        } else if (a.name == "style") {
            ApplyStyleLetters(a.value, s);
        } else if (a.name == "weight") {
            s.fontWeight = ParseFontWeight(a.value);
        } else if (a.name == "bkgnd") {
            if (a.value.empty() || a.value == "transparent") {
                s.backgroundMode = BkMode::Transparent;
            } else {
                s.backgroundMode = BkMode::Opaque;
                s.backgroundColor = values.Color(a.value, s.backgroundColor);
            }
        }
    }
}

void ApplyLink(std::string_view text, StyleState& s, const StyleSheet& sheet,
               const ValueReader& values, bool hovered) {
    s.linkKind = LinkKind::None;
    s.linkTarget.clear();
    for (const Attribute& a : ReadAttributes(text)) {
        if (a.name == "href" || a.name == "msg") {
            s.linkKind = a.name == "href" ? LinkKind::Hyperlink : LinkKind::Message;
            s.linkTarget = a.value;
        }
    }
    ApplyRule(hovered ? "a:hover" : "a:link", sheet, s, values);
}

}  // namespace

bool ApplyRule(std::string_view selector, const StyleSheet& sheet, StyleState& state,
               const ValueReader& values) {
    const std::string* declarations = sheet.Find(selector);
    if (declarations == nullptr) return false;
    ApplyDeclarations(*declarations, state, values);
    return true;
}

void ApplyStyleLetters(std::string_view letters, StyleState& s) {
    bool on = true;
    for (char c : letters) {
        if (c == '-' || c == '+') {
            on = c == '+';
            continue;
        }
        switch (c) {
            case 'b':
                s.fontWeight = on ? 700 : 400;
                break;
            case 'i':
                s.italic = on;
                break;
            case 'u':
                s.underline = on;
                break;
            case 's':
                s.strikeout = on;
                break;
            case 'o':
                s.overline = on;
                break;
            default:
                break;
        }
        on = true;
    }
}

void ApplyTagEffect(const TagInfo& tag, StyleState& s, const StyleSheet& sheet,
                    const ValueReader& values, bool hoveredLink) {
    switch (tag.kind) {
        case TagKind::Bold: {
            const std::int64_t doubled = std::int64_t(s.fontWeight) * 2;
            s.fontWeight = doubled >= 899 ? 900 : int(doubled);
            break;
        }
        case TagKind::Italic:
            s.italic = !s.italic;
            break;
        case TagKind::Underline:
            s.underline = !s.underline;
            break;
        case TagKind::Strikeout:
            s.strikeout = !s.strikeout;
            break;
        case TagKind::Font:
            ApplyFontAttributes(tag.attributes, s, values);
            break;
        case TagKind::Left:
            s.horizontalAlign = HAlign::Left;
            break;
        case TagKind::Center:
            s.horizontalAlign = HAlign::Center;
            break;
        case TagKind::Right:
            s.horizontalAlign = HAlign::Right;
            break;
        case TagKind::Justify:
            s.horizontalAlign = HAlign::Justify;
            break;
        case TagKind::Baseline:
            s.verticalAlign = VAlign::Baseline;
            break;
        case TagKind::Top:
            s.verticalAlign = VAlign::Top;
            break;
        case TagKind::VCenter:
            s.verticalAlign = VAlign::Center;
            break;
        case TagKind::Bottom:
            s.verticalAlign = VAlign::Bottom;
            break;
        case TagKind::SheetRule:
            ApplyRule(tag.name, sheet, s, values);
            break;
        case TagKind::Span:
            for (const Attribute& a : ReadAttributes(tag.attributes)) {
                if (a.name == "class") ApplyRule("." + a.value, sheet, s, values);
            }
            break;
        case TagKind::Link:
            ApplyLink(tag.attributes, s, sheet, values, hoveredLink);
            break;
        default:
            break;
    }
}

}  // namespace dbx::markup
