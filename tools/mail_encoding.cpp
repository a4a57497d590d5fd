#include "mail_encoding.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace dbx::gen {
namespace {

constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kLongWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                         "Thursday", "Friday", "Saturday"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kLongMonths[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};

std::tm ZoneTime(std::int64_t utc, int zoneMinutes) {
    std::time_t t = std::time_t(utc + std::int64_t(zoneMinutes) * 60);
    std::tm tm{};
    gmtime_r(&t, &tm);
    return tm;
}

// "=XX", the escape of quoted-printable and of "Q" encoded words.
std::string HexEscape(std::uint8_t c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    return {'=', kHex[c >> 4], kHex[c & 15]};
}

// An RFC 2047 "Q" encoded word, split so that no word passes 75 characters.
std::string EncodedWords(std::string_view text) {
    std::string out;
    std::string word;
    auto flush = [&] {
        if (word.empty()) return;
        if (!out.empty()) out += "\r\n ";
        out += "=?iso-8859-1?Q?" + word + "?=";
        word.clear();
    };
    for (char ch : text) {
        const auto c = std::uint8_t(ch);
        std::string piece;
        if (c == ' ') {
            piece = "_";
        } else if (c >= 0x80 || c == '=' || c == '?' || c == '_' || c < 0x20) {
            piece = HexEscape(c);
        } else {
            piece = std::string(1, ch);
        }
        if (word.size() + piece.size() > 75 - 18) flush();
        word += piece;
    }
    flush();
    return out;
}

}  // namespace

std::string HeaderDate(std::int64_t utc, int zoneMinutes) {
    const std::tm tm = ZoneTime(utc, zoneMinutes);
    const int zone = zoneMinutes < 0 ? -zoneMinutes : zoneMinutes;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d %c%02d%02d",
                  kWeekdays[tm.tm_wday], tm.tm_mday, kMonths[tm.tm_mon], tm.tm_year + 1900,
                  tm.tm_hour, tm.tm_min, tm.tm_sec, zoneMinutes < 0 ? '-' : '+', zone / 60,
                  zone % 60);
    return text;
}

std::string SentLine(std::int64_t utc, int zoneMinutes) {
    const std::tm tm = ZoneTime(utc, zoneMinutes);
    const int hour = tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12;
    char text[80];
    std::snprintf(text, sizeof text, "%s, %s %d, %04d %d:%02d %s", kLongWeekdays[tm.tm_wday],
                  kLongMonths[tm.tm_mon], tm.tm_mday, tm.tm_year + 1900, hour, tm.tm_min,
                  tm.tm_hour < 12 ? "AM" : "PM");
    return text;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return std::uint8_t(c) < 0x80; });
}

std::string HeaderText(std::string_view text) {
    return IsAscii(text) ? std::string(text) : EncodedWords(text);
}

std::string QuotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        const bool lastLine = end == std::string_view::npos;
        if (lastLine) end = text.size();
        std::size_t column = 0;
        for (std::size_t i = start; i < end; ++i) {
            const auto c = std::uint8_t(text[i]);
            const bool trailingBlank = (c == ' ' || c == '\t') && i + 1 == end;
            std::string piece;
            if (c >= 0x7F || c == '=' || (c < 0x20 && c != '\t') || trailingBlank) {
                piece = HexEscape(c);
            } else {
                piece = std::string(1, char(c));
            }
            if (column + piece.size() > 75) {
                out += "=\r\n";
                column = 0;
            }
            out += piece;
            column += piece.size();
        }
        if (!lastLine) out += "\r\n";
        start = end + 2;
    }
    return out;
}

void AppendBase64(std::string& out, const std::uint8_t* data, std::size_t n) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    out.reserve(out.size() + n / 57 * 78 + 80);
    for (std::size_t line = 0; line < n; line += 57) {
        const std::size_t end = std::min(n, line + 57);
        for (std::size_t i = line; i < end; i += 3) {
            const std::uint32_t a = data[i];
            const std::uint32_t b = i + 1 < end ? data[i + 1] : 0;
            const std::uint32_t c = i + 2 < end ? data[i + 2] : 0;
            const std::uint32_t v = a << 16 | b << 8 | c;
            out += kAlphabet[v >> 18];
            out += kAlphabet[(v >> 12) & 63];
            out += i + 1 < end ? kAlphabet[(v >> 6) & 63] : '=';
            out += i + 2 < end ? kAlphabet[v & 63] : '=';
        }
        out += "\r\n";
    }
}

std::string HtmlEscape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

void AppendWrapped(std::string& out, std::string_view paragraph, std::string_view prefix) {
    std::size_t start = 0;
    while (start < paragraph.size()) {
        std::size_t end = paragraph.size();
        if (end - start > 72 - prefix.size()) {
            end = paragraph.rfind(' ', start + 72 - prefix.size());
            if (end == std::string_view::npos || end <= start) end = start + 72;
        }
        out += prefix;
        out += paragraph.substr(start, end - start);
        out += "\r\n";
        start = end;
        while (start < paragraph.size() && paragraph[start] == ' ') ++start;
    }
}

}  // namespace dbx::gen
