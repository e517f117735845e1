// Where the API client sends its requests.
//
// Knobs (environment variables, read when a client is made or a request sent):
//   ORV_API_BASE       base URL of the normal (https) mode
//   ORV_API_BASE_TEST  base URL of test mode (plain http)
//   ORV_TEST_PROXY     the proxy of test-mode requests instead of "127.0.0.1:8888"
#pragma once

#include <string>

inline constexpr char16_t kDefaultApiBase[] = u"https://api.orvane.brightfen.com/";
inline constexpr char16_t kDefaultTestApiBase[] = u"http://api-test.orvane.brightfen.com/";
inline constexpr char16_t kDefaultTestProxy[] = u"127.0.0.1:8888";

// The base URL of test mode or of the normal mode, always ending in "/".
std::u16string ApiBaseUrl(bool testMode);
// The proxy every API request of test mode goes through.
std::u16string TestModeProxy();
