// Archives read back by independent readers: Python's zipfile and Info-ZIP's
// unzip, plus the data-driven cases under tests/data/zip/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "zip/zip_test_util.h"

namespace fs = std::filesystem;

namespace {

const std::string kReadback = std::string(ORV_SOURCE_DIR) + "/tests/zip/readback.py";

std::string Quote(const std::string& s) { return "'" + s + "'"; }

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

TEST(ZipReadback, MixedArchivePassesZipfileAndUnzip) {
  TempDir dir;
  dir.Write("big.txt", TextBytes(1 << 20));
  dir.Write("noise.dmp", NoiseBytes(200000, 11));
  dir.Write("packed.zip", NoiseBytes(50000, 12));
  dir.Write("packed.tar.gz", NoiseBytes(16384, 13));
  dir.Write("empty.dmp", "");
  dir.Write("empty.tgz", "");
  dir.Write("small.dmp", "x");
  const std::vector<ZipInput> inputs = {
      {"big.txt", dir.File("big.txt")},         {"noise.dmp", dir.File("noise.dmp")},
      {"packed.zip", dir.File("packed.zip")},   {"packed.tar.gz", dir.File("packed.tar.gz")},
      {"empty.dmp", dir.File("empty.dmp")},     {"empty.tgz", dir.File("empty.tgz")},
      {"sub\\small.dmp", dir.File("small.dmp")}};
  const ParsedArchive a = ParseArchive(PackFiles(dir.File("mixed.zip"), inputs));
  ASSERT_EQ(a.error, "");
  ASSERT_EQ(a.entries.size(), inputs.size());
  ExpectReadersAccept(dir, dir.File("mixed.zip"), inputs);
}

TEST(ZipReadback, EmptyArchivePassesZipfile) {
  TempDir dir;
  EXPECT_EQ(PackFiles(dir.File("none.zip"), {}).size(), 22u);
  std::string output;
  EXPECT_TRUE(RunCommand(dir, "python3 " + Quote(kReadback) + " " + Quote(dir.File("none.zip")), &output))
      << output;
}

// One case folder: "entries" lists "NAME<TAB>FILE" (FILE relative to the
// case's files/ folder), "expected" lists "NAME METHOD FLAGS SIZE CRC".
std::string DescribeCase(const fs::path& folder, const TempDir& dir, std::vector<ZipInput>* inputs) {
  std::ifstream entries(folder / "entries");
  std::string line;
  while (std::getline(entries, line)) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    inputs->push_back({line.substr(0, tab), (folder / "files" / line.substr(tab + 1)).string()});
  }
  const ParsedArchive a = ParseArchive(PackFiles(dir.File("case.zip"), *inputs));
  if (!a.error.empty()) return "parse error: " + a.error;
  std::ostringstream out;
  for (const ParsedEntry& e : a.entries) {
    char text[64];
    std::snprintf(text, sizeof text, " %u 0x%04x %u %08x\n", e.method, e.flags, e.uncompressedSize, e.crc);
    out << e.name << text;
  }
  return out.str();
}

TEST(ZipReadback, DataCases) {
  const fs::path root = fs::path(ORV_SOURCE_DIR) / "tests/data/zip";
  int cases = 0;
  for (const fs::directory_entry& folder : fs::directory_iterator(root)) {
    SCOPED_TRACE(folder.path().filename().string());
    TempDir dir;
    std::vector<ZipInput> inputs;
    EXPECT_EQ(DescribeCase(folder.path(), dir, &inputs), ReadFileBytes(folder.path() / "expected"));
    ExpectReadersAccept(dir, dir.File("case.zip"), inputs);
    ++cases;
  }
  EXPECT_GE(cases, 3);
}

}  // namespace
