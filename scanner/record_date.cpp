#include "record_date.h"

#include <locale.h>
#include <ctime>

namespace dbx {
namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;

// The environment's time formats (LC_ALL, LC_TIME, LANG), without touching the process-wide
// locale; the C locale when the environment names one that is not installed.
locale_t EnvironmentTimeLocale() {
    static const locale_t locale = [] {
        locale_t l = newlocale(LC_TIME_MASK, "", locale_t(0));
        return l ? l : newlocale(LC_TIME_MASK, "C", locale_t(0));
    }();
    return locale;
}

}  // namespace

DateFormatter EnvironmentDateFormatter() {
    return [](std::int64_t seconds) {
        std::time_t t = std::time_t(seconds);
        std::tm local{};
        if (!localtime_r(&t, &local)) return std::string();
        bool midnight = local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0;
        char text[128];
        const std::size_t n = strftime_l(text, sizeof text, midnight ? "%x" : "%x %X", &local,
                                         EnvironmentTimeLocale());
        return std::string(text, n);
    };
}

std::optional<RecordDate> FormatRecordDate(std::int64_t filetime, const DateFormatter& format) {
    std::int64_t seconds = filetime / kTicksPerSecond - kSecondsFrom1601To1970;
    // Only the low 32 bits count, as a signed number.
    auto low = std::int32_t(std::uint32_t(std::uint64_t(seconds)));
    if (low < 0) return std::nullopt;
    std::time_t t = low;
    std::tm local{};
    if (!localtime_r(&t, &local)) return std::nullopt;
    return RecordDate{low, format(low)};
}

std::string IsoUtcText(std::int64_t secondsSince1970) {
    std::time_t t = std::time_t(secondsSince1970);
    std::tm utc{};
    if (!gmtime_r(&t, &utc)) return {};
    char text[32];
    if (std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc) == 0) return {};
    return text;
}

}  // namespace dbx
