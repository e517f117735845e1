// POSIX environment: getenv, its bytes read as UTF-8.
#include <cstdlib>

#include "common/text.h"
#include "platform/environment.h"

namespace platform {

std::optional<std::u16string> ReadEnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return Utf8ToUtf16(value);
}

}  // namespace platform
