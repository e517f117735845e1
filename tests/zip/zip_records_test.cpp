// Exact header records of archives written by the writer.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>

#include <zlib.h>

#include "platform/system/file_info.h"
#include "zip/zip_test_util.h"
#include "zip/zip_time.h"

namespace fs = std::filesystem;

namespace {

class ZipRecords : public ::testing::Test {
 protected:
  TempDir m_dir;
};

TEST_F(ZipRecords, DeflatedEntryHeadersCarryEveryField) {
  const std::string content = TextBytes(100000);
  m_dir.Write("crash.DMP", content);
  SetLocalMtime(m_dir.File("crash.DMP"), 2020, 6, 1, 12, 34, 56);
  const ParsedArchive a =
      ParseArchive(PackFiles(m_dir.File("a.zip"), {{"crash.DMP", m_dir.File("crash.DMP")}}));
  ASSERT_EQ(a.error, "");
  ASSERT_EQ(a.entries.size(), 1u);
  const ParsedEntry& e = a.entries[0];
  EXPECT_EQ(e.versionMadeBy, 0x0B17);
  EXPECT_EQ(e.versionNeeded, 20);
  EXPECT_EQ(e.localVersionNeeded, 20);
  EXPECT_EQ(e.flags, 0x0002);
  EXPECT_EQ(e.localFlags, 0x0002);
  EXPECT_EQ(e.method, 8);
  EXPECT_EQ(e.localMethod, 8);
  EXPECT_EQ(e.dosDateTime, Dos(2020, 6, 1, 12, 34, 56));
  EXPECT_EQ(e.localDosDateTime, e.dosDateTime);
  EXPECT_EQ(e.crc, Crc32Of(content));
  EXPECT_EQ(e.localCrc, e.crc);
  EXPECT_EQ(e.uncompressedSize, content.size());
  EXPECT_EQ(e.localUncompressed, content.size());
  EXPECT_EQ(e.compressedSize, e.data.size());
  EXPECT_EQ(e.localCompressed, e.compressedSize);
  EXPECT_LT(e.compressedSize, content.size() / 4);
  EXPECT_EQ(e.name, "crash.DMP");
  EXPECT_EQ(e.localName, "crash.DMP");
  EXPECT_EQ(e.commentLength, 0);
  EXPECT_EQ(e.diskStart, 0);
  EXPECT_EQ(e.internalAttributes, 0);
  EXPECT_EQ(e.externalAttributes, 0x81800020u);
  EXPECT_EQ(e.localHeaderOffset, 0u);
  bool ok = false;
  EXPECT_EQ(EntryContent(e, &ok), content);
  EXPECT_TRUE(ok);
  EXPECT_EQ(a.totalEntries, 1);
  EXPECT_EQ(a.entriesOnDisk, 1);
  EXPECT_EQ(a.directoryOffset, 30 + 9 + 17 + e.compressedSize);
  EXPECT_EQ(a.directorySize, 46u + 9 + 9);
}

TEST_F(ZipRecords, TimestampExtrasHoldTheFileTimes) {
  m_dir.Write("f.txt", "abc");
  SetLocalMtime(m_dir.File("f.txt"), 2021, 3, 4, 5, 6, 7);
  const ParsedArchive a = ParseArchive(PackFiles(m_dir.File("a.zip"), {{"f.txt", m_dir.File("f.txt")}}));
  ASSERT_EQ(a.error, "");
  const ParsedEntry& e = a.entries[0];
  ASSERT_EQ(e.localExtra.size(), 17u);
  ASSERT_EQ(e.centralExtra.size(), 9u);
  EXPECT_EQ(e.localExtra.substr(0, 5), std::string("UT\x0d\x00\x07", 5));
  EXPECT_EQ(e.centralExtra.substr(0, 5), std::string("UT\x05\x00\x07", 5));
  const uint32_t mtime = static_cast<uint32_t>(LocalSeconds(2021, 3, 4, 5, 6, 7));
  EXPECT_EQ(Le32(e.localExtra, 5), mtime);
  EXPECT_EQ(Le32(e.centralExtra, 5), mtime);
  // The access time is the file's own: recent, and not in the future.
  const uint32_t now = static_cast<uint32_t>(std::time(nullptr));
  EXPECT_LE(Le32(e.localExtra, 9), now);
  EXPECT_GT(Le32(e.localExtra, 9), now - 3600);
  // The creation time is the one the system keeps for the file (Wine, for
  // one, reports the last-write time where Linux keeps no birth time).
  platform::CFileHandle file;
  ASSERT_TRUE(file.OpenForReading(U16(m_dir.File("f.txt"))));
  platform::FileInfo info;
  ASSERT_TRUE(platform::QueryFileInfo(file, &info));
  EXPECT_EQ(Le32(e.localExtra, 13), ToUnixSeconds(info.creation));
  EXPECT_LE(Le32(e.localExtra, 13), now);
}

TEST_F(ZipRecords, TimesOutsideTheirRangesAreClamped) {
  m_dir.Write("old.txt", "old");
  m_dir.Write("new.txt", "new");
  SetLocalMtime(m_dir.File("old.txt"), 1960, 5, 6, 7, 8, 10);
  SetLocalMtime(m_dir.File("new.txt"), 2050, 5, 6, 7, 8, 10);
  const ParsedArchive a = ParseArchive(PackFiles(
      m_dir.File("a.zip"), {{"old.txt", m_dir.File("old.txt")}, {"new.txt", m_dir.File("new.txt")}}));
  ASSERT_EQ(a.error, "");
  // The Unix seconds keep the time of day on the first or last day they can hold.
  EXPECT_EQ(Le32(a.entries[0].centralExtra, 5), static_cast<uint32_t>(LocalSeconds(1970, 1, 1, 7, 8, 10)));
  EXPECT_EQ(Le32(a.entries[1].centralExtra, 5), static_cast<uint32_t>(LocalSeconds(2037, 12, 31, 7, 8, 10)));
  // DOS dates start in 1980.
  EXPECT_EQ(a.entries[0].dosDateTime, Dos(1980, 1, 1, 0, 0, 0));
  EXPECT_EQ(a.entries[1].dosDateTime, Dos(2050, 5, 6, 7, 8, 10));
}

TEST_F(ZipRecords, ReadOnlySourceLosesTheOwnerWriteBit) {
  m_dir.Write("ro.txt", "read only");
  fs::permissions(m_dir.File("ro.txt"), fs::perms::owner_read | fs::perms::group_read);
  const ParsedArchive a = ParseArchive(PackFiles(m_dir.File("a.zip"), {{"ro.txt", m_dir.File("ro.txt")}}));
  ASSERT_EQ(a.error, "");
  // Read-only and archive in the low byte; a file readable by its owner above.
  EXPECT_EQ(a.entries[0].externalAttributes, 0x81000021u);
}

TEST_F(ZipRecords, ArchiveWithoutEntriesIsTheEndRecordAlone) {
  HZIP zip = ZipArchiveCreate(U16(m_dir.File("empty.zip")).c_str());
  ASSERT_NE(zip, nullptr);
  EXPECT_EQ(ZipArchiveClose(zip), kZipResultOk);
  EXPECT_EQ(ReadFileBytes(m_dir.File("empty.zip")), std::string("PK\5\6", 4) + std::string(18, '\0'));
}

TEST_F(ZipRecords, SecondEntryStartsAfterTheFirstOnesRecords) {
  m_dir.Write("first.bin", NoiseBytes(40000, 7));
  m_dir.Write("second.txt", TextBytes(5000));
  const ParsedArchive a =
      ParseArchive(PackFiles(m_dir.File("a.zip"), {{"first.bin", m_dir.File("first.bin")},
                                                   {"second.txt", m_dir.File("second.txt")}}));
  ASSERT_EQ(a.error, "");
  ASSERT_EQ(a.entries.size(), 2u);
  EXPECT_EQ(a.entries[1].localHeaderOffset, 30 + 9 + 17 + a.entries[0].compressedSize);
  EXPECT_EQ(a.directoryOffset, a.entries[1].localHeaderOffset + 30 + 10 + 17 + a.entries[1].compressedSize);
}

TEST_F(ZipRecords, EmptySourceGivesZeroSizesAndAMinimalStream) {
  m_dir.Write("empty.dmp", "");
  m_dir.Write("empty.zip", "");
  const ParsedArchive a = ParseArchive(PackFiles(
      m_dir.File("a.zip"), {{"empty.dmp", m_dir.File("empty.dmp")}, {"empty.zip", m_dir.File("empty.zip")}}));
  ASSERT_EQ(a.error, "");
  const ParsedEntry& deflated = a.entries[0];
  EXPECT_EQ(deflated.method, 8);
  EXPECT_EQ(deflated.uncompressedSize, 0u);
  EXPECT_EQ(deflated.crc, 0u);
  // One final fixed-Huffman block holding only the end-of-block code.
  EXPECT_EQ(deflated.data, std::string("\x03\x00", 2));
  const ParsedEntry& stored = a.entries[1];
  EXPECT_EQ(stored.method, 0);
  EXPECT_EQ(stored.compressedSize, 0u);
  EXPECT_EQ(stored.crc, 0u);
}

TEST_F(ZipRecords, DeflateRunsAtLevelEightWithAFullWindow) {
  // A repeat 20000 bytes back is only found with a 32 KiB window; the stream
  // must match zlib's level-8 raw stream exactly.
  std::string content = NoiseBytes(20000, 3);
  content += content;
  m_dir.Write("data.dmp", content);
  const ParsedArchive a =
      ParseArchive(PackFiles(m_dir.File("a.zip"), {{"data.dmp", m_dir.File("data.dmp")}}));
  ASSERT_EQ(a.error, "");
  z_stream zs{};
  ASSERT_EQ(deflateInit2(&zs, 8, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string expected(deflateBound(&zs, content.size()), '\0');
  zs.next_in = reinterpret_cast<Bytef*>(content.data());
  zs.avail_in = static_cast<uInt>(content.size());
  zs.next_out = reinterpret_cast<Bytef*>(expected.data());
  zs.avail_out = static_cast<uInt>(expected.size());
  ASSERT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
  expected.resize(zs.total_out);
  deflateEnd(&zs);
  EXPECT_EQ(a.entries[0].data, expected);
  EXPECT_LT(a.entries[0].compressedSize, 21000u);
}

}  // namespace
