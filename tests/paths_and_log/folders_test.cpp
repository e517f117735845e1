#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "paths_and_log/folders.h"
#include "common/text.h"
#include "platform/system/path_separator.h"
#include "settings/cfg_app.h"
#include "support/test_environment.h"

namespace {

const std::string kSep(1, static_cast<char>(platform::kPathSeparator));
const std::u16string kSep16(1, platform::kPathSeparator);

void SetAppString(const std::u16string& name, const std::u16string& value, uint32_t type = platform::kRegSz) {
  CCfgApp app;
  ASSERT_EQ(app.WriteString(name, value.c_str(), type), 0);
}

}  // namespace

TEST(Folders, ModuleDirIsTheTestProgramsFolder) {
  const std::string dir = Utf16ToUtf8(GetModuleDir());
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), kSep[0]);
  EXPECT_TRUE(std::filesystem::exists(dir + "paths_and_log_tests" + ORV_EXE_SUFFIX));
}

TEST(Folders, InstallDirGetsATrailingSeparatorOnlyWhenMissing) {
  TestEnvironment env;
  env.SeedUserSid();
  EXPECT_EQ(GetInstallDir(), GetModuleDir());  // no value
  SetAppString(u"InstallPath", u"P");
  EXPECT_EQ(GetInstallDir(), u"P" + kSep16);
  SetAppString(u"InstallPath", u"P" + kSep16);
  EXPECT_EQ(GetInstallDir(), u"P" + kSep16);
  SetAppString(u"InstallPath", u"");
  EXPECT_EQ(GetInstallDir(), GetModuleDir());
  const ScopedEnv root("ORV_FOLDERS_TEST_ROOT", "R");
  SetAppString(u"InstallPath", u"%ORV_FOLDERS_TEST_ROOT%P", platform::kRegExpandSz);
  EXPECT_EQ(GetInstallDir(), u"RP" + kSep16);
}

// One stored "AppDataPath"; "{root}" is the test's folder, "{sep}" the separator.
struct TDataDirRow {
  const char* name;
  uint32_t type;
  const char* stored;
  const char* expected;  // nullptr: the default folder
};

void PrintTo(const TDataDirRow& row, std::ostream* os) { *os << row.name; }

class StoredDataDirTest : public ::testing::TestWithParam<TDataDirRow> {};

TEST_P(StoredDataDirTest, IsAnAbsoluteFolderThatFilesGoInto) {
  const TDataDirRow& row = GetParam();
  TestEnvironment env;
  env.SeedUserSid();
  const ScopedEnv root("ORV_FOLDERS_TEST_ROOT", env.dir().path().string());
  const auto fill = [&](std::string text) {
    for (const auto& [word, value] :
         {std::pair<std::string, std::string>{"{root}", env.dir().path().string()},
          std::pair<std::string, std::string>{"{sep}", kSep}}) {
      for (size_t at; (at = text.find(word)) != std::string::npos;) text.replace(at, word.size(), value);
    }
    return text;
  };
  SetAppString(u"AppDataPath", Utf8ToUtf16(fill(row.stored)), row.type);
  const std::string expected = row.expected ? fill(row.expected) : env.DefaultDataDir();
  EXPECT_EQ(Utf16ToUtf8(GetDataDir()), expected);
  // The marker is looked up inside that folder.
  std::filesystem::create_directories(expected);
  env.dir().Write("DataAppTest.txt", "");
  EXPECT_FALSE(IsTestMode());
  std::ofstream(expected + "AppTest.txt").put('x');
  EXPECT_TRUE(IsTestMode());
}

INSTANTIATE_TEST_SUITE_P(Values, StoredDataDirTest,
                         ::testing::Values(TDataDirRow{"WithoutSeparator", platform::kRegSz,
                                                       "{root}{sep}Data", "{root}{sep}Data{sep}"},
                                           TDataDirRow{"WithSeparator", platform::kRegSz,
                                                       "{root}{sep}Data{sep}", "{root}{sep}Data{sep}"},
                                           TDataDirRow{"Expanded", platform::kRegExpandSz,
                                                       "%ORV_FOLDERS_TEST_ROOT%{sep}Data{sep}",
                                                       "{root}{sep}Data{sep}"},
                                           TDataDirRow{"ExpandedUnknownName", platform::kRegExpandSz,
                                                       "%ORV_FOLDERS_TEST_UNSET%{sep}Data{sep}", nullptr},
                                           TDataDirRow{"PercentInPlainString", platform::kRegSz,
                                                       "%ORV_FOLDERS_TEST_ROOT%{sep}Data{sep}", nullptr},
                                           TDataDirRow{"Relative", platform::kRegSz, "Data{sep}", nullptr},
                                           TDataDirRow{"Empty", platform::kRegSz, "", nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Folders, DefaultDataDirIsCreatedAndFollowsTheMarker) {
  TestEnvironment env;
  EXPECT_EQ(Utf16ToUtf8(GetDataDir()), env.DefaultDataDir());
  EXPECT_TRUE(std::filesystem::is_directory(env.DefaultDataDir()));
  EXPECT_FALSE(IsTestMode());
  env.WriteDataFile("AppTest.txt", "");
  EXPECT_TRUE(IsTestMode());
  std::filesystem::remove(env.DefaultDataDir() + "AppTest.txt");
  EXPECT_FALSE(IsTestMode());  // checked afresh at every call
}

TEST(Folders, EnsureDirectoryChainCreatesEveryLevel) {
  TempDir dir;
  const std::string deep = dir.path().string() + kSep + "a" + kSep + "b" + kSep + "c" + kSep;
  EnsureDirectoryChain(Utf8ToUtf16(deep));
  EXPECT_TRUE(std::filesystem::is_directory(deep));
}
