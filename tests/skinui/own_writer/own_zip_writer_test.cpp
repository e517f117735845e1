// The skin archive is packed by the project's own ZIP writer; the reader must
// take everything it writes.
#include <gtest/gtest.h>

#include "common/text.h"
#include "skinui/core/skin_resources.h"
#include "skinui/core/zip_reader.h"
#include "skinui/zip_fixture.h"
#include "zip/zip_archive.h"

namespace SkinUI {
namespace {

std::string PackWithOwnWriter(const TempDir& dir) {
  std::u16string out = Utf8ToUtf16(dir.File("skin.zip"));
  HZIP zip = ZipArchiveCreate(out.c_str());
  if (!zip) return {};
  for (const std::string& name : skinui_test::SkinFileNames()) {
    std::string entry = name;
    for (char& c : entry) if (c == '/') c = '\\';  // the writer stores "/"
    std::u16string source = Utf8ToUtf16(dir.File(name));
    if (ZipArchiveAddFile(zip, Utf8ToUtf16(entry).c_str(), source.c_str()) != kZipResultOk) return {};
  }
  if (ZipArchiveClose(zip) != kZipResultOk) return {};
  return ReadFileBytes(dir.path() / "skin.zip");
}

TEST(OwnZipWriterArchive, ReadsBackEveryEntry) {
  TempDir dir;
  skinui_test::WriteSkinFiles(dir);
  std::string bytes = PackWithOwnWriter(dir);
  ASSERT_FALSE(bytes.empty());
  CZipArchive zip;
  ASSERT_EQ(zip.OpenMemory(bytes.data(), bytes.size()), kZipOk);
  EXPECT_EQ(zip.GetEntryCount(), 4);
  int index = -1;
  TZipEntryInfo info;
  ASSERT_EQ(zip.FindEntry(u"IMG\\Bk.PNG", true, &index, &info), kZipOk);
  EXPECT_EQ(info.name, u"img/bk.png");
  std::vector<uint8_t> exact(info.uncompressedSize);
  size_t got = 0;
  EXPECT_EQ(zip.ReadEntry(index, exact.data(), exact.size(), &got), kZipMore);
  EXPECT_EQ(std::string(exact.begin(), exact.end()), ReadFileBytes(dir.path() / "img/bk.png"));

  CSkinResources res;
  ASSERT_TRUE(res.RegisterArchiveFromMemory(bytes.data(), bytes.size()));
  std::vector<uint8_t> file;
  EXPECT_EQ(res.ReadSkinFileWhole(u"Big.Txt", &file), kSkinReadOk);
  EXPECT_EQ(std::string(file.begin(), file.end()), skinui_test::BigText());
  EXPECT_EQ(res.ReadSkinFileWhole(u"dlg_main.xml", &file), kSkinReadOk);
  EXPECT_EQ(res.ReadSkinFileWhole(u"empty.txt", &file), kSkinEmpty);
}

}  // namespace
}  // namespace SkinUI
