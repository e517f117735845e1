// Bringing another instance's window to the front, through the window system
// (Win32: the real calls; X11: WM_CLASS search and _NET_ACTIVE_WINDOW;
// headless: no other process's window is ever found).
#include "platform/window_activation.h"

#include "platform/window_messages.h"
#include "platform/window_system.h"

namespace platform {

bool ActivateWindowOfClass(const std::u16string& windowClass) {
  HWND window = FindWindow(windowClass);
  if (!IsZoomed(window) || !IsWindowVisible(window)) ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  return window != nullptr;
}

}  // namespace platform
