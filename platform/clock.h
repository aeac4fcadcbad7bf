// Local date and time and calendar seconds, behind an interface so tests can
// set the clock.
#pragma once

#include <cstdint>

namespace woodtick {

struct LocalDateTime {
  int year = 0;                // four digits
  int month = 0;               // 1..12
  int day = 0;                 // 1..31
  int hour = 0;                // 0..23
  int minute = 0;              // 0..59
  int second = 0;              // 0..59
  int utc_offset_minutes = 0;  // local time minus UTC
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime Now() const = 0;
  // Seconds since the epoch.
  virtual int64_t CalendarSeconds() const = 0;
};

// The machine's clock in the local time zone.
const Clock* SystemClock();

// A clock that answers what it is set to.
class FixedClock : public Clock {
 public:
  explicit FixedClock(LocalDateTime now = {}, int64_t seconds = 0) : now_(now), seconds_(seconds) {}
  void Set(LocalDateTime now) { now_ = now; }
  void SetSeconds(int64_t seconds) { seconds_ = seconds; }
  LocalDateTime Now() const override { return now_; }
  int64_t CalendarSeconds() const override { return seconds_; }

 private:
  LocalDateTime now_;
  int64_t seconds_;
};

}  // namespace woodtick
