// The skin archive is packed by the project's own ZIP writer; the reader must
// take everything it writes.
#include <gtest/gtest.h>

#include "zip/zip_fixture.h"
#include "zip/zip_reader.h"

namespace {

TEST(OwnZipWriterArchive, ReadsBackEveryEntry) {
  TempDir dir;
  zip_test::WriteSkinFiles(dir);
  std::string bytes = zip_test::PackSkinWithOwnWriter(dir);
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
}

}  // namespace
