#include "dev_ranges.h"

#include <chrono>
#include <cstdio>

namespace devserver {
namespace {

// Reads decimal digits at text[*at]; false when there are none.
bool TakeNumber(const std::string& text, size_t* at, uint64_t* value) {
  const size_t start = *at;
  *value = 0;
  while (*at < text.size() && text[*at] >= '0' && text[*at] <= '9' && *at - start < 18) {
    *value = *value * 10 + (text[(*at)++] - '0');
  }
  return *at > start;
}

struct ByteRange {
  bool hasFirst = false, hasLast = false;
  uint64_t first = 0, last = 0;
};

// "bytes=a-b", "bytes=a-" or "bytes=-n"; false for anything else.
bool ParseRange(const std::string& text, ByteRange* range) {
  const std::string unit = "bytes=";
  if (text.compare(0, unit.size(), unit) != 0) return false;
  size_t at = unit.size();
  range->hasFirst = TakeNumber(text, &at, &range->first);
  if (at >= text.size() || text[at++] != '-') return false;
  range->hasLast = TakeNumber(text, &at, &range->last);
  if (at != text.size() || (!range->hasFirst && !range->hasLast)) return false;
  return !(range->hasFirst && range->hasLast && range->last < range->first);
}

bool ValidatorMatches(const std::string& ifRange, const std::string& etag, const std::string& lastModified) {
  if (ifRange.empty()) return true;
  if (ifRange.rfind("W/", 0) == 0) return false;
  return (!etag.empty() && ifRange == etag && etag.rfind("W/", 0) != 0) ||
         (!lastModified.empty() && ifRange == lastModified);
}

}  // namespace

RangeAnswer AnswerRange(const std::string& range, const std::string& ifRange, const std::string& etag,
                        const std::string& lastModified, uint64_t size, bool serveRanges) {
  RangeAnswer whole{200, 0, size, ""};
  ByteRange asked;
  if (!serveRanges || range.empty() || !ParseRange(range, &asked)) return whole;
  if (!ValidatorMatches(ifRange, etag, lastModified)) return whole;
  uint64_t first = asked.first, last = size == 0 ? 0 : size - 1;
  if (!asked.hasFirst) first = asked.last >= size ? 0 : size - asked.last;  // the last n bytes
  if (asked.hasFirst && asked.hasLast && asked.last < last) last = asked.last;
  if (first >= size || (!asked.hasFirst && asked.last == 0)) {
    return RangeAnswer{416, 0, 0, "bytes */" + std::to_string(size)};
  }
  const std::string span = std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(size);
  return RangeAnswer{206, first, last - first + 1, "bytes " + span};
}

std::string HttpDate(int64_t seconds) {
  using namespace std::chrono;
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const sys_seconds time{std::chrono::seconds(seconds)};
  const sys_days day = floor<days>(time);
  const year_month_day date(day);
  const hh_mm_ss<std::chrono::seconds> clock(time - day);
  char text[64];
  std::snprintf(text, sizeof(text), "%s, %02u %s %04d %02d:%02d:%02d GMT", kDays[weekday(day).c_encoding()],
                unsigned(date.day()), kMonths[unsigned(date.month()) - 1], int(date.year()),
                int(clock.hours().count()), int(clock.minutes().count()), int(clock.seconds().count()));
  return text;
}

}  // namespace devserver
