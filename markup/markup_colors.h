#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "color_ref.h"
#include "system_colors.h"

namespace dbx::markup {

// The 140 web colour names with their CSS values and the system colour names, whose values are
// taken from `system` when the table is made. Names are matched exactly, lower case.
class ColorNames {
  public:
    explicit ColorNames(const SystemColors& system);

    std::optional<ColorRef> Find(std::string_view name) const;
    const std::map<std::string, ColorRef, std::less<>>& Entries() const { return names_; }

  private:
    std::map<std::string, ColorRef, std::less<>> names_;
};

// "#RRGGBB", a number (automatic base) taken as 0x00BBGGRR, or a name. An empty value, a "#"
// form of another length and an unknown name all yield `fallback`.
ColorRef ParseColor(std::string_view value, ColorRef fallback, const ColorNames& names);

}  // namespace dbx::markup
