// The folder separator of file paths on this system, what makes a path
// absolute, and how long a program's path may be.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

#if defined(_WIN32)
inline constexpr char16_t kPathSeparator = u'\\';
// CreateProcess and ShellExecute take a program's path of at most MAX_PATH
// characters with the terminator.
inline constexpr size_t kMaxProgramPathLength = 259;
#else
inline constexpr char16_t kPathSeparator = u'/';
inline constexpr size_t kMaxProgramPathLength = 4095;  // PATH_MAX less the terminator
#endif

// True for a path that names the same place whatever the working folder and
// drive: "X:\..." or "\\server\..." on Windows ("\dir" and "X:dir" depend on
// the current drive or its folder), "/..." on POSIX.
constexpr bool IsAbsolutePath(std::u16string_view path) {
#if defined(_WIN32)
  const auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
  if (path.size() >= 2 && separator(path[0]) && separator(path[1])) return true;
  const bool drive =
      path.size() >= 3 && ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
  return drive && path[1] == u':' && separator(path[2]);
#else
  return !path.empty() && path[0] == u'/';
#endif
}

}  // namespace platform
