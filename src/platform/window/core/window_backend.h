// What a POSIX display backend does for the window core (window_core.h):
// the native side of windows, presentation, monitors, and waiting for native
// events beside the thread's wake descriptor. Every operation runs on the
// window's own thread.
#pragma once

#include <poll.h>

#include "platform/window/core/window_core.h"

namespace platform::posix {

class IWindowBackend {
 public:
  virtual ~IWindowBackend() = default;
  virtual const char* GetName() const = 0;

  // Makes the native window for a new record (unmapped, at window.rect) and
  // returns the handle the record is known by; null on failure.
  virtual HWND CreateNative(TWindow& window) = 0;
  virtual void DestroyNative(TWindow& window) = 0;
  // Shows or hides (window.visible, window.iconic tell which); activate: the
  // window is shown to be activated, which a window manager may refuse.
  virtual void ApplyVisibility(TWindow& window, bool activate) = 0;
  // Moves and sizes the native window to window.rect.
  virtual void ApplyPlacement(TWindow& window) = 0;
  // Tells the desktop that window.fixedSize is the only size the window may
  // have (0 x 0: any), before a placement of that size.
  virtual void ApplySizeLimits(TWindow& window) = 0;
  // Restacks the native window directly above `below` (null: to the top).
  virtual void ApplyStacking(TWindow& window, HWND below) = 0;
  virtual void ApplyTitle(TWindow& window) = 0;
  // Shows window.bigIcon and window.smallIcon (either may be null).
  virtual void ApplyIcons(TWindow& window) = 0;
  // Called when WS_EX_LAYERED or the region changed.
  virtual void ApplyLayered(TWindow& window) = 0;
  virtual void ApplyRegion(TWindow& window) = 0;
  virtual void ApplyCursor(TWindow& window, HCURSOR cursor) = 0;
  // Native pointer grab for SetCapture (null releases it).
  virtual void ApplyCapture(TWindow* window) = 0;
  // The core gave window the keyboard focus: the native focus follows where
  // the desktop lets it (from one of our windows to another).
  virtual void ApplyFocus(TWindow& window) = 0;

  // Whether translucent windows are blended with what lies under them (a
  // compositing desktop).
  virtual bool IsComposited() = 0;

  // Shows rect of bitmap (clipped to both and to the client area) on the
  // opaque window, alpha ignored.
  virtual bool Present(TWindow& window, const TBitmapView& bitmap, const RECT& rect) = 0;
  // The layered window becomes bitmap (its size is the window's) scaled by
  // opacity; only dirty (within the bitmap, not empty) changed since the last
  // call, the rest keeps what the window holds. A bitmap of a new size comes
  // with dirty covering all of it.
  virtual bool PresentLayered(TWindow& window, const TBitmapView& bitmap, BYTE opacity,
                              const RECT& dirty) = 0;

  // Starts dragging the window by its caption with the pointer at screen.
  // False when the backend leaves it to the core (which then moves the window
  // with the pointer until the button is released).
  virtual bool BeginCaptionDrag(TWindow& window, POINT screen) = 0;

  // Monitors, the first one primary; rectangles in screen coordinates.
  struct TMonitorInfo {
    RECT monitor;
    RECT work;
    UINT dpi = 96;
  };
  virtual std::vector<TMonitorInfo> GetMonitors() = 0;
  virtual bool GetPointer(POINT* screen) = 0;

  // Reports native events that are ready to the core, one at a time, until
  // the thread's input queue holds a message or none is left. Input stays raw
  // until the queue needs it, as on Windows, so that what DefWindowProc starts
  // (a caption drag) sees the input that follows.
  virtual void Pump() = 0;
  // Waits until a native event is ready, the thread's wakeFd is readable or
  // timeoutNs (-1 = no limit) passed. True when wakeFd is readable.
  virtual bool Wait(int wakeFd, int64_t timeoutNs) = 0;

  // Windows of other processes (headless: none).
  virtual HWND FindForeign(std::u16string_view className) = 0;
  virtual bool IsForeign(HWND hwnd) = 0;
  virtual bool ForeignIsVisible(HWND hwnd) = 0;
  virtual bool ForeignIsZoomed(HWND hwnd) = 0;
  virtual bool ForeignIsIconic(HWND hwnd) = 0;
  virtual bool ForeignShow(HWND hwnd, int command) = 0;
  // Asks the desktop to activate the window: ours on our own request, another
  // process's on the user's (a second start).
  virtual bool Activate(HWND hwnd) = 0;
  // Its rectangle in screen coordinates, and moving and sizing it there.
  virtual bool ForeignRect(HWND hwnd, RECT* rect) = 0;
  virtual bool ForeignPlace(HWND hwnd, const RECT& rect) = 0;
};

// What the test driver asks of a display: input as a user gives it, and what
// the screen shows. The headless backend is its own; the X11 one lives in the
// testing library (XTEST), so the program never carries it.
class IWindowTestInput {
 public:
  virtual ~IWindowTestInput() = default;
  virtual bool InjectMotion(POINT screen) = 0;
  virtual bool InjectButton(int button, bool down) = 0;
  virtual bool InjectWheel(int delta) = 0;
  virtual bool InjectKey(int virtualKey, bool down) = 0;
  // Returns once injected input has reached the thread's native event stream.
  virtual void FlushInjected() = 0;
  // The screen pixels of rect as opaque 0xFFRRGGBB values, row by row.
  virtual bool CaptureScreen(const RECT& rect, std::vector<uint32_t>* pixels) = 0;
};

// ppoll with a timeout in nanoseconds (-1 = no limit).
int PollFor(pollfd* fds, int count, int64_t timeoutNs);

std::unique_ptr<IWindowBackend> CreateHeadlessBackend();
// Replaces the headless backend's monitor; false when another backend is in
// use. A new DPI sends WM_DPICHANGED to the calling thread's windows.
bool SetHeadlessMonitor(const RECT& monitor, const RECT& work, UINT dpi);
// Sets whether the headless desktop blends translucent windows; false when
// another backend is in use.
bool SetHeadlessComposition(bool blended);
// Null when no X server answers at display (null: $DISPLAY).
std::unique_ptr<IWindowBackend> CreateX11Backend(const char* display);
// Test input through XTEST and screenshots of the root window, for the test
// driver (x11/window_x11_test_input.cpp, in the testing library only).
namespace x11 {
IWindowTestInput& TestInput();
}  // namespace x11

}  // namespace platform::posix
