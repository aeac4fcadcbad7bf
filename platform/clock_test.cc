#include "platform/clock.h"

#include <gtest/gtest.h>

#include <ctime>

namespace woodtick {
namespace {

TEST(SystemClockTest, NowIsTheLocalTimeOfTheCalendarSeconds) {
  const Clock* clock = SystemClock();
  // Retry across a minute boundary between the two readings.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::time_t seconds = static_cast<std::time_t>(clock->CalendarSeconds());
    LocalDateTime now = clock->Now();
    std::tm tm{};
    localtime_r(&seconds, &tm);
    if (tm.tm_min != now.minute) continue;
    EXPECT_EQ(now.year, tm.tm_year + 1900);
    EXPECT_EQ(now.month, tm.tm_mon + 1);
    EXPECT_EQ(now.day, tm.tm_mday);
    EXPECT_EQ(now.hour, tm.tm_hour);
    EXPECT_GE(now.year, 2024);
    EXPECT_NEAR(static_cast<double>(seconds), static_cast<double>(std::time(nullptr)), 5.0);
    return;
  }
  FAIL() << "the clock did not settle";
}

}  // namespace
}  // namespace woodtick
