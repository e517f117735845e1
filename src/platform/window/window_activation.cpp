// Bringing a window to the front and into view, through the window system
// (Win32: the real calls; X11: WM_CLASS search, _NET_ACTIVE_WINDOW and a
// configure request for a window of another process; headless: no other
// process's window is ever found).
#include "platform/window/window_activation.h"

#include <algorithm>

#include "platform/window/window_messages.h"

namespace platform {

bool ActivateWindowOfClass(const std::u16string& windowClass) {
  HWND window = FindWindow(windowClass);
  if (!IsZoomed(window) || !IsWindowVisible(window)) ShowWindow(window, SW_SHOWNORMAL);
  BringOntoWorkArea(window);
  SetForegroundWindow(window);
  return window != nullptr;
}

bool BringOntoWorkArea(HWND hwnd) {
  RECT rect;
  MONITORINFO info;
  if (IsZoomed(hwnd) || !GetWindowRect(hwnd, &rect) ||
      !GetMonitorInfo(MonitorFromRect(rect, MONITOR_DEFAULTTONEAREST), &info) || rect == info.rcMonitor)
    return false;
  const RECT& work = info.rcWork;
  // The nearest place inside, its top-left corner first when it is larger
  // than the work area.
  const int x = std::max(work.left, std::min(rect.left, work.right - (rect.right - rect.left)));
  const int y = std::max(work.top, std::min(rect.top, work.bottom - (rect.bottom - rect.top)));
  if (x == rect.left && y == rect.top) return false;
  return SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace platform
