#include "text_extents.h"

#include "ansi_codepage.h"

namespace dbx::markup {
namespace {

void AppendNumber(std::string& key, int value) {
    key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

QSize TextExtents::Get(DeviceContext& dc, std::string_view text) {
    const FontDesc& font = dc.SelectedFont();
    std::string key;
    key.reserve(font.face.size() + text.size() + 32);
    AppendNumber(key, font.height);
    AppendNumber(key, font.weight);
    AppendNumber(key, (font.italic ? 1 : 0) | (font.underline ? 2 : 0) | (font.strikeout ? 4 : 0));
    AppendNumber(key, dc.PixelsPerInchY());
    AppendNumber(key, int(font.face.size()));
    key += font.face;
    key += text;
    if (const auto found = extents_.find(key); found != extents_.end()) return found->second;
    const QSize extent = dc.TextExtent(AnsiToQString(text));
    if (bytes_ + key.size() <= kMaxBytes) {
        bytes_ += key.size();
        extents_.emplace(std::move(key), extent);
    }
    return extent;
}

void TextExtents::Clear() {
    extents_.clear();
    bytes_ = 0;
}

}  // namespace dbx::markup
