// POSIX file facts: fstat/statx of an open descriptor and localtime_r.
// Covers the file kind, a Windows-style attribute set, size and the three
// times as local calendar time. Not covered: the system attribute (POSIX has
// none) and the time-zone offset of Windows (the offset valid at the file's
// date is used, as localtime_r gives it).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "platform/system/file_info.h"

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
