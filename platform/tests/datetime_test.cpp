#include "platform/datetime.h"
#include "tests/support/time_zone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(DateTime, TextIsZeroPaddedLocalTime)
{
    const std::time_t t = 1704423845; // 2024-01-05 03:04:05 UTC
    {
        TimeZone utc("UTC0");
        EXPECT_EQ(platform::dateText(t), "05.01.2024");
        EXPECT_EQ(platform::timeText(t), "03:04:05");
        EXPECT_EQ(platform::dateText(1700000000), "14.11.2023");
        EXPECT_EQ(platform::timeText(1700000000), "22:13:20");
    }
    {
        // Three hours east of UTC, and five hours west: the date moves too.
        TimeZone east("MSK-3");
        EXPECT_EQ(platform::timeText(t), "06:04:05");
        TimeZone west("EST5");
        EXPECT_EQ(platform::dateText(t), "04.01.2024");
        EXPECT_EQ(platform::timeText(t), "22:04:05");
    }
}

TEST(DateTime, CurrentTimeCanBeFixed)
{
    platform::setCurrentTime(1700000000);
    EXPECT_EQ(platform::currentTime(), 1700000000);
    platform::setCurrentTime(0);
    const std::time_t now = std::time(nullptr);
    EXPECT_LE(std::abs(platform::currentTime() - now), 2);
}

} // namespace
