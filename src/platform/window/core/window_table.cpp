// POSIX window core: window classes, the window map and stacking, creating
// and destroying windows, window data (styles, user data, owner, title,
// class), finding windows and bringing them to the front.
#include <algorithm>
#include <map>
#include <unordered_map>

#include "platform/window/core/window_backend.h"
#include "platform/window/core/window_core.h"
#include "platform/window/window_messages.h"

namespace platform::posix {
namespace {

std::mutex g_lock;  // guards everything below
std::map<std::u16string, std::shared_ptr<const TWindowClass>, std::less<>> g_classes;
std::unordered_map<HWND, std::shared_ptr<TWindow>> g_windows;
std::vector<HWND> g_stacking;  // topmost first

std::shared_ptr<const TWindowClass> FindClass(std::u16string_view name) {
  std::lock_guard<std::mutex> hold(g_lock);
  auto it = g_classes.find(name);
  return it == g_classes.end() ? nullptr : it->second;
}

void Register(const std::shared_ptr<TWindow>& window) {
  {
    std::lock_guard<std::mutex> hold(g_lock);
    g_windows[window->hwnd] = window;
    g_stacking.insert(g_stacking.begin(), window->hwnd);
  }
  window->queue->windows.push_back(window->hwnd);
}

void Unregister(TWindow& window) {
  auto& list = window.queue->windows;
  list.erase(std::remove(list.begin(), list.end(), window.hwnd), list.end());
  std::lock_guard<std::mutex> hold(g_lock);
  g_stacking.erase(std::remove(g_stacking.begin(), g_stacking.end(), window.hwnd), g_stacking.end());
  g_windows.erase(window.hwnd);
}

// Windows' defaults for CW_USEDEFAULT: popups get the primary monitor's
// corner, overlapped windows a cascade position and three quarters of the
// primary's work area. Windows' primary monitor is the one at 0, 0; an X
// server's may lie anywhere (the backend lists it first).
void ResolveDefaults(DWORD style, int* x, int* y, int* width, int* height) {
  const auto monitors = Backend().GetMonitors();
  const RECT monitor = monitors.empty() ? RECT{} : monitors.front().monitor;
  const RECT work = monitors.empty() ? RECT{} : monitors.front().work;
  bool popup = (style & WS_POPUP) != 0;
  if (*x == CW_USEDEFAULT) {
    *x = popup ? monitor.left : work.left + 26;
    *y = popup ? monitor.top : work.top + 26;
  }
  if (*width == CW_USEDEFAULT) {
    *width = popup ? 0 : (work.right - work.left) * 3 / 4;
    *height = popup ? 0 : (work.bottom - work.top) * 3 / 4;
  }
}

}  // namespace

void LimitSize(HWND hwnd, int* width, int* height) {
  MONITORINFO info;
  GetMonitorInfo(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info);
  MINMAXINFO mmi;
  int screenWidth = info.rcMonitor.right - info.rcMonitor.left;
  int screenHeight = info.rcMonitor.bottom - info.rcMonitor.top;
  mmi.ptMaxSize = {screenWidth, screenHeight};
  mmi.ptMaxPosition = {0, 0};
  mmi.ptMinTrackSize = {0, 0};
  mmi.ptMaxTrackSize = {screenWidth + 12, screenHeight + 12};
  SendMessage(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  const bool fixed = mmi.ptMinTrackSize.x == mmi.ptMaxTrackSize.x &&
                     mmi.ptMinTrackSize.y == mmi.ptMaxTrackSize.y && mmi.ptMinTrackSize.x > 0 &&
                     mmi.ptMinTrackSize.y > 0;
  const SIZE fixedSize = fixed ? SIZE{mmi.ptMinTrackSize.x, mmi.ptMinTrackSize.y} : SIZE{};
  auto window = FindWindowRecord(hwnd);
  if (window && (window->fixedSize.cx != fixedSize.cx || window->fixedSize.cy != fixedSize.cy)) {
    // Told before the window takes the size, so a window manager lets it.
    window->fixedSize = fixedSize;
    Backend().ApplySizeLimits(*window);
  }
  *width = std::clamp(*width, mmi.ptMinTrackSize.x, std::max(mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x));
  *height = std::clamp(*height, mmi.ptMinTrackSize.y, std::max(mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y));
}

namespace {

// The creation messages; false when the window refused to be created.
bool SendCreationMessages(TWindow& window, const CREATESTRUCT& cs) {
  HWND hwnd = window.hwnd;
  if (!SendMessage(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) return false;
  RECT proposed = window.rect;
  SendMessage(hwnd, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&proposed));
  if (SendMessage(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) return false;
  if (!IsWindow(hwnd)) return false;
  const RECT& r = window.rect;
  SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MakeLParam(r.right - r.left, r.bottom - r.top));
  SendMessage(hwnd, WM_MOVE, 0, MakeLParam(r.left, r.top));
  return true;
}

void DropQueuedFor(TThreadQueue& queue, HWND hwnd) {
  auto& timers = queue.timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const TTimer& t) { return t.hwnd == hwnd; }),
               timers.end());
  auto& input = queue.input;
  input.erase(
      std::remove_if(input.begin(), input.end(), [&](const TInputMessage& m) { return m.msg.hwnd == hwnd; }),
      input.end());
  std::lock_guard<std::mutex> hold(queue.lock);
  auto& posted = queue.posted;
  posted.erase(std::remove_if(posted.begin(), posted.end(), [&](const MSG& m) { return m.hwnd == hwnd; }),
               posted.end());
}

