// Windows environment: GetEnvironmentVariableW, ExpandEnvironmentStringsW.
#include <windows.h>

#include <cstring>

#include "platform/system/environment.h"
#include "platform/system/win32/wide.h"

namespace platform {

std::optional<std::u16string> ReadEnvironmentVariable(const char* name) {
  const std::u16string wideName(name, name + std::strlen(name));
  const DWORD size = GetEnvironmentVariableW(win32::W(wideName), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::u16string value(size, u'\0');
  const DWORD length = GetEnvironmentVariableW(win32::W(wideName), win32::WBuffer(value), size);
  value.resize(length);
  return value;
}

std::u16string ExpandEnvironmentText(const std::u16string& text) {
  const DWORD size = ExpandEnvironmentStringsW(win32::W(text), nullptr, 0);
  if (size == 0) return {};
  std::u16string value(size, u'\0');
  const DWORD written = ExpandEnvironmentStringsW(win32::W(text), win32::WBuffer(value), size);
  if (written == 0 || written > size) return {};
  value.resize(written - 1);  // the count includes the terminator
  return value;
}

}  // namespace platform
