#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "markup_numbers.h"

namespace dbx::markup {

enum class TagKind : int {
    Unknown = 0,
    Bold = 1,
    Italic = 2,
    Underline = 3,
    Strikeout = 4,
    Font = 5,
    Rule = 6,
    Break = 7,
    Tab = 8,
    Left = 9,
    Center = 10,
    Right = 11,
    Justify = 12,
    Baseline = 13,
    Top = 14,
    VCenter = 15,
    Bottom = 16,
    Bitmap = 17,
    Icon = 18,
    ImageList = 19,
    String = 20,
    SheetRule = 21,
    Span = 22,
    Link = 23,
};

struct TagInfo {
    TagKind kind = TagKind::Unknown;
    std::string name;       // without the "/" of a closing tag
    std::string canonical;  // empty for tags that act once and leave the style stack alone
    bool closing = false;
    std::string attributes;  // what follows the name, leading spaces removed
};

// Names are matched exactly: only lower-case tags are known.
TagInfo LookupTag(std::string_view tagText);

struct Attribute {
    std::string name;
    std::string value;  // without its quotes; empty when the name has no "="
};

// The attribute at `pos` of an attribute text, advancing `pos` past it; nullopt when none is left.
std::optional<Attribute> NextAttribute(std::string_view text, std::size_t& pos);

// The count of "br=3" or "t=2": the character after the name is skipped and the rest read as a
// length; 1 when nothing follows.
int TagCount(const TagInfo& tag, const FontMeasures& measures);

}  // namespace dbx::markup
