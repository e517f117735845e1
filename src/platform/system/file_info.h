// Facts about an open file (GetFileType, GetFileInformationByHandle), its
// times as local calendar time (FileTimeToLocalFileTime).
#pragma once

#include <cstdint>

#include "platform/system/file_handle.h"

namespace platform {

// Windows file attribute bits as GetFileAttributes reports them.
inline constexpr uint32_t kFileAttributeReadOnly = 0x01;
inline constexpr uint32_t kFileAttributeHidden = 0x02;
inline constexpr uint32_t kFileAttributeSystem = 0x04;
inline constexpr uint32_t kFileAttributeDirectory = 0x10;
inline constexpr uint32_t kFileAttributeArchive = 0x20;

// A calendar date and time of day (SYSTEMTIME without the weekday).
struct CalendarTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

struct FileInfo {
  // False for pipes, character devices and sockets: they have no size or times.
  bool isDiskFile = false;
  uint32_t attributes = 0;  // kFileAttribute* bits
  uint64_t size = 0;
  // Last write, last access and creation time as local calendar time.
  CalendarTime lastWrite;
  CalendarTime lastAccess;
  CalendarTime creation;
};

// Describes the file behind handle. False when the system cannot tell.
// POSIX: read-only means the owner may not write; hidden means the name starts
// with "."; every regular file carries the archive bit; the creation time is
// the birth time where the file system keeps one, else the status-change time.
[[nodiscard]] bool QueryFileInfo(const CFileHandle& handle, FileInfo* info);

}  // namespace platform
