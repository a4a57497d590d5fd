#include "css_tokens.h"

#include <QString>

#include <cstdint>

namespace dbx::css {
namespace {

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}
bool IsNewline(char c) {
    return c == '\n' || c == '\r' || c == '\f';
}
bool IsSpace(char c) {
    return IsNewline(c) || c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool IsNameChar(char c) {
    return IsNameStart(c) || IsDigit(c) || c == '-';
}

// Qt writes the UTF-8; what CSS reads as no character at all becomes U+FFFD.
void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    const char32_t character = cp;
    out += QString::fromUcs4(&character, 1).toStdString();
}

class Tokenizer {
  public:
    Tokenizer(std::string_view in, std::size_t maxTokens) : in_(in), max_(maxTokens) {}

    std::vector<Token> Run() {
        while (pos_ < in_.size() && out_.size() < max_) Next();
        return std::move(out_);
    }

  private:
    char At(std::size_t offset) const {
        return pos_ + offset < in_.size() ? in_[pos_ + offset] : '\0';
    }
    bool ValidEscape(std::size_t offset) const {
        return pos_ + offset < in_.size() && in_[pos_ + offset] == '\\' &&
               !IsNewline(At(offset + 1)) && pos_ + offset + 1 < in_.size();
    }
    bool StartsIdent(std::size_t offset) const {
        const char c = At(offset);
        if (c == '-') {
            return IsNameStart(At(offset + 1)) || At(offset + 1) == '-' || ValidEscape(offset + 1);
        }
        return (pos_ + offset < in_.size() && IsNameStart(c)) || ValidEscape(offset);
    }
    bool StartsNumber() const {
        const char c = At(0);
        if (c == '+' || c == '-') {
            return IsDigit(At(1)) || (At(1) == '.' && IsDigit(At(2)));
        }
        if (c == '.') return IsDigit(At(1));
        return IsDigit(c);
    }

    void Emit(TokenKind kind, std::string text = {}, std::string unit = {}) {
        out_.push_back(Token{kind, std::move(text), std::move(unit)});
    }

    // At a backslash that starts a valid escape: the character it stands for.
    void ConsumeEscape(std::string& out) {
        ++pos_;  // the backslash
        if (pos_ >= in_.size()) {
            AppendUtf8(out, 0xFFFD);
            return;
        }
        if (IsHex(in_[pos_])) {
            std::uint32_t cp = 0;
            for (int digits = 0; digits < 6 && pos_ < in_.size() && IsHex(in_[pos_]); ++digits) {
                cp = cp * 16 + static_cast<std::uint32_t>(HexValue(in_[pos_++]));
            }
            if (pos_ < in_.size() && in_[pos_] == '\r' && At(1) == '\n') {
                pos_ += 2;
            } else if (pos_ < in_.size() && IsSpace(in_[pos_])) {
                ++pos_;
            }
            AppendUtf8(out, cp);
            return;
        }
        out += in_[pos_++];
    }

    std::string ConsumeName() {
        std::string name;
        while (pos_ < in_.size()) {
            if (IsNameChar(in_[pos_])) {
                name += in_[pos_++];
            } else if (ValidEscape(0)) {
                ConsumeEscape(name);
            } else {
                break;
            }
        }
        return name;
    }

    void ConsumeComment() {
        const std::size_t end = in_.find("*/", pos_ + 2);
        pos_ = end == std::string_view::npos ? in_.size() : end + 2;
    }

    void ConsumeString(char quote) {
        ++pos_;
        std::string text;
        while (pos_ < in_.size()) {
            const char c = in_[pos_];
            if (c == quote) {
                ++pos_;
                Emit(TokenKind::String, std::move(text));
                return;
            }
            if (IsNewline(c)) {
                Emit(TokenKind::BadToken);
                return;
            }
            if (c == '\\') {
                if (pos_ + 1 >= in_.size()) {
                    ++pos_;
                } else if (IsNewline(in_[pos_ + 1])) {
                    pos_ += (in_[pos_ + 1] == '\r' && At(2) == '\n') ? 3 : 2;
                } else {
                    ConsumeEscape(text);
                }
                continue;
            }
            text += c;
            ++pos_;
        }
        Emit(TokenKind::String, std::move(text));
    }

