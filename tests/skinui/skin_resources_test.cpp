#include "skinui/resources/skin_resources.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "zip/zip_fixture.h"

namespace SkinUI {
namespace {

using zip_test::HaveInfoZipArchives;
using zip_test::InfoZipArchive;
using zip_test::kNoInfoZip;
using zip_test::WriteSkinFiles;

class SkinResourcesArchive : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveInfoZipArchives()) GTEST_SKIP() << kNoInfoZip;
    WriteSkinFiles(m_dir);
    m_archive = InfoZipArchive("skin_deflated.zip");
    ASSERT_TRUE(m_res.RegisterArchiveFromMemory(m_archive.data(), m_archive.size()));
  }
  TempDir m_dir;
  std::string m_archive;
  CSkinResources m_res;
};

TEST_F(SkinResourcesArchive, SizeQueryThenExactBufferRead) {
  size_t size = 0;
  EXPECT_EQ(m_res.ReadSkinFile(u"Dlg_Main.XML", nullptr, &size), kSkinBufferTooSmall);
  std::string expected = ReadFileBytes(m_dir.path() / "dlg_main.xml");
  ASSERT_EQ(size, expected.size());
  std::vector<uint8_t> buffer(size);
  EXPECT_EQ(m_res.ReadSkinFile(u"Dlg_Main.XML", buffer.data(), &size), kSkinReadOk);
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), expected);
  size = buffer.size() - 1;
  EXPECT_EQ(m_res.ReadSkinFile(u"dlg_main.xml", buffer.data(), &size), kSkinBufferTooSmall);
  EXPECT_EQ(size, expected.size());
}

TEST_F(SkinResourcesArchive, StatusesForEmptyMissingAndNoBuffer) {
  size_t size = 100;
  EXPECT_EQ(m_res.ReadSkinFile(u"empty.txt", nullptr, &size), kSkinEmpty);
  EXPECT_EQ(m_res.ReadSkinFile(u"nothing.png", nullptr, &size), kSkinNotFound);
  size = 1 << 20;
  EXPECT_EQ(m_res.ReadSkinFile(u"big.txt", nullptr, &size), kSkinNoBuffer);
  std::vector<uint8_t> whole;
  EXPECT_EQ(m_res.ReadSkinFileWhole(u"IMG\\bk.png", &whole), kSkinReadOk);
  EXPECT_EQ(whole.size(), 3000u);
}

TEST_F(SkinResourcesArchive, SecondRegistrationIsIgnored) {
  std::string second = InfoZipArchive("other_stored.zip");
  ASSERT_FALSE(second.empty());
  EXPECT_TRUE(m_res.RegisterArchiveFromMemory(second.data(), second.size()));
  EXPECT_EQ(m_res.GetResourceZip(), kMemBufferArchive);
  EXPECT_TRUE(m_res.IsCached());
  std::vector<uint8_t> bytes;
  EXPECT_EQ(m_res.ReadSkinFileWhole(u"other.xml", &bytes), kSkinNotFound);
  EXPECT_EQ(m_res.ReadSkinFileWhole(u"dlg_main.xml", &bytes), kSkinReadOk);
}

TEST(SkinResources, CorruptRegisteredArchiveFindsNothing) {
  CSkinResources res;
  std::string junk = "PK not really an archive";
  EXPECT_FALSE(res.RegisterArchiveFromMemory(junk.data(), junk.size()));
  std::vector<uint8_t> bytes;
  EXPECT_EQ(res.ReadSkinFileWhole(u"dlg_main.xml", &bytes), kSkinNotFound);
}

TEST(SkinResources, FolderFilesWithAndWithoutArchiveFile) {
  TempDir dir;
  WriteSkinFiles(dir);
  CSkinResources res;
  res.SetResourcePath(Utf8ToUtf16(dir.path().string() + "/"));
  std::vector<uint8_t> bytes;
  EXPECT_EQ(res.ReadSkinFileWhole(u"dlg_main.xml", &bytes), kSkinReadOk);
  EXPECT_EQ(bytes.size(), ReadFileBytes(dir.path() / "dlg_main.xml").size());
  EXPECT_EQ(res.ReadSkinFileWhole(u"empty.txt", &bytes), kSkinEmpty);
  EXPECT_EQ(res.ReadSkinFileWhole(u"gone.xml", &bytes), kSkinNotFound);

  if (!HaveInfoZipArchives()) GTEST_SKIP() << kNoInfoZip;
  dir.Write("skin.zip", InfoZipArchive("big.zip"));
  ASSERT_TRUE(res.SetResourceZip(u"skin.zip", false));
  EXPECT_EQ(res.ReadSkinFileWhole(u"BIG.TXT", &bytes), kSkinReadOk);
  EXPECT_EQ(res.ReadSkinFileWhole(u"dlg_main.xml", &bytes), kSkinNotFound);
  ASSERT_TRUE(res.SetResourceZip(u"skin.zip", true));
  EXPECT_EQ(res.ReadSkinFileWhole(u"big.txt", &bytes), kSkinReadOk);
  EXPECT_EQ(bytes.size(), zip_test::BigText().size());
}

TEST(SkinResources, ModuleResourcesByIdAndName) {
  static const char kData[] = "resource bytes";
  CResourceTable module;
  module.Add(129, u"ZIPRES", kData, sizeof kData - 1);
  module.Add(130, u"PNG", kData, 0);
  module.Add(u"logo", u"PNG", kData, 5);
  CSkinResources res;
  res.SetInstance(&module);
  uint8_t buffer[64];
  size_t size = sizeof buffer;
  EXPECT_EQ(res.ReadSkinResource(129, u"zipres", buffer, &size), kSkinReadOk);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size), "resource bytes");
  size = sizeof buffer;
  EXPECT_EQ(res.ReadSkinResource(130, u"PNG", buffer, &size), kSkinEmpty);
  EXPECT_EQ(res.ReadSkinResource(131, u"PNG", buffer, &size), kSkinNotFound);
  size = 2;
  EXPECT_EQ(res.ReadNamedResource(u"LOGO", u"PNG", buffer, &size), kSkinBufferTooSmall);
  EXPECT_EQ(size, 5u);
  CResourceTable other;
  res.SetResourceInstance(&other);
  EXPECT_EQ(res.ReadSkinResource(129, u"ZIPRES", buffer, &size), kSkinNotFound);
}

// The program's skin is packed by the project's own writer.
TEST(SkinResources, ReadsAnArchiveOfTheOwnWriter) {
  TempDir dir;
  WriteSkinFiles(dir);
  std::string bytes = zip_test::PackSkinWithOwnWriter(dir);
  ASSERT_FALSE(bytes.empty());
  CSkinResources res;
  ASSERT_TRUE(res.RegisterArchiveFromMemory(bytes.data(), bytes.size()));
  std::vector<uint8_t> file;
  EXPECT_EQ(res.ReadSkinFileWhole(u"Big.Txt", &file), kSkinReadOk);
  EXPECT_EQ(std::string(file.begin(), file.end()), zip_test::BigText());
  EXPECT_EQ(res.ReadSkinFileWhole(u"dlg_main.xml", &file), kSkinReadOk);
  EXPECT_EQ(res.ReadSkinFileWhole(u"empty.txt", &file), kSkinEmpty);
}

}  // namespace
}  // namespace SkinUI
