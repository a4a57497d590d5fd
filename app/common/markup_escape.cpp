#include "common/markup_escape.h"

namespace dbx {

std::string EscapeMarkup(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '<') {
            out += "<<";
        } else if (c == '&') {
            // Entities are replaced before anything else is read, so "&amp;" cannot protect an
            // "&"; an empty tag right after it, which draws nothing, keeps it from starting one.
            out += "&<>";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace dbx
