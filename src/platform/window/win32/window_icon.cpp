// Win32 window system: the program's icon resources and the icon sizes.
// WM_SETICON and WM_GETICON are the system's own.
#include "platform/window/win32/window_win32.h"
#include "platform/window/window_icons.h"

namespace platform {

int GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

HICON LoadIconResource(UINT id, int width, int height) {
  // Shared: the system keeps one copy per size for the process, as the
  // icons of a window must outlive it.
  HANDLE icon =
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, LR_SHARED);
  return reinterpret_cast<HICON>(icon);
}

}  // namespace platform
