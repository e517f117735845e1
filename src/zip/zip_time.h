// Time forms written into entries: DOS date/time and Unix seconds.
#pragma once

#include <cstdint>

#include "platform/system/file_info.h"

// DOS time (low 16 bits) and DOS date (high 16 bits) of a local time. Times
// before 1980 or after 2107, which DOS dates cannot hold, are clamped to the
// first or last representable moment.
uint32_t ToDosDateTime(const platform::CalendarTime& local);

// Unix seconds of a local time, through mktime. A year before 1970 becomes
// 1970-01-01, a year after 2037 becomes 2037-12-31; the time of day stays.
uint32_t ToUnixSeconds(platform::CalendarTime local);
