#pragma once

#include <string>
#include <string_view>

namespace dbx::fuzz {

// Reads the sanitizer's output as a browser would and says what in it should not be there:
// an element, attribute, address or style the allowlists do not hold. Empty when all is well.
// `pictureBase` starts every address the cid: resolver hands out.
std::string FindUnsafeMarkup(std::string_view html, std::string_view pictureBase);

}  // namespace dbx::fuzz
