// POSIX folder walking: opendir/readdir, lstat for identities (st_dev,
// st_ino, st_size, st_mtim in nanoseconds), unlink. File names are bytes here; the
// program's are UTF-16, so a name that is not UTF-8 has no program name and
// is skipped.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "common/text.h"
#include "platform/system/folder_listing.h"

namespace platform {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

// The UTF-16 form of name, or false when name does not convert back to itself.
bool ToProgramName(const char* name, std::u16string* wide) {
  *wide = Utf8ToUtf16(name);
  return Utf16ToUtf8(*wide) == name;
}

EFileKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return EFileKind::kRegular;
  if (S_ISDIR(mode)) return EFileKind::kFolder;
  return EFileKind::kOther;
}

}  // namespace

bool ListFolder(const std::u16string& folder, std::vector<std::u16string>* names) {
  std::unique_ptr<DIR, DirCloser> dir(opendir(Utf16ToUtf8(folder).c_str()));
  if (dir == nullptr) return false;
  while (const dirent* entry = readdir(dir.get())) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    std::u16string name;
    if (ToProgramName(entry->d_name, &name)) names->push_back(std::move(name));
  }
  return true;
}

bool QueryPathIdentity(const std::u16string& path, FileIdentity* identity) {
  struct stat st {};
  if (lstat(Utf16ToUtf8(path).c_str(), &st) != 0) return false;
  identity->kind = KindOf(st.st_mode);
  identity->volume = static_cast<uint64_t>(st.st_dev);
  identity->index = static_cast<uint64_t>(st.st_ino);
  identity->size = static_cast<uint64_t>(st.st_size);
  identity->modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return true;
}

bool DeleteFileAt(const std::u16string& path) { return unlink(Utf16ToUtf8(path).c_str()) == 0; }

bool RenameFileAt(const std::u16string& from, const std::u16string& to) {
  return rename(Utf16ToUtf8(from).c_str(), Utf16ToUtf8(to).c_str()) == 0;
}

}  // namespace platform
