// Windows wall clock: GetLocalTime, _time64 and _localtime64_s.
#include <windows.h>

#include <ctime>

#include "platform/system/clock.h"

namespace platform {

LocalTime GetLocalTime() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  LocalTime local;
  ToLocalTime(static_cast<int64_t>(_time64(nullptr)), &local);
  local.hour = now.wHour, local.minute = now.wMinute, local.second = now.wSecond;
  local.millisecond = now.wMilliseconds;
  return local;
}

bool ToLocalTime(int64_t secondsSinceEpoch, LocalTime* local) {
  const __time64_t seconds = secondsSinceEpoch;
  std::tm tm{};
  if (_localtime64_s(&tm, &seconds) != 0) return false;
  *local = LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_yday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec,  0};
  return true;
}

int64_t GetUnixTime() { return static_cast<int64_t>(_time64(nullptr)); }

}  // namespace platform
