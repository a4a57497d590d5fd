#pragma once

#include <map>
#include <string>
#include <string_view>

namespace dbx::markup {

// Text replacements applied to a whole text before it is cut into tokens, in ascending byte
// order of their keys; each sees the results of the ones before it.
class ReplacementMap {
  public:
    // The character entities, with Windows-1252 bytes for the non-ASCII ones.
    static ReplacementMap Entities();

    // Adds or replaces an entry; an empty key is ignored, since it would match everywhere.
    void Add(std::string from, std::string to);
    std::string Apply(std::string_view text) const;
    const std::map<std::string, std::string>& Entries() const { return entries_; }

  private:
    std::map<std::string, std::string> entries_;
};

// Replacements, then carriage returns removed; line feeds and tabs become "<br>" and "<t>"
// with `lineBreaks`, otherwise they are removed.
std::string PrepareText(std::string_view text, const ReplacementMap& replacements, bool lineBreaks);

}  // namespace dbx::markup
