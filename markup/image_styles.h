#pragma once

#include <QImage>
#include <string_view>

#include "device_context.h"
#include "layout_records.h"

namespace dbx::markup {

// Applies the colour letters of an image style to a 32-bit ARGB image, in this order whatever
// their order in the text: "g" grey, "d" disabled (darker), "l" light. Transparent pixels stay
// as they are.
QImage StyledImage(QImage image, std::string_view letters);

inline bool WantsShadow(std::string_view letters) {
    return letters.find('s') != std::string_view::npos;
}

// The shadow of an image drawn at (x, y): its silhouette, moved by the shadow offsets and
// either blurred and darkening what lies below it, or filled with the shadow's grey.
void DrawImageShadow(DeviceContext& dc, int x, int y, const QImage& image,
                     const ImageShadow& shadow);

// Draws a 32-bit ARGB image over what is there, blending by its alpha.
void BlendImage(DeviceContext& dc, int x, int y, const QImage& image);

}  // namespace dbx::markup
