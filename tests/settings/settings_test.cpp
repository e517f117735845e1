#include <gtest/gtest.h>

#include "common/text.h"
#include "settings/cfg_app.h"
#include "settings/cfg_pop_mgr.h"
#include "support/test_environment.h"

namespace {

std::u16string FolioPath() { return platform::CurrentUserSidText() + u"\\SOFTWARE\\Brightfen\\Folio"; }

platform::RegistryKey OpenFolio() {
  platform::RegistryKey key;
  EXPECT_EQ(key.Create(platform::RegRoot::kUsers, FolioPath(), platform::kKeyAllAccess), 0);
  return key;
}

void SetRaw(const std::u16string& name, uint32_t type, const std::string& bytes) {
  auto key = OpenFolio();
  ASSERT_EQ(key.SetValue(name, type, bytes.data(), static_cast<uint32_t>(bytes.size())), 0);
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { env.SeedUserSid(); }
  TestEnvironment env;
};

}  // namespace

TEST_F(SettingsTest, ConstructingCreatesTheMissingKey) {
  platform::RegistryKey key;
  EXPECT_NE(key.Open(platform::RegRoot::kUsers, FolioPath(), platform::kKeyRead), 0);
  CCfgApp app;
  EXPECT_TRUE(app.HasKey());
  EXPECT_EQ(key.Open(platform::RegRoot::kUsers, FolioPath(), platform::kKeyRead), 0);
}

TEST_F(SettingsTest, QwordReadsOnlyARealQword) {
  SetRaw(u"NoAction", platform::kRegQword, std::string("\x10\x27\0\0\0\0\0\0", 8));
  SetRaw(u"InstallSvrTime", platform::kRegDword, std::string("\x10\x27\0\0", 4));
  SetRaw(u"Long", platform::kRegSz, std::string(20, 'a'));
  CCfgApp app;
  uint64_t value = 0;
  EXPECT_TRUE(app.ReadQword(u"NoAction", &value));
  EXPECT_EQ(value, 10000u);
  EXPECT_FALSE(app.ReadQword(u"InstallSvrTime", &value));  // a DWORD counts as missing
  EXPECT_FALSE(app.ReadQword(u"Long", &value));
  EXPECT_FALSE(app.ReadQword(u"Missing", &value));
  EXPECT_EQ(app.ReadQwordOr(u"NoAction", 7), 10000u);
  EXPECT_EQ(app.ReadQwordOr(u"InstallSvrTime", 7), 7u);
}

TEST_F(SettingsTest, DwordReportsWrongTypesAsInvalidData) {
  SetRaw(u"AV", platform::kRegDword, std::string("\x05\0\0\0", 4));
  SetRaw(u"QID", platform::kRegSz, std::string("1\0\0\0", 4));
  CCfgApp app;
  uint32_t value = 0;
  EXPECT_EQ(app.ReadDword(u"AV", &value), 0);
  EXPECT_EQ(value, 5u);
  EXPECT_EQ(app.ReadDword(u"QID", &value), platform::kErrorInvalidData);
  EXPECT_EQ(app.ReadDword(u"Missing", &value), platform::kErrorFileNotFound);
  EXPECT_EQ(app.ReadDwordOr(u"AV", 1), 5u);
  EXPECT_EQ(app.ReadDwordOr(u"QID", 1), 1u);
}

TEST_F(SettingsTest, StringsNeedTheirTerminatorAndAnEvenLength) {
  SetRaw(u"Good", platform::kRegExpandSz, std::string("%\0A\0\0\0", 6));
  SetRaw(u"NoTerminator", platform::kRegSz, std::string("a\0b\0", 4));
  SetRaw(u"Odd", platform::kRegSz, std::string("a\0\0", 3));
  SetRaw(u"Number", platform::kRegDword, std::string(4, '\0'));
  CCfgApp app;
  char16_t buffer[16];
  uint32_t size = 16;
  ASSERT_EQ(app.ReadString(u"Good", buffer, &size), 0);
  EXPECT_EQ(size, 3u);                       // with the terminator
  EXPECT_EQ(std::u16string(buffer), u"%A");  // not expanded
  // Wine's registry adds the missing terminator of a REG_SZ when storing it;
  // Windows and the stand-in keep the bytes as given.
  uint32_t type = 0, stored = 0;
  ASSERT_EQ(OpenFolio().QueryValue(u"NoTerminator", &type, nullptr, &stored), 0);
  const bool keptAsGiven = stored == 4;
  for (const char16_t* name : {u"NoTerminator", u"Odd", u"Number"}) {
    if (!keptAsGiven && std::u16string(name) == u"NoTerminator") continue;
    size = 16;
    EXPECT_EQ(app.ReadString(name, buffer, &size), platform::kErrorInvalidData) << Utf16ToUtf8(name);
  }
  size = 2;
  EXPECT_EQ(app.ReadString(u"Good", buffer, &size), platform::kErrorMoreData);
}

TEST_F(SettingsTest, WrittenStringsAndQwordsReadBack) {
  CCfgPopMgr pop;
  EXPECT_EQ(pop.WriteString(u"S", nullptr, platform::kRegSz), platform::kErrorInvalidData);
  ASSERT_EQ(pop.WriteString(u"S", u"奥凡", platform::kRegSz), 0);
  ASSERT_EQ(pop.WriteQword(u"CloseAdTime", 1765000000ull), 0);
  CCfgPopMgr again;
  char16_t buffer[8];
  uint32_t size = 8;
  ASSERT_EQ(again.ReadString(u"S", buffer, &size), 0);
  EXPECT_EQ(std::u16string(buffer), u"奥凡");
  uint64_t time = 0;
  ASSERT_TRUE(again.ReadQword(u"CloseAdTime", &time));
  EXPECT_EQ(time, 1765000000ull);
}

TEST_F(SettingsTest, InstallAndDataPathsAreEmptyOnAnyError) {
  SetRaw(u"InstallPath", platform::kRegDword, std::string(4, '\0'));
  CCfgApp app;
  EXPECT_EQ(app.GetInstallPath(), u"");
  EXPECT_EQ(app.GetAppDataPath(), u"");
}

TEST(SettingsWithoutSid, ReadsFailAndWritesDoNothing) {
  TestEnvironment env;  // no cached SID
  platform::ProcessToken token;
  if (CCfgOPBase::FindProcessToken(u"explorer.exe", &token))
    GTEST_SKIP() << "an explorer.exe gives a SID here";
  CCfgPopMgr pop;
  EXPECT_FALSE(pop.HasKey());
  EXPECT_NE(pop.WriteQword(u"CloseAdTime", 1), 0);
  uint32_t qid = 0;
  EXPECT_NE(CCfgApp().ReadDword(u"QID", &qid), 0);
}
