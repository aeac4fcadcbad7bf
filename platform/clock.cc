#include "platform/clock.h"

#include <ctime>

namespace woodtick {
namespace {

class SystemClockImpl : public Clock {
 public:
  LocalDateTime Now() const override {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    LocalDateTime now;
    now.year = tm.tm_year + 1900;
    now.month = tm.tm_mon + 1;
    now.day = tm.tm_mday;
    now.hour = tm.tm_hour;
    now.minute = tm.tm_min;
    now.second = tm.tm_sec;
    now.utc_offset_minutes = static_cast<int>(tm.tm_gmtoff / 60);
    return now;
  }
  int64_t CalendarSeconds() const override { return static_cast<int64_t>(std::time(nullptr)); }
};

}  // namespace

const Clock* SystemClock() {
  static const SystemClockImpl clock;
  return &clock;
}

}  // namespace woodtick
