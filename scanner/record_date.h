#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace dbx {

// Turns seconds since 1970 (UTC) into the local date-and-time text shown to the user.
using DateFormatter = std::function<std::string(std::int64_t secondsSince1970)>;

// Local time in the formats of the environment's locale; the time is left out at midnight.
DateFormatter EnvironmentDateFormatter();

struct RecordDate {
    std::int64_t seconds = 0;  // since 1970, UTC
    std::string text;
};

// Validates a FILETIME the way the recognisers do and formats it; nullopt means rejection.
std::optional<RecordDate> FormatRecordDate(std::int64_t filetime, const DateFormatter& format);

// "YYYY-MM-DDTHH:MM:SSZ".
std::string IsoUtcText(std::int64_t secondsSince1970);

}  // namespace dbx
