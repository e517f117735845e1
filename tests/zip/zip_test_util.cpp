#include "zip/zip_test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/text.h"

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

bool RunCommand(const TempDir& dir, const std::string& command, std::string* output) {
  const std::string capture = dir.File("command.out");
  const int status = std::system((command + " >'" + capture + "' 2>&1").c_str());
  *output = ReadFileBytes(capture);
  return status == 0;
}
