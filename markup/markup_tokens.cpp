#include "markup_tokens.h"

namespace dbx::markup {

std::optional<Token> NextToken(std::string_view text, std::size_t& pos) {
    if (pos >= text.size()) return std::nullopt;
    const bool escaped = pos + 1 < text.size() && text[pos + 1] == '<';
    if (text[pos] == '<' && !escaped) {
        const std::size_t close = text.find('>', pos + 1);
        if (close == std::string_view::npos) {
            ++pos;
            return Token{TokenType::Tag, {}};
        }
        Token tag{TokenType::Tag, std::string(text.substr(pos + 1, close - pos - 1))};
        pos = close + 1;
        return tag;
    }
    Token run{TokenType::Text, {}};
    while (pos < text.size()) {
        const std::size_t lt = text.find('<', pos);
        if (lt == std::string_view::npos) {
            run.text.append(text.substr(pos));
            pos = text.size();
            break;
        }
        run.text.append(text.substr(pos, lt - pos));
        pos = lt;
        if (lt + 1 >= text.size() || text[lt + 1] != '<') break;
        run.text.push_back('<');
        pos = lt + 2;
    }
    return run;
}

}  // namespace dbx::markup
