// Process-wide preparation of the program at start-up.
#pragma once

namespace platform {

// Enables SeDebugPrivilege in the process token. False only when the token
// cannot be opened or adjusted; a privilege the user lacks is not a failure.
[[nodiscard]] bool EnableDebugPrivilege();
// CoInitialize / CoUninitialize on Windows; nothing to do on POSIX.
[[nodiscard]] bool InitComponentModel();
void UninitComponentModel();
// setlocale(LC_ALL, ".ACP") on Windows, the environment's locale on POSIX.
void SetAnsiLocale();
// InitCommonControlsEx(ICC_BAR_CLASSES) on Windows.
void InitCommonControls();

}  // namespace platform
