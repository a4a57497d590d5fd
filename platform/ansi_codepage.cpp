#include "ansi_codepage.h"

#include <QStringDecoder>

#include <array>
#include <cstdint>
#include <unordered_map>

namespace dbx {
namespace {

// Both directions of the code page, taken once from Qt's converter.
struct CodePage {
    std::array<char16_t, 256> decode{};
    std::unordered_map<char16_t, char> encode;
};

const CodePage& Windows1252() {
    static const CodePage page = [] {
        CodePage built;
        QStringDecoder decoder("windows-1252", QStringConverter::Flag::Stateless);
        for (int b = 0; b < 256; ++b) {
            const char c = char(b);
            const QString text =
                decoder.isValid() ? QString(decoder.decode(QByteArrayView(&c, 1))) : QString();
            // A byte the converter leaves out keeps its own code point, so that every byte
            // survives a round trip.
            built.decode[std::size_t(b)] = text.size() == 1 ? text.at(0).unicode() : char16_t(b);
            built.encode.emplace(built.decode[std::size_t(b)], c);
        }
        return built;
    }();
    return page;
}

}  // namespace

QString AnsiToQString(std::string_view bytes) {
    const CodePage& page = Windows1252();
    QString out(qsizetype(bytes.size()), Qt::Uninitialized);
    QChar* to = out.data();
    for (char c : bytes) *to++ = QChar(page.decode[std::uint8_t(c)]);
    return out;
}

std::string QStringToAnsi(const QString& text) {
    const CodePage& page = Windows1252();
    std::string out;
    out.reserve(std::size_t(text.size()));
    for (QChar c : text) {
        const auto found = page.encode.find(c.unicode());
        out.push_back(found == page.encode.end() ? '?' : found->second);
    }
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
