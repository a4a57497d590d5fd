#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace dbx::markup {

enum class TokenType { Text, Tag };

struct Token {
    TokenType type = TokenType::Text;
    // A text run with each "<<" turned into "<", or the text between "<" and ">" of a tag.
    std::string text;
};

// The token at `pos` of a prepared text, advancing `pos` past it; nullopt at the end. A "<"
// without a later ">" is an empty tag text and the scan goes on after it.
std::optional<Token> NextToken(std::string_view text, std::size_t& pos);

}  // namespace dbx::markup
