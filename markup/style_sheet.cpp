#include "style_sheet.h"

#include <algorithm>

#include "ansi_codepage.h"

namespace dbx::markup {
namespace {

constexpr std::string_view kBuiltIn =
    "body {font-size: 10pt; color:black; font-family:Verdana}\r\n"
    "p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
    "h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}\r\n"
    "h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
    "h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}\r\n"
    "pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}\r\n"
    "code {color:#990000; font-family:Arial}\r\n"
    "a:link {text-decoration:none; color:blue}\r\n"
    "a:hover {text-decoration:underline; color:blue}\r\n"
    "sub {font-size:65%; vertical-align:bottom}\r\n"
    "sup {font-size:65%; vertical-align:top}\r\n"
    "big {font-size:125%}\r\n"
    "small {font-size:75%}\r\n"
    ".cpp-comment {color:green; font-style:italic}\r\n";

bool IsSelectorStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.';
}

}  // namespace

std::string_view BuiltInStyleSheet() {
    return kBuiltIn;
}

StyleSheet::StyleSheet() {
    Parse(kBuiltIn);
}

void StyleSheet::Set(std::optional<std::string_view> text) {
    rules_.clear();
    Parse(text ? *text : kBuiltIn);
}

const std::string* StyleSheet::Find(std::string_view selector) const {
    const auto it = rules_.find(AnsiLower(selector));
    return it == rules_.end() ? nullptr : &it->second;
}

void StyleSheet::Parse(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        // A brace reached before any selector character starts a rule without a selector.
        while (pos < text.size() && text[pos] != '{' && !IsSelectorStart(text[pos])) ++pos;
        if (pos >= text.size()) return;
        const std::size_t selectorEnd = std::min(text.find_first_of(" {", pos), text.size());
        const std::string_view selector = text.substr(pos, selectorEnd - pos);
        const std::size_t open = text.find('{', selectorEnd);
        if (open == std::string_view::npos) return;
        const std::size_t close = std::min(text.find('}', open + 1), text.size());
        if (!selector.empty()) {
            rules_[AnsiLower(selector)] = std::string(text.substr(open + 1, close - open - 1));
        }
        pos = close + 1;
    }
}

}  // namespace dbx::markup
