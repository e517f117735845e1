// The SID comes from the owner of explorer.exe, not from the user running
// the program: as root, the explorer.exe of another account decides.
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "settings/cfg_op_base.h"
#include "support/child_process.h"
#include "support/test_environment.h"

TEST(UserSidStandIn, ExplorerOfAnotherAccountGivesThatAccountsSid) {
  const passwd* nobody = getpwnam("nobody");
  if (geteuid() != 0 || nobody == nullptr) GTEST_SKIP() << "needs root and a 'nobody' account";
  platform::ProcessToken token;
  // The lookup takes the first explorer.exe of the machine (Wine runs one).
  if (CCfgOPBase::FindProcessToken(u"explorer.exe", &token)) GTEST_SKIP() << "another explorer.exe runs";
  TestEnvironment env;
  const std::string path = env.dir().File("explorer.exe");
  CopySleeper(path);
  std::filesystem::permissions(env.dir().path(), std::filesystem::perms::owner_all |
                                                     std::filesystem::perms::group_exec |
                                                     std::filesystem::perms::others_exec);
  const uid_t uid = nobody->pw_uid;
  const pid_t pid = fork();
  if (pid == 0) {
    if (setuid(uid) != 0) _exit(126);
    execl(path.c_str(), "explorer.exe", "30", nullptr);
    _exit(127);
  }
  ASSERT_TRUE(WaitFor([&] { return CCfgOPBase::FindProcessToken(u"explorer.exe", &token); },
                      std::chrono::seconds(5)));
  const std::u16string sid = CCfgOPBase::GetUserSid();
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  const std::string digits = std::to_string(uid);
  EXPECT_EQ(sid, u"S-1-5-21-0-0-0-" + std::u16string(digits.begin(), digits.end()));
}
