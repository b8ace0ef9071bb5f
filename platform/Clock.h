#pragma once
// Local date and time, replaceable in tests.

#include <cstdint>

namespace velloran {

struct LocalTime {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
  /// Minutes east of UTC, for mail Date headers.
  int UtcOffsetMinutes = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() const = 0;
};

/// The system clock.
Clock& SystemClock();

/// A moment (seconds since 1970 UTC, as file times are) in this computer's
/// time zone, with the daylight saving rule in force at that moment.
LocalTime LocalTimeOf(int64_t unixSeconds);

}  // namespace velloran
