#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "app/main_module.h"
#include "app/run_modes.h"
#include "app/start_facts.h"
#include "common/text.h"
#include "paths_and_log/log.h"
#include "platform/system/clock.h"
#include "platform/system/known_folders.h"
#include "platform/system/named_mutex.h"
#include "settings/cfg_app.h"
#include "support/test_environment.h"

TEST(ParseStartBy, FirstSwitchAnywhereCounts) {
  EXPECT_EQ(ParseStartBy(u"C:\\p\\ORVUpdate.exe -update -startby=4"), 4);
  EXPECT_EQ(ParseStartBy(u"x -startby=7 -startby=9"), 7);
  EXPECT_EQ(ParseStartBy(u"x-startby=12abc"), 12);
  EXPECT_EQ(ParseStartBy(u"x -startby= -3"), -3);  // %d skips blanks, takes a sign
}

TEST(ParseStartBy, MissingOrUnreadableGives102) {
  EXPECT_EQ(ParseStartBy(u"ORVUpdate.exe -update"), 102);
  EXPECT_EQ(ParseStartBy(u"ORVUpdate.exe -startby=abc"), 102);
  EXPECT_EQ(ParseStartBy(u"ORVUpdate.exe -StartBy=4"), 102);  // case-sensitive
  EXPECT_EQ(ParseStartBy(u""), 102);
}

namespace {

int64_t LocalNoon(int year, int month, int day) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = 12;
  tm.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&tm));
}

}  // namespace

TEST(NoActionRecent, FewerThanSevenDaysOfTheSameYear) {
  const int64_t now = LocalNoon(2026, 12, 7);
  EXPECT_TRUE(IsNoActionRecent(now, LocalNoon(2026, 12, 4)));                      // 3 days back
  EXPECT_TRUE(IsNoActionRecent(now, LocalNoon(2026, 12, 1)));                      // 6 days back
  EXPECT_FALSE(IsNoActionRecent(now, LocalNoon(2026, 11, 30)));                    // 7 days back
  EXPECT_TRUE(IsNoActionRecent(now, LocalNoon(2026, 12, 20)));                     // later in the year counts
  EXPECT_FALSE(IsNoActionRecent(LocalNoon(2027, 1, 2), LocalNoon(2026, 12, 30)));  // other year
  EXPECT_FALSE(IsNoActionRecent(now, 0));                                          // a missing value is 1970
}

TEST(NoActionRecent, ReadsTheSettingsValue) {
  TestEnvironment env;
  env.SeedUserSid();
  EXPECT_FALSE(IsNoActionRecent());
  ASSERT_EQ(CCfgApp().WriteQword(u"NoAction", static_cast<uint64_t>(platform::GetUnixTime())), 0);
  EXPECT_TRUE(IsNoActionRecent());
}

TEST(WindowClassName, SixteenDigitsFromIndexTenOfTheDigest) {
  // MD5("HOSTOrvaneORVORVUpdate") = 68982CE9BDAA2ED9079328A96240592D.
  EXPECT_EQ(BuildWindowClassName(u"HOST"), u"AA2ED9079328A962");
  EXPECT_EQ(BuildWindowClassName().size(), 16u);
  EXPECT_EQ(&BuildWindowClassName(), &BuildWindowClassName());  // computed once
}

namespace {

// Runs one dispatch in a test environment in test mode with no wait.
class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env.SeedUserSid();
    env.WriteDataFile("AppTest.txt", "");
    std::filesystem::remove(LogFile());
    GetMainModule().m_bRelaunchElevated = false;
  }
  void TearDown() override { std::filesystem::remove(LogFile()); }

  static std::string LogFile() { return Utf16ToUtf8(platform::GetProgramFilePath()) + ".log"; }
  static bool LoggedAutoMode() {
    return ReadFileBytes(LogFile()).find("] ExecAutoUpdate") != std::string::npos;
  }
  void Dispatch(std::vector<std::u16string> args) {
    args.insert(args.begin(), u"ORVUpdate.exe");
    DispatchRunMode(args);
  }

  TestEnvironment env;
  ScopedEnv noDelay{"ORV_AUTO_DELAY_MS", "0"};
};

}  // namespace

TEST_F(DispatchTest, OnlyTheExactAutoSwitchRunsTheSilentMode) {
  for (const char16_t* other : {u"-AUTO", u"/auto", u"auto", u"-inst_fix", u"-close_AD", u"-x"}) {
    Dispatch({other});
    EXPECT_FALSE(LoggedAutoMode()) << Utf16ToUtf8(other);
  }
  Dispatch({u"-auto", u"-update"});
  EXPECT_TRUE(LoggedAutoMode());
}

TEST_F(DispatchTest, NoArgumentAndUpdateTakeTheInteractivePath) {
  const bool lowIntegrity = GetIntegrityLevel() < kHighIntegrityRid;
  Dispatch({});
  EXPECT_EQ(GetMainModule().m_bRelaunchElevated, lowIntegrity);
  GetMainModule().m_bRelaunchElevated = false;
  Dispatch({u"-update", u"-auto"});
  EXPECT_EQ(GetMainModule().m_bRelaunchElevated, lowIntegrity);
  GetMainModule().m_bRelaunchElevated = false;
  Dispatch({u"-Update"});
  EXPECT_FALSE(GetMainModule().m_bRelaunchElevated);
  // The interactive path gives the update mutex back.
  platform::NamedMutex probe;
  bool existed = true;
  ASSERT_TRUE(probe.Create(u"Orvane_Update", &existed));
  EXPECT_FALSE(existed);
}

TEST_F(DispatchTest, SecondInteractiveStartLeavesTheRunningOneAlone) {
  platform::NamedMutex running;
  bool existed = false;
  ASSERT_TRUE(running.Create(u"Orvane_Update", &existed));
  Dispatch({u"-update"});
  EXPECT_FALSE(GetMainModule().m_bRelaunchElevated);  // no relaunch, no dialog
  GetMainModule().ReleaseUpdateMutex();
}

TEST(AutoDelay, EnvironmentShortensTheWait) {
  {
    ScopedEnv delay("ORV_AUTO_DELAY_MS", "250");
    EXPECT_EQ(AutoModeDelayMs(), 250u);
  }
  ScopedEnv bad("ORV_AUTO_DELAY_MS", "soon");
  EXPECT_EQ(AutoModeDelayMs(), 300000u);
}
