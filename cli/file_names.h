#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "safe_names.h"

namespace dbx::cli {

// The scanning core names the stores of a disk image the same way.
using dbx::kMaxNameBytes;
using dbx::SafeFileName;
using dbx::UniqueNames;

// "YYYY-MM-DD HHMM From - Subject" in local time, made safe, without ".eml"; leaves room
// for ".eml" and a " (N)" within kMaxNameBytes.
// An unknown date gives "undated".
std::string DescriptiveName(std::optional<std::int64_t> dateSeconds, std::string_view from,
                            std::string_view subject);

}  // namespace dbx::cli
