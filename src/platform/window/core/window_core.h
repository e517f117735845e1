// The POSIX window system's shared core: window records, classes, per-thread
// message queues, timers, the default window procedure and the routing of
// input (capture, hit test, hover and leave, caption dragging). The display
// backends (x11/, headless/) only translate: they make the native side of a
// window follow its record and report native input to the core.
#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/window/window_icons.h"
#include "platform/window/window_system.h"

namespace platform {

// An icon of the POSIX window system: straight (not premultiplied)
// 0xAARRGGBB pixels, row by row, which is what X11's _NET_WM_ICON carries.
struct TIcon {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;
};

}  // namespace platform

namespace platform::posix {

class IWindowBackend;

struct TWindowClass {
  UINT style = 0;
  WNDPROC proc = nullptr;
  HCURSOR cursor = nullptr;
  std::u16string name;
};

// The window region: a round rectangle, less an optional rectangular hole.
struct TRoundRegion {
  bool on = false;
  RECT rect;  // window coordinates
  int ellipseWidth = 0;
  int ellipseHeight = 0;
  RECT hole{};  // empty: none
};

struct TThreadQueue;

// One window. Owned by the window map; touched only on its thread except
// hwnd and queue, which never change.
struct TWindow {
  HWND hwnd = nullptr;
  std::shared_ptr<const TWindowClass> windowClass;
  std::shared_ptr<TThreadQueue> queue;
  std::u16string title;
  DWORD style = 0;
  DWORD exStyle = 0;
  LONG_PTR userData = 0;
  HWND owner = nullptr;
  RECT rect;        // screen coordinates; the client area is all of it
  RECT normalRect;  // where SW_RESTORE puts it back
  bool visible = false;
  bool iconic = false;
  bool zoomed = false;
  bool enabled = true;
  std::atomic<bool> destroying{false};  // read by PostMessage on any thread
  bool hasUpdate = false;
  RECT update;  // bounding rectangle of the update region, client coordinates
  TRoundRegion region;
  HICON bigIcon = nullptr;  // WM_SETICON's ICON_BIG and ICON_SMALL
  HICON smallIcon = nullptr;
  // WM_GETMINMAXINFO's track sizes when both are this one size: no one else
  // is to resize or maximise the window. 0 x 0 otherwise.
  SIZE fixedSize;
  void* native = nullptr;  // the backend's data
};

struct TTimer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  int64_t due = 0;  // NowNs() when the next WM_TIMER is due
};

// The monotonic clock in nanoseconds: timers are kept to it, finer than the
// millisecond tick, so that a wait ends when the timer is due and not up to a
// tick later.
int64_t NowNs();

// A message with the key state it was generated under (GetKeyState answers
// for the message being handled).
struct TInputMessage {
  MSG msg;
  uint32_t keyState = 0;
};

// Bits of TInputMessage::keyState and TThreadQueue::keyState.
inline constexpr uint32_t KEY_LBUTTON = 1, KEY_RBUTTON = 2, KEY_MBUTTON = 4, KEY_SHIFT = 8, KEY_CONTROL = 16,
                          KEY_ALT = 32;

// The message queue and input state of one thread.
struct TThreadQueue {
  TThreadQueue();
  ~TThreadQueue();
  // Wakes a thread waiting in GetMessage (any thread).
  void Wake();

  std::mutex lock;  // guards posted
  std::deque<MSG> posted;
  int wakeFd = -1;  // eventfd written by Wake, polled by the waiting thread

  // Owner thread only:
  std::deque<TInputMessage> input;
  std::vector<TTimer> timers;
  std::vector<HWND> windows;  // this thread's windows, creation order
  bool quit = false;
  int quitCode = 0;
  uint32_t keyState = 0;      // as of the last message taken
  uint32_t liveKeyState = 0;  // as the input arrives
  HWND capture = nullptr;
  HWND focus = nullptr;
  HWND active = nullptr;
  HWND mouseWindow = nullptr;  // the window the pointer is in, for leave tracking
  POINT cursor;                // last pointer position, screen
  // TrackMouseEvent
  HWND trackWindow = nullptr;
  DWORD trackFlags = 0;
  DWORD hoverTime = 400;
  DWORD hoverDue = 0;
  bool hoverArmed = false;
  POINT hoverAnchor;  // where the pointer was when the hover wait last restarted
  // double clicks
  DWORD lastClickTime = 0;
  POINT lastClickPoint;
  UINT lastClickMessage = 0;
  HWND lastClickWindow = nullptr;
  // a caption drag this core performs itself
  HWND dragWindow = nullptr;
  POINT dragOffset;  // pointer minus window origin
};

// The calling thread's queue (created on first use).
std::shared_ptr<TThreadQueue> CurrentQueue();

// The last pointer position seen (any thread), and recording a new one.
POINT LastCursor();
void RecordCursor(POINT screen);

