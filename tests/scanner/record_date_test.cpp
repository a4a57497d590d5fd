#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "record_date.h"
#include "store_builder.h"

namespace dbx {
namespace {

using build::FileTimeFromUnix;

std::int64_t SecondsOf(std::int64_t filetime) {
    auto date = FormatRecordDate(filetime, [](std::int64_t s) { return std::to_string(s); });
    return date ? date->seconds : -1;
}

TEST(FormatRecordDate, AcceptsOnlyNonNegativeLow32BitSeconds) {
    EXPECT_EQ(SecondsOf(FileTimeFromUnix(1262304000)), 1262304000);
    EXPECT_EQ(SecondsOf(FileTimeFromUnix(0)), 0);
    EXPECT_EQ(SecondsOf(FileTimeFromUnix(-1)), -1);
    EXPECT_EQ(SecondsOf(FileTimeFromUnix(-86400)), -1);
    // The high half of the seconds is ignored, for the test and for the value.
    EXPECT_EQ(SecondsOf(FileTimeFromUnix(1262304000 + (std::int64_t(1) << 32))), 1262304000);
    EXPECT_EQ(SecondsOf(FileTimeFromUnix(0x80000000LL)), -1);
    EXPECT_EQ(SecondsOf(0), 1240428288);
    // Sub-second ticks are truncated toward zero.
    EXPECT_EQ(SecondsOf(FileTimeFromUnix(1000) + 9'999'999), 1000);
}

TEST(FormatRecordDate, TheFormatterGetsTheValidatedSeconds) {
    auto date = FormatRecordDate(FileTimeFromUnix(86400 * 365),
                                 [](std::int64_t s) { return "at " + std::to_string(s); });
    ASSERT_TRUE(date);
    EXPECT_EQ(date->text, "at 31536000");
}

TEST(EnvironmentDateFormatter, LeavesOutTheTimeAtLocalMidnight) {
    const char* old = std::getenv("TZ");
    std::string saved = old ? old : "";
    setenv("TZ", "UTC", 1);
    tzset();
    DateFormatter format = EnvironmentDateFormatter();
    std::string midnight = format(1262304000);
    std::string morning = format(1262304000 + 9 * 3600 + 30 * 60);
    if (old) {
        setenv("TZ", saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
    EXPECT_FALSE(midnight.empty());
    EXPECT_EQ(midnight.find(':'), std::string::npos) << midnight;
    EXPECT_NE(morning.find("09"), std::string::npos) << morning;
    EXPECT_NE(morning.find("30"), std::string::npos) << morning;
    EXPECT_TRUE(morning.starts_with(midnight)) << morning;
}

TEST(IsoUtcText, FormatsUtc) {
    EXPECT_EQ(IsoUtcText(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(IsoUtcText(1240428288), "2009-04-22T19:24:48Z");
}

}  // namespace
}  // namespace dbx
