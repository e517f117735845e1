// A download in flight ends soon after its worker's cancellation flag is set.
// POSIX only: libcurl asks the flag while it waits for bytes; WinHTTP offers
// no such point in a blocked read, and there the dialog leaves the worker,
// which the program joins before it ends.
#include "common/text.h"
#include "dialog_fixture.h"
#include "support/child_process.h"
#include "update_dialog/update_workers.h"
#include "update_dialog/worker_thread.h"

namespace {

TEST_F(DialogTest, CancelledDownloadEndsWithinASecond) {
  StallInstallerAt(3);
  auto job = std::make_shared<CUpdateJob>();
  job->m_strDownloadUrl = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe");
  job->m_strMd5Url = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe.md5");
  CWorkerThread worker;
  ASSERT_TRUE(worker.Start([job] { InstallThread(job); }));
  ASSERT_TRUE(WaitFor([&job] { return job->m_nProgress.load() == 3; }, std::chrono::seconds(10)));
  job->m_bCancel = true;
  EXPECT_TRUE(worker.WaitForEnd(1000));
  EXPECT_TRUE(job->m_bFailed.load());
  EXPECT_EQ(InstallerRecord(), "");
}

}  // namespace
