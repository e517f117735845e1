#include <gtest/gtest.h>

#include <filesystem>

#include "paths_and_log/folders.h"
#include "common/text.h"
#include "platform/path_separator.h"
#include "settings/cfg_app.h"
#include "support/test_environment.h"

namespace {

const std::string kSep(1, static_cast<char>(platform::kPathSeparator));
const std::u16string kSep16(1, platform::kPathSeparator);

void SetAppString(const std::u16string& name, const std::u16string& value) {
  CCfgApp app;
  ASSERT_EQ(app.WriteString(name, value.c_str(), platform::kRegSz), 0);
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
}

TEST(Folders, StoredDataDirIsUsedUnchanged) {
  TestEnvironment env;
  env.SeedUserSid();
  const std::string stored = env.dir().File("Data");
  SetAppString(u"AppDataPath", Utf8ToUtf16(stored));
  EXPECT_EQ(Utf16ToUtf8(GetDataDir()), stored);
  // The marker is then looked up as <stored>AppTest.txt.
  env.dir().Write("DataAppTest.txt", "");
  EXPECT_TRUE(IsTestMode());
}

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
