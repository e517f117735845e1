// The window system: Windows' window model (window handles, window procedures,
// Windows message numbers, timers, posted and sent messages, the message loop,
// capture, focus, layered windows, regions, monitors, DPI) as one interface, so
// that the dialog, its window shell and the paint manager are written once.
// Backends, in this folder: win32/ (the real calls) and, on POSIX, the shared
// window core core/ (windows, queues, timers, messages) with its display
// backends x11/ (Xlib, when DISPLAY is set and the server answers) and
// headless/ (in-process windows painting into canvases; the default without a
// display, and what UI tests drive).
//
// How to use:
//   #include "platform/window/window_system.h"    // types and operations (namespace platform)
//   #include "platform/window/window_messages.h"  // WM_*, VK_*, HT*, SW_*, WS_* ... (global, Windows values)
//
//   LRESULT Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
//     if (m == WM_PAINT) { PAINTSTRUCT ps; BeginPaint(w, &ps); /* draw */
//                          PresentPixels(w, bitmap, ps.rcPaint); EndPaint(w, &ps); return 0; }
//     if (m == WM_DESTROY) PostQuitMessage(0);
//     return DefWindowProc(w, m, wp, lp);
//   }
//   WNDCLASS wc; wc.lpszClassName = u"MyClass"; wc.lpfnWndProc = Proc; RegisterClass(wc);
//   HWND w = CreateWindowEx(0, u"MyClass", u"Title", WS_POPUP, 100, 100, 300, 200, nullptr, obj);
//   ShowWindow(w, SW_SHOW);
//   CMessageLoop loop; loop.Run();
//
// Messages carry their parameters as Windows encodes them (points packed in
// lParam as signed 16-bit x and y, MK_* key state in wParam, ...). Pointer
// parameters (CREATESTRUCT, MINMAXINFO, NCCALCSIZE_PARAMS) point to the structs
// below, which have Windows' layout.
//
// Threads: a window belongs to the thread that created it, and each thread has
// its own message queue. PostMessage, IsWindow and the clock may be called from
// any thread; every other operation on a window only on its own thread.
// Only top-level windows exist (owned or not); there are no child windows.
//
// Portable code must not include <windows.h>; the Win32 backend includes it and
// undoes its A/W macros before including this header (win32/window_win32.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The very same type as Windows' HWND, so handles pass to and from Win32 as is.
struct HWND__;

namespace platform {

using HWND = ::HWND__*;
using UINT = unsigned int;
using DWORD = uint32_t;
using BOOL = int;
using BYTE = uint8_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using LONG_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using WNDPROC = LRESULT (*)(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

struct TMonitor;
using HMONITOR = const TMonitor*;
struct TCursor;
using HCURSOR = const TCursor*;

struct POINT {
  int x = 0;
  int y = 0;
};

struct SIZE {
  int cx = 0;
  int cy = 0;
};

// Half-open like Windows' RECT: right and bottom lie outside.
struct RECT {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const RECT&) const = default;
};

// Premultiplied BGRA pixels, one uint32_t per pixel, top-down; the same layout
// as TTextTarget of text_renderer.h and the canvas of the paint manager.
struct TBitmapView {
  const uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // pixels per row
};

// lParam of WM_NCCREATE and WM_CREATE (Windows' CREATESTRUCTW layout).
struct CREATESTRUCT {
  void* lpCreateParams = nullptr;  // the createParam given to CreateWindowEx
  void* hInstance = nullptr;
  void* hMenu = nullptr;
  HWND hwndParent = nullptr;  // the owner
  int cy = 0, cx = 0, y = 0, x = 0;
  int32_t style = 0;
  const char16_t* lpszName = nullptr;
  const char16_t* lpszClass = nullptr;
  DWORD dwExStyle = 0;
};

// lParam of WM_GETMINMAXINFO (Windows' layout).
struct MINMAXINFO {
  POINT ptReserved;
  POINT ptMaxSize;
  POINT ptMaxPosition;
  POINT ptMinTrackSize;
  POINT ptMaxTrackSize;
};

struct WINDOWPOS {
  HWND hwnd = nullptr;
  HWND hwndInsertAfter = nullptr;
  int x = 0, y = 0, cx = 0, cy = 0;
  UINT flags = 0;
};

// lParam of WM_NCCALCSIZE when wParam is TRUE (Windows' layout): rgrc[0] is the
// proposed window rectangle on entry and the client rectangle on return.
struct NCCALCSIZE_PARAMS {
  RECT rgrc[3];
  WINDOWPOS* lppos = nullptr;
};

// A queued message as GetMessage returns it. time is the tick count when it
// was queued, pt the cursor position then (screen coordinates).
struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt;
  DWORD lPrivate = 0;  // backend data (POSIX: the character a key-down translates to)
};

