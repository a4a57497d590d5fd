#include "record_date.h"

#include <ctime>
#include <iomanip>
#include <locale>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace dbx {
namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;

std::locale EnvironmentLocale() {
    try {
        return std::locale("");
    } catch (const std::runtime_error&) {
        return std::locale::classic();  // LANG names a locale that is not installed
    }
}

}  // namespace

DateFormatter EnvironmentDateFormatter() {
    // One stream for all dates of a scan: setting one up with a locale costs more than the
    // formatting itself.
    auto out = std::make_shared<std::ostringstream>();
    out->imbue(EnvironmentLocale());
    return [out](std::int64_t seconds) {
        std::time_t t = std::time_t(seconds);
        std::tm local{};
        if (!localtime_r(&t, &local)) return std::string();
        bool midnight = local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0;
        out->str({});
        *out << std::put_time(&local, midnight ? "%x" : "%x %X");
        return out->str();
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
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace dbx
