#include "markup_tags.h"

#include <algorithm>
#include <map>

namespace dbx::markup {
namespace {

struct TagEntry {
    TagKind kind;
    std::string_view canonical;
};

const std::map<std::string_view, TagEntry>& TagMap() {
    static const std::map<std::string_view, TagEntry> map = {
        {"b", {TagKind::Bold, "bold"}},
        {"i", {TagKind::Italic, "italic"}},
        {"em", {TagKind::Italic, "italic"}},
        {"u", {TagKind::Underline, "underline"}},
        {"s", {TagKind::Strikeout, "strikeout"}},
        {"strike", {TagKind::Strikeout, "strikeout"}},
        {"font", {TagKind::Font, "font"}},
        {"hr", {TagKind::Rule, ""}},
        {"br", {TagKind::Break, ""}},
        {"\n", {TagKind::Break, ""}},
        {"t", {TagKind::Tab, ""}},
        {"\t", {TagKind::Tab, ""}},
        {"left", {TagKind::Left, "left"}},
        {"center", {TagKind::Center, "center"}},
        {"right", {TagKind::Right, "right"}},
        {"justify", {TagKind::Justify, "justify"}},
        {"baseline", {TagKind::Baseline, "baseline"}},
        {"top", {TagKind::Top, "top"}},
        {"vcenter", {TagKind::VCenter, "vcenter"}},
        {"middle", {TagKind::VCenter, "vcenter"}},
        // Shares its canonical name with vcenter, so either closing tag closes the other.
        {"bottom", {TagKind::Bottom, "vcenter"}},
        {"bmp", {TagKind::Bitmap, ""}},
        {"icon", {TagKind::Icon, ""}},
        {"ilst", {TagKind::ImageList, ""}},
        {"string", {TagKind::String, ""}},
        {"body", {TagKind::SheetRule, "body"}},
        {"h1", {TagKind::SheetRule, "h1"}},
        {"h2", {TagKind::SheetRule, "h2"}},
        {"h3", {TagKind::SheetRule, "h3"}},
        {"h4", {TagKind::SheetRule, "h4"}},
        {"h5", {TagKind::SheetRule, "h5"}},
        {"h6", {TagKind::SheetRule, "h6"}},
        {"code", {TagKind::SheetRule, "code"}},
        {"pre", {TagKind::SheetRule, "pre"}},
        {"big", {TagKind::SheetRule, "big"}},
        {"small", {TagKind::SheetRule, "small"}},
        {"sub", {TagKind::SheetRule, "sub"}},
        {"sup", {TagKind::SheetRule, "sup"}},
        {"span", {TagKind::Span, "span"}},
        {"a", {TagKind::Link, "link"}},
    };
    return map;
}

bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.';
}

}  // namespace

TagInfo LookupTag(std::string_view tagText) {
    TagInfo info;
    const std::size_t nameEnd = std::min(tagText.find_first_of(" ="), tagText.size());
    std::string_view name = tagText.substr(0, nameEnd);
    std::string_view rest = tagText.substr(nameEnd);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    if (!name.empty() && name.front() == '/') {
        info.closing = true;
        name.remove_prefix(1);
    }
    info.name = std::string(name);
    info.attributes = std::string(rest);
    const auto it = TagMap().find(name);
    if (it != TagMap().end()) {
        info.kind = it->second.kind;
        info.canonical = std::string(it->second.canonical);
    }
    return info;
}

std::optional<Attribute> NextAttribute(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && !IsNameStart(text[pos])) ++pos;
    if (pos >= text.size()) return std::nullopt;
    Attribute attr;
    const std::size_t nameEnd = std::min(text.find_first_of(" =", pos), text.size());
    attr.name = std::string(text.substr(pos, nameEnd - pos));
    std::size_t p = nameEnd;
    while (p < text.size() && text[p] == ' ') ++p;
    if (p >= text.size() || text[p] != '=') {
        pos = p;
        return attr;
    }
    ++p;
    while (p < text.size() && text[p] == ' ') ++p;
    if (p < text.size() && (text[p] == '"' || text[p] == '\'')) {
        // An unclosed quote runs to the end of the text.
        const std::size_t close = std::min(text.find(text[p], p + 1), text.size());
        attr.value = std::string(text.substr(p + 1, close - p - 1));
        pos = std::min(close + 1, text.size());
    } else {
        const std::size_t end = std::min(text.find(' ', p), text.size());
        attr.value = std::string(text.substr(p, end - p));
        pos = end;
    }
    return attr;
}

int TagCount(const TagInfo& tag, const FontMeasures& measures) {
    const std::string_view rest = tag.attributes;
    return ParseLength(rest.empty() ? rest : rest.substr(1), 1, false, measures);
}

}  // namespace dbx::markup
