// Windows folder walking: FindFirstFileW / FindNextFileW, identities from
// GetFileInformationByHandle on the path opened as a reparse point (so a
// symbolic link or junction is described rather than followed), DeleteFileW.
#include <windows.h>

#include "platform/system/folder_listing.h"
#include "platform/system/win32/wide.h"

namespace platform {

using win32::U;
using win32::W;

namespace {

EFileKind KindOf(DWORD attributes, DWORD fileType) {
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return EFileKind::kOther;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EFileKind::kFolder;
  return fileType == FILE_TYPE_DISK ? EFileKind::kRegular : EFileKind::kOther;
}

}  // namespace

bool ListFolder(const std::u16string& folder, std::vector<std::u16string>* names) {
  const std::u16string pattern = folder + u"*.*";
  WIN32_FIND_DATAW entry{};
  const HANDLE find = FindFirstFileW(W(pattern), &entry);
  if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    const std::u16string name = U(entry.cFileName);
    if (name != u"." && name != u"..") names->push_back(name);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return true;
}

bool QueryPathIdentity(const std::u16string& path, FileIdentity* identity) {
  // No access rights are asked for: only the file's facts are read, and a
  // file another process holds open without sharing can still be described.
  const HANDLE file =
      CreateFileW(W(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  const DWORD fileType = GetFileType(file);
  CloseHandle(file);
  if (!known) return false;
  identity->kind = KindOf(info.dwFileAttributes, fileType);
  identity->volume = info.dwVolumeSerialNumber;
  identity->index = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  identity->size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  identity->modified = static_cast<int64_t>((uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                            info.ftLastWriteTime.dwLowDateTime);
  return true;
}

bool DeleteFileAt(const std::u16string& path) { return DeleteFileW(W(path)) != 0; }

bool RenameFileAt(const std::u16string& from, const std::u16string& to) {
  return MoveFileExW(W(from), W(to), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace platform
