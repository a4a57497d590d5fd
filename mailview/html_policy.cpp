#include "html_policy.h"

#include <algorithm>
#include <array>

#include "ascii_text.h"

namespace dbx {
namespace {

template <std::size_t N>
bool OneOf(std::string_view name, const std::array<std::string_view, N>& names) {
    return std::binary_search(names.begin(), names.end(), name);
}

// Sorted: looked up by binary search.
constexpr std::array<std::string_view, 81> kKept = {
    "a",    "abbr",    "acronym",    "address", "article",    "aside",   "b",        "bdi",
    "bdo",  "big",     "blockquote", "body",    "br",         "caption", "center",   "cite",
    "code", "col",     "colgroup",   "dd",      "del",        "details", "dfn",      "dir",
    "div",  "dl",      "dt",         "em",      "figcaption", "figure",  "font",     "footer",
    "h1",   "h2",      "h3",         "h4",      "h5",         "h6",      "header",   "hr",
    "i",    "img",     "ins",        "kbd",     "li",         "main",    "mark",     "menu",
    "nav",  "nobr",    "ol",         "p",       "pre",        "q",       "rp",       "rt",
    "ruby", "s",       "samp",       "section", "small",      "span",    "strike",   "strong",
    "sub",  "summary", "sup",        "table",   "tbody",      "td",      "textarea", "tfoot",
    "th",   "thead",   "time",       "tr",      "tt",         "u",       "ul",       "var",
    "wbr"};

// Everything inside these is code, a plugin, media or another document.
constexpr std::array<std::string_view, 23> kDropped = {
    "applet", "audio",  "canvas", "embed",   "frame",    "frameset", "head",   "iframe",
    "link",   "math",   "meta",   "noembed", "noframes", "noscript", "object", "param",
    "script", "select", "source", "svg",     "template", "title",    "video"};

constexpr std::array<std::string_view, 46> kPlainAttributes = {
    "abbr",        "align",    "alink",   "alt",    "axis",   "bgcolor",  "border", "cellpadding",
    "cellspacing", "char",     "charoff", "class",  "clear",  "color",    "cols",   "colspan",
    "compact",     "datetime", "dir",     "face",   "frame",  "headers",  "height", "hspace",
    "lang",        "link",     "noshade", "nowrap", "open",   "reversed", "rows",   "rowspan",
    "rules",       "scope",    "size",    "span",   "start",  "summary",  "text",   "title",
    "type",        "valign",   "value",   "vlink",  "vspace", "width"};

constexpr std::array<std::string_view, 7> kInlinePictureTypes = {
    "data:image/png",  "data:image/gif", "data:image/jpeg",  "data:image/jpg",
    "data:image/webp", "data:image/bmp", "data:image/x-icon"};

}  // namespace

ElementRule RuleForElement(std::string_view name) {
    if (OneOf(name, kKept)) return ElementRule::Keep;
    if (OneOf(name, kDropped) || name == "style") return ElementRule::Drop;
    return ElementRule::Unwrap;
}

bool IsVoidElement(std::string_view name) {
    return name == "br" || name == "img" || name == "hr" || name == "col" || name == "wbr";
}

bool IsPlainAttribute(std::string_view element, std::string_view attribute) {
    // "id" is left out: the page's own parts go by id.
    if (attribute == "text" || attribute == "link" || attribute == "alink" ||
        attribute == "vlink") {
        return element == "body";
    }
    return OneOf(attribute, kPlainAttributes);
}

std::string CleanAddress(std::string_view address) {
    while (!address.empty() && static_cast<unsigned char>(address.front()) <= 0x20) {
        address.remove_prefix(1);
    }
    while (!address.empty() && static_cast<unsigned char>(address.back()) <= 0x20) {
        address.remove_suffix(1);
    }
    std::string out;
    out.reserve(address.size());
    for (char c : address) {
        if (c != '\t' && c != '\n' && c != '\r') out += c;
    }
    return out;
}

bool IsAllowedLink(std::string_view address) {
    return StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://") ||
           StartsWithNoCase(address, "mailto:");
}

bool IsRemotePicture(std::string_view address) {
    return StartsWithNoCase(address, "http:") || StartsWithNoCase(address, "https:") ||
           StartsWithNoCase(address, "ftp:") || address.substr(0, 2) == "//" ||
           address.substr(0, 2) == "\\\\";
}

bool IsInlinePicture(std::string_view address) {
    for (std::string_view type : kInlinePictureTypes) {
        if (StartsWithNoCase(address, type) && address.size() > type.size() &&
            (address[type.size()] == ';' || address[type.size()] == ',')) {
            return true;
        }
    }
    return false;
}

std::string_view ContentIdOf(std::string_view address) {
    if (!StartsWithNoCase(address, "cid:")) return {};
    return address.substr(4);
}

}  // namespace dbx
