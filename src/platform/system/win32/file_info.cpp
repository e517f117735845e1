// Windows file facts: GetFileType, GetFileInformationByHandle,
// FileTimeToLocalFileTime + FileTimeToSystemTime, GetLocalTime.
#include <windows.h>

#include "platform/system/file_info.h"

namespace platform {
namespace {

CalendarTime FromSystemTime(const SYSTEMTIME& t) {
  return CalendarTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

CalendarTime LocalCalendar(const FILETIME& utc) {
  FILETIME local;
  SYSTEMTIME system{};
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &system)) return {};
  return FromSystemTime(system);
}

}  // namespace

bool QueryFileInfo(const CFileHandle& handle, FileInfo* info) {
  HANDLE file = reinterpret_cast<HANDLE>(handle.Native());
  *info = FileInfo{};
  if (GetFileType(file) != FILE_TYPE_DISK) return true;
  BY_HANDLE_FILE_INFORMATION facts;
  if (!GetFileInformationByHandle(file, &facts)) return false;
  info->isDiskFile = true;
  info->attributes = facts.dwFileAttributes;
  info->size = (uint64_t{facts.nFileSizeHigh} << 32) | facts.nFileSizeLow;
  info->lastWrite = LocalCalendar(facts.ftLastWriteTime);
  info->lastAccess = LocalCalendar(facts.ftLastAccessTime);
  info->creation = LocalCalendar(facts.ftCreationTime);
  return true;
}

}  // namespace platform
