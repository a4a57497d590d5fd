#include "mail_headers.h"

#include <iconv.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace dbx {
namespace {

constexpr std::size_t kMaxFieldLength = 4096;

char Lower(char c) {
    return char(std::tolower(static_cast<unsigned char>(c)));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Length of the UTF-8 sequence at `p`, or 0 when it is none.
std::size_t Utf8Sequence(std::string_view s, std::size_t p) {
    const auto c = static_cast<unsigned char>(s[p]);
    const std::size_t n = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || p + n > s.size()) return 0;
    for (std::size_t i = 1; i < n; ++i) {
        if ((static_cast<unsigned char>(s[p + i]) & 0xC0) != 0x80) return 0;
    }
    return n;
}

// UTF-8 as it is; any other byte read as Latin-1.
std::string ValidUtf8(std::string_view s) {
    std::string out;
    for (std::size_t p = 0; p < s.size();) {
        const std::size_t n = Utf8Sequence(s, p);
        if (n == 0) {
            AppendUtf8(out, static_cast<unsigned char>(s[p]));
            ++p;
        } else {
            out.append(s.substr(p, n));
            p += n;
        }
    }
    return out;
}

std::string ToUtf8(std::string_view charset, std::string_view bytes) {
    if (EqualsNoCase(charset, "utf-8") || EqualsNoCase(charset, "us-ascii")) {
        return ValidUtf8(bytes);
    }
    const std::string name(charset);
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == iconv_t(-1)) return ValidUtf8(bytes);
    std::string out(bytes.size() * 4 + 16, '\0');
    std::string in(bytes);
    char* src = in.data();
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != std::size_t(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) break;
        // A byte the charset does not define: the replacement character, and on.
        if (dstLeft < 3) break;
        std::memcpy(dst, "\xEF\xBF\xBD", 3);
        dst += 3;
        dstLeft -= 3;
        ++src;
        --srcLeft;
    }
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return ValidUtf8(out);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = Lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string DecodeQ(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_') {
            out += ' ';
        } else if (text[i] == '=' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                   HexValue(text[i + 2]) >= 0) {
            out += char(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

std::string DecodeB(std::string_view text) {
    std::string out;
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const int v = Base64Value(c);
        if (v < 0) continue;
        bits = (bits << 6) | std::uint32_t(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += char((bits >> count) & 0xFF);
        }
    }
    return out;
}

// An encoded word "=?charset?B|Q?text?=" at `p`: its decoded UTF-8 text and its length.
std::optional<std::pair<std::string, std::size_t>> EncodedWord(std::string_view s, std::size_t p) {
    if (s.compare(p, 2, "=?") != 0) return std::nullopt;
    const std::size_t q1 = s.find('?', p + 2);
    if (q1 == std::string_view::npos || q1 + 2 >= s.size() || s[q1 + 2] != '?') return std::nullopt;
    const std::size_t end = s.find("?=", q1 + 3);
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view charset = s.substr(p + 2, q1 - p - 2);
    if (const std::size_t star = charset.find('*'); star != std::string_view::npos) {
        charset = charset.substr(0, star);  // a language tag (RFC 2231)
    }
    const std::string_view payload = s.substr(q1 + 3, end - q1 - 3);
    if (payload.find(' ') != std::string_view::npos) return std::nullopt;
    const char encoding = Lower(s[q1 + 1]);
    std::string raw;
    if (encoding == 'q') {
        raw = DecodeQ(payload);
    } else if (encoding == 'b') {
        raw = DecodeB(payload);
    } else {
        return std::nullopt;
    }
    return std::make_pair(ToUtf8(charset, raw), end + 2 - p);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string CollapseBlanks(std::string_view s) {
    std::string out;
    bool blank = false;
    for (char c : s) {
        if (IsBlank(c)) {
            blank = !out.empty();
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

const std::array<const char*, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                             "jul", "aug", "sep", "oct", "nov", "dec"};

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468;
}

class Cursor {
  public:
    explicit Cursor(std::string_view s) : s_(s) {}
    void SkipBlanks() {
        while (p_ < s_.size() && (IsBlank(s_[p_]) || s_[p_] == ',')) ++p_;
    }
    std::optional<std::int64_t> Number(std::size_t maxDigits) {
        SkipBlanks();
        std::int64_t v = 0;
        std::size_t n = 0;
        while (p_ < s_.size() && n < maxDigits &&
               std::isdigit(static_cast<unsigned char>(s_[p_]))) {
            v = v * 10 + (s_[p_++] - '0');
            ++n;
        }
        if (n == 0) return std::nullopt;
        return v;
    }
    std::string_view Word() {
        SkipBlanks();
        const std::size_t start = p_;
        while (p_ < s_.size() && std::isalpha(static_cast<unsigned char>(s_[p_]))) ++p_;
        return s_.substr(start, p_ - start);
    }
    bool Take(char c) {
        if (p_ < s_.size() && s_[p_] == c) {
            ++p_;
            return true;
        }
        return false;
    }
    char Peek() {
        SkipBlanks();
        return p_ < s_.size() ? s_[p_] : '\0';
    }

  private:
    std::string_view s_;
    std::size_t p_ = 0;
};

std::optional<int> ZoneMinutes(Cursor& c) {
    const char sign = c.Peek();
    if (sign == '+' || sign == '-') {
        c.Take(sign);
        const auto hhmm = c.Number(4);
        if (!hhmm) return std::nullopt;
        const int minutes = int(*hhmm / 100) * 60 + int(*hhmm % 100);
        return sign == '-' ? -minutes : minutes;
    }
    const std::string_view name = c.Word();
    static const std::pair<const char*, int> kZones[] = {
        {"ut", 0},        {"gmt", 0},       {"z", 0},         {"est", -5 * 60},
        {"edt", -4 * 60}, {"cst", -6 * 60}, {"cdt", -5 * 60}, {"mst", -7 * 60},
        {"mdt", -6 * 60}, {"pst", -8 * 60}, {"pdt", -7 * 60}};
    for (const auto& [zone, minutes] : kZones) {
        if (EqualsNoCase(name, zone)) return minutes;
    }
    return 0;  // unknown zones count as UTC
}

}  // namespace

std::string DecodeEncodedWords(std::string_view text) {
    std::string out;
    std::string pendingBlanks;
    bool afterWord = false;
    for (std::size_t p = 0; p < text.size();) {
        if (auto word = EncodedWord(text, p)) {
            if (!afterWord) out += pendingBlanks;  // blanks between encoded words vanish
            pendingBlanks.clear();
            out += word->first;
            p += word->second;
            afterWord = true;
            continue;
        }
        if (IsBlank(text[p])) {
            pendingBlanks += text[p++];
            continue;
        }
        out += pendingBlanks;
        pendingBlanks.clear();
        afterWord = false;
        const std::size_t n = Utf8Sequence(text, p);
        if (n == 0) {
            AppendUtf8(out, static_cast<unsigned char>(text[p]));
            ++p;
        } else {
            out.append(text.substr(p, n));
            p += n;
        }
    }
    return out + pendingBlanks;
}

bool StartsWithHeaderField(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && i < 80 && text[i] > ' ' && text[i] < 0x7F && text[i] != ':') ++i;
    return i > 0 && i < text.size() && text[i] == ':';
}

bool StartsWithMailHeader(std::string_view text, bool whole) {
    if (!StartsWithHeaderField(text)) return false;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t eol = text.find('\n', at);
        if (eol == std::string_view::npos && !whole) return true;  // cut: the rest is not there
        std::string_view line = text.substr(at, eol == std::string_view::npos ? eol : eol - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) return true;
        if (line.find('\0') != std::string_view::npos) return false;
        if (line[0] != ' ' && line[0] != '\t' && !StartsWithHeaderField(line)) return false;
        if (eol == std::string_view::npos) break;
        at = eol + 1;
    }
    return true;
}

