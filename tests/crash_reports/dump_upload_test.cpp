#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>

#include "crash_reports/dump_upload.h"
#include "crash_reports/dump_upload_record.h"
#include "common/text.h"
#include "platform/system/path_separator.h"
#include "platform/system/process.h"
#include "support/product_settings.h"
#include "support/temp_dir.h"
#include "support/test_environment.h"

TEST(FindDumpFiles, MatchesTheExtensionIgnoringCaseInEverySubFolder) {
  TempDir dir;
  for (const char* name :
       {"a.DMP", "b.Dmp", "sub/c.dmp", "sub/deeper/a.DMP", ".dmp", "x.dmp.txt", "dmp", "sub/notes.txt"}) {
    dir.Write(name, "x");
  }
  std::filesystem::create_directories(dir.path() / "folder.dmp");  // a folder is walked, not taken
  std::vector<std::u16string> found;
  const std::u16string folder = dir.path().u16string() + platform::kPathSeparator;
  FindDumpFiles(folder, &found);
  std::vector<std::string> names;
  for (auto path : found) {
    path = path.substr(folder.size());
    for (auto& c : path) c = c == platform::kPathSeparator ? u'/' : c;
    names.push_back(Utf16ToUtf8(path));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".dmp", "a.DMP", "b.Dmp", "sub/c.dmp", "sub/deeper/a.DMP"}));
  found.clear();
  FindDumpFiles(u"", &found);
  EXPECT_TRUE(found.empty());
}

TEST(DumpObjectKey, ProductVersionLocalDateAndAGuidWithLowercaseData3) {
  std::tm tm{};
  tm.tm_year = 2026 - 1900, tm.tm_mon = 11, tm.tm_mday = 6, tm.tm_hour = 12, tm.tm_isdst = -1;
  platform::Guid guid{0x0A1B2C3D, 0xABCD, 0xEF12, {0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0x07, 0x18}};
  EXPECT_EQ(BuildDumpObjectKey(guid, std::mktime(&tm)),
            u"dumps/Orvane/1.0.0.0/2026-12-06/0A1B2C3DABCDef12A1B2C3D4E5F60718.zip");
  platform::Guid fresh;
  ASSERT_TRUE(platform::CreateGuid(&fresh));
  const std::string key = Utf16ToUtf8(BuildDumpObjectKey(fresh, std::mktime(&tm)));
  EXPECT_TRUE(
      std::regex_match(key, std::regex(R"(dumps/Orvane/1\.0\.0\.0/2026-12-06/[0-9A-Fa-f]{32}\.zip)")));
}

namespace {

// The install folder of the settings, with dumps, and an archive path.
class CollectDumpsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_env.SeedUserSid();
    m_install = m_env.dir().File("install/");
    std::filesystem::create_directories(m_install);
    ASSERT_TRUE(SetProductString(u"InstallPath", Utf8ToUtf16(m_install)));
    m_zip = Utf8ToUtf16(m_env.dir().File("data/Dumps.zip"));
  }

  std::vector<std::string> ArchivedNames(const std::vector<TArchivedDump>& archived) const {
    std::vector<std::string> names;
    for (const auto& dump : archived) names.push_back(Utf16ToUtf8(dump.path).substr(m_install.size()));
    std::sort(names.begin(), names.end());
    return names;
  }

  TestEnvironment m_env;
  std::string m_install;
  std::u16string m_zip;
};

}  // namespace

