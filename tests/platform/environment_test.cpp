// %NAME% expansion of registry text: the POSIX stand-in expands as Windows
// does (the same table runs under Wine against ExpandEnvironmentStringsW).
#include <gtest/gtest.h>

#include "common/text.h"
#include "platform/system/environment.h"
#include "support/test_environment.h"

namespace {

struct TExpandRow {
  const char* text;
  const char* expanded;
};

class ExpandTest : public ::testing::TestWithParam<TExpandRow> {};

TEST_P(ExpandTest, ReplacesSetNamesAndKeepsTheRest) {
  const ScopedEnv a("ORV_EXPAND_A", "x");
  const ScopedEnv b("ORV_EXPAND_B", "y");
  UnsetEnvVar("ORV_EXPAND_UNSET");
  EXPECT_EQ(Utf16ToUtf8(platform::ExpandEnvironmentText(Utf8ToUtf16(GetParam().text))), GetParam().expanded);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ExpandTest,
    ::testing::Values(TExpandRow{"plain", "plain"}, TExpandRow{"%ORV_EXPAND_A%/d", "x/d"},
                      TExpandRow{"%ORV_EXPAND_A%%ORV_EXPAND_B%", "xy"},
                      TExpandRow{"%ORV_EXPAND_UNSET%/d", "%ORV_EXPAND_UNSET%/d"},
                      TExpandRow{"%ORV_EXPAND_UNSET%ORV_EXPAND_A%", "%ORV_EXPAND_UNSET%ORV_EXPAND_A%"},
                      TExpandRow{"100%", "100%"}, TExpandRow{"a%%b", "a%%b"},
                      TExpandRow{"%ORV_EXPAND_A", "%ORV_EXPAND_A"}, TExpandRow{"", ""}));

}  // namespace
