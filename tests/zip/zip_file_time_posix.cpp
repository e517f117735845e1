// File times for the ZIP tests on POSIX: mktime (64-bit time_t) and
// std::filesystem.
#include <chrono>
#include <filesystem>

#include "zip/zip_test_util.h"

void SetLocalMtime(const std::string& path, int year, int month, int day, int hour, int minute, int second) {
  const auto when =
      std::chrono::system_clock::from_time_t(LocalSeconds(year, month, day, hour, minute, second));
  std::filesystem::last_write_time(path, std::chrono::file_clock::from_sys(when));
}
