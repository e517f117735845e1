#include "server_api/api_base.h"

#include <cstdlib>

#include "common/text.h"

namespace {

std::u16string FromEnvironment(const char* name, const char16_t* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? Utf8ToUtf16(value) : std::u16string(fallback);
}

}  // namespace

std::u16string ApiBaseUrl(bool testMode) {
  std::u16string base = testMode ? FromEnvironment("ORV_API_BASE_TEST", kDefaultTestApiBase)
                                 : FromEnvironment("ORV_API_BASE", kDefaultApiBase);
  // Paths are appended directly ("microtime/", "?r=..."), so the base must end in "/".
  if (base.back() != u'/') base += u'/';
  return base;
}

std::u16string TestModeProxy() { return FromEnvironment("ORV_TEST_PROXY", kDefaultTestProxy); }
