// The installer hand-off in an odd data folder and beside an installer that
// still runs: the installer lands inside the folder the settings name (with
// or without its separator, expanded, never relative to the working folder),
// a folder too long to start a program from is refused before any download,
// and an installer an earlier run started is neither offered again, nor
// deleted, replaced or started a second time while it runs.
#include <algorithm>
#include <chrono>
#include <filesystem>

#include "app/skin_archive.h"
#include "common/text.h"
#include "dialog_driver.h"
#include "dialog_fixture.h"
#include "platform/system/path_separator.h"
#include "platform/system/process.h"
#include "platform/system/registry.h"
#include "settings/cfg_app.h"
#include "support/child_process.h"
#include "update_dialog/update_workers.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

const std::string kSep(1, static_cast<char>(platform::kPathSeparator));

class DataFolderTest : public DialogTest {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(RegisterSkinArchive()); }

  void SetDataFolder(const std::string& value, uint32_t type = platform::kRegSz) {
    CCfgApp app;
    ASSERT_EQ(app.WriteString(u"AppDataPath", Utf8ToUtf16(value).c_str(), type), 0);
  }
  void RunInstall(CUpdateJob* job) {
    job->m_strDownloadUrl = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe");
    job->m_strMd5Url = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe.md5");
    InstallThread(std::shared_ptr<CUpdateJob>(job, [](CUpdateJob*) {}));
  }
  // Opens the dialog shown and waits until the check's answer is on screen.
  void OpenAndWaitForAnswer() {
    ASSERT_TRUE(m_driver.Open(true));
    ASSERT_TRUE(m_driver.PumpUntil(
        [this] {
          return m_driver.TextOf(u"lab_checking") != u"正在检测版本更新..." ||
                 m_driver.PageOf(u"tab_main") == 1;
        },
        seconds(10)));
  }

  CDialogDriver m_driver;
};

// One stored "AppDataPath": "{root}" is the test's folder; "{default}" in
// the expectation is the default data folder.
struct TFolderRow {
  const char* name;
  uint32_t type;
  const char* stored;
  const char* expected;
};

void PrintTo(const TFolderRow& row, std::ostream* os) { *os << row.name; }

class StoredFolderTest : public DataFolderTest, public ::testing::WithParamInterface<TFolderRow> {};

TEST_P(StoredFolderTest, TheInstallerLandsInsideIt) {
  const TFolderRow& row = GetParam();
  const std::string root = m_env->dir().path().string();
  const ScopedEnv rootVariable("ORV_DATA_TEST_ROOT", root);
  const auto fill = [&](std::string text) {
    for (const auto& [word, value] :
         {std::pair<std::string, std::string>{"{root}", root},
          std::pair<std::string, std::string>{"{default}", m_env->DefaultDataDir()},
          std::pair<std::string, std::string>{"/", kSep}}) {
      for (size_t at = 0; (at = text.find(word, at)) != std::string::npos; at += value.size()) {
        text.replace(at, word.size(), value);
      }
    }
    return text;
  };
  SetDataFolder(fill(row.stored), row.type);
  CUpdateJob job;
  RunInstall(&job);
  EXPECT_FALSE(job.m_bFailed.load());
  ASSERT_TRUE(WaitForInstallerRecord());
  EXPECT_TRUE(fs::is_regular_file(fill(row.expected) + "Update" + kSep + "Update.exe"));
  // Neither beside the folder nor under the working folder.
  const std::string relative = fill("orv-relative-data");
  for (const std::string& stray : {fill("{root}/dataUpdate"), relative + "Update", relative}) {
    EXPECT_FALSE(fs::exists(stray)) << stray;
    fs::remove_all(stray);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredFolderTest,
    ::testing::Values(TFolderRow{"WithoutSeparator", platform::kRegSz, "{root}/data", "{root}/data/"},
                      TFolderRow{"Expanded", platform::kRegExpandSz, "%ORV_DATA_TEST_ROOT%/data",
                                 "{root}/data/"},
                      TFolderRow{"Relative", platform::kRegSz, "orv-relative-data", "{default}"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DataFolderTest, FolderTooLongToStartAProgramFromIsRefusedBeforeAnyDownload) {
  // Folders of up to 100 characters until "Update<sep>Update.exe" in it is
  // just past the limit (a setting is read up to 4095 characters).
  std::string folder = m_env->dir().path().string();
  const size_t wanted = platform::kMaxProgramPathLength - 16;
  while (folder.size() < wanted) {
    folder += kSep + std::string(std::clamp<size_t>(wanted - folder.size() - 1, 1, 100), 'd');
  }
  SetDataFolder(folder);
  CUpdateJob job;
  RunInstall(&job);
  EXPECT_TRUE(job.m_bFailed.load());
  EXPECT_EQ(job.m_hold.load(), EUpdateHold::kInstallerPathTooLong);
  EXPECT_EQ(RequestCount("files/Update.exe.md5"), 0u);
  EXPECT_EQ(RequestCount("files/Update.exe"), 0u);
  // The dialog says why instead of claiming a failed download.
  OpenAndWaitForAnswer();
  ASSERT_TRUE(m_driver.Click(u"btn_update"));
  ASSERT_TRUE(m_driver.PumpUntil([this] { return m_driver.IsShown(u"lab_error"); }, seconds(10)));
  EXPECT_EQ(m_driver.TextOf(u"lab_error"), u"数据文件夹路径过长，无法保存安装包！");
  EXPECT_EQ(RequestCount("files/Update.exe"), 0u);
}

TEST_F(DataFolderTest, RunningInstallerIsNeitherOfferedAgainNorReplaced) {
  const std::string target = InstallerTarget();
  fs::create_directories(fs::path(target).parent_path());
  CopySleeper(target);
  const std::string sleeperBytes = ReadFileBytes(target);
  auto installer = std::make_unique<ChildProcess>(target, std::vector<std::string>{"Update.exe", "60"});
  ASSERT_GT(installer->pid(), 0);
  ASSERT_TRUE(WaitFor([&] { return platform::IsProgramFileRunning(Utf8ToUtf16(target)); }, seconds(10)));

  // The program, as the product starts it, ends without touching it.
  {
    const ScopedEnv noDelay("ORV_AUTO_DELAY_MS", "0");
    ChildProcess program(BuiltProgram("ORVUpdate.exe"), {"ORVUpdate.exe", "-auto"});
    EXPECT_EQ(program.Wait(seconds(30)), 0);
  }
  EXPECT_EQ(RequestCount("api/update/v2"), 1u);
  // A new dialog offers nothing either, and says why.
  OpenAndWaitForAnswer();
  EXPECT_EQ(m_driver.PageOf(u"tab_main"), 0);
  EXPECT_EQ(m_driver.TextOf(u"lab_checking"), u"安装程序正在运行，请等待安装完成！");
  // A hand-off that gets this far leaves the running one's file alone.
  CUpdateJob job;
  RunInstall(&job);
  EXPECT_TRUE(job.m_bFailed.load());
  EXPECT_EQ(job.m_hold.load(), EUpdateHold::kInstallerRunning);
  EXPECT_EQ(RequestCount("files/Update.exe"), 0u);
  EXPECT_EQ(ReadFileBytes(target), sleeperBytes);
  EXPECT_EQ(InstallerRecord(), "");

  // Once it has ended, the update is offered and handed off again.
  installer.reset();
  CUpdateJob next;
  RunInstall(&next);
  EXPECT_FALSE(next.m_bFailed.load());
  EXPECT_TRUE(WaitForInstallerRecord());
}

}  // namespace
