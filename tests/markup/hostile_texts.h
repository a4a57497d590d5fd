#pragma once

// Markup texts that once cost minutes or gigabytes, for the tests, the benchmarks and the fuzz
// targets' seeds.
#include <cstdint>
#include <string>
#include <vector>

namespace dbx::test {

struct HostileText {
    const char* name;
    std::string text;
};

// Paddings and widths that add up beyond any screen, borders thousands of pixels thick, a rule
// of the largest size, and a noise background over 8000 × 8000.
inline std::vector<HostileText> SmallHostileTexts() {
    return {
        {"cellpadding", "<table cellpadding=16384><tr><td>x</td></tr></table>"},
        {"border", "<table border=16384><tr><td>x</td></tr></table>"},
        {"border20000", "<table border=20000><tr><td>x</td></tr></table>"},
        {"huge-numbers",
         "<table cellpadding=16384 cellspacing=16384 border=16384><tr>"
         "<td width=99999 height=99999>x</td></tr></table>"},
        {"hr-max", "<hr width=max size=max>"},
        {"hr-numbers", "<hr width=2147483647 size=2147483647>"},
        {"noise", "<table bgeffect=7><tr><td width=8000 height=8000>x</td></tr></table>"},
    };
}

// About `size` bytes of ordinary words and spaces, the same for the same seed.
inline std::string Words(std::size_t size, std::uint32_t seed = 1) {
    static const char* const kWords[] = {"lorem", "ipsum", "dolor",   "sit",       "amet",
                                         "mail",  "store", "message", "recovered", "a"};
    std::string text;
    while (text.size() < size) {
        seed = seed * 1103515245u + 12345u;
        text += kWords[(seed >> 16) % 10];
        text += ' ';
    }
    text.resize(size);
    return text;
}

// `size` bytes of every value, the same for the same seed.
inline std::string RandomBytes(std::size_t size, std::uint32_t seed = 1) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = char(seed >> 24);
    }
    return bytes;
}

}  // namespace dbx::test
