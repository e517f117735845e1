// Windows: FindWindowW by class, ShowWindow and SetForegroundWindow.
#include <windows.h>

#include "platform/win32/wide.h"
#include "platform/window_activation.h"

namespace platform {

bool ActivateWindowOfClass(const std::u16string& windowClass) {
  HWND window = FindWindowW(win32::W(windowClass), nullptr);
  if (!IsZoomed(window) || !IsWindowVisible(window)) ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  return window != nullptr;
}

}  // namespace platform
