// POSIX window core: showing, hiding, minimising and maximising, placement
// and stacking, activation, and the rectangles and state queries. Owned
// windows are kept directly above their owner, as Windows keeps them.
#include <algorithm>

#include "platform/window/core/window_backend.h"
#include "platform/window/core/window_core.h"
#include "platform/window/window_activation.h"
#include "platform/window/window_messages.h"

namespace platform::posix {
namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

void InvalidateAll(TWindow& window) {
  window.hasUpdate = true;
  window.update = {0, 0, Width(window.rect), Height(window.rect)};
}

void SendSizeAndMove(TWindow& window, bool sized, bool moved) {
  UINT kind = window.iconic ? SIZE_MINIMIZED : window.zoomed ? SIZE_MAXIMIZED : SIZE_RESTORED;
  const RECT& r = window.rect;
  if (sized) SendMessage(window.hwnd, WM_SIZE, kind, MakeLParam(Width(r), Height(r)));
  if (moved) SendMessage(window.hwnd, WM_MOVE, 0, MakeLParam(r.left, r.top));
}

// Sets the rectangle and tells the window what changed.
void Place(TWindow& window, const RECT& rect) {
  bool moved = rect.left != window.rect.left || rect.top != window.rect.top;
  bool sized = Width(rect) != Width(window.rect) || Height(rect) != Height(window.rect);
  window.rect = rect;
  if (!window.iconic && !window.zoomed) window.normalRect = rect;
  if (moved || sized) Backend().ApplyPlacement(window);
  if (sized) InvalidateAll(window);
  SendSizeAndMove(window, sized, moved);
}

// Puts every window that hwnd owns directly above it, recursively.
void LiftOwned(HWND hwnd) {
  for (HWND other : WindowsTopFirst()) {
    auto window = FindWindowRecord(other);
    if (!window || window->owner != hwnd) continue;
    auto stacking = WindowsTopFirst();
    auto at = std::find(stacking.begin(), stacking.end(), hwnd);
    Restack(other, at == stacking.begin() ? HWND_TOP : *(at - 1));
    LiftOwned(other);
  }
}

// Restacks hwnd after insertAfter, never below its owner, and the native
// windows to match; the window's own native window only with restackSelf
// (not when the desktop has already put it there).
void Stack(TWindow& window, HWND insertAfter, bool restackSelf = true) {
  const auto before = WindowsTopFirst();
  Restack(window.hwnd, insertAfter);
  auto stacking = WindowsTopFirst();
  auto self = std::find(stacking.begin(), stacking.end(), window.hwnd);
  auto owner = std::find(stacking.begin(), stacking.end(), window.owner);
  if (window.owner && owner < self) Restack(window.hwnd, owner == stacking.begin() ? HWND_TOP : *(owner - 1));
  LiftOwned(window.hwnd);
  stacking = WindowsTopFirst();
  // Placed among our own windows where it already is (a shadow kept behind
  // its owner at every paint of the owner): the display has nothing to change.
  const bool toTop = insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST;
  if (!toTop && stacking == before) return;
  for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) {
    auto each = FindWindowRecord(*it);
    HWND below = it == stacking.rbegin() ? nullptr : *(it - 1);
    if (each && (restackSelf || each.get() != &window)) Backend().ApplyStacking(*each, below);
  }
}

