#include "platform/Clock.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

namespace {
class SystemClockImpl : public Clock {
 public:
  LocalTime Now() const override {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    TIME_ZONE_INFORMATION zone{};
    // The bias is minutes west of UTC, the daylight or standard part
    // included according to what is in force now.
    LONG bias = 0;
    switch (::GetTimeZoneInformation(&zone)) {
      case TIME_ZONE_ID_DAYLIGHT:
        bias = zone.Bias + zone.DaylightBias;
        break;
      case TIME_ZONE_ID_STANDARD:
        bias = zone.Bias + zone.StandardBias;
        break;
      case TIME_ZONE_ID_UNKNOWN:
        bias = zone.Bias;
        break;
      default:
        break;
    }
    return LocalTime{
        t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, static_cast<int>(-bias)};
  }
};
}  // namespace

Clock& SystemClock() {
  static SystemClockImpl clock;
  return clock;
}

}  // namespace velloran
