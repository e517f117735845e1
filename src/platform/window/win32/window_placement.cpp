// Win32 window system: visibility, state, placement and rectangles: the real
// calls, with RECT and POINT converted at this seam.
#include "platform/window/win32/window_win32.h"

namespace platform {
namespace {

RECT ToPortable(const ::RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

bool IsWindowVisible(HWND hwnd) { return ::IsWindowVisible(hwnd) != 0; }
bool IsIconic(HWND hwnd) { return ::IsIconic(hwnd) != 0; }
bool IsZoomed(HWND hwnd) { return ::IsZoomed(hwnd) != 0; }
bool IsWindowEnabled(HWND hwnd) { return ::IsWindowEnabled(hwnd) != 0; }
bool ShowWindow(HWND hwnd, int command) { return ::ShowWindow(hwnd, command) != 0; }
bool EnableWindow(HWND hwnd, bool enable) { return ::EnableWindow(hwnd, enable) != 0; }

bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  return ::SetWindowPos(hwnd, insertAfter, x, y, width, height, flags) != 0;
}

bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint) {
  return ::MoveWindow(hwnd, x, y, width, height, repaint) != 0;
}

bool GetWindowRect(HWND hwnd, RECT* rect) {
  ::RECT native;
  if (!rect || !::GetWindowRect(hwnd, &native)) return false;
  *rect = ToPortable(native);
  return true;
}

bool GetClientRect(HWND hwnd, RECT* rect) {
  ::RECT native;
  if (!rect || !::GetClientRect(hwnd, &native)) return false;
  *rect = ToPortable(native);
  return true;
}

bool ScreenToClient(HWND hwnd, POINT* point) {
  ::POINT native{point ? point->x : 0, point ? point->y : 0};
  if (!point || !::ScreenToClient(hwnd, &native)) return false;
  *point = {native.x, native.y};
  return true;
}

bool ClientToScreen(HWND hwnd, POINT* point) {
  ::POINT native{point ? point->x : 0, point ? point->y : 0};
  if (!point || !::ClientToScreen(hwnd, &native)) return false;
  *point = {native.x, native.y};
  return true;
}

}  // namespace platform
