// The registry stand-in itself: its store file and its sharing between processes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/system/registry.h"
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

// Reading finds nothing in a missing store and leaves it missing; the first
// key created creates it.
TEST(Registry, MissingStoreIsCreatedByTheFirstKeyCreated) {
  TestEnvironment env;
  ASSERT_FALSE(std::filesystem::exists(env.RegistryPath()));
  RegistryKey key;
  EXPECT_EQ(key.Open(RegRoot::kLocalMachine, u"SOFTWARE\\Brightfen", kAll), platform::kErrorFileNotFound);
  EXPECT_EQ(RegistryKey::DeleteTree(RegRoot::kLocalMachine, u"SOFTWARE"), platform::kErrorFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(env.RegistryPath()));
  ASSERT_EQ(key.Create(RegRoot::kLocalMachine, u"SOFTWARE\\Brightfen\\Folio", kAll), 0);
  RegistryKey parent;
  EXPECT_EQ(parent.Open(RegRoot::kLocalMachine, u"software\\BRIGHTFEN", kAll), 0);  // case-insensitive
}

TEST(Registry, CurrentUserIsTheUsersHiveOfTheProcessSid) {
  TestEnvironment env;
  RegistryKey viaCurrent;
  ASSERT_EQ(viaCurrent.Create(RegRoot::kCurrentUser, u"SOFTWARE\\X", kAll), 0);
  const uint32_t one = 1;
  ASSERT_EQ(viaCurrent.SetValue(u"V", platform::kRegDword, &one, 4), 0);
  RegistryKey viaUsers;
  ASSERT_EQ(viaUsers.Open(
                RegRoot::kUsers,
                u"S-1-5-21-0-0-0-" +
                    [] {
                      const std::string uid = std::to_string(geteuid());
                      return std::u16string(uid.begin(), uid.end());
                    }() +
                    u"\\SOFTWARE\\X",
                kAll),
            0);
  EXPECT_EQ(ReadDword(viaUsers, u"V"), 1u);
}

TEST(Registry, CorruptStoreGivesAnErrorNotACrash) {
  TestEnvironment env;
  env.dir().Write("registry.db", std::string(4096, 'Z'));
  RegistryKey key;
  EXPECT_EQ(key.Open(RegRoot::kLocalMachine, u"SOFTWARE", kAll), platform::kErrorBadDb);
  EXPECT_EQ(key.Create(RegRoot::kLocalMachine, u"SOFTWARE\\X", kAll), platform::kErrorBadDb);
}

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
