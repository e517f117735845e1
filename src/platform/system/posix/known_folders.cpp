// POSIX known folders: the program file from /proc/self/exe, the
// application-data folder from the XDG data home (else ~/.local/share).
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "common/text.h"
#include "platform/system/known_folders.h"

namespace platform {

std::u16string GetProgramFilePath() {
  char path[4096];
  const ssize_t len = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (len <= 0) return {};
  return Utf8ToUtf16(std::string(path, static_cast<size_t>(len)));
}

std::u16string GetAppDataFolder() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') return Utf8ToUtf16(xdg);
  std::string home;
  if (const char* env = std::getenv("HOME"); env && *env) {
    home = env;
  } else if (const passwd* pw = getpwuid(getuid())) {
    home = pw->pw_dir;
  }
  if (home.empty()) return {};
  return Utf8ToUtf16(home + "/.local/share");
}

}  // namespace platform
