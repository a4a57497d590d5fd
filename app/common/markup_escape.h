#pragma once

#include <string>
#include <string_view>

namespace dbx {

// A plain Windows-1252 text (a path, a file name, an error) made safe to put into a message
// box's markup: shown as it reads, never taken as tags or entities.
std::string EscapeMarkup(std::string_view text);

}  // namespace dbx
