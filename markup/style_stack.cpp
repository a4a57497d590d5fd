#include "style_stack.h"

namespace dbx::markup {

void StyleStack::Push(StyleState& current, std::string canonical) {
    entries_.push_back({canonical, current});
    current.tagName = std::move(canonical);
}

bool StyleStack::Close(std::string_view canonical, StyleState& current) {
    if (entries_.empty() || canonical.empty() || entries_.back().canonical != canonical) {
        return false;
    }
    current = std::move(entries_.back().saved);
    entries_.pop_back();
    return true;
}

}  // namespace dbx::markup