// Deleting a dump that grew or was replaced after it went into the archive
// lost the newer data; only the very file that was archived is deleted.
TEST_F(CollectDumpsTest, OnlyUnchangedDumpsAreDeleted) {
  for (const char* name : {"same.dmp", "grown.dmp", "replaced.dmp", "gone.dmp"}) {
    m_env.dir().Write(std::string("install/") + name, "first crash");
  }
  std::vector<TArchivedDump> archived;
  ASSERT_TRUE(CollectDumps(m_zip, &archived));
  ASSERT_EQ(ArchivedNames(archived),
            (std::vector<std::string>{"gone.dmp", "grown.dmp", "replaced.dmp", "same.dmp"}));
  { std::ofstream(m_install + "grown.dmp", std::ios::app) << " and more"; }
  std::filesystem::remove(m_install + "replaced.dmp");
  m_env.dir().Write("install/replaced.dmp", "first crash");  // same bytes, another file
  std::filesystem::remove(m_install + "gone.dmp");
  DeleteArchivedDumps(archived);
  EXPECT_FALSE(std::filesystem::exists(m_install + "same.dmp"));
  EXPECT_EQ(ReadFileBytes(m_install + "grown.dmp"), "first crash and more");
  EXPECT_EQ(ReadFileBytes(m_install + "replaced.dmp"), "first crash");
}

// The archive has no 64-bit sizes: a dump of 4 GiB or more was stored with
// its size wrapped and then deleted. It is left out and kept.
TEST_F(CollectDumpsTest, DumpOfFourGibibytesIsLeftOutAndKept) {
  m_env.dir().Write("install/small.dmp", "small");
  const std::string big = m_install + "big.dmp";
  { std::ofstream(big) << "x"; }
  std::filesystem::resize_file(big, (uint64_t{1} << 32) + 10);  // sparse: no disk space used
  std::vector<TArchivedDump> archived;
  ASSERT_TRUE(CollectDumps(m_zip, &archived));
  EXPECT_EQ(ArchivedNames(archived), (std::vector<std::string>{"small.dmp"}));
  EXPECT_EQ(ReadFileBytes(Utf16ToUtf8(m_zip)).find("big.dmp"), std::string::npos);
  DeleteArchivedDumps(archived);
  EXPECT_EQ(std::filesystem::file_size(big), (uint64_t{1} << 32) + 10);
}

// The record of an unconfirmed upload lies in a folder its user may write:
// what comes back is what was written, and a record that another hand made
// or cut (a key that leaves the dump folder, a bad digest, a broken line,
// a record too long to be ours) is not taken up.
TEST(PendingUploadRecord, ReadsBackWhatWasWrittenAndRefusesEveryOtherText) {
  TempDir dir;
  const std::u16string path = Utf8ToUtf16(dir.File("Dumps.zip.pending"));
  const platform::EFileKind regular = platform::EFileKind::kRegular;
  TPendingUpload written{u"dumps/Orvane/1.0.0.0/2026-12-06/0A1B2C3DABCDef12A1B2C3D4E5F60718.zip",
                         {12345, "0123456789ABCDEF0123456789ABCDEF"},
                         {{u"/install/a b.dmp", {regular, 7, 99, 12, -5}},
                          {u"/install/sub/\u00e9\n.dmp", {regular, 7, 100, 0, 3}}}};
  ASSERT_TRUE(WritePendingUpload(path, written));
  TPendingUpload read;
  ASSERT_TRUE(ReadPendingUpload(path, &read));
  EXPECT_EQ(read.objectKey, written.objectKey);
  EXPECT_EQ(read.archive, written.archive);
  ASSERT_EQ(read.dumps.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(read.dumps[i].path, written.dumps[i].path);
    EXPECT_EQ(read.dumps[i].identity, written.dumps[i].identity);
  }
  const std::string good = ReadFileBytes(dir.File("Dumps.zip.pending"));
  const std::string archive = "12345 0123456789ABCDEF0123456789ABCDEF\n";
  const std::string key = "dumps/x.zip\n";
  for (const std::string& hostile :
       {"dumps/../../etc/x.zip\n" + archive, "other/x.zip\n" + archive, "dumps/a b.zip\n" + archive,
        key + "12345 0123\n", key + "-1 0123456789ABCDEF0123456789ABCDEF\n", key + archive + "7 99 12\n",
        key + archive + "7 99 12 0 2F78G0\n", good + "7 99 12 0 " + std::string(4u << 20, 'A') + "\n"}) {
    dir.Write("Dumps.zip.pending", hostile);
    EXPECT_FALSE(ReadPendingUpload(path, &read)) << hostile.substr(0, 80);
  }
}
