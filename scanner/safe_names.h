#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>

namespace dbx {

constexpr std::size_t kMaxNameBytes = 200;

// `text` (UTF-8) as a file name: characters that are unsafe in file names on any common
// system (control characters, / \ : * ? " < > |) become "_", blanks are trimmed, leading
// dots dropped, cut at a character boundary to at most `maxBytes`. Never empty.
std::string SafeFileName(std::string_view text, std::size_t maxBytes = kMaxNameBytes);

// Hands out names no earlier call returned, comparing without case: "Inbox", "Inbox (2)".
class UniqueNames {
  public:
    std::string Take(const std::string& name);

  private:
    std::set<std::string> taken_;
};

}  // namespace dbx