struct PAINTSTRUCT {
  void* hdc = nullptr;  // backend data
  BOOL fErase = 0;
  RECT rcPaint;  // the area to repaint, client coordinates
};

struct WNDCLASS {
  UINT style = 0;  // CS_* bits; CS_DBLCLKS turns quick second clicks into WM_LBUTTONDBLCLK
  WNDPROC lpfnWndProc = nullptr;
  HCURSOR hCursor = nullptr;  // shown over the client area by DefWindowProc's WM_SETCURSOR; null = arrow
  std::u16string lpszClassName;
};

struct TRACKMOUSEEVENT {
  DWORD cbSize = sizeof(TRACKMOUSEEVENT);
  DWORD dwFlags = 0;  // TME_HOVER, TME_LEAVE, TME_CANCEL
  HWND hwndTrack = nullptr;
  DWORD dwHoverTime = 0;  // ms; HOVER_DEFAULT (0xFFFFFFFF) = 400
};

struct MONITORINFO {
  DWORD cbSize = sizeof(MONITORINFO);
  RECT rcMonitor;     // the monitor, screen coordinates
  RECT rcWork;        // its work area: the monitor without task bars and panels
  DWORD dwFlags = 0;  // MONITORINFOF_PRIMARY
};

// ---- classes and windows -------------------------------------------------

// Registers a window class for this process (RegisterClassExW). False when
// the name is empty, the procedure missing or the class already registered.
[[nodiscard]] bool RegisterClass(const WNDCLASS& wc);

// Creates a top-level window (CreateWindowExW): sends WM_GETMINMAXINFO,
// WM_NCCREATE, WM_NCCALCSIZE and WM_CREATE (lParam a CREATESTRUCT carrying
// createParam), then WM_SIZE and WM_MOVE; with WS_VISIBLE it is shown as by
// ShowWindow(SW_SHOW). x or width CW_USEDEFAULT picks Windows' default (0
// for popups). owner: the owner window (owned windows stay above it in Z
// order and are destroyed with it). Null when the class is unknown, WM_NCCREATE returns
// FALSE or WM_CREATE returns -1 (the window is destroyed again then).
[[nodiscard]] HWND CreateWindowEx(DWORD exStyle, std::u16string_view className, std::u16string_view title,
                                  DWORD style, int x, int y, int width, int height, HWND owner,
                                  void* createParam);

// Destroys the window and the windows it owns: hides it, sends WM_DESTROY and
// then WM_NCDESTROY (the last message it gets), drops its timers, capture and
// focus. False when hwnd is no window of this thread.
bool DestroyWindow(HWND hwnd);

// The default window procedure (DefWindowProcW) for what the program relies
// on: WM_NCCREATE → TRUE; WM_NCHITTEST → HTCLIENT; WM_NCLBUTTONDOWN with
// HTCAPTION → drags the window with the mouse until the button is released
// (through the window manager where there is one); WM_CLOSE → DestroyWindow;
// WM_SYSCOMMAND SC_MINIMIZE / SC_MAXIMIZE / SC_RESTORE → ShowWindow,
// SC_CLOSE → sends WM_CLOSE; WM_SETCURSOR → the class cursor; WM_NCCALCSIZE →
// the whole window is client area for WS_POPUP windows; WM_ERASEBKGND → 1;
// anything else → 0.
LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Sends message to the window procedure at once and returns its result
// (SendMessageW). Only on the window's thread; 0 for no window.
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Queues message for the window's thread and wakes its loop (PostMessageW).
// Any thread. False when hwnd is no window. hwnd null posts to the calling
// thread's queue (a thread message with no window).
bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Queues WM_QUIT with exitCode for the calling thread: GetMessage returns 0
// once the messages before it are taken.
void PostQuitMessage(int exitCode);

// Waits for the next message of the calling thread (GetMessageW, no filter):
// posted messages first, then input, then WM_PAINT for windows with an update
// region, then due WM_TIMER. Returns 0 for WM_QUIT, -1 on failure (msg null),
// otherwise nonzero.
int GetMessage(MSG* msg);

// Like GetMessage but never waits (PeekMessageW, no filter): false when no
// message is ready. removeFlags PM_REMOVE takes it, PM_NOREMOVE leaves it.
bool PeekMessage(MSG* msg, UINT removeFlags);

// Queues WM_CHAR (or WM_SYSCHAR) for a WM_KEYDOWN (WM_SYSKEYDOWN) that types a
// character. True when it did.
bool TranslateMessage(const MSG* msg);

