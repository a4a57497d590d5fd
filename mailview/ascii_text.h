#pragma once

#include <cstddef>
#include <string_view>

namespace dbx {

// Markup names compare without regard to ASCII case; bytes beyond ASCII stay as they are.
inline char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `s` starts with `prefix`, given in lower case, in any ASCII case.
inline bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (AsciiLower(s[i]) != prefix[i]) return false;
    }
    return true;
}

}  // namespace dbx
