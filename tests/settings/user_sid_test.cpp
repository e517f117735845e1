#include <gtest/gtest.h>

#include <memory>

#include "common/text.h"
#include "settings/cfg_op_base.h"
#include "support/child_process.h"
#include "support/test_environment.h"

namespace {

std::u16string CachedSid(platform::RegRoot root) {
  platform::RegistryKey key;
  if (key.Open(root, u"SOFTWARE\\Brightfen", platform::kKeyRead) != 0) return u"<no key>";
  return ReadStringValue(key, u"UserSID");
}

void SetCachedSid(platform::RegRoot root, const std::u16string& sid) {
  platform::RegistryKey key;
  ASSERT_EQ(key.Create(root, u"SOFTWARE\\Brightfen", platform::kKeyAllAccess), 0);
  const std::u16string text = sid + u'\0';
  ASSERT_EQ(key.SetValue(u"UserSID", platform::kRegSz, text.data(), static_cast<uint32_t>(text.size() * 2)),
            0);
}

}  // namespace

TEST(UserSid, CurrentUserCacheWinsAndNothingIsWritten) {
  TestEnvironment env;
  SetCachedSid(platform::RegRoot::kCurrentUser, u"S-1-5-21-1");
  SetCachedSid(platform::RegRoot::kLocalMachine, u"S-1-5-21-2");
  EXPECT_EQ(CCfgOPBase::GetUserSid(), u"S-1-5-21-1");
  EXPECT_EQ(CachedSid(platform::RegRoot::kLocalMachine), u"S-1-5-21-2");
}

TEST(UserSid, MachineWideCacheIsTheSecondChoice) {
  TestEnvironment env;
  SetCachedSid(platform::RegRoot::kLocalMachine, u"S-1-5-21-2");
  EXPECT_EQ(CCfgOPBase::GetUserSid(), u"S-1-5-21-2");
  EXPECT_EQ(CachedSid(platform::RegRoot::kCurrentUser), u"<no key>");
}

// The test starts an explorer.exe of its own unless one runs already (Wine
// always runs one, as the user's shell); either belongs to the test's user.
TEST(UserSid, OwnerOfExplorerIsFoundAndCachedInBothKeys) {
  TestEnvironment env;
  platform::ProcessToken token;
  std::unique_ptr<ChildProcess> explorer;
  if (!CCfgOPBase::FindProcessToken(u"explorer.exe", &token)) {
    const std::string path = env.dir().File("explorer.exe");
    CopySleeper(path);
    explorer = std::make_unique<ChildProcess>(path, std::vector<std::string>{"explorer.exe", "30"});
  }
  ASSERT_TRUE(WaitFor([&] { return CCfgOPBase::FindProcessToken(u"EXPLORER.EXE", &token); },
                      std::chrono::seconds(5)));
  const std::u16string sid = CCfgOPBase::GetUserSid();
  EXPECT_EQ(sid, platform::CurrentUserSidText());
  EXPECT_EQ(CachedSid(platform::RegRoot::kCurrentUser), sid);
  EXPECT_EQ(CachedSid(platform::RegRoot::kLocalMachine), sid);
}

TEST(UserSid, NoCacheAndNoExplorerGivesEmpty) {
  TestEnvironment env;
  platform::ProcessToken token;
  if (CCfgOPBase::FindProcessToken(u"explorer.exe", &token)) GTEST_SKIP() << "an explorer.exe runs here";
  EXPECT_EQ(CCfgOPBase::GetUserSid(), u"");
}
