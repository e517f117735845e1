// POSIX wall clock: the system clock and localtime_r.
#include <chrono>
#include <ctime>

#include "platform/system/clock.h"

namespace platform {

LocalTime GetLocalTime() {
  const auto now = std::chrono::system_clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
  LocalTime local;
  ToLocalTime(ms.count() / 1000, &local);
  local.millisecond = static_cast<int>(ms.count() % 1000);
  return local;
}

bool ToLocalTime(int64_t secondsSinceEpoch, LocalTime* local) {
  const std::time_t seconds = static_cast<std::time_t>(secondsSinceEpoch);
  std::tm tm{};
  if (localtime_r(&seconds, &tm) == nullptr) return false;
  *local = LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_yday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec,  0};
  return true;
}

int64_t GetUnixTime() { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace platform
