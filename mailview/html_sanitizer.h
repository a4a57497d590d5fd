#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace dbx {

struct SanitizedHtml {
    std::string html;      // markup that can be shown: no scripts, frames, forms or redirects
    int remoteImages = 0;  // pictures and backgrounds the mail wanted from the network
    bool cut = false;      // nesting or tags past the limits were left out
};

// Maps the address in a cid: reference (without "cid:") to the URL of the saved picture, or to
// an empty string when the mail carries no such picture.
using CidResolver = std::function<std::string(std::string_view cid)>;

// Rewrites the HTML of a mail (UTF-8) so that showing it cannot run anything, send anything or
// fetch anything. The markup is read by an HTML5 parser, as a browser reads it, and written
// again from the tree: only listed elements, attributes, address schemes and style properties
// stay; pictures come only from the mail itself. The body's own attributes (colours, a
// background picture of the mail) come as a <body> tag first when it has any.
SanitizedHtml SanitizeMailHtml(std::string_view html, const CidResolver& resolveCid);

}  // namespace dbx
