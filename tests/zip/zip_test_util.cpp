#include "zip/zip_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <sstream>
#include <vector>

#include "common/text.h"
#include "support/child_process.h"

namespace fs = std::filesystem;

namespace {

constexpr std::chrono::milliseconds kProgramWait{60000};

}  // namespace

std::u16string U16(const std::string& utf8) { return Utf8ToUtf16(utf8); }

std::string NoiseBytes(size_t size, uint32_t seed) {
  std::string out(size, '\0');
  uint32_t x = seed | 1;
  for (char& c : out) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x >> 24);
  }
  return out;
}

std::string TextBytes(size_t size) {
  std::string out;
  for (uint32_t line = 0; out.size() < size; ++line) {
    out += "line " + std::to_string(line * 7919 % 1000) + ": the quick brown fox " +
           std::to_string(line % 13) + "\n";
  }
  out.resize(size);
  return out;
}

uint32_t Le32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
  return v;
}

time_t LocalSeconds(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

uint32_t Dos(int year, int month, int day, int hour, int minute, int second) {
  return (static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day) << 16) |
         static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
}

std::string PackFiles(const std::string& archive, const std::vector<ZipInput>& inputs) {
  HZIP zip = ZipArchiveCreate(U16(archive).c_str());
  EXPECT_NE(zip, nullptr);
  if (zip == nullptr) return "";
  for (const ZipInput& input : inputs) {
    EXPECT_EQ(ZipArchiveAddFile(zip, U16(input.entryName).c_str(), U16(input.sourcePath).c_str()),
              kZipResultOk)
        << input.entryName;
  }
  EXPECT_EQ(ZipArchiveClose(zip), kZipResultOk);
  return ReadFileBytes(archive);
}

bool RunProgram(const TempDir& dir, const std::string& program, const std::vector<std::string>& args,
                std::string* output) {
  const std::string capture = dir.File("program.out");
  std::optional<int> code;
  {
    ChildProcess child(program, args, capture);
    code = child.Wait(kProgramWait);
  }
  *output = ReadFileBytes(capture);
  std::erase(*output, '\r');
  return code == 0;
}

std::vector<ZipInput> MixedInputs(const TempDir& dir) {
  dir.Write("big.txt", TextBytes(1 << 20));
  dir.Write("noise.dmp", NoiseBytes(200000, 11));
  dir.Write("packed.zip", NoiseBytes(50000, 12));
  dir.Write("packed.tar.gz", NoiseBytes(16384, 13));
  dir.Write("empty.dmp", "");
  dir.Write("empty.tgz", "");
  dir.Write("small.dmp", "x");
  return {{"big.txt", dir.File("big.txt")},         {"noise.dmp", dir.File("noise.dmp")},
          {"packed.zip", dir.File("packed.zip")},   {"packed.tar.gz", dir.File("packed.tar.gz")},
          {"empty.dmp", dir.File("empty.dmp")},     {"empty.tgz", dir.File("empty.tgz")},
          {"sub\\small.dmp", dir.File("small.dmp")}};
}

std::string PackDataCase(const fs::path& folder, const TempDir& dir, std::vector<ZipInput>* inputs) {
  std::istringstream entries(ReadFileBytes(folder / "entries"));
  std::string line;
  while (std::getline(entries, line)) {
    std::erase(line, '\r');
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

std::vector<fs::path> DataCaseFolders() {
  std::vector<fs::path> folders;
  for (const fs::directory_entry& folder :
       fs::directory_iterator(fs::path(ORV_SOURCE_DIR) / "tests/data/zip")) {
    folders.push_back(folder.path());
  }
  std::sort(folders.begin(), folders.end());
  return folders;
}

void ExpectSinglePipeEntry(const ParsedArchive& archive, const std::string& content) {
  ASSERT_EQ(archive.error, "");
  ASSERT_EQ(archive.entries.size(), 1u);
  EXPECT_EQ(archive.entries[0].externalAttributes, 0x80000000u);
  EXPECT_EQ(archive.entries[0].uncompressedSize, content.size());
  EXPECT_EQ(archive.entries[0].crc, Crc32Of(content));
  bool ok = false;
  EXPECT_EQ(EntryContent(archive.entries[0], &ok), content);
}
