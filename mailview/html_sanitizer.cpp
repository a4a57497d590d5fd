#include "html_sanitizer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace dbx {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string LowerCopy(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Lower(c);
    return out;
}
bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(s[i]) != prefix[i]) return false;
    }
    return true;
}
bool ContainsNoCase(std::string_view s, std::string_view needle) {
    if (needle.empty()) return true;
    for (std::size_t i = 0; i + needle.size() <= s.size(); ++i) {
        if (StartsWithNoCase(s.substr(i), needle)) return true;
    }
    return false;
}
template <std::size_t N>
bool OneOf(std::string_view name, const std::array<std::string_view, N>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Elements dropped with everything inside them. The raw-text ones end at their first end tag,
// as a browser reads them; the others may nest.
constexpr std::array<std::string_view, 6> kRawTextDropped = {"script",   "iframe", "noembed",
                                                             "noframes", "xmp",    "title"};
constexpr std::array<std::string_view, 12> kNestedDropped = {
    "object",   "embed", "applet", "svg",   "math",   "template",
    "frameset", "frame", "audio",  "video", "canvas", "portal"};
// Tags left out while their content stays: page structure the preview supplies itself, and
// everything that redirects, fetches or submits.
constexpr std::array<std::string_view, 11> kTagDropped = {"html",   "head",  "meta",     "base",
                                                          "link",   "form",  "noscript", "param",
                                                          "source", "track", "isindex"};
// Attributes whose value is an address the engine would fetch.
constexpr std::array<std::string_view, 5> kPictureAttributes = {"src", "background", "lowsrc",
                                                                "dynsrc", "poster"};
constexpr std::array<std::string_view, 16> kAttributesDropped = {
    "srcset",   "data",   "codebase", "longdesc", "cite",      "action", "formaction", "ping",
    "manifest", "srcdoc", "target",   "form",     "autofocus", "xmlns",  "http-equiv", "content"};

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Resolves the character references a browser would resolve before using an address, so that
// the checks see what the engine sees. Unknown named references stay as text; the value is
// escaped again on output, so they reach the engine as text too.
std::string DecodeReferences(std::string_view s) {
    static constexpr std::array<std::pair<std::string_view, char>, 5> kNamed = {
        {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] != '&') {
            out += s[i++];
            continue;
        }
        std::size_t j = i + 1;
        if (j < s.size() && s[j] == '#') {
            ++j;
            const bool hex = j < s.size() && (s[j] == 'x' || s[j] == 'X');
            if (hex) ++j;
            std::uint32_t cp = 0;
            std::size_t digits = 0;
            while (j < s.size()) {
                const char c = s[j];
                int value = -1;
                if (IsDigit(c))
                    value = c - '0';
                else if (hex && Lower(c) >= 'a' && Lower(c) <= 'f')
                    value = Lower(c) - 'a' + 10;
                if (value < 0) break;
                if (cp <= 0x10FFFF) cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(value);
                ++digits;
                ++j;
            }
            if (digits == 0) {
                out += s[i++];
                continue;
            }
            if (j < s.size() && s[j] == ';') ++j;
            AppendUtf8(out, cp);
            i = j;
            continue;
        }
        bool matched = false;
        for (const auto& [name, c] : kNamed) {
            if (s.substr(j).substr(0, name.size()) == name) {
                out += c;
                i = j + name.size();
                if (i < s.size() && s[i] == ';') ++i;
                matched = true;
                break;
            }
        }
        if (!matched) out += s[i++];
    }
    return out;
}

std::string EscapeAttribute(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Browsers ignore leading blanks and control characters before an address.
std::string_view TrimAddress(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) s.remove_suffix(1);
    return s;
}

bool IsRemote(std::string_view address) {
    return StartsWithNoCase(address, "http:") || StartsWithNoCase(address, "https:") ||
           StartsWithNoCase(address, "ftp:") || address.substr(0, 2) == "//";
}

