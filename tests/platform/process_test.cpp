#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/text.h"
#include "platform/system/process.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

// Copies a sleeping program under a chosen file name.
std::string MakeNamedSleeper(const TempDir& dir, const std::string& name) {
  const std::string path = dir.File(name);
  CopySleeper(path);
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
  ChildProcess child(MakeNamedSleeper(dir, "SnapshotProbe.exe"), {"SnapshotProbe.exe", "30"});
  ASSERT_TRUE(WaitFor([&] { return IsListed(child.pid(), u"SnapshotProbe.exe"); }, std::chrono::seconds(5)));
  EXPECT_TRUE(platform::TerminateProcess(static_cast<uint32_t>(child.pid())));
  (void)child.Wait(std::chrono::seconds(5));  // reaps it; a signal death has no exit code
  EXPECT_FALSE(IsListed(child.pid(), u"SnapshotProbe.exe"));
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
