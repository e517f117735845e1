// File times for the ZIP tests on Windows: LocalFileTimeToFileTime and
// SetFileTime, which hold years a 32-bit time_t cannot (and the C runtime's
// std::filesystem mishandles past 2038).
#include <gtest/gtest.h>
#include <windows.h>

#include "zip/zip_test_util.h"

void SetLocalMtime(const std::string& path, int year, int month, int day, int hour, int minute, int second) {
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(year);
  local.wMonth = static_cast<WORD>(month);
  local.wDay = static_cast<WORD>(day);
  local.wHour = static_cast<WORD>(hour);
  local.wMinute = static_cast<WORD>(minute);
  local.wSecond = static_cast<WORD>(second);
  FILETIME localTime, utc;
  ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
  ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &utc));
  const std::u16string name = U16(path);
  const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(name.c_str()), FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &utc));
  CloseHandle(file);
}