bool CssUrlIsRemote(std::string_view afterParen) {
    std::string_view address = TrimAddress(afterParen);
    while (!address.empty() && (address.front() == '\'' || address.front() == '"')) {
        address.remove_prefix(1);
    }
    return IsRemote(TrimAddress(address));
}

bool IsValidName(std::string_view name, bool attribute) {
    if (name.empty() || name.size() > 64) return false;
    if (!IsAlpha(name[0]) && !(attribute && (name[0] == '_' || name[0] == ':'))) return false;
    // Element names are letters, digits and '-': no namespaced or dotted look-alikes.
    return std::all_of(name.begin(), name.end(), [attribute](char c) {
        return IsAlpha(c) || IsDigit(c) || c == '-' ||
               (attribute && (c == '_' || c == ':' || c == '.'));
    });
}

struct Attribute {
    std::string name;  // lower case
    std::string_view value;
};

struct Tag {
    std::string name;  // lower case
    bool end = false;
    std::vector<Attribute> attributes;
};

// Style that could fetch something or run something; such a declaration is dropped whole.
bool IsRiskyStyle(std::string_view style) {
    for (std::string_view risky :
         {"url(", "expression", "image-set", "@import", "behavior", "binding", "\\", "src("}) {
        if (ContainsNoCase(style, risky)) return true;
    }
    return false;
}

class Sanitizer {
  public:
    Sanitizer(std::string_view in, const CidResolver& resolve) : in_(in), resolve_(resolve) {
        out_.html.reserve(in.size() + in.size() / 8);
    }

    SanitizedHtml Run() {
        while (pos_ < in_.size()) {
            const std::size_t lt = in_.find('<', pos_);
            if (lt == std::string_view::npos) {
                Text(in_.substr(pos_));
                break;
            }
            Text(in_.substr(pos_, lt - pos_));
            pos_ = lt;
            Markup();
        }
        return std::move(out_);
    }

  private:
    void Text(std::string_view text) {
        for (char c : text) {
            if (c == '\0') continue;
            if (c == '<')
                out_.html += "&lt;";
            else if (c == '>')
                out_.html += "&gt;";
            else
                out_.html += c;
        }
    }

    // At a '<': a comment, a declaration, a tag, or a plain '<' in the text.
    void Markup() {
        const std::string_view rest = in_.substr(pos_);
        if (rest.substr(0, 4) == "<!--") {
            SkipComment();
        } else if (rest.size() > 1 && (rest[1] == '!' || rest[1] == '?')) {
            SkipPast(">");
        } else if (rest.size() > 2 && rest[1] == '/' && IsAlpha(rest[2])) {
            Element(ReadTag(true));
        } else if (rest.size() > 2 && rest[1] == '/') {
            SkipPast(">");  // "</>" and "</ ..." are dropped by browsers too
        } else if (rest.size() > 1 && IsAlpha(rest[1])) {
            Element(ReadTag(false));
        } else {
            out_.html += "&lt;";
            ++pos_;
        }
    }

    void SkipComment() {
        std::size_t i = pos_ + 4;
        if (in_.substr(i, 1) == ">") {
            pos_ = i + 1;
            return;
        }
        if (in_.substr(i, 2) == "->") {
            pos_ = i + 2;
            return;
        }
        for (; i < in_.size(); ++i) {
            if (in_.substr(i, 3) == "-->") {
                pos_ = i + 3;
                return;
            }
            if (in_.substr(i, 4) == "--!>") {
                pos_ = i + 4;
                return;
            }
        }
        pos_ = in_.size();
    }

    void SkipPast(std::string_view marker) {
        const std::size_t at = in_.find(marker, pos_ + 1);
        pos_ = at == std::string_view::npos ? in_.size() : at + marker.size();
    }

