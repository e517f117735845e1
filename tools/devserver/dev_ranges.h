// How devserver answers a request for part of a body: "Range: bytes=..."
// with "If-Range", as download hosts do.
#pragma once

#include <cstdint>
#include <string>

namespace devserver {

// What to send of a body of `size` bytes.
struct RangeAnswer {
  int status = 200;          // 200 whole body, 206 part, 416 nothing
  uint64_t offset = 0;       // first byte sent
  uint64_t length = 0;       // bytes sent
  std::string contentRange;  // the Content-Range value for 206 and 416
};

// range and ifRange are the request's header values (empty when absent);
// etag and lastModified the body's validators (empty when it has none).
// Without serveRanges, with a malformed or multiple range, or when If-Range
// names neither validator (a weak ETag never matches), the whole body is sent.
RangeAnswer AnswerRange(const std::string& range, const std::string& ifRange, const std::string& etag,
                        const std::string& lastModified, uint64_t size, bool serveRanges);

// An HTTP date ("Sun, 06 Nov 1994 08:49:37 GMT") of seconds since 1970.
std::string HttpDate(int64_t seconds);

}  // namespace devserver
