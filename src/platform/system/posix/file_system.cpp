// POSIX existence checks (stat) and folder creation (mkdir, mode 0755).
#include <sys/stat.h>

#include "common/text.h"
#include "platform/system/file_system.h"

namespace platform {

bool PathExists(const std::u16string& path) {
  struct stat st;
  return !path.empty() && stat(Utf16ToUtf8(path).c_str(), &st) == 0;
}

bool MakeDirectory(const std::u16string& path) { return mkdir(Utf16ToUtf8(path).c_str(), 0755) == 0; }

}  // namespace platform