// Waits until a message is ready for the calling thread or timeoutMs passed
// (MsgWaitForMultipleObjects with no handles and QS_ALLINPUT). True when one is.
bool MsgWaitForInput(DWORD timeoutMs);

// Gives msg to its window's procedure and returns the result; WM_TIMER and
// WM_PAINT are dispatched the same way. 0 for messages without window.
LRESULT DispatchMessage(const MSG* msg);

// ---- state, placement and style ------------------------------------------

// True when hwnd is an existing window (of any thread; on Win32 and X11 also of
// another process).
bool IsWindow(HWND hwnd);
// Visible: shown and not hidden (a minimised window is still visible).
bool IsWindowVisible(HWND hwnd);
bool IsIconic(HWND hwnd);
bool IsZoomed(HWND hwnd);
bool IsWindowEnabled(HWND hwnd);

// Shows, hides, minimises, maximises or restores the window (SW_*). Sends
// WM_SHOWWINDOW when visibility changes, WM_SIZE (SIZE_MINIMIZED /
// SIZE_MAXIMIZED / SIZE_RESTORED) and WM_MOVE when the placement changes.
// SW_SHOW, SW_SHOWNORMAL and SW_RESTORE activate the window, SW_SHOWNA and
// SW_SHOWNOACTIVATE do not. Returns whether it was visible before.
bool ShowWindow(HWND hwnd, int command);

// Enables or disables mouse and keyboard input (a disabled window gets none).
// Returns whether it was disabled before.
bool EnableWindow(HWND hwnd, bool enable);

// Moves, sizes, reorders, shows or hides the window (SWP_* flags: NOSIZE,
// NOMOVE, NOZORDER, NOACTIVATE, SHOWWINDOW, HIDEWINDOW, FRAMECHANGED).
// insertAfter: a window to go directly behind, or HWND_TOP / HWND_BOTTOM /
// HWND_TOPMOST; an owned window never goes below its owner (behind the owner
// means directly above it). No WM_SHOWWINDOW, as on Windows. Size changes send
// WM_GETMINMAXINFO first (the size is limited
// to its min/max track sizes) and WM_SIZE after, moves WM_MOVE; FRAMECHANGED
// sends WM_NCCALCSIZE. A window of another process is only moved and sized.
// False when hwnd is no window.
bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);

// SetWindowPos with NOZORDER (and NOACTIVATE); repaint invalidates all of it.
bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint);

// The window rectangle in screen coordinates (also of another process's
// window); false when hwnd is no window.
bool GetWindowRect(HWND hwnd, RECT* rect);
// The client rectangle: (0, 0, width, height) of the client area.
bool GetClientRect(HWND hwnd, RECT* rect);
bool ScreenToClient(HWND hwnd, POINT* point);
bool ClientToScreen(HWND hwnd, POINT* point);

// GWL_STYLE, GWL_EXSTYLE, GWLP_USERDATA (a pointer-sized value for the
// window's object). Set returns the old value; changing WS_EX_LAYERED switches
// the window to per-pixel-alpha presentation or back. 0 for no window.
LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);

// GW_OWNER: the owner window, else null.
HWND GetWindow(HWND hwnd, UINT relation);

// The title as UTF-16 (SetWindowTextW: on X11 WM_NAME and _NET_WM_NAME in UTF-8).
bool SetWindowText(HWND hwnd, std::u16string_view text);
std::u16string GetWindowText(HWND hwnd);

// The class name the window was created with (GetClassNameW); empty for no window.
std::u16string GetClassName(HWND hwnd);

// ---- painting ------------------------------------------------------------

// Adds rect (client coordinates; null = the whole client area) to the
// window's update region; WM_PAINT follows once the queue has nothing else.
bool InvalidateRect(HWND hwnd, const RECT* rect, bool erase);
// Removes rect (null = all) from the update region.
bool ValidateRect(HWND hwnd, const RECT* rect);
// The bounding rectangle of the update region; false (and an empty rect) when
// there is none.
bool GetUpdateRect(HWND hwnd, RECT* rect, bool erase);
// Sends WM_PAINT at once when the update region is not empty.
bool UpdateWindow(HWND hwnd);

// Starts painting in WM_PAINT: ps->rcPaint gets the update region's bounding
// rectangle and the region is validated. Every BeginPaint needs its EndPaint.
bool BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
void EndPaint(HWND hwnd, const PAINTSTRUCT* ps);

// Copies rect (client coordinates, clipped to the bitmap and the client area)
// of bitmap, whose pixel (0, 0) is the client's top-left, onto the window.
// Alpha is ignored: the window is opaque. For windows without WS_EX_LAYERED;
// false when the window is layered, gone or the copy failed.
bool PresentPixels(HWND hwnd, const TBitmapView& bitmap, const RECT& rect);

