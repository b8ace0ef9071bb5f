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

LocalTime LocalTimeOf(int64_t unixSeconds) {
  // 100 ns ticks since 1601, as FILETIME counts.
  const uint64_t ticks = static_cast<uint64_t>(unixSeconds + 11644473600LL) * 10000000u;
  const FILETIME file{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc{}, local{};
  if (!::FileTimeToSystemTime(&file, &utc) ||
      !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
    return LocalTime{};
  FILETIME localFile{};
  ::SystemTimeToFileTime(&local, &localFile);
  const int64_t localTicks =
      static_cast<int64_t>((uint64_t{localFile.dwHighDateTime} << 32) | localFile.dwLowDateTime);
  const int offset = static_cast<int>((localTicks - static_cast<int64_t>(ticks)) / 600000000);
  return LocalTime{local.wYear,   local.wMonth,  local.wDay, local.wHour,
                   local.wMinute, local.wSecond, offset};
}

Clock& SystemClock() {
  static SystemClockImpl clock;
  return clock;
}

}  // namespace velloran
