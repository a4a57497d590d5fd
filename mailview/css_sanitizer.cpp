#include "css_sanitizer.h"

#include <algorithm>
#include <array>

#include "css_tokens.h"

namespace dbx {
namespace {

using css::Token;
using css::TokenKind;

// A style sheet of a mail is small; a hostile one is cut here, not read on for ever.
constexpr std::size_t kMaxTokens = 1 << 20;
constexpr int kMaxBlockDepth = 4;

constexpr std::array<std::string_view, 77> kProperties = {"background-color",
                                                          "border",
                                                          "border-bottom",
                                                          "border-bottom-color",
                                                          "border-bottom-style",
                                                          "border-bottom-width",
                                                          "border-collapse",
                                                          "border-color",
                                                          "border-left",
                                                          "border-left-color",
                                                          "border-left-style",
                                                          "border-left-width",
                                                          "border-radius",
                                                          "border-right",
                                                          "border-right-color",
                                                          "border-right-style",
                                                          "border-right-width",
                                                          "border-spacing",
                                                          "border-style",
                                                          "border-top",
                                                          "border-top-color",
                                                          "border-top-style",
                                                          "border-top-width",
                                                          "border-width",
                                                          "box-sizing",
                                                          "caption-side",
                                                          "clear",
                                                          "color",
                                                          "direction",
                                                          "display",
                                                          "empty-cells",
                                                          "float",
                                                          "font",
                                                          "font-family",
                                                          "font-size",
                                                          "font-stretch",
                                                          "font-style",
                                                          "font-variant",
                                                          "font-weight",
                                                          "height",
                                                          "letter-spacing",
                                                          "line-height",
                                                          "list-style",
                                                          "list-style-position",
                                                          "list-style-type",
                                                          "margin",
                                                          "margin-bottom",
                                                          "margin-left",
                                                          "margin-right",
                                                          "margin-top",
                                                          "max-height",
                                                          "max-width",
                                                          "min-height",
                                                          "min-width",
                                                          "opacity",
                                                          "overflow",
                                                          "overflow-wrap",
                                                          "overflow-x",
                                                          "overflow-y",
                                                          "padding",
                                                          "padding-bottom",
                                                          "padding-left",
                                                          "padding-right",
                                                          "padding-top",
                                                          "table-layout",
                                                          "text-align",
                                                          "text-decoration",
                                                          "text-indent",
                                                          "text-overflow",
                                                          "text-transform",
                                                          "vertical-align",
                                                          "visibility",
                                                          "white-space",
                                                          "width",
                                                          "word-break",
                                                          "word-spacing",
                                                          "word-wrap"};
// "background" stays too: its value is checked like any other, so no picture gets through.
constexpr std::string_view kBackground = "background";

constexpr std::array<std::string_view, 4> kColourFunctions = {"rgb", "rgba", "hsl", "hsla"};

std::string Lower(std::string s) {
    for (char& c : s) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && Lower(std::string(s.substr(0, prefix.size()))) == prefix;
}

bool IsRemoteAddress(std::string_view address) {
    while (!address.empty() && static_cast<unsigned char>(address.front()) <= 0x20) {
        address.remove_prefix(1);
    }
    return StartsWithNoCase(address, "http:") || StartsWithNoCase(address, "https:") ||
           StartsWithNoCase(address, "ftp:") || address.substr(0, 2) == "//";
}

// Names are written back only when they need no escape.
bool IsPlainName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || static_cast<unsigned char>(c) >= 0x80;
    });
}

bool IsPlainNumber(std::string_view number) {
    return !number.empty() && std::all_of(number.begin(), number.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
    });
}

// A string written back in double quotes, with only what names a font or a value in it: nothing
// that could end it or the sheet, and nothing that reads as a function where a sloppy reader
// would take the quotes for something else.
std::string QuotedString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || static_cast<unsigned char>(c) >= 0x80 ||
                           std::string_view(" -_.,#!'&+/=").find(c) != std::string_view::npos;
        if (plain) out += c;
    }
    out += '"';
    return out;
}

// Two delimiters that met only because a comment between them went must not start one.
void AppendDelim(std::string& out, char delim) {
    if (delim == '*' && !out.empty() && out.back() == '/') out += ' ';
    out += delim;
}

using Tokens = std::vector<Token>;

// The index after the component that starts at `i`: a block with everything in it, or one
// token. Unfinished blocks end with the tokens.
std::size_t SkipComponent(const Tokens& tokens, std::size_t i) {
    const auto opens = [](TokenKind k) {
        return k == TokenKind::OpenParen || k == TokenKind::Function ||
               k == TokenKind::OpenSquare || k == TokenKind::OpenCurly;
    };
    const auto closes = [](TokenKind k) {
        return k == TokenKind::CloseParen || k == TokenKind::CloseSquare ||
               k == TokenKind::CloseCurly;
    };
    if (!opens(tokens[i].kind)) return i + 1;
    std::size_t depth = 0;
    for (; i < tokens.size(); ++i) {
        if (opens(tokens[i].kind)) {
            ++depth;
        } else if (closes(tokens[i].kind) && --depth == 0) {
            return i + 1;
        }
    }
    return tokens.size();
}

