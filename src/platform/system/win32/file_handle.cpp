// Windows files by handle: CreateFileW, ReadFile, WriteFile, SetFilePointerEx.
// Covers disk files and the reading end of pipes (a closed writer ends the
// data); overlapped I/O is not covered.
#include <windows.h>

#include "platform/system/file_handle.h"
#include "platform/system/win32/wide.h"

namespace platform {
namespace {

HANDLE H(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

thread_local bool t_writeLackedRoom = false;

// Opens path itself (FILE_FLAG_OPEN_REPARSE_POINT: a link is never followed)
// and keeps it only when it is a disk file that is neither a reparse point
// nor a folder (and, with singleName, has no other hard link).
HANDLE OpenRegular(const std::u16string& path, DWORD access, DWORD share, bool singleName) {
  HANDLE handle = CreateFileW(win32::W(path), access, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return handle;
  BY_HANDLE_FILE_INFORMATION info{};
  const DWORD notRegular = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
  const bool accepted = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
                        (info.dwFileAttributes & notRegular) == 0 &&
                        (!singleName || info.nNumberOfLinks == 1);
  if (accepted) return handle;
  CloseHandle(handle);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

CFileHandle::~CFileHandle() { Close(); }

CFileHandle::CFileHandle(CFileHandle&& other) noexcept { *this = std::move(other); }

CFileHandle& CFileHandle::operator=(CFileHandle&& other) noexcept {
  if (this != &other) {
    Close();
    m_handle = other.m_handle;
    m_path = std::move(other.m_path);
    other.m_handle = kInvalid;
  }
  return *this;
}

bool CFileHandle::CreateForWriting(const std::u16string& path) {
  Close();
  HANDLE handle =
      CreateFileW(win32::W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  m_handle = reinterpret_cast<intptr_t>(handle);
  m_path = path;
  return true;
}

bool CFileHandle::OpenForReading(const std::u16string& path) {
  Close();
  HANDLE handle = CreateFileW(win32::W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  m_handle = reinterpret_cast<intptr_t>(handle);
  m_path = path;
  return true;
}

bool CFileHandle::CreateReplacingForWriting(const std::u16string& path) {
  Close();
  // A symbolic link is removed (DeleteFileW removes the link itself, not its
  // target) rather than written through; pipes and devices are written as
  // they are.
  const DWORD attributes = GetFileAttributesW(win32::W(path));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
      !DeleteFileW(win32::W(path))) {
    return false;
  }
  // FILE_FLAG_OPEN_REPARSE_POINT: a link planted again after the check is
  // opened itself, never its target.
  HANDLE handle = CreateFileW(win32::W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  m_handle = reinterpret_cast<intptr_t>(handle);
  m_path = path;
  return true;
}

bool CFileHandle::OpenRegularForReading(const std::u16string& path) {
  Close();
  HANDLE handle = OpenRegular(path, GENERIC_READ, FILE_SHARE_READ, false);
  if (handle == INVALID_HANDLE_VALUE) return false;
  m_handle = reinterpret_cast<intptr_t>(handle);
  m_path = path;
  return true;
}

bool CFileHandle::OpenOwnRegularForAppending(const std::u16string& path) {
  Close();
  HANDLE handle = OpenRegular(path, GENERIC_WRITE, 0, true);
  if (handle == INVALID_HANDLE_VALUE) return false;
  m_handle = reinterpret_cast<intptr_t>(handle);
  m_path = path;
  if (!SeekToEnd()) {
    Close();
    return false;
  }
  return true;
}

bool CFileHandle::Read(void* buffer, uint32_t size, uint32_t* read) {
  DWORD got = 0;
  const BOOL ok = ReadFile(H(m_handle), buffer, size, &got, nullptr);
  *read = got;
  // A pipe whose writer has closed its end reports it as an error; for the
  // reader that is the end of the data.
  if (!ok && GetLastError() == ERROR_BROKEN_PIPE) return true;
  return ok != FALSE;
}

bool CFileHandle::Write(const void* buffer, uint32_t size, uint32_t* written) {
  DWORD put = 0;
  const BOOL ok = WriteFile(H(m_handle), buffer, size, &put, nullptr);
  *written = put;
  if (!ok) {
    const DWORD error = GetLastError();
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) t_writeLackedRoom = true;
  }
  return ok && put == size;
}

bool CFileHandle::Flush() { return IsOpen() && FlushFileBuffers(H(m_handle)) != FALSE; }

bool WriteLackedRoom() { return t_writeLackedRoom; }

void ForgetWriteFailures() { t_writeLackedRoom = false; }

bool CFileHandle::SeekTo(uint64_t offset) {
  LARGE_INTEGER distance;
  distance.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(H(m_handle), distance, nullptr, FILE_BEGIN) != FALSE;
}

bool CFileHandle::SeekToEnd() {
  LARGE_INTEGER zero{};
  return SetFilePointerEx(H(m_handle), zero, nullptr, FILE_END) != FALSE;
}

bool CFileHandle::Size(uint64_t* size) const {
  LARGE_INTEGER length{};
  if (!GetFileSizeEx(H(m_handle), &length)) return false;
  *size = static_cast<uint64_t>(length.QuadPart);
  return true;
}

void CFileHandle::Close() {
  if (m_handle != kInvalid) CloseHandle(H(m_handle));
  m_handle = kInvalid;
  m_path.clear();
}

}  // namespace platform
