#pragma once
// Local date and time, replaceable in tests.

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

}  // namespace velloran
