// How devserver answers Range and If-Range, as download hosts do.
#include <gtest/gtest.h>

#include "dev_ranges.h"

namespace {

struct RangeCase {
  const char* range;
  const char* ifRange;
  bool serveRanges;
  int status;
  uint64_t offset, length;
  const char* contentRange;
};

// A body of 1000 bytes with ETag "e1" and Last-Modified "Mon, 01 Jan 2024 00:00:00 GMT".
const RangeCase kCases[] = {
    {"", "", true, 200, 0, 1000, ""},
    {"bytes=400-", "", true, 206, 400, 600, "bytes 400-999/1000"},
    {"bytes=400-", "\"e1\"", true, 206, 400, 600, "bytes 400-999/1000"},
    {"bytes=400-", "Mon, 01 Jan 2024 00:00:00 GMT", true, 206, 400, 600, "bytes 400-999/1000"},
    {"bytes=400-", "\"e2\"", true, 200, 0, 1000, ""},
    {"bytes=400-", "W/\"e1\"", true, 200, 0, 1000, ""},
    {"bytes=400-", "", false, 200, 0, 1000, ""},
    {"bytes=0-99", "", true, 206, 0, 100, "bytes 0-99/1000"},
    {"bytes=990-5000", "", true, 206, 990, 10, "bytes 990-999/1000"},
    {"bytes=-100", "", true, 206, 900, 100, "bytes 900-999/1000"},
    {"bytes=1000-", "", true, 416, 0, 0, "bytes */1000"},
    {"bytes=5-1", "", true, 200, 0, 1000, ""},
    {"bytes=0-1,5-9", "", true, 200, 0, 1000, ""},
    {"items=0-", "", true, 200, 0, 1000, ""},
};

TEST(DevserverRangeTest, AnswersLikeADownloadHost) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.range) + " / " + c.ifRange);
    const auto answer = devserver::AnswerRange(c.range, c.ifRange, "\"e1\"", "Mon, 01 Jan 2024 00:00:00 GMT",
                                               1000, c.serveRanges);
    EXPECT_EQ(answer.status, c.status);
    EXPECT_EQ(answer.offset, c.offset);
    EXPECT_EQ(answer.length, c.length);
    EXPECT_EQ(answer.contentRange, c.contentRange);
  }
}

TEST(DevserverRangeTest, HttpDates) {
  EXPECT_EQ(devserver::HttpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
  EXPECT_EQ(devserver::HttpDate(1704067200), "Mon, 01 Jan 2024 00:00:00 GMT");
  EXPECT_EQ(devserver::HttpDate(784111777), "Sun, 06 Nov 1994 08:49:37 GMT");
}

}  // namespace