void Activate(TWindow& window, bool restackSelf = true) {
  TThreadQueue& queue = *window.queue;
  Stack(window, HWND_TOP, restackSelf);
  if (queue.active != window.hwnd) {
    HWND old = queue.active;
    queue.active = window.hwnd;
    if (old && IsWindow(old)) {
      SendMessage(old, WM_NCACTIVATE, 0, 0);
      SendMessage(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(window.hwnd));
    }
    SendMessage(window.hwnd, WM_NCACTIVATE, 1, 0);
    SendMessage(window.hwnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
  }
  if (queue.focus != window.hwnd) SetFocus(window.hwnd);
}

void MakeVisible(TWindow& window, bool sendShowMessage, bool activate) {
  if (window.visible) {
    if (activate) Activate(window);
    return;
  }
  if (sendShowMessage) SendMessage(window.hwnd, WM_SHOWWINDOW, 1, 0);
  window.visible = true;
  InvalidateAll(window);
  Backend().ApplyVisibility(window, activate);
  if (activate) Activate(window);
}

void MakeHidden(TWindow& window, bool sendShowMessage) {
  if (!window.visible) return;
  if (sendShowMessage) SendMessage(window.hwnd, WM_SHOWWINDOW, 0, 0);
  window.visible = false;
  Backend().ApplyVisibility(window, false);
  TThreadQueue& queue = *window.queue;
  if (queue.focus == window.hwnd) SetFocus(nullptr);
  if (queue.active == window.hwnd) queue.active = nullptr;
}

// The maximised rectangle: WM_GETMINMAXINFO's position and size, offered the
// work area of the window's monitor.
RECT MaximizedRect(TWindow& window) {
  MONITORINFO info;
  GetMonitorInfo(MonitorFromWindow(window.hwnd, MONITOR_DEFAULTTONEAREST), &info);
  MINMAXINFO mmi;
  mmi.ptMaxPosition = {info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
  mmi.ptMaxSize = {Width(info.rcWork), Height(info.rcWork)};
  mmi.ptMaxTrackSize = {Width(info.rcMonitor) + 12, Height(info.rcMonitor) + 12};
  SendMessage(window.hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  int left = info.rcMonitor.left + mmi.ptMaxPosition.x, top = info.rcMonitor.top + mmi.ptMaxPosition.y;
  return {left, top, left + mmi.ptMaxSize.x, top + mmi.ptMaxSize.y};
}

void Minimize(TWindow& window) {
  MakeVisible(window, true, false);
  if (window.iconic) return;
  window.iconic = true;
  Backend().ApplyVisibility(window, false);
  if (window.queue->focus == window.hwnd) SetFocus(nullptr);
  SendSizeAndMove(window, true, false);
}

void Maximize(TWindow& window) {
  MakeVisible(window, true, true);
  if (window.zoomed && !window.iconic) return;
  window.iconic = false;
  window.zoomed = true;
  Backend().ApplyVisibility(window, true);
  RECT target = MaximizedRect(window);
  window.rect = target;
  Backend().ApplyPlacement(window);
  InvalidateAll(window);
  SendSizeAndMove(window, true, true);
}

void Restore(TWindow& window, bool activate) {
  MakeVisible(window, true, activate);
  if (!window.iconic && !window.zoomed) return;
  bool wasIconic = window.iconic;
  window.iconic = false;
  if (window.zoomed && wasIconic) {
    Backend().ApplyVisibility(window, activate);  // back to maximised
    InvalidateAll(window);
    SendSizeAndMove(window, true, false);
    return;
  }
  window.zoomed = false;
  Backend().ApplyVisibility(window, activate);
  window.rect = window.normalRect;
  Backend().ApplyPlacement(window);
  InvalidateAll(window);
  SendSizeAndMove(window, true, true);
  // Its monitor may have gone or shrunk meanwhile.
  BringOntoWorkArea(window.hwnd);
}

// SetWindowPos of another process's window: its place and size; the rest
// is its own process's business.
bool PlaceForeign(HWND hwnd, int x, int y, int width, int height, UINT flags) {
  RECT rect;
  if (!Backend().IsForeign(hwnd) || !Backend().ForeignRect(hwnd, &rect)) return false;
  if (!(flags & SWP_NOMOVE)) rect = {x, y, x + Width(rect), y + Height(rect)};
  if (!(flags & SWP_NOSIZE)) rect.right = rect.left + width, rect.bottom = rect.top + height;
  return Backend().ForeignPlace(hwnd, rect);
}

}  // namespace

void FollowDesktopActivation(TWindow& window) {
  if (window.queue->focus != window.hwnd) Activate(window, false);
}

void OnExternalPlacement(HWND hwnd, const RECT& proposed) {
  auto window = LocalWindow(hwnd);
  if (!window || window->rect == proposed || window->iconic) return;
  // Another client may size the window however it likes: the window's track
  // sizes hold here as for our own sizing, and the native window is put back
  // to the size it may have.
  RECT rect = proposed;
  int width = Width(rect), height = Height(rect);
  LimitSize(hwnd, &width, &height);
  rect.right = rect.left + width;
  rect.bottom = rect.top + height;
  const RECT old = window->rect;
  window->rect = rect;
  if (!(rect == proposed)) Backend().ApplyPlacement(*window);
  bool moved = rect.left != old.left || rect.top != old.top;
  bool sized = Width(rect) != Width(old) || Height(rect) != Height(old);
  if (!window->zoomed) window->normalRect = rect;
  if (sized) InvalidateAll(*window);
  SendSizeAndMove(*window, sized, moved);
}

HWND LocalWindowAt(POINT screen) {
  for (HWND hwnd : WindowsTopFirst()) {
    auto window = LocalWindow(hwnd);
    // WS_EX_TRANSPARENT windows let the pointer through to what lies below.
    if (!window || !window->visible || window->iconic || (window->exStyle & WS_EX_TRANSPARENT)) continue;
    const RECT& r = window->rect;
    if (screen.x >= r.left && screen.x < r.right && screen.y >= r.top && screen.y < r.bottom &&
        RegionContains(window->region, screen.x - r.left, screen.y - r.top))
      return hwnd;
  }
  return nullptr;
}

void OnExternalShown(HWND hwnd, bool shown) {
  auto window = LocalWindow(hwnd);
  if (!window) return;
  if (shown && window->iconic) {
    OnExternalIconic(hwnd, false);
  } else if (shown && !window->visible) {
    SendMessage(hwnd, WM_SHOWWINDOW, 1, 0);
    window->visible = true;
    InvalidateAll(*window);
  } else if (!shown && window->visible && !window->iconic) {
    OnExternalIconic(hwnd, true);
  }
}

void OnExternalIconic(HWND hwnd, bool iconic) {
  auto window = LocalWindow(hwnd);
  if (!window || window->iconic == iconic || !window->visible) return;
  window->iconic = iconic;
  if (!iconic) InvalidateAll(*window);
  SendSizeAndMove(*window, true, false);
  // Restored by the desktop: its monitor may have gone or shrunk meanwhile.
  if (!iconic) BringOntoWorkArea(hwnd);
}

}  // namespace platform::posix

namespace platform {

using posix::LocalWindow;

bool IsWindowVisible(HWND hwnd) {
  if (auto window = posix::FindWindowRecord(hwnd)) return window->visible;
  return posix::Backend().IsForeign(hwnd) && posix::Backend().ForeignIsVisible(hwnd);
}

bool IsIconic(HWND hwnd) {
  if (auto window = posix::FindWindowRecord(hwnd)) return window->iconic;
  return posix::Backend().IsForeign(hwnd) && posix::Backend().ForeignIsIconic(hwnd);
}

bool IsZoomed(HWND hwnd) {
  if (auto window = posix::FindWindowRecord(hwnd)) return window->zoomed;
  return posix::Backend().IsForeign(hwnd) && posix::Backend().ForeignIsZoomed(hwnd);
}

bool IsWindowEnabled(HWND hwnd) {
  auto window = posix::FindWindowRecord(hwnd);
  return window && window->enabled;
}

bool ShowWindow(HWND hwnd, int command) {
  auto window = LocalWindow(hwnd);
  if (!window) return posix::Backend().IsForeign(hwnd) && posix::Backend().ForeignShow(hwnd, command);
  bool wasVisible = window->visible;
  switch (command) {
    case SW_HIDE:
      posix::MakeHidden(*window, true);
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
      posix::Minimize(*window);
      break;
    case SW_MAXIMIZE:
      posix::Maximize(*window);
      break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
      posix::Restore(*window, true);
      break;
    case SW_SHOWNOACTIVATE:
      posix::Restore(*window, false);
      break;
    case SW_SHOWNA:
      posix::MakeVisible(*window, true, false);
      break;
    default:
      posix::MakeVisible(*window, true, true);
      break;
  }
  return wasVisible;
}

bool EnableWindow(HWND hwnd, bool enable) {
  auto window = LocalWindow(hwnd);
  if (!window) return false;
  bool wasDisabled = !window->enabled;
  if (window->enabled == enable) return wasDisabled;
  window->enabled = enable;
  if (!enable && window->queue->focus == hwnd) SetFocus(nullptr);
  if (!enable && window->queue->capture == hwnd) ReleaseCapture();
  SendMessage(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
  return wasDisabled;
}

bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  auto window = LocalWindow(hwnd);
  if (!window) return posix::PlaceForeign(hwnd, x, y, width, height, flags);
  RECT target = window->rect;
  if (!(flags & SWP_NOMOVE)) target = {x, y, x + posix::Width(target), y + posix::Height(target)};
  if (!(flags & SWP_NOSIZE)) {
    posix::LimitSize(hwnd, &width, &height);
    target.right = target.left + width;
    target.bottom = target.top + height;
  }
  if (flags & SWP_HIDEWINDOW) posix::MakeHidden(*window, false);
  if (!(flags & SWP_NOZORDER)) posix::Stack(*window, insertAfter);
  if (flags & SWP_FRAMECHANGED) {
    NCCALCSIZE_PARAMS params;
    params.rgrc[0] = params.rgrc[1] = params.rgrc[2] = target;
    SendMessage(hwnd, WM_NCCALCSIZE, 1, reinterpret_cast<LPARAM>(&params));
  }
  if (!(window->rect == target)) posix::Place(*window, target);
  bool activate = !(flags & (SWP_NOACTIVATE | SWP_HIDEWINDOW));
  if (flags & SWP_SHOWWINDOW)
    posix::MakeVisible(*window, false, activate);
  else if (activate && window->visible)
    posix::Activate(*window);
  return IsWindow(hwnd);
}

bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint) {
  if (!SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE)) return false;
  return !repaint || InvalidateRect(hwnd, nullptr, true);
}

bool GetWindowRect(HWND hwnd, RECT* rect) {
  auto window = posix::FindWindowRecord(hwnd);
  if (!window) return rect && posix::Backend().IsForeign(hwnd) && posix::Backend().ForeignRect(hwnd, rect);
  if (!rect) return false;
  *rect = window->rect;
  return true;
}

bool GetClientRect(HWND hwnd, RECT* rect) {
  auto window = posix::FindWindowRecord(hwnd);
  if (!window || !rect) return false;
  *rect = {0, 0, posix::Width(window->rect), posix::Height(window->rect)};
  return true;
}

bool ScreenToClient(HWND hwnd, POINT* point) {
  auto window = posix::FindWindowRecord(hwnd);
  if (!window || !point) return false;
  point->x -= window->rect.left;
  point->y -= window->rect.top;
  return true;
}

bool ClientToScreen(HWND hwnd, POINT* point) {
  auto window = posix::FindWindowRecord(hwnd);
  if (!window || !point) return false;
  point->x += window->rect.left;
  point->y += window->rect.top;
  return true;
}

}  // namespace platform