    // Reads a tag the way a browser's tokenizer does: the name runs to a blank, '/' or '>';
    // attribute values may be quoted or bare. An unfinished tag swallows the rest.
    Tag ReadTag(bool end) {
        Tag tag;
        tag.end = end;
        std::size_t i = pos_ + (end ? 2 : 1);
        const std::size_t nameStart = i;
        while (i < in_.size() && !IsSpace(in_[i]) && in_[i] != '/' && in_[i] != '>') ++i;
        tag.name = LowerCopy(in_.substr(nameStart, i - nameStart));
        while (i < in_.size()) {
            while (i < in_.size() && (IsSpace(in_[i]) || in_[i] == '/')) ++i;
            if (i >= in_.size()) break;
            if (in_[i] == '>') {
                pos_ = i + 1;
                return tag;
            }
            const std::size_t attrStart = i++;  // a first '=' belongs to the name
            while (i < in_.size() && !IsSpace(in_[i]) && in_[i] != '/' && in_[i] != '>' &&
                   in_[i] != '=') {
                ++i;
            }
            Attribute attribute{LowerCopy(in_.substr(attrStart, i - attrStart)), {}};
            std::size_t j = i;
            while (j < in_.size() && IsSpace(in_[j])) ++j;
            if (j < in_.size() && in_[j] == '=') {
                ++j;
                while (j < in_.size() && IsSpace(in_[j])) ++j;
                if (j < in_.size() && (in_[j] == '"' || in_[j] == '\'')) {
                    const std::size_t close = in_.find(in_[j], j + 1);
                    if (close == std::string_view::npos) break;
                    attribute.value = in_.substr(j + 1, close - j - 1);
                    i = close + 1;
                } else {
                    const std::size_t valueStart = j;
                    while (j < in_.size() && !IsSpace(in_[j]) && in_[j] != '>') ++j;
                    attribute.value = in_.substr(valueStart, j - valueStart);
                    i = j;
                }
            }
            if (!end && tag.attributes.size() < 64) tag.attributes.push_back(std::move(attribute));
        }
        pos_ = in_.size();
        tag.name.clear();  // unfinished: shown as nothing
        return tag;
    }

    void Element(const Tag& tag) {
        if (!IsValidName(tag.name, false)) return;
        if (!tag.end && (tag.name == "style" || tag.name == "textarea")) {
            RawText(tag);
            return;
        }
        if (!tag.end && tag.name == "plaintext") {
            Text(in_.substr(pos_));
            pos_ = in_.size();
            return;
        }
        if (OneOf(tag.name, kRawTextDropped)) {
            if (!tag.end) SkipRawText(tag.name);
            return;
        }
        if (OneOf(tag.name, kNestedDropped)) {
            if (!tag.end) SkipNested(tag.name);
            return;
        }
        if (OneOf(tag.name, kTagDropped)) return;
        if (tag.end) {
            out_.html += "</" + tag.name + ">";
            return;
        }
        out_.html += "<" + tag.name;
        std::vector<std::string_view> seen;
        for (const Attribute& attribute : tag.attributes) {
            if (std::find(seen.begin(), seen.end(), attribute.name) != seen.end()) continue;
            seen.push_back(attribute.name);
            WriteAttribute(attribute);
        }
        out_.html += ">";
    }

    void WriteAttribute(const Attribute& attribute) {
        const std::string& name = attribute.name;
        if (!IsValidName(name, true) || StartsWithNoCase(name, "on") ||
            OneOf(name, kAttributesDropped) || name.find(':') != std::string::npos) {
            return;
        }
        if (name == "href") {
            const std::string decoded = DecodeReferences(attribute.value);
            const std::string_view address = TrimAddress(decoded);
            if (StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://") ||
                StartsWithNoCase(address, "mailto:") || StartsWithNoCase(address, "ftp://") ||
                (!address.empty() && address[0] == '#')) {
                out_.html += " href=\"" + EscapeAttribute(address) + "\"";
            }
            return;
        }
        if (OneOf(name, kPictureAttributes)) {
            const std::string decoded = DecodeReferences(attribute.value);
            const std::string_view address = TrimAddress(decoded);
            std::string url;
            if (StartsWithNoCase(address, "cid:")) {
                url = resolve_ ? resolve_(address.substr(4)) : std::string();
            } else if (StartsWithNoCase(address, "data:image/") &&
                       !StartsWithNoCase(address, "data:image/svg")) {
                url = std::string(address);
            } else if (IsRemote(address)) {
                ++out_.remoteImages;
            }
            if (!url.empty()) out_.html += " " + name + "=\"" + EscapeAttribute(url) + "\"";
            return;
        }
        if (name == "style") {
            const std::string decoded = DecodeReferences(attribute.value);
            if (IsRiskyStyle(decoded)) {
                if (ContainsNoCase(decoded, "http") || decoded.find("//") != std::string::npos) {
                    ++out_.remoteImages;
                }
                return;
            }
        }
        out_.html += " " + name + "=\"" + EscapeAttribute(attribute.value) + "\"";
    }

