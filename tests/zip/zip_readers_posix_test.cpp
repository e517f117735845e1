// Archives read back by independent readers: Python's zipfile and Info-ZIP's
// unzip, which are programs of the build machine. The archives are the same
// ones zip_readback_test.cpp checks with the tests' own reader on every
// system, and the writer above the file layer is the same code on both.
#include <gtest/gtest.h>

#include <cstdlib>

#include "zip/zip_test_util.h"

namespace {

const std::string kReadback = std::string(ORV_SOURCE_DIR) + "/tests/zip/readback.py";

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Runs a shell command; true when it exits with status 0. Its output is kept
// in a file of dir and returned in *output.
bool RunCommand(const TempDir& dir, const std::string& command, std::string* output) {
  const std::string capture = dir.File("command.out");
  const int status = std::system((command + " >'" + capture + "' 2>&1").c_str());
  *output = ReadFileBytes(capture);
  return status == 0;
}

void ExpectReadersAccept(const TempDir& dir, const std::string& archive,
                         const std::vector<ZipInput>& inputs) {
  std::string command = "python3 " + Quote(kReadback) + " " + Quote(archive);
  for (const ZipInput& input : inputs) {
    std::string name = input.entryName;
    for (char& c : name) c = c == '\\' ? '/' : c;
    command += " " + Quote(name + "=" + input.sourcePath);
  }
  std::string output;
  EXPECT_TRUE(RunCommand(dir, command, &output)) << output;
  EXPECT_TRUE(RunCommand(dir, "unzip -t " + Quote(archive), &output)) << output;
  EXPECT_NE(output.find("No errors detected"), std::string::npos) << output;
}

TEST(ZipReaders, MixedArchivePassesZipfileAndUnzip) {
  TempDir dir;
  const std::vector<ZipInput> inputs = MixedInputs(dir);
  PackFiles(dir.File("mixed.zip"), inputs);
  ExpectReadersAccept(dir, dir.File("mixed.zip"), inputs);
}

TEST(ZipReaders, EmptyArchivePassesZipfile) {
  TempDir dir;
  EXPECT_EQ(PackFiles(dir.File("none.zip"), {}).size(), 22u);
  std::string output;
  EXPECT_TRUE(RunCommand(dir, "python3 " + Quote(kReadback) + " " + Quote(dir.File("none.zip")), &output))
      << output;
}

TEST(ZipReaders, DataCasesPassZipfileAndUnzip) {
  for (const std::filesystem::path& folder : DataCaseFolders()) {
    SCOPED_TRACE(folder.filename().string());
    TempDir dir;
    std::vector<ZipInput> inputs;
    PackDataCase(folder, dir, &inputs);
    ExpectReadersAccept(dir, dir.File("case.zip"), inputs);
  }
}

TEST(ZipReaders, BuildPackedArchivePassesUnzip) {
  TempDir dir;
  std::string output;
  EXPECT_TRUE(RunCommand(dir, "unzip -t " + Quote(PACKED_ARCHIVE), &output)) << output;
}

}  // namespace
