// A registry store that another process holds in a write transaction: every
// operation used to wait 10 s for it ("-inst_fix" took 100 s). The first one
// now gives up after about 1 s, the process's later ones at once, and the
// callers go on with their defaults; nothing in the store is lost, and once
// the lock is gone everything reads again.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "fault_injection/bounded_clock.h"
#include "platform/system/process.h"
#include "platform/system/registry.h"
#include "settings/cfg_app.h"
#include "support/child_process.h"
#include "support/test_environment.h"

namespace {

// One operation may wait this long for the lock, with room for a slow machine.
constexpr auto kOperationBound = std::chrono::milliseconds(2000);

class RegistryLockFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_env.SeedUserSid();
    CCfgApp settings;  // creates the settings key
    ASSERT_TRUE(settings.HasKey());
    const uint32_t qid = 77;
    platform::RegistryKey key;
    ASSERT_EQ(key.Open(platform::RegRoot::kUsers, FolioPath(), platform::kKeyAllAccess), 0);
    ASSERT_EQ(key.SetValue(u"QID", platform::kRegDword, &qid, 4), 0);
  }
  void TearDown() override { Unlock(); }

  static std::u16string FolioPath() {
    return platform::CurrentUserSidText() + u"\\SOFTWARE\\Brightfen\\Folio";
  }

  // Holds a write transaction on the store, as another process would.
  void Lock() {
    ASSERT_EQ(sqlite3_open(m_env.RegistryPath().c_str(), &m_holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(m_holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  }
  void Unlock() {
    if (m_holder == nullptr) return;
    sqlite3_exec(m_holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(m_holder);
    m_holder = nullptr;
  }

  TestEnvironment m_env;
  sqlite3* m_holder = nullptr;
};

TEST_F(RegistryLockFaultTest, AProcessLosesAboutOneSecondToAHeldStore) {
  Lock();
  platform::RegistryKey key;
  CBoundedClock clock;
  EXPECT_NE(key.Open(platform::RegRoot::kUsers, FolioPath(), platform::kKeyRead), 0);
  EXPECT_LE(clock.Elapsed(), kOperationBound);
  EXPECT_GE(clock.Elapsed(), std::chrono::milliseconds(500));  // it did wait a little
  clock.Report("gave_up_ms");

  CBoundedClock settingsClock;
  uint32_t qid = 0;
  {
    CCfgApp settings;  // reads fail: the callers' defaults apply
    EXPECT_NE(settings.ReadDword(u"QID", &qid), 0);
  }
  // The SID lookup, the open and the read no longer wait each.
  EXPECT_LE(settingsClock.Elapsed(), std::chrono::milliseconds(500));

  Unlock();
  CCfgApp settings;
  ASSERT_EQ(settings.ReadDword(u"QID", &qid), 0);
  EXPECT_EQ(qid, 77u);  // nothing was lost
}

// The whole program, started while the store is held, ends (exit 0) about a
// second later than it would otherwise, not the 100 s it used to take.
// Bound: 5 s.
TEST_F(RegistryLockFaultTest, ProgramEndsOnDefaultsWhileTheStoreIsHeld) {
  ScopedEnv api("ORV_API_BASE", "http://127.0.0.1:9/");  // nothing listens: fails at once
  Lock();
  CBoundedClock clock;
  ChildProcess program(BuiltProgram("ORVUpdate.exe"), {"ORVUpdate.exe", "-inst_fix"});
  EXPECT_EQ(program.Wait(std::chrono::seconds(30)), 0);
  EXPECT_LE(clock.Elapsed(), std::chrono::seconds(5));
  clock.Report("gave_up_ms");
  Unlock();
  uint32_t qid = 0;
  CCfgApp settings;
  ASSERT_EQ(settings.ReadDword(u"QID", &qid), 0);
  EXPECT_EQ(qid, 77u);
}

}  // namespace
