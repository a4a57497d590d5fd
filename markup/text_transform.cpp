#include "text_transform.h"

#include "ansi_codepage.h"

namespace dbx::markup {

std::string TransformText(std::string_view run, TextTransform transform) {
    switch (transform) {
        case TextTransform::Upper:
            return AnsiUpper(run);
        case TextTransform::Lower:
            return AnsiLower(run);
        case TextTransform::Capitalize: {
            std::string out = AnsiLower(run);
            for (std::size_t i = 0; i < out.size(); ++i) {
                const bool wordStart = i == 0 || out[i - 1] == ' ';
                if (wordStart && out[i] >= 'a' && out[i] <= 'z') out[i] = char(out[i] - 0x20);
            }
            return out;
        }
        case TextTransform::None:
            break;
    }
    return std::string(run);
}

}  // namespace dbx::markup