std::optional<std::int64_t> ParseMailDate(std::string_view text) {
    Cursor c(text);
    if (std::isalpha(static_cast<unsigned char>(c.Peek()))) c.Word();  // the day's name
    const auto day = c.Number(2);
    const std::string_view monthName = c.Word();
    auto year = c.Number(4);
    if (!day || !year || monthName.size() < 3) return std::nullopt;
    int month = -1;
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (EqualsNoCase(monthName.substr(0, 3), kMonths[i])) month = int(i) + 1;
    }
    if (month < 0 || *day < 1 || *day > 31) return std::nullopt;
    if (*year < 50) {
        *year += 2000;
    } else if (*year < 1000) {
        *year += 1900;
    }
    const auto hour = c.Number(2);
    if (!hour || !c.Take(':')) return std::nullopt;
    const auto minute = c.Number(2);
    if (!minute) return std::nullopt;
    std::int64_t second = 0;
    if (c.Take(':')) {
        const auto s = c.Number(2);
        if (!s) return std::nullopt;
        second = *s;
    }
    if (*hour > 23 || *minute > 59 || second > 60) return std::nullopt;
    const auto zone = ZoneMinutes(c);
    if (!zone) return std::nullopt;
    return DaysFromCivil(*year, unsigned(month), unsigned(*day)) * 86400 + *hour * 3600 +
           *minute * 60 + second - std::int64_t(*zone) * 60;
}

MailHeaders ReadMailHeaders(std::string_view text) {
    MailHeaders headers;
    std::string* target = nullptr;
    std::string dateText;
    bool inDate = false;
    for (std::size_t p = 0; p < text.size();) {
        std::size_t eol = text.find('\n', p);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view line = text.substr(p, eol - p);
        p = eol + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) break;  // the header ends here
        auto append = [](std::string& field, std::string_view piece) {
            if (field.size() + piece.size() <= kMaxFieldLength) field.append(piece);
        };
        if (line[0] == ' ' || line[0] == '\t') {  // a folded line goes on with the field
            if (target) append(*target, line);
            if (inDate) append(dateText, line);
            continue;
        }
        target = nullptr;
        inDate = false;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = line.substr(colon + 1);
        if (EqualsNoCase(name, "from") && headers.from.empty()) {
            target = &headers.from;
        } else if (EqualsNoCase(name, "to") && headers.to.empty()) {
            target = &headers.to;
        } else if (EqualsNoCase(name, "subject") && headers.subject.empty()) {
            target = &headers.subject;
        } else if (EqualsNoCase(name, "date") && dateText.empty()) {
            inDate = true;
            append(dateText, value);
        }
        if (target) append(*target, value);
    }
    headers.from = CollapseBlanks(DecodeEncodedWords(headers.from));
    headers.to = CollapseBlanks(DecodeEncodedWords(headers.to));
    headers.subject = CollapseBlanks(DecodeEncodedWords(headers.subject));
    if (!dateText.empty()) headers.dateSeconds = ParseMailDate(dateText);
    return headers;
}

}  // namespace dbx
