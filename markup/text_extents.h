#pragma once

#include <QSize>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

#include "device_context.h"

namespace dbx::markup {

// Text extents by font and text, so that the drawing after a measurement does not shape every
// piece of a long text again. Holds at most kMaxBytes of texts; past that it measures anew.
class TextExtents {
  public:
    static constexpr std::size_t kMaxBytes = std::size_t(32) << 20;

    // The extent of Windows-1252 `text` in the context's selected font.
    QSize Get(DeviceContext& dc, std::string_view text);
    void Clear();

  private:
    std::unordered_map<std::string, QSize> extents_;
    std::size_t bytes_ = 0;
};

}  // namespace dbx::markup
