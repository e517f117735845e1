// The program's run modes with the dialog, as the product starts it: "-auto"
// runs the dialog hidden to the installer hand-off unless "NoAction" is
// recent, and a hidden dialog that cannot hand off ends the process.
#include <chrono>
#include <ctime>

#include "dialog_fixture.h"
#include "platform/system/registry.h"
#include "settings/cfg_app.h"
#include "support/child_process.h"

namespace {

class CfgAppWriter : public CCfgApp {
 public:
  long WriteQword(const std::u16string& name, uint64_t value) {
    return m_key.SetValue(name, platform::kRegQword, &value, sizeof(value));
  }
};

class ProgramModeTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    m_delay = std::make_unique<ScopedEnv>("ORV_AUTO_DELAY_MS", "0");
  }
  void TearDown() override {
    m_delay.reset();
    DialogTest::TearDown();
  }
  // Runs the program with one switch; its exit code (nullopt on timeout).
  std::optional<int> Run(const std::string& mode) {
    ChildProcess program(BuiltProgram("ORVUpdate.exe"), {"ORVUpdate.exe", mode});
    return program.Wait(std::chrono::seconds(30));
  }

  std::unique_ptr<ScopedEnv> m_delay;
};

TEST_F(ProgramModeTest, AutoModeStartsTheOfferedInstaller) {
  EXPECT_EQ(Run("-auto"), 0);
  ASSERT_TRUE(WaitForInstallerRecord());
  EXPECT_EQ(InstallerRecord(), "ran -inst_update\n");
}

TEST_F(ProgramModeTest, AutoModeWithARecentNoActionShowsNoDialog) {
  ASSERT_EQ(CfgAppWriter().WriteQword(u"NoAction", static_cast<uint64_t>(std::time(nullptr))), 0);
  EXPECT_EQ(Run("-auto"), 0);
  EXPECT_EQ(RequestCount("api/update/v2"), 0u);
}

TEST_F(ProgramModeTest, AutoModeEndsWhenTheInstallerCannotBeHandedOff) {
  ReplyChecksum("0123456789ABCDEF0123456789ABCDEF");
  EXPECT_EQ(Run("-auto"), 0);
  EXPECT_EQ(RequestCount("files/Update.exe"), 1u);
  EXPECT_EQ(InstallerRecord(), "");
}

TEST_F(ProgramModeTest, AutoModeEndsWithoutAnUpdate) {
  ReplyToQuery("null");
  EXPECT_EQ(Run("-auto"), 0);
  EXPECT_EQ(RequestCount("files/Update.exe.md5"), 0u);
}

}  // namespace
