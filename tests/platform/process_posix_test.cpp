// Process operations whose POSIX stand-ins have their own rules.
#include <gtest/gtest.h>
#include <unistd.h>

#include "common/text.h"
#include "platform/process.h"
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

TEST(Process, IntegrityFollowsTheEffectiveUser) {
  EXPECT_EQ(platform::GetProcessIntegrityRid(), geteuid() == 0 ? 0x3000u : 0x2000u);
}
