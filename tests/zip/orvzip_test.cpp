// The orvzip tool and the build-time packing of orv_pack_zip().
#include <gtest/gtest.h>

#include "zip/zip_test_util.h"

namespace {

// Runs orvzip with args after the program name.
bool RunOrvZip(const TempDir& dir, std::vector<std::string> args, std::string* output) {
  args.insert(args.begin(), ORVZIP_PATH);
  return RunProgram(dir, ORVZIP_PATH, args, output);
}

TEST(OrvZipTool, PacksFilesUnderTheirNamesAndPrintsEachResult) {
  TempDir dir;
  dir.Write("in/one.dmp", TextBytes(20000));
  dir.Write("in/two.zip", NoiseBytes(3000, 9));
  std::string output;
  ASSERT_TRUE(RunOrvZip(
      dir, {dir.File("out.zip"), dir.File("in/one.dmp"), "-n", "renamed\\two.zip", dir.File("in/two.zip")},
      &output))
      << output;
  EXPECT_EQ(output, "0x0 add one.dmp\n0x0 add renamed\\two.zip\n0x0 close\n");
  const ParsedArchive a = ParseArchive(ReadFileBytes(dir.File("out.zip")));
  ASSERT_EQ(a.error, "");
  ASSERT_EQ(a.entries.size(), 2u);
  EXPECT_EQ(a.entries[0].name, "one.dmp");
  EXPECT_EQ(a.entries[0].method, 8);
  EXPECT_EQ(a.entries[1].name, "renamed/two.zip");
  EXPECT_EQ(a.entries[1].method, 0);
}

TEST(OrvZipTool, FailuresShowInTheCodesAndTheExitStatus) {
  TempDir dir;
  dir.Write("ok.txt", "ok");
  std::string output;
  EXPECT_FALSE(RunOrvZip(dir, {dir.File("out.zip"), dir.File("missing.dmp"), dir.File("ok.txt")}, &output));
  EXPECT_EQ(output, "0x200 add missing.dmp\n0x0 add ok.txt\n0x0 close\n");
  EXPECT_FALSE(RunOrvZip(dir, {dir.File("no/dir/out.zip")}, &output));
  EXPECT_EQ(output.rfind("0x200 create ", 0), 0u) << output;
  EXPECT_FALSE(RunOrvZip(dir, {dir.File("out.zip"), "-n"}, &output));
  EXPECT_NE(output.find("usage: orvzip"), std::string::npos) << output;
}

// "-n NAME ARCHIVE FILE" was refused: a -n before the archive names the first file.
TEST(OrvZipTool, NameBeforeTheArchiveNamesTheFirstFile) {
  TempDir dir;
  dir.Write("in/one.dmp", "one");
  std::string output;
  ASSERT_TRUE(RunOrvZip(dir, {"-n", "first.dmp", dir.File("out.zip"), dir.File("in/one.dmp")}, &output))
      << output;
  EXPECT_EQ(output, "0x0 add first.dmp\n0x0 close\n");
  const ParsedArchive a = ParseArchive(ReadFileBytes(dir.File("out.zip")));
  ASSERT_EQ(a.entries.size(), 1u);
  EXPECT_EQ(a.entries[0].name, "first.dmp");
  EXPECT_FALSE(RunOrvZip(dir, {"-n", "x", "-n", "y", dir.File("out.zip"), dir.File("in/one.dmp")}, &output));
  EXPECT_FALSE(RunOrvZip(dir, {"-n", "only-a-name"}, &output));
}

TEST(OrvZipTool, BuildPackedArchiveNamesEntriesByRelativePath) {
  const ParsedArchive a = ParseArchive(ReadFileBytes(PACKED_ARCHIVE));
  ASSERT_EQ(a.error, "");
  ASSERT_EQ(a.entries.size(), 3u);
  EXPECT_EQ(a.entries[0].name, "a.DMP");
  EXPECT_EQ(a.entries[1].name, "b.Dmp");
  EXPECT_EQ(a.entries[2].name, "sub/c.dmp");
  const std::string files = std::string(ORV_SOURCE_DIR) + "/tests/data/zip/dumps/files/";
  bool ok = false;
  EXPECT_EQ(EntryContent(a.entries[2], &ok), ReadFileBytes(files + "sub/c.dmp"));
  EXPECT_TRUE(ok);
}

}  // namespace
