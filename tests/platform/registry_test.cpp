#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/registry.h"
#include "support/test_environment.h"

using platform::RegistryKey;
using platform::RegRoot;

namespace {

constexpr uint32_t kAll = platform::kKeyAllAccess;

uint32_t ReadDword(const RegistryKey& key, const std::u16string& name) {
  uint32_t value = 0, type = 0, size = sizeof(value);
  EXPECT_EQ(key.QueryValue(name, &type, &value, &size), 0);
  EXPECT_EQ(type, platform::kRegDword);
  return value;
}

}  // namespace

TEST(Registry, MissingStoreIsCreatedAndKeysNeedCreating) {
  TestEnvironment env;
  ASSERT_FALSE(std::filesystem::exists(env.RegistryPath()));
  RegistryKey key;
  EXPECT_EQ(key.Open(RegRoot::kLocalMachine, u"SOFTWARE\\Brightfen", kAll), platform::kErrorFileNotFound);
  EXPECT_TRUE(std::filesystem::exists(env.RegistryPath()));
  ASSERT_EQ(key.Create(RegRoot::kLocalMachine, u"SOFTWARE\\Brightfen\\Folio", kAll), 0);
  RegistryKey parent;
  EXPECT_EQ(parent.Open(RegRoot::kLocalMachine, u"software\\BRIGHTFEN", kAll), 0);  // case-insensitive
}

TEST(Registry, ValuesKeepTypeAndBytesAndBufferRulesMatchWindows) {
  TestEnvironment env;
  RegistryKey key;
  ASSERT_EQ(key.Create(RegRoot::kUsers, u"S-1\\SOFTWARE\\Brightfen\\Folio", kAll), 0);
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

TEST(Registry, CurrentUserIsTheUsersHiveOfTheProcessSid) {
  TestEnvironment env;
  RegistryKey viaCurrent;
  ASSERT_EQ(viaCurrent.Create(RegRoot::kCurrentUser, u"SOFTWARE\\X", kAll), 0);
  const uint32_t one = 1;
  ASSERT_EQ(viaCurrent.SetValue(u"V", platform::kRegDword, &one, 4), 0);
  RegistryKey viaUsers;
  ASSERT_EQ(viaUsers.Open(RegRoot::kUsers, u"S-1-5-21-0-0-0-" + [] {
    const std::string uid = std::to_string(geteuid());
    return std::u16string(uid.begin(), uid.end());
  }() + u"\\SOFTWARE\\X", kAll), 0);
  EXPECT_EQ(ReadDword(viaUsers, u"V"), 1u);
}

TEST(Registry, DeleteTreeRemovesSubKeysButNotLookalikes) {
  TestEnvironment env;
  RegistryKey key;
  ASSERT_EQ(key.Create(RegRoot::kLocalMachine, u"A\\B\\C", kAll), 0);
  ASSERT_EQ(key.Create(RegRoot::kLocalMachine, u"A\\B_x", kAll), 0);  // "_" is no wildcard
  EXPECT_EQ(RegistryKey::DeleteTree(RegRoot::kLocalMachine, u"A\\B"), 0);
  EXPECT_EQ(key.Open(RegRoot::kLocalMachine, u"A\\B\\C", kAll), platform::kErrorFileNotFound);
  EXPECT_EQ(key.Open(RegRoot::kLocalMachine, u"A\\B_x", kAll), 0);
}

TEST(Registry, CorruptStoreGivesAnErrorNotACrash) {
  TestEnvironment env;
  env.dir().Write("registry.db", std::string(4096, 'Z'));
  RegistryKey key;
  EXPECT_EQ(key.Open(RegRoot::kLocalMachine, u"SOFTWARE", kAll), platform::kErrorBadDb);
  EXPECT_EQ(key.Create(RegRoot::kLocalMachine, u"SOFTWARE\\X", kAll), platform::kErrorBadDb);
}

// Two processes writing at once lose nothing and see each other's values.
TEST(Registry, ConcurrentWritersFromTwoProcessesLoseNothing) {
  TestEnvironment env;
  RegistryKey key;
  ASSERT_EQ(key.Create(RegRoot::kLocalMachine, u"Shared", kAll), 0);
  constexpr int kWrites = 100;
  const pid_t child = fork();
  const bool inChild = child == 0;
  const char16_t prefix = inChild ? u'c' : u'p';
  for (int i = 0; i < kWrites; ++i) {
    const std::string digits = std::to_string(i);
    const std::u16string name = std::u16string(1, prefix) + std::u16string(digits.begin(), digits.end());
    const uint32_t value = static_cast<uint32_t>(i);
    if (key.SetValue(name, platform::kRegDword, &value, 4) != 0 && inChild) _exit(1);
  }
  if (inChild) _exit(0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::vector<RegistryKey::Value> values;
  ASSERT_EQ(key.EnumValues(&values), 0);
  EXPECT_EQ(values.size(), 2u * kWrites);
  EXPECT_EQ(ReadDword(key, u"c99"), 99u);
}
