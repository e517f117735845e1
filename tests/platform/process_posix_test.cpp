// Process operations whose POSIX stand-ins have their own rules.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "common/text.h"
#include "platform/system/process.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

TEST(Process, ShellOpenStartsAProgramWithSplitParameters) {
  TempDir dir;
  const std::string script = dir.File("run.sh");
  dir.Write("run.sh", "#!/bin/sh\nprintf '%s|' \"$@\" > \"$1.out\"\n");  // not executable yet
  const std::string marker = dir.File("m");
  ASSERT_TRUE(platform::ShellOpen(Utf8ToUtf16(script), Utf8ToUtf16(marker + " \"two words\" -x")));
  ASSERT_TRUE(WaitFor([&] { return ReadFileBytes(marker + ".out").size() > 0; }, std::chrono::seconds(5)));
  EXPECT_EQ(ReadFileBytes(marker + ".out"), marker + "|two words|-x|");
  EXPECT_FALSE(platform::ShellOpen(Utf8ToUtf16(dir.File("missing")), u""));
}

// Root runs with high integrity (0x3000), every other user with medium (0x2000).
TEST(Process, IntegrityIsHighForRootAndMediumForOtherUsers) {
  if (geteuid() != 0) {
    EXPECT_EQ(platform::GetProcessIntegrityRid(), 0x2000u);
    GTEST_SKIP() << "the high level needs root";
  }
  EXPECT_EQ(platform::GetProcessIntegrityRid(), 0x3000u);
  const passwd* nobody = getpwnam("nobody");
  if (nobody == nullptr) GTEST_SKIP() << "no 'nobody' account to drop to";
  const uid_t uid = nobody->pw_uid;
  // A child that gives up root reports medium through its exit code.
  EXPECT_EXIT(
      {
        if (setresuid(uid, uid, uid) != 0) std::_Exit(2);
        std::_Exit(platform::GetProcessIntegrityRid() == 0x2000u ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
