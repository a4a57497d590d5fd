#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace dbx::markup {

// The sheet a renderer starts with, byte for byte.
std::string_view BuiltInStyleSheet();

// Rules from a selector (lower case) to its declaration text.
class StyleSheet {
  public:
    StyleSheet();  // the built-in sheet

    // Replaces all rules by those of `text`; nullopt restores the built-in sheet.
    void Set(std::optional<std::string_view> text);

    // The declarations of a selector, looked up in lower case; null when there is no such rule.
    const std::string* Find(std::string_view selector) const;
    const std::map<std::string, std::string>& Rules() const { return rules_; }

  private:
    void Parse(std::string_view text);

    std::map<std::string, std::string> rules_;
};

}  // namespace dbx::markup
