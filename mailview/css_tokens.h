#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dbx::css {

// CSS as a browser reads it: comments gone, escapes resolved, every value in its token.
enum class TokenKind {
    Ident,
    Function,   // text: the name; the "(" is part of the token
    AtKeyword,  // text: the name without "@"
    Hash,       // text: without "#"
    String,     // text: the content
    Url,        // text: the address of an unquoted url(...)
    BadToken,   // an unfinished string or a broken url(...)
    Number,     // text: the number as written
    Percentage,
    Dimension,  // text: the number, unit: the unit
    Whitespace,
    Delim,  // text: the character
    Colon,
    Semicolon,
    Comma,
    OpenParen,
    CloseParen,
    OpenSquare,
    CloseSquare,
    OpenCurly,
    CloseCurly,
};

struct Token {
    TokenKind kind = TokenKind::Delim;
    std::string text;
    std::string unit;
};

// The tokens of a style sheet or a style attribute (UTF-8); at most `maxTokens` of them, the
// rest dropped.
std::vector<Token> Tokenize(std::string_view css, std::size_t maxTokens);

}  // namespace dbx::css
