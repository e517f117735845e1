#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <regex>

#include "app/dump_upload.h"
#include "common/text.h"
#include "platform/path_separator.h"
#include "support/temp_dir.h"

TEST(FindDumpFiles, MatchesTheExtensionIgnoringCaseInEverySubFolder) {
  TempDir dir;
  for (const char* name : {"a.DMP", "b.Dmp", "sub/c.dmp", "sub/deeper/a.DMP", ".dmp", "x.dmp.txt",
                           "dmp", "sub/notes.txt"}) {
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
  EXPECT_TRUE(std::regex_match(key, std::regex(R"(dumps/Orvane/1\.0\.0\.0/2026-12-06/[0-9A-Fa-f]{32}\.zip)")));
}
