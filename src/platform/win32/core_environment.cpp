// Windows environment: GetEnvironmentVariableW.
#include <windows.h>

#include <cstring>

#include "platform/environment.h"
#include "platform/win32/wide.h"

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

}  // namespace platform
