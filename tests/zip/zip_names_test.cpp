// Entry names: method by extension, separators, length limits, bad arguments.
#include <gtest/gtest.h>

#include "platform/system/codepage.h"
#include "zip/zip_test_util.h"

namespace {

class ZipNames : public ::testing::Test {
 protected:
  void SetUp() override { m_dir.Write("src.bin", TextBytes(3000)); }
  ParsedArchive PackAs(const std::vector<std::string>& names) {
    std::vector<ZipInput> inputs;
    for (const std::string& name : names) inputs.push_back({name, m_dir.File("src.bin")});
    return ParseArchive(PackFiles(m_dir.File("a.zip"), inputs));
  }
  TempDir m_dir;
};

TEST_F(ZipNames, ExtensionChoosesStoredOrDeflated) {
  const std::vector<std::string> stored = {"x.ZIP", "x.tar.gz", "x.Z",   "x.z",  "x.zoo",
                                           "x.ARC", "x.lzh",    "x.arj", "x.GZ", "x.tgz"};
  const std::vector<std::string> deflated = {"x.DMP", "x.zipx", "x.gzip", "zip", "x.zip.txt", "x.", "Config"};
  std::vector<std::string> all = stored;
  all.insert(all.end(), deflated.begin(), deflated.end());
  const ParsedArchive a = PackAs(all);
  ASSERT_EQ(a.error, "");
  ASSERT_EQ(a.entries.size(), all.size());
  for (size_t i = 0; i < all.size(); ++i) {
    const bool isStored = i < stored.size();
    EXPECT_EQ(a.entries[i].method, isStored ? 0 : 8) << all[i];
    EXPECT_EQ(a.entries[i].flags, isStored ? 0x0000 : 0x0002) << all[i];
    bool ok = false;
    EXPECT_EQ(EntryContent(a.entries[i], &ok), TextBytes(3000)) << all[i];
  }
}

TEST_F(ZipNames, BackslashesBecomeSlashes) {
  const ParsedArchive a = PackAs({"dumps\\sub\\c.dmp"});
  ASSERT_EQ(a.error, "");
  EXPECT_EQ(a.entries[0].name, "dumps/sub/c.dmp");
  EXPECT_EQ(a.entries[0].localName, "dumps/sub/c.dmp");
}

TEST_F(ZipNames, NamesAreStoredInTheAnsiCodePageWithoutUtf8Flag) {
  const ParsedArchive a = PackAs({"奥凡.dmp"});
  ASSERT_EQ(a.error, "");
  // UTF-8 on POSIX, GBK bytes under the Chinese code page 936, "??.dmp"
  // under a code page without these characters.
  EXPECT_EQ(a.entries[0].name, platform::WideToAnsi(u"奥凡.dmp"));
  EXPECT_EQ(a.entries[0].flags & 0x0800, 0);
}

TEST_F(ZipNames, NamesOf260BytesOrMoreAreRefused) {
  HZIP zip = ZipArchiveCreate(U16(m_dir.File("a.zip")).c_str());
  ASSERT_NE(zip, nullptr);
  const std::u16string src = U16(m_dir.File("src.bin"));
  EXPECT_EQ(ZipArchiveAddFile(zip, U16(std::string(259, 'n')).c_str(), src.c_str()), kZipResultOk);
  EXPECT_EQ(ZipArchiveAddFile(zip, U16(std::string(260, 'n')).c_str(), src.c_str()), kZipResultBadArguments);
  EXPECT_EQ(ZipArchiveLastResult(), kZipResultBadArguments);
  // The limit counts bytes in the code page: with three-byte characters
  // (UTF-8) 87 are 261 bytes and 86 are 258; with two-byte ones (GBK) 130
  // are 260 and 129 are 258.
  const size_t charBytes = platform::WideToAnsi(u"中").size();
  ASSERT_GT(charBytes, 0u);
  std::u16string tooLong;
  while (tooLong.size() * charBytes < 260) tooLong += u"中";
  const std::u16string longest = tooLong.substr(1);
  EXPECT_EQ(ZipArchiveAddFile(zip, tooLong.c_str(), src.c_str()), kZipResultBadArguments);
  EXPECT_EQ(ZipArchiveAddFile(zip, longest.c_str(), src.c_str()), kZipResultOk);
  EXPECT_EQ(ZipArchiveClose(zip), kZipResultOk);
  const ParsedArchive a = ParseArchive(ReadFileBytes(m_dir.File("a.zip")));
  ASSERT_EQ(a.error, "");
  ASSERT_EQ(a.entries.size(), 2u);
  EXPECT_EQ(a.entries[0].name, std::string(259, 'n'));
  EXPECT_EQ(a.entries[1].name, platform::WideToAnsi(longest));
}

TEST_F(ZipNames, BadArgumentsAndForeignHandlesAreRefused) {
  HZIP zip = ZipArchiveCreate(U16(m_dir.File("a.zip")).c_str());
  ASSERT_NE(zip, nullptr);
  const std::u16string src = U16(m_dir.File("src.bin"));
  EXPECT_EQ(ZipArchiveAddFile(nullptr, u"x", src.c_str()), kZipResultBadArguments);
  EXPECT_EQ(ZipArchiveAddFile(zip, u"", src.c_str()), kZipResultBadArguments);
  EXPECT_EQ(ZipArchiveAddFile(zip, nullptr, src.c_str()), kZipResultBadArguments);
  EXPECT_EQ(ZipArchiveAddFile(zip, u"x", nullptr), kZipResultBadArguments);
  EXPECT_EQ(ZipArchiveClose(nullptr), kZipResultBadArguments);
  ZipHandle other{1, nullptr};
  EXPECT_EQ(ZipArchiveAddFile(&other, u"x", src.c_str()), kZipResultWrongHandle);
  EXPECT_EQ(ZipArchiveLastResult(), kZipResultWrongHandle);
  EXPECT_EQ(ZipArchiveClose(&other), kZipResultWrongHandle);
  EXPECT_EQ(ZipArchiveLastResult(), kZipResultWrongHandle);
  EXPECT_EQ(other.m_kind, 1u);
  // A failed add leaves the archive usable.
  EXPECT_EQ(ZipArchiveAddFile(zip, u"ok.txt", src.c_str()), kZipResultOk);
  EXPECT_EQ(ZipArchiveLastResult(), kZipResultOk);
  EXPECT_EQ(ZipArchiveClose(zip), kZipResultOk);
  const ParsedArchive a = ParseArchive(ReadFileBytes(m_dir.File("a.zip")));
  ASSERT_EQ(a.error, "");
  ASSERT_EQ(a.entries.size(), 1u);
  EXPECT_EQ(a.entries[0].localHeaderOffset, 0u);
}

TEST_F(ZipNames, MissingSourcesAndFoldersCannotBeOpened) {
  HZIP zip = ZipArchiveCreate(U16(m_dir.File("a.zip")).c_str());
  ASSERT_NE(zip, nullptr);
  EXPECT_EQ(ZipArchiveAddFile(zip, u"Config", U16(m_dir.File("missing")).c_str()), kZipResultOpenFailed);
  EXPECT_EQ(ZipArchiveAddFile(zip, u"VERSION", U16(m_dir.path().string()).c_str()), kZipResultOpenFailed);
  EXPECT_EQ(ZipArchiveLastResult(), kZipResultOpenFailed);
  // Nothing was written for them.
  EXPECT_EQ(std::filesystem::file_size(m_dir.File("a.zip")), 0u);
  EXPECT_EQ(ZipArchiveAddFile(zip, u"src.bin", U16(m_dir.File("src.bin")).c_str()), kZipResultOk);
  EXPECT_EQ(ZipArchiveClose(zip), kZipResultOk);
  const ParsedArchive a = ParseArchive(ReadFileBytes(m_dir.File("a.zip")));
  ASSERT_EQ(a.error, "");
  EXPECT_EQ(a.entries.size(), 1u);
}

TEST_F(ZipNames, ArchiveInAMissingFolderCannotBeCreated) {
  EXPECT_EQ(ZipArchiveCreate(U16(m_dir.File("no/such/a.zip")).c_str()), nullptr);
  EXPECT_EQ(ZipArchiveLastResult(), kZipResultOpenFailed);
  m_dir.Write("old.zip", "old content that is replaced");
  HZIP zip = ZipArchiveCreate(U16(m_dir.File("old.zip")).c_str());
  ASSERT_NE(zip, nullptr);
  EXPECT_EQ(ZipArchiveLastResult(), kZipResultOk);
  EXPECT_EQ(ZipArchiveClose(zip), kZipResultOk);
  EXPECT_EQ(ReadFileBytes(m_dir.File("old.zip")).size(), 22u);
}

}  // namespace
