#include "safe_names.h"

#include <cctype>

namespace dbx {
namespace {

bool Unsafe(unsigned char c) {
    return c < 0x20 || c == 0x7F ||
           std::string_view("/\\:*?\"<>|").find(char(c)) != std::string_view::npos;
}

std::string Lowered(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::string SafeFileName(std::string_view text, std::size_t maxBytes) {
    std::string name;
    for (unsigned char c : text) name += Unsafe(c) ? '_' : char(c);
    auto blank = [](char c) { return c == ' ' || c == '.'; };
    while (!name.empty() && blank(name.front())) name.erase(name.begin());
    if (name.size() > maxBytes) {
        std::size_t cut = maxBytes;
        // Back to the start of a UTF-8 character.
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name.empty() ? "_" : name;
}

std::string UniqueNames::Take(const std::string& name) {
    std::string candidate = name;
    for (int n = 2; !taken_.insert(Lowered(candidate)).second; ++n) {
        candidate = name + " (" + std::to_string(n) + ")";
    }
    return candidate;
}

}  // namespace dbx
