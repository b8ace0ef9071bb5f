#include <ctime>

#include "platform/Clock.h"

namespace velloran {

namespace {
class SystemClockImpl : public Clock {
 public:
  LocalTime Now() const override { return LocalTimeOf(std::time(nullptr)); }
};
}  // namespace

LocalTime LocalTimeOf(int64_t unixSeconds) {
  const std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm tm{};
  localtime_r(&t, &tm);
  return LocalTime{tm.tm_year + 1900,
                   tm.tm_mon + 1,
                   tm.tm_mday,
                   tm.tm_hour,
                   tm.tm_min,
                   tm.tm_sec,
                   static_cast<int>(tm.tm_gmtoff / 60)};
}

Clock& SystemClock() {
  static SystemClockImpl clock;
  return clock;
}

}  // namespace velloran
