#pragma once

#include <QImage>
#include <optional>
#include <string>
#include <string_view>

#include "color_ref.h"
#include "markup_tags.h"
#include "value_reader.h"

namespace dbx {
class ResourceRegistry;
}

namespace dbx::markup {

// The side of an icon drawn at its default size.
inline constexpr int kSystemIconSize = 32;

// Drawn images are at most this wide and high, which bounds the memory a text can ask for.
inline constexpr int kMaxImageSide = 2048;

// What a "bmp", "icon" or "ilst" tag asks for.
struct ImageTag {
    TagKind kind = TagKind::Bitmap;
    std::optional<int> idres;
    std::optional<int> iddll;
    std::string srcdll;
    std::optional<unsigned> handle;
    std::string file;
    std::optional<ColorRef> mask;  // only when the mask attribute is given
    std::string style;
    std::string hotStyle;
    int index = 0;
    int cx = 0;
    int cy = 0;
    std::string width;  // lengths; a percentage is of the image's own size
    std::string height;
};

ImageTag ReadImageTag(const TagInfo& tag, const ValueReader& values);

// Where images and strings come from: the program's resources, and the module used for iddll
// when no srcdll is given (none unless the owner set one).
struct ResourceSources {
    const ResourceRegistry& program;
    const ResourceRegistry* module = nullptr;
};

// The image of a tag, cut from its strip, with mask pixels made transparent, at its drawn size,
// as 32-bit ARGB; a null image when it cannot be loaded or has no area. Only the first source
// given counts: idres, then file, then iddll, then handle. Modules named by srcdll do not
// exist on this platform, so such images are never found.
QImage LoadTagImage(const ImageTag& tag, const ResourceSources& sources, const ValueReader& values);

// An image file named by a text: only a regular file of at most 32 MB whose picture is at most
// 4 × kMaxImageSide each way, so that a name such as a pipe, a device or a huge picture can
// neither block drawing nor exhaust memory; a null image otherwise.
QImage ReadImageFile(std::string_view path);

// A string resource for the "string" tag, by the same rules.
std::optional<std::string> LoadTagString(const TagInfo& tag, const ResourceSources& sources);

}  // namespace dbx::markup
