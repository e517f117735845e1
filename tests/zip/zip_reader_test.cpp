#include "zip/zip_reader.h"

#include <gtest/gtest.h>

#include "zip/zip_fixture.h"

namespace {

using zip_test::BigText;
using zip_test::HaveInfoZipArchives;
using zip_test::InfoZipArchive;
using zip_test::kNoInfoZip;

class ZipReaderTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (!HaveInfoZipArchives()) GTEST_SKIP() << kNoInfoZip;
    m_bytes = InfoZipArchive(GetParam() ? "skin_stored.zip" : "skin_deflated.zip");
    ASSERT_FALSE(m_bytes.empty());
    ASSERT_EQ(m_zip.OpenMemory(m_bytes.data(), m_bytes.size()), kZipOk);
  }
  std::string ReadAll(const std::u16string& name, size_t chunk) {
    int index = -1;
    EXPECT_EQ(m_zip.FindEntry(name, true, &index, nullptr), kZipOk);
    std::string out, piece(chunk, '\0');
    size_t got = 0;
    uint32_t rc;
    while ((rc = m_zip.ReadEntry(index, piece.data(), chunk, &got)) == kZipMore) {
      out.append(piece.data(), got);
    }
    EXPECT_EQ(rc, kZipOk);
    return out;
  }
  std::string m_bytes;
  CZipArchive m_zip;
};

TEST_P(ZipReaderTest, ListsEveryEntryWithSizes) {
  EXPECT_EQ(m_zip.GetEntryCount(), 4);
  TZipEntryInfo info;
  int index = -1;
  ASSERT_EQ(m_zip.FindEntry(u"big.txt", false, &index, &info), kZipOk);
  EXPECT_EQ(info.name, u"big.txt");
  EXPECT_EQ(info.uncompressedSize, BigText().size());
  if (GetParam())
    EXPECT_EQ(info.compressedSize, info.uncompressedSize);
  else
    EXPECT_LT(info.compressedSize, info.uncompressedSize / 10);
}

TEST_P(ZipReaderTest, FindsNamesIgnoringCaseAndBackslashes) {
  int index = -1;
  TZipEntryInfo info;
  EXPECT_EQ(m_zip.FindEntry(u"Dlg_Main.XML", true, &index, &info), kZipOk);
  EXPECT_EQ(info.name, u"dlg_main.xml");
  EXPECT_EQ(m_zip.FindEntry(u"Dlg_Main.XML", false, &index, &info), kZipNotFound);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(m_zip.FindEntry(u"img\\BK.png", true, &index, &info), kZipOk);
  EXPECT_EQ(info.name, u"img/bk.png");
  EXPECT_EQ(m_zip.FindEntry(u"missing.xml", true, &index, &info), kZipNotFound);
}

TEST_P(ZipReaderTest, ReadsWholeEntriesInOneOrManyPieces) {
  EXPECT_EQ(ReadAll(u"big.txt", 1 << 20), BigText());
  EXPECT_EQ(ReadAll(u"big.txt", 777), BigText());
  EXPECT_EQ(ReadAll(u"img/bk.png", 3000).size(), 3000u);
}

TEST_P(ZipReaderTest, ExactSizeBufferGivesMoreThenDone) {
  int index = -1;
  TZipEntryInfo info;
  ASSERT_EQ(m_zip.FindEntry(u"dlg_main.xml", true, &index, &info), kZipOk);
  std::string buffer(info.uncompressedSize, '\0');
  size_t got = 0;
  EXPECT_EQ(m_zip.ReadEntry(index, buffer.data(), buffer.size(), &got), kZipMore);
  EXPECT_EQ(got, buffer.size());
  EXPECT_EQ(buffer.substr(0, 7), "<Window");
  EXPECT_EQ(m_zip.ReadEntry(index, buffer.data(), buffer.size(), &got), kZipOk);
  EXPECT_EQ(got, 0u);
}

TEST_P(ZipReaderTest, EmptyEntryDeliversNothingAndBadIndexIsRefused) {
  int index = -1;
  ASSERT_EQ(m_zip.FindEntry(u"empty.txt", true, &index, nullptr), kZipOk);
  char byte = 0;
  size_t got = 1;
  EXPECT_EQ(m_zip.ReadEntry(index, &byte, 1, &got), kZipOk);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(m_zip.ReadEntry(99, &byte, 1, &got), kZipArgs);
  EXPECT_EQ(m_zip.ReadEntry(-1, &byte, 1, &got), kZipArgs);
}

INSTANTIATE_TEST_SUITE_P(StoredAndDeflated, ZipReaderTest, ::testing::Values(true, false));

TEST(ZipReaderNames, RefusesNamesOf256CharactersOrMore) {
  if (!HaveInfoZipArchives()) GTEST_SKIP() << kNoInfoZip;
  std::string bytes = InfoZipArchive("long_names.zip");
  CZipArchive zip;
  ASSERT_EQ(zip.OpenMemory(bytes.data(), bytes.size()), kZipOk);
  std::u16string longName = u"d/" + std::u16string(254, u'n');
  EXPECT_EQ(longName.size(), 256u);
  EXPECT_EQ(zip.FindEntry(longName, true, nullptr, nullptr), kZipNotFound);
  EXPECT_EQ(zip.FindEntry(longName.substr(0, 255), true, nullptr, nullptr), kZipOk);
}

