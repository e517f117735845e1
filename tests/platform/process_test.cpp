#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "common/text.h"
#include "platform/process.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

// Copies a sleeping program under a chosen file name.
std::string MakeNamedSleeper(const TempDir& dir, const std::string& name) {
  const std::string path = dir.File(name);
  std::filesystem::copy_file("/bin/sleep", path);
  return path;
}

bool IsListed(uint32_t pid, const std::u16string& name) {
  const auto list = platform::SnapshotProcesses();
  return std::any_of(list.begin(), list.end(),
                     [&](const platform::ProcessEntry& e) { return e.pid == pid && e.exeName == name; });
}

}  // namespace

TEST(Process, SnapshotListsProcessesByExecutableNameAndTerminateEndsThem) {
  TempDir dir;
  ChildProcess child(MakeNamedSleeper(dir, "ORVPage.exe"), {"ORVPage.exe", "30"});
  ASSERT_TRUE(WaitFor([&] { return IsListed(child.pid(), u"ORVPage.exe"); }, std::chrono::seconds(5)));
  EXPECT_TRUE(platform::TerminateProcess(static_cast<uint32_t>(child.pid())));
  EXPECT_EQ(child.Wait(std::chrono::seconds(5)), std::nullopt);  // killed by a signal
}

TEST(Process, TokenNamesTheOwnerAndItsSid) {
  platform::ProcessToken token;
  ASSERT_TRUE(platform::OpenProcessToken(platform::CurrentProcessId(), &token));
  ASSERT_TRUE(platform::ImpersonateLoggedOnUser(token));
  std::u16string name, sid;
  ASSERT_TRUE(platform::QueryUserName(&name));
  EXPECT_TRUE(platform::RevertToSelf());
  ASSERT_TRUE(platform::LookupAccountSidText(name, &sid));
  EXPECT_EQ(sid, platform::CurrentUserSidText());
  EXPECT_FALSE(platform::OpenProcessToken(0x7FFFFFF0, &token));
}

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