// Counts the remote addresses among `tokens` [begin, end): url(...) and strings after
// @import.
int CountRemote(const Tokens& tokens, std::size_t begin, std::size_t end) {
    int count = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const Token& t = tokens[i];
        if ((t.kind == TokenKind::Url || t.kind == TokenKind::BadToken ||
             t.kind == TokenKind::String) &&
            IsRemoteAddress(t.text)) {
            ++count;
        }
    }
    return count;
}

enum class Common { Written, Refused, Other };

// The tokens a value and a selector write back alike: names, hashes, strings, numbers, spaces
// and commas. Other: a token each of them judges in its own way.
Common WriteCommonToken(const Token& t, std::string& out) {
    switch (t.kind) {
        case TokenKind::Ident:
            if (!IsPlainName(t.text)) return Common::Refused;
            out += t.text;
            return Common::Written;
        case TokenKind::Hash:
            if (!IsPlainName(t.text)) return Common::Refused;
            out += "#" + t.text;
            return Common::Written;
        case TokenKind::String:
            out += QuotedString(t.text);
            return Common::Written;
        case TokenKind::Number:
            if (!IsPlainNumber(t.text)) return Common::Refused;
            out += t.text;
            return Common::Written;
        case TokenKind::Dimension:
            if (!IsPlainNumber(t.text) || !IsPlainName(t.unit)) return Common::Refused;
            out += t.text + t.unit;
            return Common::Written;
        case TokenKind::Whitespace:
            if (!out.empty() && out.back() != ' ') out += ' ';
            return Common::Written;
        case TokenKind::Comma:
            out += ',';
            return Common::Written;
        default:
            return Common::Other;
    }
}

// The character a punctuation token stands for.
char Punctuation(TokenKind kind) {
    switch (kind) {
        case TokenKind::Colon:
            return ':';
        case TokenKind::OpenParen:
            return '(';
        case TokenKind::CloseParen:
            return ')';
        case TokenKind::OpenSquare:
            return '[';
        default:
            return ']';
    }
}

// One declaration's value [begin, end) written back, or false when anything in it is not
// plainly a value: an address, an unknown function, a block, an escape-only delimiter.
bool WriteValue(const Tokens& tokens, std::size_t begin, std::size_t end, std::string& out) {
    int parens = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const Token& t = tokens[i];
        const Common written = WriteCommonToken(t, out);
        if (written == Common::Refused) return false;
        if (written == Common::Written) continue;
        switch (t.kind) {
            case TokenKind::Percentage:
                if (!IsPlainNumber(t.text)) return false;
                out += t.text + "%";
                break;
            case TokenKind::Function: {
                const std::string name = Lower(t.text);
                if (std::find(kColourFunctions.begin(), kColourFunctions.end(), name) ==
                    kColourFunctions.end()) {
                    return false;
                }
                out += name + "(";
                ++parens;
                break;
            }
            case TokenKind::CloseParen:
                if (parens == 0) return false;
                --parens;
                out += ')';
                break;
            case TokenKind::Delim:
                if (t.text == "!") {
                    std::size_t j = i + 1;
                    while (j < end && tokens[j].kind == TokenKind::Whitespace) ++j;
                    if (j >= end || tokens[j].kind != TokenKind::Ident ||
                        Lower(tokens[j].text) != "important") {
                        return false;
                    }
                    out += "!important";
                    i = j;
                    break;
                }
                if (t.text != "/" && t.text != "+" && t.text != "-" && t.text != "*" &&
                    t.text != ".") {
                    return false;
                }
                AppendDelim(out, t.text[0]);
                break;
            default:
                return false;
        }
    }
    for (; parens > 0; --parens) out += ')';
    return true;
}