    void ConsumeNumeric() {
        std::string number;
        if (At(0) == '+' || At(0) == '-') number += in_[pos_++];
        while (IsDigit(At(0))) number += in_[pos_++];
        if (At(0) == '.' && IsDigit(At(1))) {
            number += in_[pos_++];
            while (IsDigit(At(0))) number += in_[pos_++];
        }
        if ((At(0) == 'e' || At(0) == 'E') &&
            (IsDigit(At(1)) || ((At(1) == '+' || At(1) == '-') && IsDigit(At(2))))) {
            number += in_[pos_++];
            if (At(0) == '+' || At(0) == '-') number += in_[pos_++];
            while (IsDigit(At(0))) number += in_[pos_++];
        }
        if (StartsIdent(0)) {
            std::string unit = ConsumeName();
            Emit(TokenKind::Dimension, std::move(number), std::move(unit));
        } else if (At(0) == '%') {
            ++pos_;
            Emit(TokenKind::Percentage, std::move(number));
        } else {
            Emit(TokenKind::Number, std::move(number));
        }
    }

    // After "url(" with no quote: the address up to ")", or a bad token.
    void ConsumeUrl() {
        while (pos_ < in_.size() && IsSpace(in_[pos_])) ++pos_;
        std::string address;
        while (pos_ < in_.size()) {
            const char c = in_[pos_];
            if (c == ')') {
                ++pos_;
                Emit(TokenKind::Url, std::move(address));
                return;
            }
            if (IsSpace(c)) {
                while (pos_ < in_.size() && IsSpace(in_[pos_])) ++pos_;
                if (pos_ < in_.size() && in_[pos_] == ')') continue;
                break;
            }
            if (c == '"' || c == '\'' || c == '(') break;
            if (c == '\\') {
                if (!ValidEscape(0)) break;
                ConsumeEscape(address);
                continue;
            }
            address += c;
            ++pos_;
        }
        // A broken address: everything up to its ")" goes with it.
        while (pos_ < in_.size() && in_[pos_] != ')') {
            if (ValidEscape(0)) {
                std::string ignored;
                ConsumeEscape(ignored);
            } else {
                ++pos_;
            }
        }
        if (pos_ < in_.size()) ++pos_;
        Emit(TokenKind::BadToken, std::move(address));
    }

    void ConsumeIdentLike() {
        std::string name = ConsumeName();
        if (At(0) != '(') {
            Emit(TokenKind::Ident, std::move(name));
            return;
        }
        ++pos_;
        std::string lower = name;
        for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower == "url") {
            std::size_t ahead = pos_;
            while (ahead < in_.size() && IsSpace(in_[ahead])) ++ahead;
            if (ahead >= in_.size() || (in_[ahead] != '"' && in_[ahead] != '\'')) {
                ConsumeUrl();
                return;
            }
        }
        Emit(TokenKind::Function, std::move(name));
    }

    void Next() {
        const char c = in_[pos_];
        if (c == '/' && At(1) == '*') {
            ConsumeComment();
            return;
        }
        if (IsSpace(c)) {
            while (pos_ < in_.size() && IsSpace(in_[pos_])) ++pos_;
            Emit(TokenKind::Whitespace, " ");
            return;
        }
        if (c == '"' || c == '\'') {
            ConsumeString(c);
            return;
        }
        if (StartsNumber()) {
            ConsumeNumeric();
            return;
        }
        if (StartsIdent(0)) {
            ConsumeIdentLike();
            return;
        }
        ++pos_;
        switch (c) {
            case '#':
                if (pos_ < in_.size() && (IsNameChar(in_[pos_]) || ValidEscape(0))) {
                    Emit(TokenKind::Hash, ConsumeName());
                    return;
                }
                break;
            case '@':
                if (StartsIdent(0)) {
                    Emit(TokenKind::AtKeyword, ConsumeName());
                    return;
                }
                break;
            case ':':
                return Emit(TokenKind::Colon);
            case ';':
                return Emit(TokenKind::Semicolon);
            case ',':
                return Emit(TokenKind::Comma);
            case '(':
                return Emit(TokenKind::OpenParen);
            case ')':
                return Emit(TokenKind::CloseParen);
            case '[':
                return Emit(TokenKind::OpenSquare);
            case ']':
                return Emit(TokenKind::CloseSquare);
            case '{':
                return Emit(TokenKind::OpenCurly);
            case '}':
                return Emit(TokenKind::CloseCurly);
            default:
                break;
        }
        Emit(TokenKind::Delim, std::string(1, c));
    }

    std::string_view in_;
    std::size_t max_;
    std::size_t pos_ = 0;
    std::vector<Token> out_;
};

}  // namespace

std::vector<Token> Tokenize(std::string_view css, std::size_t maxTokens) {
    return Tokenizer(css, maxTokens).Run();
}

}  // namespace dbx::css
