#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dbx {

struct BoundedHtml {
    std::string html;
    bool cut = false;  // tags past the limits were left out, or the rest after too many tags
};

// The HTML5 tree builder takes time in the square of the nesting depth, so mail HTML is
// bounded before it is built: start tags that would open elements deeper than `maxDepth` are
// left out (their text stays), and after `maxTags` tags the rest is cut. The depth is told
// from the tags the way a browser closes elements, erring towards too deep.
BoundedHtml BoundHtmlNesting(std::string_view html, std::size_t maxDepth, std::size_t maxTags);

}  // namespace dbx
