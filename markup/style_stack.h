#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "style_state.h"

namespace dbx::markup {

// Saved states of the open tags. A closing tag closes only the innermost open tag, and only when
// that one has the same canonical name.
class StyleStack {
  public:
    // Saves `current` under `canonical`; `current` then carries that name as the tag that made it.
    void Push(StyleState& current, std::string canonical);
    // Restores `current` to what it was before the innermost open tag when that tag's name is
    // `canonical`; false, and nothing changed, otherwise.
    bool Close(std::string_view canonical, StyleState& current);
    void Clear() { entries_.clear(); }
    std::size_t Depth() const { return entries_.size(); }

  private:
    struct Entry {
        std::string canonical;
        StyleState saved;
    };
    std::vector<Entry> entries_;
};

}  // namespace dbx::markup
