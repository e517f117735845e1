#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

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
  ASSERT_EQ(key.SetValue(u"UserSID", platform::kRegSz, text.data(), static_cast<uint32_t>(text.size() * 2)), 0);
}

// Starts a sleeping program named explorer.exe; as root it runs as "nobody",
// so that its owner differs from the test's own user.
pid_t StartExplorer(const TempDir& dir, uid_t* owner) {
  const std::string path = dir.File("explorer.exe");
  std::filesystem::copy_file("/bin/sleep", path);
  std::filesystem::permissions(path, std::filesystem::perms::all);
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all |
                                               std::filesystem::perms::others_exec |
                                               std::filesystem::perms::group_exec);
  const passwd* nobody = getpwnam("nobody");
  *owner = (geteuid() == 0 && nobody) ? nobody->pw_uid : geteuid();
  const uid_t target = *owner;
  const pid_t pid = fork();
  if (pid == 0) {
    if (target != geteuid() && setuid(target) != 0) _exit(126);
    execl(path.c_str(), "explorer.exe", "30", nullptr);
    _exit(127);
  }
  return pid;
}

std::u16string SidOf(uid_t uid) {
  const std::string digits = std::to_string(uid);
  return u"S-1-5-21-0-0-0-" + std::u16string(digits.begin(), digits.end());
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

TEST(UserSid, OwnerOfExplorerIsFoundAndCachedInBothKeys) {
  TestEnvironment env;
  TempDir dir;
  uid_t owner = 0;
  const pid_t explorer = StartExplorer(dir, &owner);
  ASSERT_GT(explorer, 0);
  platform::ProcessToken token;
  ASSERT_TRUE(WaitFor([&] { return CCfgOPBase::FindProcessToken(u"EXPLORER.EXE", &token); },
                      std::chrono::seconds(5)));
  const std::u16string sid = CCfgOPBase::GetUserSid();
  kill(explorer, SIGKILL);
  waitpid(explorer, nullptr, 0);
  EXPECT_EQ(sid, SidOf(owner));
  EXPECT_EQ(CachedSid(platform::RegRoot::kCurrentUser), sid);
  EXPECT_EQ(CachedSid(platform::RegRoot::kLocalMachine), sid);
}

TEST(UserSid, NoCacheAndNoExplorerGivesEmpty) {
  TestEnvironment env;
  platform::ProcessToken token;
  if (CCfgOPBase::FindProcessToken(u"explorer.exe", &token)) GTEST_SKIP() << "an explorer.exe runs here";
  EXPECT_EQ(CCfgOPBase::GetUserSid(), u"");
}
