// POSIX window core: the default window procedure. What the program relies
// on: creation goes ahead, the whole window is client area, a caption hit
// drags the window, close destroys it, system commands minimise, maximise,
// restore and close, the class cursor is shown, paint validates.
#include "platform/window/core/window_backend.h"
#include "platform/window/core/window_core.h"
#include "platform/window/window_messages.h"

namespace platform::posix {
namespace {

LRESULT SystemCommand(HWND hwnd, WPARAM command) {
  switch (command & 0xFFF0) {
    case SC_MINIMIZE:
      ShowWindow(hwnd, SW_MINIMIZE);
      break;
    case SC_MAXIMIZE:
      ShowWindow(hwnd, SW_MAXIMIZE);
      break;
    case SC_RESTORE:
      ShowWindow(hwnd, SW_RESTORE);
      break;
    case SC_CLOSE:
      SendMessage(hwnd, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
  return 0;
}

LRESULT SetClassCursor(HWND hwnd, LPARAM lParam) {
  auto window = LocalWindow(hwnd);
  if (!window || LoWord(static_cast<uintptr_t>(lParam)) != HTCLIENT) return 0;
  HCURSOR cursor = window->windowClass->cursor;
  SetCursor(cursor ? cursor : LoadCursor(IDC_ARROW));
  return 1;
}

LRESULT HitTest(HWND hwnd, LPARAM lParam) {
  RECT rect;
  if (!GetWindowRect(hwnd, &rect)) return HTNOWHERE;
  int x = XFromLParam(lParam), y = YFromLParam(lParam);
  bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
  return inside ? HTCLIENT : HTNOWHERE;
}

}  // namespace
}  // namespace platform::posix

namespace platform {

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return 1;
    case WM_NCCALCSIZE:
      return 0;
    case WM_NCHITTEST:
      return posix::HitTest(hwnd, lParam);
    case WM_NCLBUTTONDOWN:
      if (wParam == HTCAPTION)
        if (auto window = posix::LocalWindow(hwnd))
          posix::StartCaptionDrag(*window, {XFromLParam(lParam), YFromLParam(lParam)});
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      return posix::SystemCommand(hwnd, wParam);
    case WM_SYSKEYDOWN:
      if (wParam == static_cast<WPARAM>(VK_F4)) SendMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_SETCURSOR:
      return posix::SetClassCursor(hwnd, lParam);
    case WM_SETICON:
      return posix::SetWindowIcon(hwnd, wParam, lParam);
    case WM_GETICON:
      return posix::GetWindowIcon(hwnd, wParam);
    case WM_ERASEBKGND:
      return 1;
    case WM_NCACTIVATE:
      return 1;
    case WM_MOUSEACTIVATE:
      return 1;  // MA_ACTIVATE
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace platform