    // Where a raw-text element ends: its first end tag, whatever comes before it.
    std::size_t RawTextEnd(std::string_view name) const {
        for (std::size_t i = in_.find("</", pos_); i != std::string_view::npos;
             i = in_.find("</", i + 2)) {
            if (!StartsWithNoCase(in_.substr(i + 2), name)) continue;
            const std::size_t after = i + 2 + name.size();
            if (after >= in_.size() || IsSpace(in_[after]) || in_[after] == '/' ||
                in_[after] == '>') {
                return i;
            }
        }
        return in_.size();
    }

    void SkipRawText(std::string_view name) {
        pos_ = RawTextEnd(name);
        if (pos_ < in_.size()) ReadTag(true);
    }

    void RawText(const Tag& tag) {
        const std::size_t end = RawTextEnd(tag.name);
        const std::string_view content = in_.substr(pos_, end - pos_);
        pos_ = end;
        if (pos_ < in_.size()) ReadTag(true);
        if (tag.name == "textarea") {
            out_.html += "<textarea readonly>";
            Text(content);
            out_.html += "</textarea>";
            return;
        }
        // A style sheet stays for the mail's look, but it cannot fetch: anything that would
        // is made invalid, which drops that one declaration.
        std::string css;
        css.reserve(content.size());
        for (std::size_t i = 0; i < content.size(); ++i) {
            const std::string_view at = content.substr(i);
            if (content[i] == '\\' || content[i] == '\0' || content[i] == '<') continue;
            if (StartsWithNoCase(at, "url(") || StartsWithNoCase(at, "@import") ||
                StartsWithNoCase(at, "expression") || StartsWithNoCase(at, "image-set") ||
                StartsWithNoCase(at, "src(")) {
                if (StartsWithNoCase(at, "url(")) {
                    // The address itself goes too: nothing of it reaches the engine.
                    if (CssUrlIsRemote(at.substr(4))) ++out_.remoteImages;
                    const std::size_t close = content.find(')', i);
                    css += "x-blocked-url()";
                    if (close == std::string_view::npos) break;
                    i = close;
                    continue;
                }
                css += "x-blocked-";
            }
            css += content[i];
        }
        out_.html += "<style>" + css + "</style>";
    }

    void SkipNested(std::string_view name) {
        int depth = 1;
        while (pos_ < in_.size() && depth > 0) {
            const std::size_t lt = in_.find('<', pos_);
            if (lt == std::string_view::npos) {
                pos_ = in_.size();
                return;
            }
            pos_ = lt;
            const std::string_view rest = in_.substr(pos_);
            if (rest.substr(0, 4) == "<!--") {
                SkipComment();
                continue;
            }
            const bool end = rest.size() > 1 && rest[1] == '/';
            if ((end && rest.size() > 2 && IsAlpha(rest[2])) ||
                (!end && rest.size() > 1 && IsAlpha(rest[1]))) {
                const Tag tag = ReadTag(end);
                if (tag.name == name) depth += end ? -1 : 1;
            } else {
                ++pos_;
            }
        }
    }

    std::string_view in_;
    const CidResolver& resolve_;
    std::size_t pos_ = 0;
    SanitizedHtml out_;
};

}  // namespace

SanitizedHtml SanitizeMailHtml(std::string_view html, const CidResolver& resolveCid) {
    return Sanitizer(html, resolveCid).Run();
}

}  // namespace dbx
