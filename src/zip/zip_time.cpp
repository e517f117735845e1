#include "zip/zip_time.h"

#include <ctime>

uint32_t ToDosDateTime(const platform::CalendarTime& local) {
  platform::CalendarTime t = local;
  if (t.year < 1980) t = platform::CalendarTime{1980, 1, 1, 0, 0, 0};
  if (t.year > 2107) t = platform::CalendarTime{2107, 12, 31, 23, 59, 58};
  const uint32_t date = (static_cast<uint32_t>(t.year - 1980) << 9) | (static_cast<uint32_t>(t.month) << 5) |
                        static_cast<uint32_t>(t.day);
  const uint32_t time = (static_cast<uint32_t>(t.hour) << 11) | (static_cast<uint32_t>(t.minute) << 5) |
                        static_cast<uint32_t>(t.second / 2);
  return (date << 16) | time;
}

uint32_t ToUnixSeconds(platform::CalendarTime local) {
  // 32-bit seconds cannot hold dates past early 2038, nor (unsigned) before 1970.
  if (local.year < 1970) {
    local.year = 1970;
    local.month = 1;
    local.day = 1;
  } else if (local.year > 2037) {
    local.year = 2037;
    local.month = 12;
    local.day = 31;
  }
  std::tm tm{};
  tm.tm_year = local.year - 1900;
  tm.tm_mon = local.month - 1;
  tm.tm_mday = local.day;
  tm.tm_hour = local.hour;
  tm.tm_min = local.minute;
  tm.tm_sec = local.second;
  tm.tm_isdst = -1;
  return static_cast<uint32_t>(std::mktime(&tm));
}
