#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/system/registry.h"
#include "support/test_environment.h"

using platform::RegistryKey;
using platform::RegRoot;

namespace {

constexpr uint32_t kAll = platform::kKeyAllAccess;

}  // namespace

TEST(Registry, ValuesKeepTypeAndBytesAndBufferRulesMatchWindows) {
  TestEnvironment env;
  RegistryKey key;
  ASSERT_EQ(key.Create(RegRoot::kCurrentUser, u"SOFTWARE\\Brightfen\\Folio", kAll), 0);
  const uint64_t qword = 0x1122334455667788ull;
  ASSERT_EQ(key.SetValue(u"NoAction", platform::kRegQword, &qword, 8), 0);
  uint8_t small[4];
  uint32_t type = 0, size = sizeof(small);
  EXPECT_EQ(key.QueryValue(u"NoAction", &type, small, &size), platform::kErrorMoreData);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(type, platform::kRegQword);
  uint64_t back = 0;
  size = 8;
  EXPECT_EQ(key.QueryValue(u"noaction", &type, &back, &size), 0);
  EXPECT_EQ(back, qword);
  EXPECT_EQ(key.QueryValue(u"Missing", &type, &back, &size), platform::kErrorFileNotFound);
  EXPECT_EQ(key.DeleteValue(u"NoAction"), 0);
  EXPECT_EQ(key.DeleteValue(u"NoAction"), platform::kErrorFileNotFound);
}

TEST(Registry, DeleteTreeRemovesSubKeysButNotLookalikes) {
  TestEnvironment env;
  RegistryKey key;
  ASSERT_EQ(key.Create(RegRoot::kCurrentUser, u"SOFTWARE\\Brightfen\\A\\B\\C", kAll), 0);
  ASSERT_EQ(key.Create(RegRoot::kCurrentUser, u"SOFTWARE\\Brightfen\\A\\B_x", kAll),
            0);  // "_" is no wildcard
  EXPECT_EQ(RegistryKey::DeleteTree(RegRoot::kCurrentUser, u"SOFTWARE\\Brightfen\\A\\B"), 0);
  EXPECT_EQ(key.Open(RegRoot::kCurrentUser, u"SOFTWARE\\Brightfen\\A\\B\\C", kAll),
            platform::kErrorFileNotFound);
  EXPECT_EQ(key.Open(RegRoot::kCurrentUser, u"SOFTWARE\\Brightfen\\A\\B_x", kAll), 0);
}

// Two processes writing at once lose nothing and see each other's values.