// A list of declarations [begin, end) written back, each one kept or dropped on its own.
std::string WriteDeclarations(const Tokens& tokens, std::size_t begin, std::size_t end,
                              int* remote) {
    std::string out;
    std::size_t i = begin;
    while (i < end) {
        // One declaration runs to the next ";" outside any block.
        std::size_t stop = i;
        while (stop < end && tokens[stop].kind != TokenKind::Semicolon) {
            stop = std::min(SkipComponent(tokens, stop), end);
        }
        std::size_t j = i;
        while (j < stop && tokens[j].kind == TokenKind::Whitespace) ++j;
        if (j < stop && tokens[j].kind == TokenKind::Ident) {
            const std::string property = Lower(tokens[j].text);
            ++j;
            while (j < stop && tokens[j].kind == TokenKind::Whitespace) ++j;
            if (j < stop && tokens[j].kind == TokenKind::Colon) {
                ++j;
                while (j < stop && tokens[j].kind == TokenKind::Whitespace) ++j;
                std::size_t valueEnd = stop;
                while (valueEnd > j && tokens[valueEnd - 1].kind == TokenKind::Whitespace) {
                    --valueEnd;
                }
                if (remote) *remote += CountRemote(tokens, j, valueEnd);
                std::string value;
                const bool known = property == kBackground ||
                                   std::find(kProperties.begin(), kProperties.end(), property) !=
                                       kProperties.end();
                if (known && valueEnd > j && WriteValue(tokens, j, valueEnd, value)) {
                    if (!out.empty()) out += ' ';
                    out += property + ": " + value + ";";
                }
            }
        }
        i = stop + 1;
    }
    return out;
}

// A selector or a media query [begin, end) written back, or false when it holds what a
// selector has no need of.
bool WritePrelude(const Tokens& tokens, std::size_t begin, std::size_t end, std::string& out) {
    for (std::size_t i = begin; i < end; ++i) {
        const Token& t = tokens[i];
        const Common written = WriteCommonToken(t, out);
        if (written == Common::Refused) return false;
        if (written == Common::Written) continue;
        switch (t.kind) {
            case TokenKind::Function:
                if (!IsPlainName(t.text) || StartsWithNoCase(t.text, "url")) return false;
                out += t.text + "(";
                break;
            case TokenKind::Colon:
            case TokenKind::OpenParen:
            case TokenKind::CloseParen:
            case TokenKind::OpenSquare:
            case TokenKind::CloseSquare:
                out += Punctuation(t.kind);
                break;
            case TokenKind::Delim:
                if (std::string_view(".*>+~=|^$-").find(t.text) == std::string_view::npos ||
                    t.text.size() != 1) {
                    return false;
                }
                AppendDelim(out, t.text[0]);
                break;
            default:
                return false;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return !out.empty();
}

// Rules [begin, end) of a sheet or an @media block.
std::string WriteRules(const Tokens& tokens, std::size_t begin, std::size_t end, int depth,
                       int* remote) {
    std::string out;
    std::size_t i = begin;
    while (i < end) {
        const TokenKind kind = tokens[i].kind;
        if (kind == TokenKind::Whitespace || kind == TokenKind::Semicolon) {
            ++i;
            continue;
        }
        // The prelude runs to the rule's block (or, for an at-rule, to its ";").
        const bool atRule = kind == TokenKind::AtKeyword;
        std::size_t block = atRule ? i + 1 : i;
        while (block < end && tokens[block].kind != TokenKind::OpenCurly &&
               !(atRule && tokens[block].kind == TokenKind::Semicolon)) {
            block = std::min(SkipComponent(tokens, block), end);
        }
        if (block >= end || tokens[block].kind == TokenKind::Semicolon) {
            if (remote) *remote += CountRemote(tokens, i, block);
            i = block + 1;  // a statement at-rule (@import, @charset): gone
            continue;
        }
        const std::size_t blockEnd = std::min(SkipComponent(tokens, block), end);
        const std::size_t innerEnd =
            (blockEnd > block + 1 && tokens[blockEnd - 1].kind == TokenKind::CloseCurly)
                ? blockEnd - 1
                : blockEnd;
        std::string prelude;
        if (atRule) {
            // Of the block at-rules, only @media keeps its rules; @font-face, @keyframes and
            // the rest go with their blocks.
            if (Lower(tokens[i].text) == "media" && depth < kMaxBlockDepth &&
                WritePrelude(tokens, i + 1, block, prelude)) {
                const std::string inner =
                    WriteRules(tokens, block + 1, innerEnd, depth + 1, remote);
                out += "@media " + prelude + "{" + inner + "}\n";
            } else if (remote) {
                *remote += CountRemote(tokens, i, blockEnd);
            }
        } else if (WritePrelude(tokens, i, block, prelude)) {
            out += prelude + "{" + WriteDeclarations(tokens, block + 1, innerEnd, remote) + "}\n";
        } else if (remote) {
            *remote += CountRemote(tokens, block, blockEnd);
        }
        i = blockEnd;
    }
    return out;
}

}  // namespace

std::string SanitizeStyleAttribute(std::string_view style, int* remote) {
    const Tokens tokens = css::Tokenize(style, kMaxTokens);
    return WriteDeclarations(tokens, 0, tokens.size(), remote);
}

std::string SanitizeStyleSheet(std::string_view sheet, int* remote) {
    const Tokens tokens = css::Tokenize(sheet, kMaxTokens);
    return WriteRules(tokens, 0, tokens.size(), 0, remote);
}

}  // namespace dbx
