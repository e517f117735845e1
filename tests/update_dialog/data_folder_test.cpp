// The installer hand-off in an odd data folder: the installer lands inside
// the folder the settings name (with or without its separator, expanded,
// never relative to the working folder).
#include <filesystem>

#include "common/text.h"
#include "dialog_fixture.h"
#include "platform/path_separator.h"
#include "platform/registry.h"
#include "settings/cfg_app.h"
#include "update_dialog/update_workers.h"

namespace {

namespace fs = std::filesystem;

const std::string kSep(1, static_cast<char>(platform::kPathSeparator));

class DataFolderTest : public DialogTest {
 protected:
  void SetDataFolder(const std::string& value, uint32_t type = platform::kRegSz) {
    CCfgApp app;
    ASSERT_EQ(app.WriteString(u"AppDataPath", Utf8ToUtf16(value).c_str(), type), 0);
  }
  void RunInstall(CUpdateJob* job) {
    job->m_strDownloadUrl = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe");
    job->m_strMd5Url = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe.md5");
    InstallThread(std::shared_ptr<CUpdateJob>(job, [](CUpdateJob*) {}));
  }
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
    for (const auto& [word, value] : {std::pair<std::string, std::string>{"{root}", root},
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
                      TFolderRow{"Expanded", platform::kRegExpandSz, "%ORV_DATA_TEST_ROOT%/data", "{root}/data/"},
                      TFolderRow{"Relative", platform::kRegSz, "orv-relative-data", "{default}"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