// UpdateLayeredWindowIndirect with per-pixel alpha (ULW_ALPHA, source over):
// the window becomes bitmap (premultiplied; its size is the window size),
// blended by the constant opacity (255 = as is), at position (screen
// coordinates; null keeps it). dirty (client coordinates; null = all) is the
// part of bitmap that changed since the last update: only it is taken and
// sent to the display, the rest keeps what it showed; a change of size or
// opacity takes all of it. The window must have WS_EX_LAYERED; false
// otherwise or on failure.
bool UpdateLayeredWindow(HWND hwnd, const POINT* position, const TBitmapView& bitmap, BYTE opacity,
                         const RECT* dirty = nullptr);

// The window region (SetWindowRgn with CreateRoundRectRgn): only the round
// rectangle (window coordinates, corners rounded by an ellipse of
// ellipseWidth x ellipseHeight) shows and takes input. As in Windows, the
// pixels of column right-1 and row bottom-1 lie outside, so a region covering a
// w x h window is (0, 0, w + 1, h + 1). The window keeps its own copy.
bool SetWindowRoundRgn(HWND hwnd, const RECT& rect, int ellipseWidth, int ellipseHeight, bool redraw);
// Removes the window region (SetWindowRgn with no region).
bool ClearWindowRgn(HWND hwnd, bool redraw);
// A window region that is the rectangle outer less the rectangle hole (window
// coordinates; CreateRectRgn twice, CombineRgn RGN_DIFF): a frame around
// something the window must never cover. The hole's pixels neither show nor
// take input.
bool SetWindowFrameRgn(HWND hwnd, const RECT& outer, const RECT& hole, bool redraw);

// Whether the desktop blends translucent (layered, per-pixel alpha) windows
// with what lies under them: Win32 asks DwmIsCompositionEnabled (false where
// dwmapi.dll lacks it), X11 whether a compositing manager owns
// _NET_WM_CM_S<screen>; headless blends unless a test said otherwise. Top-level
// windows get WM_DWMCOMPOSITIONCHANGED when the answer changes.
bool IsCompositionEnabled();

// ---- timers --------------------------------------------------------------

// Starts or restarts timer id of the window: WM_TIMER (wParam = id) every
// elapse ms (at least 10), queued at most once at a time. Returns id, or 0
// when hwnd is no window of this thread.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse);
// Stops it; a WM_TIMER already taken is still dispatched. False when unknown.
bool KillTimer(HWND hwnd, UINT_PTR id);

// Milliseconds since an arbitrary start, monotonic (GetTickCount), any thread.
DWORD GetTickCount();

// ---- input ---------------------------------------------------------------

// Mouse input goes to hwnd even outside it until ReleaseCapture (SetCapture).
// Returns the previous capture window of this thread.
HWND SetCapture(HWND hwnd);
// Ends the capture; the window that had it gets WM_CAPTURECHANGED.
bool ReleaseCapture();
HWND GetCapture();

// Gives the keyboard focus to hwnd (SetFocus): the old focus window gets
// WM_KILLFOCUS, hwnd WM_SETFOCUS. Returns the previous focus window; null and
// no change when hwnd is disabled or no window.
HWND SetFocus(HWND hwnd);
// The focus window of this thread, or null.
HWND GetFocus();

// State of a modifier key or mouse button (VK_SHIFT, VK_CONTROL, VK_MENU,
// VK_LBUTTON, VK_RBUTTON, VK_MBUTTON) as of the message being handled: the
// high bit (0x8000) set while down.
int16_t GetKeyState(int virtualKey);

// The cursor position in screen coordinates.
bool GetCursorPos(POINT* point);

// Asks for WM_MOUSEHOVER after the mouse rests dwHoverTime ms in the window
// (TME_HOVER) and WM_MOUSELEAVE when it leaves the client area (TME_LEAVE);
// each request fires once. TME_CANCEL withdraws. False for no window.
bool TrackMouseEvent(TRACKMOUSEEVENT* track);

// The system cursor IDC_ARROW or IDC_HAND (LoadCursorW with no module); null
// for other ids.
HCURSOR LoadCursor(UINT cursorId);
// Shows cursor while the mouse is over the window under it (SetCursor); used
// in WM_SETCURSOR. Returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);

// ---- tooltip -------------------------------------------------------------

