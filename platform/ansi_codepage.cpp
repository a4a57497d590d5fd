#include "ansi_codepage.h"

#include <array>
#include <cstdint>

namespace dbx {
namespace {

// 0x80-0x9F; the five unassigned bytes keep their C1 control code points so that every byte
// survives a round trip.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Decode(std::uint8_t b) {
    return b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char16_t(b);
}

char Encode(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return char(u);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == u) return char(0x80 + i);
    }
    return '?';
}

}  // namespace

QString AnsiToQString(std::string_view bytes) {
    QString out;
    out.reserve(qsizetype(bytes.size()));
    for (char c : bytes) out.append(QChar(Decode(std::uint8_t(c))));
    return out;
}

std::string QStringToAnsi(const QString& text) {
    std::string out;
    out.reserve(std::size_t(text.size()));
    for (QChar c : text) out.push_back(Encode(c.unicode()));
    return out;
}

char AnsiToUpper(char c) {
    const auto b = std::uint8_t(c);
    if (b >= 'a' && b <= 'z') return char(b - 0x20);
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return char(b - 0x20);
    if (b == 0x9A || b == 0x9C || b == 0x9E) return char(b - 0x10);
    if (b == 0xFF) return char(0x9F);
    return c;
}

char AnsiToLower(char c) {
    const auto b = std::uint8_t(c);
    if (b >= 'A' && b <= 'Z') return char(b + 0x20);
    if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return char(b + 0x20);
    if (b == 0x8A || b == 0x8C || b == 0x8E) return char(b + 0x10);
    if (b == 0x9F) return char(0xFF);
    return c;
}

std::string AnsiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AnsiToUpper(c);
    return out;
}

std::string AnsiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AnsiToLower(c);
    return out;
}

}  // namespace dbx
