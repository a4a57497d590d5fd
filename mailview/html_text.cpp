#include "html_text.h"

#include <array>

#include "ascii_text.h"

namespace dbx {
namespace {

bool EndsAddress(char c) {
    return static_cast<unsigned char>(c) <= 0x20 || c == '<' || c == '>' || c == '"' || c == '\'' ||
           c == '`' || c == '{' || c == '}' || c == '|' || c == '\\' || c == '^';
}

// How long the link at the start of `s` is, 0 when none starts there. Trailing punctuation is
// left to the sentence.
std::size_t LinkLength(std::string_view s) {
    static constexpr std::array<std::string_view, 5> kStarts = {"http://", "https://", "ftp://",
                                                                "mailto:", "www."};
    std::size_t prefix = 0;
    for (std::string_view start : kStarts) {
        if (StartsWithNoCase(s, start)) prefix = start.size();
    }
    if (prefix == 0) return 0;
    std::size_t end = prefix;
    while (end < s.size() && end < 2048 && !EndsAddress(s[end])) ++end;
    while (end > prefix &&
           std::string_view(".,;:!?)]").find(s[end - 1]) != std::string_view::npos) {
        --end;
    }
    return end > prefix ? end : 0;
}

}  // namespace

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            case '\0':
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string PlainTextToHtml(std::string_view text) {
    std::string out = "<div class=\"dbxr-text\">";
    out.reserve(text.size() + text.size() / 8 + 64);
    std::size_t plainStart = 0;
    for (std::size_t i = 0; i < text.size();) {
        // A link starts a word: after a blank, an opening bracket or a quote.
        const bool wordStart =
            i == 0 || std::string_view(" \t\r\n(<[\"'").find(text[i - 1]) != std::string_view::npos;
        const std::size_t length = wordStart ? LinkLength(text.substr(i)) : 0;
        if (length == 0) {
            ++i;
            continue;
        }
        out += EscapeHtml(text.substr(plainStart, i - plainStart));
        const std::string_view link = text.substr(i, length);
        std::string target(link);
        if (StartsWithNoCase(link, "www.")) target = "http://" + target;
        out += "<a href=\"" + EscapeHtml(target) + "\">" + EscapeHtml(link) + "</a>";
        i += length;
        plainStart = i;
    }
    out += EscapeHtml(text.substr(plainStart));
    out += "</div>";
    return out;
}

}  // namespace dbx
