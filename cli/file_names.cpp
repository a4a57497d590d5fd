#include "file_names.h"

#include <ctime>

namespace dbx::cli {
namespace {

constexpr std::size_t kRoomForSuffix = 16;  // " (12345).eml"

}  // namespace

std::string DescriptiveName(std::optional<std::int64_t> dateSeconds, std::string_view from,
                            std::string_view subject) {
    char date[32];
    const std::time_t t = std::time_t(dateSeconds.value_or(0));
    std::tm local{};
    std::string name = "undated";
    if (dateSeconds && localtime_r(&t, &local) &&
        std::strftime(date, sizeof date, "%Y-%m-%d %H%M", &local) > 0) {
        name = date;
    }
    name += ' ';
    name += from.empty() ? std::string_view("(unknown)") : from;
    name += " - ";
    name += subject.empty() ? std::string_view("(no subject)") : subject;
    return SafeFileName(name, kMaxNameBytes - kRoomForSuffix);
}

}  // namespace dbx::cli
