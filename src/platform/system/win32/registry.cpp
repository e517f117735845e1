// Windows registry: RegOpenKeyExW, RegCreateKeyExW, RegQueryValueExW,
// RegSetValueExW, RegDeleteValueW, RegEnumValueW and RegDeleteTreeW on
// HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and HKEY_USERS, with the access
// flags the caller gives (KEY_WOW64_64KEY included). Error codes are the
// API's own.
#include <windows.h>

#include <vector>

#include "platform/system/registry.h"
#include "platform/system/win32/wide.h"

namespace platform {
namespace {

using win32::W;

HKEY RootKey(RegRoot root) {
  switch (root) {
    case RegRoot::kCurrentUser:
      return HKEY_CURRENT_USER;
    case RegRoot::kLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegRoot::kUsers:
      return HKEY_USERS;
  }
  return HKEY_USERS;
}

HKEY Handle(void* handle) { return static_cast<HKEY>(handle); }

}  // namespace

RegistryKey::~RegistryKey() { Close(); }

RegistryKey::RegistryKey(RegistryKey&& other) noexcept { *this = std::move(other); }

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
  if (this != &other) {
    Close();
    m_open = other.m_open;
    m_access = other.m_access;
    m_handle = other.m_handle;
    other.m_open = false;
    other.m_handle = nullptr;
  }
  return *this;
}

void RegistryKey::Close() {
  if (m_handle) RegCloseKey(Handle(m_handle));
  m_handle = nullptr;
  m_open = false;
}

long RegistryKey::Open(RegRoot root, const std::u16string& path, uint32_t access) {
  Close();
  HKEY key = nullptr;
  const LONG rc = RegOpenKeyExW(RootKey(root), W(path), 0, access, &key);
  if (rc != ERROR_SUCCESS) return rc;
  m_handle = key;
  m_open = true;
  m_access = access;
  return ERROR_SUCCESS;
}

long RegistryKey::Create(RegRoot root, const std::u16string& path, uint32_t access) {
  Close();
  HKEY key = nullptr;
  const LONG rc = RegCreateKeyExW(RootKey(root), W(path), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                  nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  m_handle = key;
  m_open = true;
  m_access = access;
  return ERROR_SUCCESS;
}

long RegistryKey::QueryValue(const std::u16string& name, uint32_t* type, void* buffer, uint32_t* size) const {
  if (!m_open) return ERROR_INVALID_HANDLE;
  DWORD valueType = 0;
  DWORD bytes = size ? *size : 0;
  const LONG rc = RegQueryValueExW(Handle(m_handle), W(name), nullptr, &valueType, static_cast<BYTE*>(buffer),
                                   size ? &bytes : nullptr);
  if (type) *type = valueType;
  if (size) *size = bytes;
  return rc;
}

long RegistryKey::SetValue(const std::u16string& name, uint32_t type, const void* data, uint32_t size) {
  if (!m_open) return ERROR_INVALID_HANDLE;
  return RegSetValueExW(Handle(m_handle), W(name), 0, type, static_cast<const BYTE*>(data), size);
}

long RegistryKey::DeleteValue(const std::u16string& name) {
  if (!m_open) return ERROR_INVALID_HANDLE;
  return RegDeleteValueW(Handle(m_handle), W(name));
}

long RegistryKey::EnumValues(std::vector<Value>* values) const {
  values->clear();
  if (!m_open) return ERROR_INVALID_HANDLE;
  DWORD maxName = 0, maxData = 0;
  LONG rc = RegQueryInfoKeyW(Handle(m_handle), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             &maxName, &maxData, nullptr, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  std::vector<wchar_t> name(maxName + 1);
  std::vector<BYTE> data(maxData + 1);
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
    rc = RegEnumValueW(Handle(m_handle), index, name.data(), &nameLength, nullptr, &type, data.data(),
                       &dataSize);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) return rc;
    values->push_back({win32::U(name.data(), nameLength), type,
                       std::vector<uint8_t>(data.begin(), data.begin() + dataSize)});
  }
  return ERROR_SUCCESS;
}

long RegistryKey::DeleteTree(RegRoot root, const std::u16string& path) {
  HKEY key = nullptr;
  LONG rc = RegOpenKeyExW(RootKey(root), W(path), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key);
  if (rc != ERROR_SUCCESS) return rc;
  rc = RegDeleteTreeW(key, nullptr);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return rc;
  return RegDeleteKeyExW(RootKey(root), W(path), KEY_WOW64_64KEY, 0);
}

std::u16string RegistryStorePath() { return {}; }

}  // namespace platform
