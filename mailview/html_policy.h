#pragma once

#include <string>
#include <string_view>

namespace dbx {

// What the sanitizer does with an HTML element of a mail.
enum class ElementRule {
    Keep,    // written with its allowed attributes
    Unwrap,  // left out, its content kept
    Drop,    // left out with everything inside it
};

// `name`: the element's name in lower case, as the tree builder read it.
ElementRule RuleForElement(std::string_view name);

// Void elements have no end tag.
bool IsVoidElement(std::string_view name);

// Attributes kept as they are (escaped once): names, sizes, colours, alignment. Addresses and
// style are checked apart.
bool IsPlainAttribute(std::string_view element, std::string_view attribute);

// An address as a browser reads it: blanks and control characters around it and tabs and line
// breaks inside it removed.
std::string CleanAddress(std::string_view address);

// Whether a link may point there: web and mail addresses only.
bool IsAllowedLink(std::string_view cleanAddress);

// Whether a picture's address is one from the network.
bool IsRemotePicture(std::string_view cleanAddress);

// Whether a picture's address is a raster picture inside the page itself (data:image/png, ...).
bool IsInlinePicture(std::string_view cleanAddress);

// The Content-ID of a cid: address, or empty when it is none.
std::string_view ContentIdOf(std::string_view cleanAddress);

}  // namespace dbx