// The window of hwnd, on any thread; null when there is none.
std::shared_ptr<TWindow> FindWindowRecord(HWND hwnd);
// The window of hwnd if it belongs to the calling thread; null otherwise.
std::shared_ptr<TWindow> LocalWindow(HWND hwnd);
// Every window of the process, topmost first (the stacking the core keeps).
std::vector<HWND> WindowsTopFirst();
// Moves hwnd in the stacking: directly above `below`, or to the top / bottom.
void Restack(HWND hwnd, HWND insertAfter);

// The display backend in use, chosen on first use: X11 when DISPLAY is set and
// the server answers, headless otherwise; ORV_WINDOW_BACKEND=headless or x11
// forces one.
IWindowBackend& Backend();

// Calls the window procedure; 0 when the window is gone.
LRESULT CallProc(const std::shared_ptr<TWindow>& window, UINT message, WPARAM wParam, LPARAM lParam);

// A message stamped with the current tick count and the pointer position
// (screen) it was made at, the last one seen unless given.
MSG MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, POINT screen = LastCursor());
// Adds a posted-style message to the thread's queue (owner thread).
void QueueInput(TThreadQueue& queue, const MSG& msg);

// ---- what the backends report -------------------------------------------

// The pointer moved to screen point over target (null: over no window of
// ours; with capture the capture window gets it regardless).
void OnPointerMotion(HWND target, POINT screen);
// A mouse button (VK_LBUTTON, VK_RBUTTON, VK_MBUTTON) went down or up.
void OnPointerButton(HWND target, POINT screen, int button, bool down);
// A wheel step: delta in WHEEL_DELTA units, positive away from the user.
void OnPointerWheel(HWND target, POINT screen, int delta);
// The pointer left target (X11 LeaveNotify); the core checks its own record too.
void OnPointerLeft(HWND target);
// A key went down or up; character is the UTF-16 unit it types (0 for none).
void OnKey(HWND target, int virtualKey, bool down, char16_t character);
// The window was moved or sized by someone else (window manager).
void OnExternalPlacement(HWND hwnd, const RECT& rect);
// The desktop activated the window itself (the window manager raised and
// focused it): our stacking, activation and focus follow, and the display is
// not asked to raise it again. Such a request arrives late whenever our
// events wait, and would then lift the window over one the user turned to
// since.
void FollowDesktopActivation(TWindow& window);
// The window got or lost the input focus from the outside (window manager);
// activated, it is brought whole onto a work area (BringOntoWorkArea).
void OnExternalFocus(HWND hwnd, bool focused);
// The window was minimised or restored from the outside; restored, it is
// brought whole onto a work area.
void OnExternalIconic(HWND hwnd, bool iconic);
// The monitor's DPI went from oldDpi to newDpi (each taken through
// SaneDpi): every window of the calling thread gets WM_DPICHANGED,
// suggesting its rectangle scaled by newDpi / oldDpi around the same centre.
void OnMonitorDpiChanged(UINT oldDpi, UINT newDpi);
// The desktop told of monitors or work areas: when the monitors came, went
// or moved (changed), every window of the calling thread gets
// WM_DISPLAYCHANGE; in any case each visible, not minimised window without
// owner that is no longer wholly on its monitor's work area is moved whole
// onto it (BringOntoWorkArea; owned windows follow their owner, minimised
// ones come back when restored). A change may show only at a later event of
// its burst, or not at all where one read caught it half made.
void OnMonitorsChanged(bool changed);

// DefWindowProc's WM_NCLBUTTONDOWN on HTCAPTION: moves the window with the
// pointer while the left button stays down.
void StartCaptionDrag(TWindow& window, POINT screen);

// Sends WM_GETMINMAXINFO and limits a proposed size to its track sizes;
// a new fixed size (TWindow::fixedSize) goes to the backend first.
void LimitSize(HWND hwnd, int* width, int* height);

// The topmost visible window of the calling thread at screen (regions
// respected), or null.
HWND LocalWindowAt(POINT screen);
// The display went away (the X server ended or the connection broke): every
// top-level window of the calling thread is closed as its system close
// (WM_SYSCOMMAND SC_CLOSE) would close it.
void OnDisplayLost();
// The native window was destroyed by someone else (another client, a session
// tool): the window ends as if DestroyWindow had been called.
void OnExternalDestroy(HWND hwnd);
// The window was mapped or unmapped by someone else (another process, a
// window manager): the record follows.
void OnExternalShown(HWND hwnd, bool shown);

// The desktop started or stopped blending translucent windows: the calling
// thread's top-level windows get WM_DWMCOMPOSITIONCHANGED.
void OnCompositionChanged();

// Updates the recorded modifier keys (shift, control, alt) without a message.
void SetModifierState(uint32_t modifiers);

// DefWindowProc's WM_SETICON (returns the previous icon) and WM_GETICON.
LRESULT SetWindowIcon(HWND hwnd, WPARAM which, LPARAM icon);
LRESULT GetWindowIcon(HWND hwnd, WPARAM which);

// Membership of a window region (window coordinates), shared by the backends
// so that every one clips the same pixels.
bool RegionContains(const TRoundRegion& region, int x, int y);

}  // namespace platform::posix
