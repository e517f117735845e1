// POSIX window core: turning native input into Windows' mouse and key
// messages (hit test, capture, double clicks, hover and leave tracking, the
// caption drag), and capture, focus, key state and cursors.
#include <cstdlib>

#include "platform/window/core/window_backend.h"
#include "platform/window/core/window_core.h"
#include "platform/window/window_activation.h"
#include "platform/window/window_messages.h"

namespace platform::posix {
namespace {

constexpr DWORD kDoubleClickMs = 500;
constexpr int kDoubleClickSlop = 4;  // pixels, like SM_CXDOUBLECLK / 2
constexpr int kHoverSlop = 4;        // SM_CXMOUSEHOVER
thread_local HCURSOR t_cursor = nullptr;

uint32_t ButtonBit(int button) {
  return button == VK_LBUTTON ? KEY_LBUTTON : button == VK_RBUTTON ? KEY_RBUTTON : KEY_MBUTTON;
}

WPARAM MouseKeys(uint32_t state) {
  return ((state & KEY_LBUTTON) ? MK_LBUTTON : 0) | ((state & KEY_RBUTTON) ? MK_RBUTTON : 0) |
         ((state & KEY_MBUTTON) ? MK_MBUTTON : 0) | ((state & KEY_SHIFT) ? MK_SHIFT : 0) |
         ((state & KEY_CONTROL) ? MK_CONTROL : 0);
}

LPARAM ClientPoint(const TWindow& window, POINT screen) {
  return MakeLParam(screen.x - window.rect.left, screen.y - window.rect.top);
}

void PostLeave(TThreadQueue& queue) {
  if (!queue.trackWindow || !(queue.trackFlags & TME_LEAVE)) return;
  QueueInput(queue, MakeMessage(queue.trackWindow, WM_MOUSELEAVE, 0, 0, queue.cursor));
  queue.trackFlags = 0;
  queue.hoverArmed = false;
}

// Follows the window under the pointer for WM_MOUSELEAVE.
void NoteWindowUnderPointer(TThreadQueue& queue, HWND target) {
  if (queue.trackWindow && queue.trackWindow != target) PostLeave(queue);
  queue.mouseWindow = target;
}

void RestartHoverIfMoved(TThreadQueue& queue, HWND to, POINT screen) {
  if (!queue.hoverArmed || queue.trackWindow != to) return;
  const POINT& anchor = queue.hoverAnchor;
  if (std::abs(screen.x - anchor.x) <= kHoverSlop && std::abs(screen.y - anchor.y) <= kHoverSlop) return;
  queue.hoverAnchor = screen;
  queue.hoverDue = GetTickCount() + queue.hoverTime;
}

// The hit-test code of the window at screen, with WM_SETCURSOR sent.
int HitTest(HWND hwnd, POINT screen, UINT mouseMessage) {
  int hit = static_cast<int>(SendMessage(hwnd, WM_NCHITTEST, 0, MakeLParam(screen.x, screen.y)));
  SendMessage(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MakeLParam(hit, mouseMessage));
  return hit;
}

UINT ButtonMessage(int button, bool down) {
  if (button == VK_LBUTTON) return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
  if (button == VK_RBUTTON) return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
  return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
}

// WM_xBUTTONDOWN becomes WM_xBUTTONDBLCLK for a quick second click at the
// same place, when the class asks for double clicks.
UINT WithDoubleClick(TThreadQueue& queue, const TWindow& window, UINT message, POINT screen) {
  if (message != WM_LBUTTONDOWN && message != WM_RBUTTONDOWN) return message;
  DWORD now = GetTickCount();
  bool second = (window.windowClass->style & CS_DBLCLKS) && queue.lastClickWindow == window.hwnd &&
                queue.lastClickMessage == message && now - queue.lastClickTime <= kDoubleClickMs &&
                std::abs(screen.x - queue.lastClickPoint.x) <= kDoubleClickSlop &&
                std::abs(screen.y - queue.lastClickPoint.y) <= kDoubleClickSlop;
  queue.lastClickWindow = second ? nullptr : window.hwnd;
  queue.lastClickMessage = message;
  queue.lastClickTime = now;
  queue.lastClickPoint = screen;
  return second ? message + 2 : message;
}

void EndCoreDrag(TThreadQueue& queue) {
  queue.dragWindow = nullptr;
  auto capture = LocalWindow(queue.capture);
  Backend().ApplyCapture(capture.get());
}

// The window that gets a pointer event, or null when the event is dropped.
std::shared_ptr<TWindow> PointerTarget(TThreadQueue& queue, HWND target) {
  auto window = LocalWindow(queue.capture ? queue.capture : target);
  if (!window || window->destroying || (!queue.capture && !window->enabled)) return nullptr;
  return window;
}

}  // namespace

void OnPointerMotion(HWND target, POINT screen) {
  TThreadQueue& queue = *CurrentQueue();
  queue.cursor = screen;
  RecordCursor(screen);
  if (auto drag = LocalWindow(queue.dragWindow)) {
    SetWindowPos(drag->hwnd, nullptr, screen.x - queue.dragOffset.x, screen.y - queue.dragOffset.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  NoteWindowUnderPointer(queue, target);
  auto window = PointerTarget(queue, target);
  if (!window) return;
  if (!queue.capture) {
    int hit = HitTest(window->hwnd, screen, WM_MOUSEMOVE);
    if (hit != HTCLIENT) {
      QueueInput(queue,
                 MakeMessage(window->hwnd, WM_NCMOUSEMOVE, hit, MakeLParam(screen.x, screen.y), screen));
      return;
    }
  }
  RestartHoverIfMoved(queue, window->hwnd, screen);
  QueueInput(queue, MakeMessage(window->hwnd, WM_MOUSEMOVE, MouseKeys(queue.liveKeyState),
                                ClientPoint(*window, screen), screen));
}

void OnPointerButton(HWND target, POINT screen, int button, bool down) {
  TThreadQueue& queue = *CurrentQueue();
  queue.cursor = screen;
  RecordCursor(screen);
  queue.liveKeyState =
      down ? queue.liveKeyState | ButtonBit(button) : queue.liveKeyState & ~ButtonBit(button);
  if (queue.dragWindow) {
    if (button == VK_LBUTTON && !down) EndCoreDrag(queue);
    return;
  }
  auto window = PointerTarget(queue, target);
  if (!window) return;
  if (down && queue.active != window->hwnd && !(window->exStyle & WS_EX_NOACTIVATE) && window->visible)
    SetWindowPos(window->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (!queue.capture) {
    int hit = HitTest(window->hwnd, screen, ButtonMessage(button, down));
    if (hit != HTCLIENT) {
      if (button == VK_LBUTTON)
        QueueInput(queue, MakeMessage(window->hwnd, down ? WM_NCLBUTTONDOWN : WM_NCLBUTTONUP, hit,
                                      MakeLParam(screen.x, screen.y), screen));
      return;
    }
  }
  UINT message = down ? WithDoubleClick(queue, *window, ButtonMessage(button, true), screen)
                      : ButtonMessage(button, false);
  QueueInput(queue, MakeMessage(window->hwnd, message, MouseKeys(queue.liveKeyState),
                                ClientPoint(*window, screen), screen));
}

void OnPointerWheel(HWND target, POINT screen, int delta) {
  TThreadQueue& queue = *CurrentQueue();
  auto window = PointerTarget(queue, target);
  if (!window) return;
  WPARAM wParam =
      MouseKeys(queue.liveKeyState) | (static_cast<WPARAM>(static_cast<uint16_t>(delta * WHEEL_DELTA)) << 16);
  QueueInput(queue, MakeMessage(window->hwnd, WM_MOUSEWHEEL, wParam, MakeLParam(screen.x, screen.y), screen));
}

void OnPointerLeft(HWND target) {
  TThreadQueue& queue = *CurrentQueue();
  if (queue.mouseWindow != target) return;
  queue.mouseWindow = nullptr;
  if (queue.trackWindow == target) PostLeave(queue);
}

void OnKey(HWND, int virtualKey, bool down, char16_t character) {
  TThreadQueue& queue = *CurrentQueue();
  uint32_t bit = virtualKey == VK_SHIFT     ? KEY_SHIFT
                 : virtualKey == VK_CONTROL ? KEY_CONTROL
                 : virtualKey == VK_MENU    ? KEY_ALT
                                            : 0;
  queue.liveKeyState = down ? queue.liveKeyState | bit : queue.liveKeyState & ~bit;
  HWND to = queue.focus ? queue.focus : queue.active;
  auto window = LocalWindow(to);
  if (!window || !window->enabled) return;
  bool system = (queue.liveKeyState & KEY_ALT) || virtualKey == VK_MENU;
  UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  // Repeat count 1; bit 29 context (alt); bits 30 and 31 previous state and transition.
  LPARAM lParam = 1 | ((queue.liveKeyState & KEY_ALT) ? (1 << 29) : 0) | (down ? 0 : (3u << 30));
  MSG msg = MakeMessage(to, message, static_cast<WPARAM>(virtualKey),
                        static_cast<LPARAM>(static_cast<int32_t>(lParam)), queue.cursor);
  msg.lPrivate = down ? character : 0;
  QueueInput(queue, msg);
}

void OnExternalFocus(HWND hwnd, bool focused) {
  TThreadQueue& queue = *CurrentQueue();
  if (auto window = LocalWindow(hwnd); focused && window) {
    FollowDesktopActivation(*window);
    // Activated by the desktop: whole in view, its caption in reach.
    BringOntoWorkArea(hwnd);
  } else if (!focused && queue.focus == hwnd) {
    SetFocus(nullptr);
  }
}

void SetModifierState(uint32_t modifiers) {
  TThreadQueue& queue = *CurrentQueue();
  constexpr uint32_t kModifiers = KEY_SHIFT | KEY_CONTROL | KEY_ALT;
  queue.liveKeyState = (queue.liveKeyState & ~kModifiers) | (modifiers & kModifiers);
}

void StartCaptionDrag(TWindow& window, POINT screen) {
  TThreadQueue& queue = *window.queue;
  if (!(queue.liveKeyState & KEY_LBUTTON)) return;
  if (Backend().BeginCaptionDrag(window, screen)) {
    // The window manager moves the window now and takes the button's release.
    queue.liveKeyState &= ~KEY_LBUTTON;
    return;
  }
  queue.dragWindow = window.hwnd;
  queue.dragOffset = {screen.x - window.rect.left, screen.y - window.rect.top};
  Backend().ApplyCapture(&window);
}

}  // namespace platform::posix

namespace platform {

using posix::CurrentQueue;
using posix::LocalWindow;

HWND SetCapture(HWND hwnd) {
  auto window = LocalWindow(hwnd);
  if (!window) return nullptr;
  auto& queue = *CurrentQueue();
  HWND old = queue.capture;
  queue.capture = hwnd;
  if (old && old != hwnd) SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  posix::Backend().ApplyCapture(window.get());
  return old;
}

bool ReleaseCapture() {
  auto& queue = *CurrentQueue();
  HWND old = queue.capture;
  if (!old) return true;
  queue.capture = nullptr;
  posix::Backend().ApplyCapture(nullptr);
  SendMessage(old, WM_CAPTURECHANGED, 0, 0);
  return true;
}

HWND GetCapture() { return CurrentQueue()->capture; }

HWND SetFocus(HWND hwnd) {
  auto& queue = *CurrentQueue();
  HWND old = queue.focus;
  auto window = LocalWindow(hwnd);
  if (hwnd && (!window || !window->enabled || window->destroying)) return nullptr;
  if (old == hwnd) return old;
  queue.focus = hwnd;
  if (old && IsWindow(old)) SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (window) {
    posix::Backend().ApplyFocus(*window);
    SendMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  }
  return old;
}

HWND GetFocus() { return CurrentQueue()->focus; }

int16_t GetKeyState(int virtualKey) {
  uint32_t bit = virtualKey == VK_LBUTTON   ? posix::KEY_LBUTTON
                 : virtualKey == VK_RBUTTON ? posix::KEY_RBUTTON
                 : virtualKey == VK_MBUTTON ? posix::KEY_MBUTTON
                 : virtualKey == VK_SHIFT   ? posix::KEY_SHIFT
                 : virtualKey == VK_CONTROL ? posix::KEY_CONTROL
                 : virtualKey == VK_MENU    ? posix::KEY_ALT
                                            : 0;
  return (CurrentQueue()->keyState & bit) ? static_cast<int16_t>(0x8000) : 0;
}

bool GetCursorPos(POINT* point) { return point && posix::Backend().GetPointer(point); }

bool TrackMouseEvent(TRACKMOUSEEVENT* track) {
  if (!track) return false;
  auto& queue = *CurrentQueue();
  if (track->dwFlags & TME_CANCEL) {
    if (queue.trackWindow == track->hwndTrack)
      queue.trackFlags &= ~(track->dwFlags & (TME_HOVER | TME_LEAVE));
    queue.hoverArmed = (queue.trackFlags & TME_HOVER) != 0;
    return true;
  }
  if (!LocalWindow(track->hwndTrack)) return false;
  if (queue.trackWindow != track->hwndTrack) queue.trackFlags = 0;
  queue.trackWindow = track->hwndTrack;
  queue.trackFlags |= track->dwFlags & (TME_HOVER | TME_LEAVE);
  if (track->dwFlags & TME_HOVER) {
    queue.hoverTime = track->dwHoverTime == HOVER_DEFAULT ? 400 : track->dwHoverTime;
    queue.hoverDue = GetTickCount() + queue.hoverTime;
    queue.hoverArmed = true;
  }
  // Asked while the pointer is already elsewhere: the leave is due at once.
  if ((track->dwFlags & TME_LEAVE) && queue.mouseWindow != track->hwndTrack) posix::PostLeave(queue);
  return true;
}

HCURSOR LoadCursor(UINT cursorId) {
  if (cursorId == IDC_ARROW) return reinterpret_cast<HCURSOR>(uintptr_t{1});
  if (cursorId == IDC_HAND) return reinterpret_cast<HCURSOR>(uintptr_t{2});
  return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR old = posix::t_cursor;
  posix::t_cursor = cursor;
  auto& queue = *CurrentQueue();
  if (auto window = LocalWindow(queue.capture ? queue.capture : queue.mouseWindow))
    posix::Backend().ApplyCursor(*window, cursor);
  return old;
}

}  // namespace platform