// Forgets hwnd in the thread's input state before it goes away.
void ForgetInputState(TThreadQueue& queue, HWND hwnd) {
  if (queue.capture == hwnd) ReleaseCapture();
  if (queue.focus == hwnd) queue.focus = nullptr;
  if (queue.active == hwnd) queue.active = nullptr;
  if (queue.mouseWindow == hwnd) queue.mouseWindow = nullptr;
  if (queue.trackWindow == hwnd) {
    queue.trackWindow = nullptr;
    queue.hoverArmed = false;
  }
  if (queue.dragWindow == hwnd) queue.dragWindow = nullptr;
  if (queue.lastClickWindow == hwnd) queue.lastClickWindow = nullptr;
}

std::vector<HWND> OwnedWindows(HWND owner) {
  std::vector<HWND> owned;
  std::lock_guard<std::mutex> hold(g_lock);
  for (auto& [hwnd, window] : g_windows)
    if (window->owner == owner) owned.push_back(hwnd);
  return owned;
}

}  // namespace

std::shared_ptr<TWindow> FindWindowRecord(HWND hwnd) {
  std::lock_guard<std::mutex> hold(g_lock);
  auto it = g_windows.find(hwnd);
  return it == g_windows.end() ? nullptr : it->second;
}

std::shared_ptr<TWindow> LocalWindow(HWND hwnd) {
  auto window = FindWindowRecord(hwnd);
  return window && window->queue == CurrentQueue() ? window : nullptr;
}

std::vector<HWND> WindowsTopFirst() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_stacking;
}

void Restack(HWND hwnd, HWND insertAfter) {
  std::lock_guard<std::mutex> hold(g_lock);
  auto& s = g_stacking;
  s.erase(std::remove(s.begin(), s.end(), hwnd), s.end());
  auto at = s.begin();
  if (insertAfter == HWND_BOTTOM) {
    at = s.end();
  } else if (insertAfter != HWND_TOP && insertAfter != HWND_TOPMOST && insertAfter != HWND_NOTOPMOST) {
    at = std::find(s.begin(), s.end(), insertAfter);
    if (at != s.end()) ++at;
  }
  s.insert(at, hwnd);
}

}  // namespace platform::posix

