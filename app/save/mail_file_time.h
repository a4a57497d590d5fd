#pragma once

#include <cstdint>
#include <string>

namespace dbx {

// Dates the file at `path` (its access and modification times) `seconds` after 1970 UTC, so
// that a saved mail sorts by the date of its message. A link is dated itself, never followed.
// False when the time could not be set.
bool SetMailFileTime(const std::string& path, std::int64_t seconds);

}  // namespace dbx
