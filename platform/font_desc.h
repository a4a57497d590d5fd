#pragma once

#include <QFont>
#include <string>

class QPaintDevice;

namespace dbx {

// A font as the drawing code asks for it.
struct FontDesc {
    // > 0: cell height (ascent + descent) in pixels; < 0: character height; 0: default size.
    int height = 0;
    int weight = 400;  // 100-900; 0 means the normal weight
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    std::string face;  // Windows-1252 bytes; empty for the default face

    friend bool operator==(const FontDesc&, const FontDesc&) = default;
};

// The closest Qt font, sized so that its cell height on `device` matches a positive height.
QFont ResolveFont(const FontDesc& desc, const QPaintDevice* device);

}  // namespace dbx
