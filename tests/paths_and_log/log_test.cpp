#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "common/text.h"
#include "paths_and_log/log.h"
#include "platform/system/known_folders.h"
#include "support/temp_dir.h"

namespace {

std::string LogPath() { return Utf16ToUtf8(platform::GetProgramFilePath()) + ".log"; }

std::vector<std::string> LogLines() {
  std::ifstream in(LogPath());
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::remove(LogPath()); }
  void TearDown() override { std::filesystem::remove(LogPath()); }
};

}  // namespace

TEST_F(LogTest, WritesTimestampedLinesNextToTheProgram) {
  WriteLog("http_post_data fail : %d", 12029);
  WriteLog("ExecAutoUpdate");
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  const std::regex form(R"(\[\d\d:\d\d:\d\d\.\d\d\d\] (.*))");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(lines[0], match, form));
  EXPECT_EQ(match[1], "http_post_data fail : 12029");
  ASSERT_TRUE(std::regex_match(lines[1], match, form));
  EXPECT_EQ(match[1], "ExecAutoUpdate");
}

TEST_F(LogTest, CutsLongMessagesAt2047Bytes) {
  const std::string message(3000, 'x');
  WriteLog("%s", message.c_str());
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), std::string("[00:00:00.000] ").size() + 2047);
}

TEST_F(LogTest, LinesFromManyThreadsNeverInterleave) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 50; ++i) WriteLog("thread %d line %d %s", t, i, std::string(100, 'a' + t).c_str());
    });
  }
  for (auto& thread : threads) thread.join();
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 200u);
  const std::regex form(R"(\[[\d:.]+\] thread (\d) line \d+ ([a-d])\2{99})");
  for (const auto& line : lines) EXPECT_TRUE(std::regex_match(line, form)) << line;
}
