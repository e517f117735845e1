// Feeds arbitrary bytes, read as UTF-16 code units, to the decoding of raw
// reply headers: charset, Content-Length, named headers, Content-Range,
// cookies, and the merging of header lines.
#include <cstddef>
#include <cstdint>
#include <string>

#include "server_api/reply_headers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string headers(size / 2, u'\0');
  for (size_t i = 0; i < headers.size(); ++i) {
    headers[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  }
  (void)FindCharset(headers);
  (void)FindContentLength(headers);
  for (const char16_t* name : {u"Content-Range", u"Location", u"Content-Type"}) {
    if (const auto value = FindHeader(headers, name)) (void)ParseContentRange(*value);
  }
  (void)ParseContentRange(headers);
  (void)JoinSetCookies(headers);
  (void)MergeHeaderLines(headers);
  return 0;
}
