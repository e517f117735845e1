// POSIX file facts: fstat/statx of an open descriptor and localtime_r.
// Covers the file kind, a Windows-style attribute set, size and the three
// times as local calendar time. Not covered: the system attribute (POSIX has
// none) and the time-zone offset of Windows (the offset valid at the file's
// date is used, as localtime_r gives it).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <memory>

#include "common/text.h"
#include "platform/file_info.h"
#include "platform/folder_listing.h"

namespace platform {
namespace {

CalendarTime ToLocalCalendar(time_t seconds) {
  struct tm local {};
  CalendarTime out;
  if (localtime_r(&seconds, &local) == nullptr) return out;
  out.year = local.tm_year + 1900;
  out.month = local.tm_mon + 1;
  out.day = local.tm_mday;
  out.hour = local.tm_hour;
  out.minute = local.tm_min;
  out.second = local.tm_sec;
  return out;
}

bool NameIsHidden(const std::u16string& path) {
  const size_t slash = path.find_last_of(u'/');
  const size_t start = slash == std::u16string::npos ? 0 : slash + 1;
  return start < path.size() && path[start] == u'.';
}

// The birth time when the file system records one, else the change time.
time_t CreationSeconds(int fd, const struct stat& st) {
  struct statx sx {};
  if (statx(fd, "", AT_EMPTY_PATH, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME) != 0) {
    return static_cast<time_t>(sx.stx_btime.tv_sec);
  }
  return st.st_ctime;
}

uint32_t AttributesOf(const struct stat& st, const std::u16string& path) {
  uint32_t attributes = S_ISDIR(st.st_mode) ? kFileAttributeDirectory : kFileAttributeArchive;
  if ((st.st_mode & S_IWUSR) == 0) attributes |= kFileAttributeReadOnly;
  if (NameIsHidden(path)) attributes |= kFileAttributeHidden;
  return attributes;
}

}  // namespace

bool QueryFileInfo(const CFileHandle& handle, FileInfo* info) {
  if (!handle.IsOpen()) return false;
  const int fd = static_cast<int>(handle.Native());
  struct stat st {};
  if (fstat(fd, &st) != 0) return false;
  *info = FileInfo{};
  info->isDiskFile = S_ISREG(st.st_mode) || S_ISDIR(st.st_mode);
  if (!info->isDiskFile) return true;
  info->attributes = AttributesOf(st, handle.Path());
  info->size = static_cast<uint64_t>(st.st_size);
  info->lastWrite = ToLocalCalendar(st.st_mtime);
  info->lastAccess = ToLocalCalendar(st.st_atime);
  info->creation = ToLocalCalendar(CreationSeconds(fd, st));
  return true;
}

}  // namespace platform

// Folder walking (folder_listing.h): opendir/readdir, lstat for identities (st_dev,
// st_ino, st_size, st_mtim in nanoseconds), unlink. File names are bytes here; the
// program's are UTF-16, so a name that is not UTF-8 has no program name and
// is skipped.
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

}  // namespace platform
