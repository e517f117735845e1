// The dialog on a system that refuses it a thread (out of address space, as
// under a tight `ulimit -v`): a worker that cannot start ends the dialog's
// wait at once with the failure it stands for, instead of "正在检测版本更新..."
// or "正在下载... 0%" for ever.
#include <chrono>

#include "app/skin_archive.h"
#include "common/text.h"
#include "dialog_driver.h"
#include "dialog_fixture.h"
#include "support/posix/no_new_threads.h"
#include "server_api/server_connect.h"

namespace {

using std::chrono::seconds;

class ThreadStartTest : public DialogTest {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(RegisterSkinArchive()); }
  void SetUp() override {
    DialogTest::SetUp();
    // devserver starts its own threads as it begins to serve: let it first.
    ASSERT_TRUE(GetServerConnect()->DownloadToMemory(Utf8ToUtf16(m_server->BaseUrl()) + u"files/Update.exe",
                                                     nullptr));
  }
  bool OpenWithoutThreads(bool show) {
    TNoNewThreads refused;
    return m_driver.Open(show);
  }

  CDialogDriver m_driver;
};

TEST_F(ThreadStartTest, ACheckThatCannotStartShowsTheChecksFailure) {
  ASSERT_TRUE(OpenWithoutThreads(true));
  ASSERT_TRUE(
      m_driver.PumpUntil([this] { return m_driver.TextOf(u"lab_checking") == u"检测失败！"; }, seconds(5)));
  m_driver.PumpFor(std::chrono::milliseconds(100));
  EXPECT_FALSE(m_driver.IsClosed());  // shown: stays until the user closes it
  EXPECT_EQ(RequestCount("api/update/v2"), 0u);
}

TEST_F(ThreadStartTest, AHiddenDialogWhoseCheckCannotStartCloses) {
  ASSERT_TRUE(OpenWithoutThreads(false));
  ASSERT_TRUE(m_driver.WaitForClose(seconds(5)));
  EXPECT_FALSE(m_driver.dialog().IsInstallerStarted());
}

TEST_F(ThreadStartTest, ADownloadThatCannotStartShowsTheDownloadsFailure) {
  ASSERT_TRUE(m_driver.Open(true));
  ASSERT_TRUE(m_driver.PumpUntil([this] { return m_driver.PageOf(u"tab_main") == 1; }, seconds(10)));
  {
    TNoNewThreads refused;
    ASSERT_TRUE(m_driver.Click(u"btn_update"));
    ASSERT_TRUE(m_driver.PumpUntil([this] { return m_driver.PageOf(u"tab_status") == 1; }, seconds(5)));
  }
  ASSERT_TRUE(m_driver.PumpUntil([this] { return m_driver.IsShown(u"lab_error"); }, seconds(5)));
  EXPECT_FALSE(m_driver.IsShown(u"lab_progress"));
  EXPECT_FALSE(m_driver.IsClosed());
  EXPECT_FALSE(m_driver.dialog().IsInstallerStarted());
  EXPECT_EQ(RequestCount("files/Update.exe.md5"), 0u);
}

}  // namespace
