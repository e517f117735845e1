// POSIX environment: getenv, its bytes read as UTF-8. The %NAME% expansion
// of registry values is Windows' form, done here by hand: variables are
// looked up case-sensitively, as POSIX names them.
#include <cstdlib>

#include "common/text.h"
#include "platform/system/environment.h"

namespace platform {

std::optional<std::u16string> ReadEnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return Utf8ToUtf16(value);
}

std::u16string ExpandEnvironmentText(const std::u16string& text) {
  std::u16string out;
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find(u'%', at);
    const size_t close = open == std::u16string::npos ? open : text.find(u'%', open + 1);
    if (close == std::u16string::npos) break;
    out.append(text, at, open - at);
    const std::optional<std::u16string> value =
        close > open + 1
            ? ReadEnvironmentVariable(Utf16ToUtf8(text.substr(open + 1, close - open - 1)).c_str())
            : std::nullopt;
    // A name that is not set stays as written, both signs with it.
    out += value ? *value : text.substr(open, close - open + 1);
    at = close + 1;
  }
  out.append(text, at, std::u16string::npos);
  return out;
}

}  // namespace platform
