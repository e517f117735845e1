// Windows named mutexes: CreateMutexW with default security, not initially
// owned; "already existed" is ERROR_ALREADY_EXISTS.
#include <windows.h>

#include "platform/system/named_mutex.h"
#include "platform/system/win32/wide.h"

namespace platform {

NamedMutex::~NamedMutex() { Close(); }

bool NamedMutex::Create(const std::u16string& name, bool* alreadyExisted) {
  Close();
  *alreadyExisted = false;
  if (name.empty()) return false;
  HANDLE handle = CreateMutexW(nullptr, FALSE, win32::W(name));
  if (handle == nullptr) return false;
  *alreadyExisted = GetLastError() == ERROR_ALREADY_EXISTS;
  m_handle = handle;
  return true;
}

bool NamedMutex::Close() {
  if (m_handle == nullptr) return false;
  const bool closed = CloseHandle(static_cast<HANDLE>(m_handle)) != FALSE;
  m_handle = nullptr;
  return closed;
}

bool NamedMutex::IsOpen() const { return m_handle != nullptr; }

}  // namespace platform
