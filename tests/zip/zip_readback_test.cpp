// Archives read back entry by entry with the tests' own reader and zlib, and
// the data-driven cases under tests/data/zip/. The independent readers
// (Python's zipfile, Info-ZIP's unzip) check the same archives in
// zip_readers_posix_test.cpp.
#include <gtest/gtest.h>

#include "zip/zip_test_util.h"

namespace {

// Every entry of the archive holds its source's bytes under its name.
void ExpectEntriesMatchSources(const std::string& archive, const std::vector<ZipInput>& inputs) {
  const ParsedArchive a = ParseArchive(ReadFileBytes(archive));
  ASSERT_EQ(a.error, "");
  ASSERT_EQ(a.entries.size(), inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i) {
    std::string name = inputs[i].entryName;
    for (char& c : name) c = c == '\\' ? '/' : c;
    EXPECT_EQ(a.entries[i].name, name);
    bool ok = false;
    const std::string content = EntryContent(a.entries[i], &ok);
    EXPECT_TRUE(ok) << name;
    EXPECT_EQ(content, ReadFileBytes(inputs[i].sourcePath)) << name;
    EXPECT_EQ(a.entries[i].crc, Crc32Of(content)) << name;
  }
}

TEST(ZipReadback, MixedArchiveHoldsEverySource) {
  TempDir dir;
  const std::vector<ZipInput> inputs = MixedInputs(dir);
  PackFiles(dir.File("mixed.zip"), inputs);
  ExpectEntriesMatchSources(dir.File("mixed.zip"), inputs);
}

TEST(ZipReadback, DataCases) {
  int cases = 0;
  for (const std::filesystem::path& folder : DataCaseFolders()) {
    SCOPED_TRACE(folder.filename().string());
    TempDir dir;
    std::vector<ZipInput> inputs;
    std::string expected = ReadFileBytes(folder / "expected");
    std::erase(expected, '\r');
    EXPECT_EQ(PackDataCase(folder, dir, &inputs), expected);
    ExpectEntriesMatchSources(dir.File("case.zip"), inputs);
    ++cases;
  }
  EXPECT_GE(cases, 3);
}

}  // namespace