namespace platform {

using posix::LocalWindow;
using posix::TWindow;

bool RegisterClass(const WNDCLASS& wc) {
  if (wc.lpszClassName.empty() || !wc.lpfnWndProc) return false;
  auto entry = std::make_shared<posix::TWindowClass>();
  entry->style = wc.style;
  entry->proc = wc.lpfnWndProc;
  entry->cursor = wc.hCursor;
  entry->name = wc.lpszClassName;
  std::lock_guard<std::mutex> hold(posix::g_lock);
  return posix::g_classes.emplace(wc.lpszClassName, std::move(entry)).second;
}

HWND CreateWindowEx(DWORD exStyle, std::u16string_view className, std::u16string_view title, DWORD style,
                    int x, int y, int width, int height, HWND owner, void* createParam) {
  auto windowClass = posix::FindClass(className);
  if (!windowClass || (owner && !LocalWindow(owner))) return nullptr;
  posix::ResolveDefaults(style, &x, &y, &width, &height);
  auto window = std::make_shared<TWindow>();
  window->windowClass = windowClass;
  window->queue = posix::CurrentQueue();
  window->title = title;
  window->style = style & ~(WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE);
  window->exStyle = exStyle;
  window->owner = owner;
  window->enabled = (style & WS_DISABLED) == 0;
  window->rect = window->normalRect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
  window->hwnd = posix::Backend().CreateNative(*window);
  if (!window->hwnd) return nullptr;
  posix::Register(window);
  posix::LimitSize(window->hwnd, &width, &height);
  window->rect = window->normalRect = {x, y, x + width, y + height};
  posix::Backend().ApplyPlacement(*window);
  std::u16string titleText(title), classText(className);
  CREATESTRUCT cs;
  cs.lpCreateParams = createParam;
  cs.hwndParent = owner;
  cs.x = x, cs.y = y, cs.cx = width, cs.cy = height;
  cs.style = static_cast<int32_t>(style);
  cs.lpszName = titleText.c_str();
  cs.lpszClass = classText.c_str();
  cs.dwExStyle = exStyle;
  if (!posix::SendCreationMessages(*window, cs)) {
    DestroyWindow(window->hwnd);
    return nullptr;
  }
  if (style & WS_VISIBLE) ShowWindow(window->hwnd, SW_SHOW);
  return window->hwnd;
}

bool DestroyWindow(HWND hwnd) {
  auto window = LocalWindow(hwnd);
  if (!window || window->destroying) return false;
  window->destroying = true;
  for (HWND owned : posix::OwnedWindows(hwnd)) DestroyWindow(owned);
  if (window->visible) {
    window->visible = false;
    posix::Backend().ApplyVisibility(*window, false);
  }
  posix::ForgetInputState(*window->queue, hwnd);
  SendMessage(hwnd, WM_DESTROY, 0, 0);
  SendMessage(hwnd, WM_NCDESTROY, 0, 0);
  posix::DropQueuedFor(*window->queue, hwnd);
  posix::Backend().DestroyNative(*window);
  posix::Unregister(*window);
  return true;
}

bool IsWindow(HWND hwnd) {
  if (!hwnd) return false;
  return posix::FindWindowRecord(hwnd) != nullptr || posix::Backend().IsForeign(hwnd);
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
  auto window = LocalWindow(hwnd);
  if (!window) return 0;
  if (index == GWL_STYLE) {
    DWORD style = window->style | (window->visible ? WS_VISIBLE : 0) | (window->enabled ? 0 : WS_DISABLED) |
                  (window->iconic ? WS_MINIMIZE : 0) | (window->zoomed ? WS_MAXIMIZE : 0);
    return static_cast<LONG_PTR>(static_cast<int32_t>(style));
  }
  if (index == GWL_EXSTYLE) return static_cast<LONG_PTR>(static_cast<int32_t>(window->exStyle));
  return index == GWLP_USERDATA ? window->userData : 0;
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
  auto window = LocalWindow(hwnd);
  if (!window) return 0;
  LONG_PTR old = GetWindowLongPtr(hwnd, index);
  if (index == GWL_STYLE) {
    window->style = static_cast<DWORD>(value) & ~(WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE);
  } else if (index == GWL_EXSTYLE) {
    bool layeredBefore = (window->exStyle & WS_EX_LAYERED) != 0;
    window->exStyle = static_cast<DWORD>(value);
    if (layeredBefore != ((window->exStyle & WS_EX_LAYERED) != 0)) posix::Backend().ApplyLayered(*window);
  } else if (index == GWLP_USERDATA) {
    window->userData = value;
  }
  return old;
}

HWND GetWindow(HWND hwnd, UINT relation) {
  auto window = posix::FindWindowRecord(hwnd);
  return window && relation == GW_OWNER ? window->owner : nullptr;
}

bool SetWindowText(HWND hwnd, std::u16string_view text) {
  auto window = LocalWindow(hwnd);
  if (!window) return false;
  window->title = text;
  posix::Backend().ApplyTitle(*window);
  return true;
}

std::u16string GetWindowText(HWND hwnd) {
  auto window = posix::FindWindowRecord(hwnd);
  return window ? window->title : std::u16string();
}

std::u16string GetClassName(HWND hwnd) {
  auto window = posix::FindWindowRecord(hwnd);
  return window ? window->windowClass->name : std::u16string();
}

HWND FindWindow(std::u16string_view className) {
  for (HWND hwnd : posix::WindowsTopFirst()) {
    auto window = posix::FindWindowRecord(hwnd);
    if (window && !window->destroying && window->windowClass->name == className) return hwnd;
  }
  return posix::Backend().FindForeign(className);
}

bool SetForegroundWindow(HWND hwnd) {
  auto window = LocalWindow(hwnd);
  if (!window) return posix::Backend().IsForeign(hwnd) && posix::Backend().Activate(hwnd);
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  posix::Backend().Activate(hwnd);
  SetFocus(hwnd);
  return true;
}

}  // namespace platform

namespace platform::posix {

void OnExternalDestroy(HWND hwnd) {
  if (LocalWindow(hwnd)) DestroyWindow(hwnd);
}

void OnDisplayLost() {
  for (HWND hwnd : CurrentQueue()->windows) {
    auto window = LocalWindow(hwnd);
    if (window && !window->owner) PostMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
}

}  // namespace platform::posix
