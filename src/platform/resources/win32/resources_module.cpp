// Windows: FindResourceW, LoadResource and LockResource on the module of the
// process. A loaded resource lives as long as its module, so nothing is
// released (FreeResource does nothing on 32-bit Windows).
#include <windows.h>

#include <string>

#include "platform/resources/program_resources.h"
#include "platform/system/win32/wide.h"

namespace platform {

bool FindProgramResource(uint16_t id, std::u16string_view name, std::u16string_view type,
                         const uint8_t** data, size_t* size) {
  HMODULE module = GetModuleHandleW(nullptr);
  const std::u16string typeText(type);
  const std::u16string nameText(name);
  const wchar_t* resourceName = name.empty() ? MAKEINTRESOURCEW(id) : win32::W(nameText);
  HRSRC found = FindResourceW(module, resourceName, win32::W(typeText));
  if (!found) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return false;
  *data = static_cast<const uint8_t*>(bytes);
  *size = SizeofResource(module, found);
  return true;
}

}  // namespace platform
