#include <ctime>

#include "platform/Clock.h"

namespace velloran {

namespace {
class SystemClockImpl : public Clock {
 public:
  LocalTime Now() const override {
    std::time_t t = std::time(nullptr);
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
};
}  // namespace

Clock& SystemClock() {
  static SystemClockImpl clock;
  return clock;
}

}  // namespace velloran
