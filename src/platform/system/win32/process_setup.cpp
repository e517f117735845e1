// Windows process preparation: SeDebugPrivilege, COM, the ANSI locale and
// the common controls.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <clocale>

#include "platform/system/process_setup.h"

namespace platform {

bool EnableDebugPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool ok = LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid) != FALSE;
  // A privilege the user does not hold still "succeeds" (ERROR_NOT_ALL_ASSIGNED).
  ok = ok && AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(privileges), nullptr, nullptr) != FALSE;
  CloseHandle(token);
  return ok;
}

bool InitComponentModel() { return SUCCEEDED(CoInitialize(nullptr)); }

void UninitComponentModel() { CoUninitialize(); }

void SetAnsiLocale() { std::setlocale(LC_ALL, ".ACP"); }

void InitCommonControls() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
}

}  // namespace platform
