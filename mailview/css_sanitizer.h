#pragma once

#include <string>
#include <string_view>

namespace dbx {

// Style from a mail, read as CSS and written back from what was read: only known properties
// whose values hold nothing that could fetch (no url(), no image-set(), no @import or
// @font-face) stay. The result holds no backslash, no "<" and no comment. Addresses of remote
// pictures the style asked for are counted in `remote`.

// The value of a style="..." attribute.
std::string SanitizeStyleAttribute(std::string_view style, int* remote);

// The content of a <style> element: rules and @media blocks; other at-rules go.
std::string SanitizeStyleSheet(std::string_view sheet, int* remote);

}  // namespace dbx
