// The wall clock: local calendar time and seconds since the Unix epoch.
#pragma once

#include <cstdint>

namespace platform {

// Local calendar time (GetLocalTime / localtime).
struct LocalTime {
  int year = 0, month = 0, day = 0;  // month 1-12
  int dayOfYear = 0;                 // 0-365
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};
// The local time now, to the millisecond.
LocalTime GetLocalTime();
// Converts seconds since 1970-01-01 UTC to local calendar time; false when
// the time cannot be represented.
bool ToLocalTime(int64_t secondsSinceEpoch, LocalTime* local);
// Seconds since 1970-01-01 UTC now (_time64).
int64_t GetUnixTime();

}  // namespace platform