TEST(ZipReaderOpen, RefusesNullDoubleOpenAndNonArchives) {
  CZipArchive zip;
  EXPECT_EQ(zip.OpenMemory(nullptr, 10), kZipArgs);
  std::string junk(100, 'j');
  EXPECT_EQ(zip.OpenMemory(junk.data(), junk.size()), kZipRead);
  EXPECT_FALSE(zip.IsOpen());
  EXPECT_EQ(zip.FindEntry(u"a", true, nullptr, nullptr), kZipArgs);
  if (!HaveInfoZipArchives()) GTEST_SKIP() << kNoInfoZip;
  std::string bytes = InfoZipArchive("dlg_main.zip");
  ASSERT_EQ(zip.OpenMemory(bytes.data(), bytes.size()), kZipOk);
  EXPECT_EQ(zip.OpenMemory(bytes.data(), bytes.size()), kZipAlreadyOpen);
}

class ZipReaderDamage : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveInfoZipArchives()) GTEST_SKIP() << kNoInfoZip;
    m_bytes = InfoZipArchive("skin_deflated.zip");
    ASSERT_FALSE(m_bytes.empty());
  }
  // Opens damaged bytes (copied to an exact-size heap block so that the
  // sanitizers see any read beyond it) and reads every entry.
  void OpenAndReadAll(const std::string& damaged) {
    std::vector<uint8_t> exact(damaged.begin(), damaged.end());
    CZipArchive zip;
    if (zip.OpenMemory(exact.data(), exact.size()) != kZipOk) return;
    std::vector<uint8_t> out(4096);
    for (int i = 0; i < zip.GetEntryCount(); ++i) {
      size_t got = 0;
      for (int guard = 0; guard < 100 && zip.ReadEntry(i, out.data(), out.size(), &got) == kZipMore;
           ++guard) {
        ASSERT_LE(got, out.size());
      }
    }
  }
  std::string m_bytes;
};

TEST_F(ZipReaderDamage, EveryTruncationIsRejectedOrReadSafely) {
  for (size_t len = 0; len < m_bytes.size(); len += 7) {
    std::vector<uint8_t> cut(m_bytes.begin(), m_bytes.begin() + len);
    CZipArchive zip;
    EXPECT_NE(zip.OpenMemory(cut.data(), cut.size()), kZipOk) << len;
  }
}

TEST_F(ZipReaderDamage, CorruptedBytesGiveErrorsNotCrashes) {
  for (size_t pos = 0; pos < m_bytes.size(); pos += 13) {
    std::string damaged = m_bytes;
    damaged[pos] = static_cast<char>(damaged[pos] ^ 0x5A);
    OpenAndReadAll(damaged);
  }
}

TEST_F(ZipReaderDamage, CorruptDeflateDataAndBadLocalHeaderAreReported) {
  CZipArchive probe;
  ASSERT_EQ(probe.OpenMemory(m_bytes.data(), m_bytes.size()), kZipOk);
  int index = -1;
  ASSERT_EQ(probe.FindEntry(u"big.txt", false, &index, nullptr), kZipOk);
  // The local header of big.txt: find its name after a local signature.
  size_t at = 0;
  for (size_t p = 0; (p = m_bytes.find(std::string("PK\3\4", 4), p)) != std::string::npos; ++p) {
    if (m_bytes.compare(p + 30, 7, "big.txt") == 0) at = p;
  }
  ASSERT_GT(at, 0u);
  std::string badData = m_bytes;
  for (size_t i = 0; i < 64; ++i) badData[at + 37 + 10 + i] = static_cast<char>(0xFF);
  CZipArchive zip;
  ASSERT_EQ(zip.OpenMemory(badData.data(), badData.size()), kZipOk);
  std::vector<uint8_t> out(1 << 20);
  size_t got = 0;
  EXPECT_EQ(zip.ReadEntry(index, out.data(), out.size(), &got), kZipFlate);

  std::string badHeader = m_bytes;
  badHeader[at] = 'X';
  CZipArchive zip2;
  ASSERT_EQ(zip2.OpenMemory(badHeader.data(), badHeader.size()), kZipOk);
  EXPECT_EQ(zip2.ReadEntry(index, out.data(), out.size(), &got), kZipCorrupt);
}

TEST(ZipReaderEncrypted, EncryptedEntriesAreNotDelivered) {
  if (!HaveInfoZipArchives()) GTEST_SKIP() << kNoInfoZip;
  std::string bytes = InfoZipArchive("encrypted.zip");
  ASSERT_FALSE(bytes.empty());
  CZipArchive zip;
  ASSERT_EQ(zip.OpenMemory(bytes.data(), bytes.size()), kZipOk);
  int index = -1;
  ASSERT_EQ(zip.FindEntry(u"secret.xml", true, &index, nullptr), kZipOk);
  char buffer[64];
  size_t got = 0;
  EXPECT_EQ(zip.ReadEntry(index, buffer, sizeof buffer, &got), kZipFlate);
  EXPECT_EQ(got, 0u);
}

}  // namespace
