#pragma once

#include <string>
#include <string_view>

namespace dbx {

// Text (UTF-8) made safe to place in a page: &, <, >, " and ' escaped.
std::string EscapeHtml(std::string_view text);

// A mail's plain text (UTF-8) as a block of a page: escaped, its web and mail addresses turned
// into links, its lines kept and long ones wrapped.
std::string PlainTextToHtml(std::string_view text);

}  // namespace dbx
