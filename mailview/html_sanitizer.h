#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace dbx {

struct SanitizedHtml {
    std::string html;      // markup that can be shown: no scripts, frames, forms or redirects
    int remoteImages = 0;  // pictures and backgrounds the mail wanted from the network
};

// Maps the address in a cid: reference (without "cid:") to the URL of the saved picture, or to
// an empty string when the mail carries no such picture.
using CidResolver = std::function<std::string(std::string_view cid)>;

// Rewrites the HTML of a mail (UTF-8) so that showing it cannot run anything, send anything or
// fetch anything: every tag is rebuilt from what was read, only known-harmless addresses are
// kept, and pictures come only from the mail itself.
SanitizedHtml SanitizeMailHtml(std::string_view html, const CidResolver& resolveCid);

}  // namespace dbx