// A tooltip window owned by owner: a small always-on-top popup without
// decoration that never takes input or focus. Destroy with DestroyWindow.
[[nodiscard]] HWND CreateToolTipWindow(HWND owner);
// Shows text (lines wrapped at maxWidth pixels when > 0) just below point
// (screen coordinates), kept on the monitor; replaces what it showed.
bool ShowToolTip(HWND tooltip, std::u16string_view text, POINT point, int maxWidth);
bool HideToolTip(HWND tooltip);

// ---- monitors and DPI ----------------------------------------------------

// The monitor that contains point, else per flags (MONITOR_DEFAULTTONEAREST,
// MONITOR_DEFAULTTOPRIMARY, MONITOR_DEFAULTTONULL).
HMONITOR MonitorFromPoint(POINT point, DWORD flags);
// The monitor that holds most of the window, else per flags.
HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags);
// The monitor that holds most of rect (screen coordinates), else per flags.
HMONITOR MonitorFromRect(const RECT& rect, DWORD flags);
// Its rectangle and work area; false for a null monitor.
bool GetMonitorInfo(HMONITOR monitor, MONITORINFO* info);
// The effective DPI of monitor (horizontal), with the fallbacks: Win32 asks
// GetDpiForMonitor of shcore.dll, 96 when the query fails or the library
// lacks it, the screen's logical pixels per inch when the library is missing;
// X11 reads the Xft.dpi resource, else 96; headless: 96 unless a test set it.
// When it changes, the windows get WM_DPICHANGED (Win32: from the system; X11:
// when the root's RESOURCE_MANAGER changes; headless: SetTestMonitor).
UINT GetDpiForMonitor(HMONITOR monitor);
// The DPIs a display may sensibly claim. Anything else (0, a misread or
// hostile resource) is unknown and taken as 96, so no window is ever drawn
// at a scale it cannot come back from.
inline constexpr UINT kMinDpi = 48, kMaxDpi = 960;
inline UINT SaneDpi(UINT dpi) { return dpi >= kMinDpi && dpi <= kMaxDpi ? dpi : 96; }

// ---- other processes -----------------------------------------------------

// The first top-level window of class className, of this or another process
// (FindWindowW, no title; X11 matches WM_CLASS). Null when there is none.
HWND FindWindow(std::u16string_view className);
// Brings the window (possibly of another process) to the front and gives it
// the input focus (X11: _NET_ACTIVE_WINDOW). False when it could not.
bool SetForegroundWindow(HWND hwnd);
// Whether a user can see this process's windows: always on Windows. On POSIX
// when they are on an X server, or when the headless backend was asked for
// by name (ORV_WINDOW_BACKEND=headless); not when headless is only the
// stand-in for a missing or unreachable display.
bool HasUserDisplay();

// ---- message loop --------------------------------------------------------

// Offered each message before dispatch; TRUE consumes it.
class CMessageFilter {
 public:
  virtual BOOL PreTranslateMessage(MSG* msg) = 0;

 protected:
  ~CMessageFilter() = default;
};

// Called when the queue runs empty after activity; the result is ignored.
class CIdleHandler {
 public:
  virtual BOOL OnIdle() = 0;

 protected:
  ~CIdleHandler() = default;
};

// The thread's message loop, with message filters and idle handlers. Run:
// while idle processing is enabled and no message is ready, every idle handler
// runs once in registration order and idle processing is disabled; GetMessage
// (-1 skipped, WM_QUIT ends it); filters are offered the message newest first
// and the first that returns TRUE consumes it; otherwise TranslateMessage and
// DispatchMessage. Any message but WM_PAINT, WM_NCMOUSEMOVE, WM_MOUSEMOVE and
// 0x0118 enables idle processing again.
class CMessageLoop {
 public:
  // Adding the same object twice keeps one entry; Remove takes it out by
  // identity and returns false when it was not there.
  bool AddMessageFilter(CMessageFilter* filter);
  bool RemoveMessageFilter(CMessageFilter* filter);
  bool AddIdleHandler(CIdleHandler* handler);
  bool RemoveIdleHandler(CIdleHandler* handler);
  // Runs until WM_QUIT and returns its exit code (wParam).
  int Run();

 private:
  static bool IsIdleMessage(const MSG& msg);
  void RunIdleHandlers();
  bool PreTranslate(MSG* msg);

  std::vector<CMessageFilter*> m_filters;
  std::vector<CIdleHandler*> m_idleHandlers;
};

// The loop registered for the calling thread (one per thread), as the module
// object keeps it: Add fails when the thread has one already; Get returns null
// when none is registered.
[[nodiscard]] bool AddMessageLoop(CMessageLoop* loop);
bool RemoveMessageLoop();
CMessageLoop* GetMessageLoop();

}  // namespace platform
