// Windows known folders: GetModuleFileNameW of the module holding this code
// (found with VirtualQuery), SHGetSpecialFolderPathW(CSIDL_APPDATA).
#include <windows.h>
#include <shlobj.h>

#include "platform/system/known_folders.h"
#include "platform/system/win32/wide.h"

namespace platform {
namespace {

// The module holding this code (the program, or a test binary).
HMODULE OwnModule() {
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(reinterpret_cast<const void*>(&OwnModule), &info, sizeof(info)) == 0) return nullptr;
  return static_cast<HMODULE>(info.AllocationBase);
}

}  // namespace

std::u16string GetProgramFilePath() {
  wchar_t name[1024];
  DWORD length = GetModuleFileNameW(OwnModule(), name, 1024);
  if (length == 0) length = GetModuleFileNameW(nullptr, name, 1024);
  return length == 0 ? std::u16string() : win32::U(name, length);
}

std::u16string GetAppDataFolder() {
  wchar_t path[512] = {};
  if (!SHGetSpecialFolderPathW(nullptr, path, CSIDL_APPDATA, FALSE)) return {};
  return win32::U(path);
}

}  // namespace platform
