// X11 window backend, shared parts: the connection each thread opens to the
// X server (a window's events arrive on the connection that made it), the
// atoms, and the native data of a window.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <string>
#include <vector>

#include "platform/window/core/window_backend.h"
#include "platform/window/window_messages.h"

namespace platform::posix::x11 {

struct TAtoms {
  Atom wmProtocols, wmDeleteWindow, wmState, netWmName, utf8String, netWmState, netWmStateHidden,
      netWmStateMaxVert, netWmStateMaxHorz, netWmStateSkipTaskbar, netWmStateAbove, netActiveWindow,
      netWmMoveResize, netWorkArea, netCurrentDesktop, netSupported, netWmWindowType, netWmWindowTypeNormal,
      netWmWindowTypeTooltip, netWmWindowTypeUtility, netWmPid, netWmIcon, motifWmHints, netWmCmScreen,
      netWmStrutPartial, netWmStrut, netWmStateShaded, netWmDesktop, netWmUserTime, netStartupId;
};

// One thread's connection. Opened on first use by that thread.
struct TConnection {
  Display* display = nullptr;
  int screen = 0;
  Window root = 0;
  // The screen's default visual, for opaque windows, and a 32-bit ARGB one
  // for windows made layered (argb false: the server has none, the default
  // serves both). Only windows that need per-pixel alpha get it: a 32-bit
  // window is always composited, and whatever reads the screen back through
  // the server (GetImage, screenshot tools) gets its raw, unblended pixels.
  Visual* visual = nullptr;
  int depth = 0;
  Colormap colormap = 0;
  bool argb = false;
  Visual* argbVisual = nullptr;
  int argbDepth = 0;
  Colormap argbColormap = 0;
  TAtoms atoms{};
  Cursor arrow = 0;
  Cursor hand = 0;
  unsigned long focusSerial = 0;  // focus events older than our last focus request are stale
  // The server time of the last key or button press on our windows: the
  // user's last action here, which the window manager weighs when a window
  // of ours maps or asks to be activated. 0 before any.
  Time userTime = 0;
  // XFixes tells when the owner of _NET_WM_CM_S<screen> (a compositing
  // manager) changes; -1 without the extension.
  int fixesEventBase = -1;
  bool composited = false;
  // Something that decides where or whether a ring shows changed (its
  // owner's state, workspace or place, the stacking of the root's
  // children): the rings follow once the events at hand are read.
  bool ringsStale = false;
  // The connection broke (Xlib's I/O error); nothing is read from it again.
  bool lost = false;
  bool lostReported = false;
  // The connection's socket has data (a wait saw it), or it was last read
  // long enough ago to look again: reading it costs a system call per message.
  bool socketReadable = true;
  int64_t lastSocketRead = 0;
  // MIT-SHM: unknown until the first image is made, then whether shared
  // images work (the extension is offered and attaching succeeded).
  enum EShm { kShmUnknown, kShmUsable, kShmUnusable } shm = kShmUnknown;
  // Xft.dpi as last read from the root's RESOURCE_MANAGER, which the
  // connection watches: a change reaches our windows as WM_DPICHANGED.
  UINT dpi = 96;
  // The monitors with their work areas as last read (window_x11_monitors.cpp);
  // RandR events and changes of the root's work area or desktop mark them stale.
  std::vector<IWindowBackend::TMonitorInfo> monitors;
  bool monitorsStale = true;
  int randrVersion = -1;  // major * 100 + minor, 0 without RandR; -1: not asked yet
  int randrEventBase = 0;
};

// What a window shows, on the client side: one image of the window's size,
// in memory shared with the server (MIT-SHM) when it offers that, else in
// ordinary memory (remote displays). Presenting copies the changed rectangle
// into it once and puts that rectangle from it (window_x11_present.cpp).
struct TWindowImage {
  XImage* image = nullptr;
  XShmSegmentInfo segment{};
  bool shared = false;
  // The last shared put: the server reads the segment until it has handled it.
  unsigned long pendingSerial = 0;
  bool layeredShown = false;    // holds the layered frame, put back on expose
  bool inputShaped = false;     // the input shape follows its alpha
  unsigned char opacity = 255;  // of the layered frame it holds
};

// XSetInputFocus, remembering the request so that older focus events are
// recognised as stale.
void SetInputFocus(TConnection& c, Window window);

// One strip of a ring-shaped window: its X window and its part of the
// window, in window coordinates (window_x11_ring.cpp).
struct TRingEdge {
  Window id = 0;
  RECT area{};
};

// The native side of one of our windows.
struct TNativeWindow {
  Window id = 0;
  GC gc = nullptr;
  Visual* visual = nullptr;
  int depth = 0;
  // A window whose region is a ring (a shadow around its owner) is shown as
  // the edge windows around the hole; its own X window then stays unmapped.
  std::vector<TRingEdge> edges;
  bool edgesShown = false;
  // The edges' shapes leave out these rectangles (root coordinates) of
  // windows above the owner; stale when the edges moved or were made.
  std::vector<RECT> covered;
  bool edgeShapesStale = true;
  // A managed window's frame (the child of the root that holds it), 0 until
  // asked after a reparent; and the frame's place as last reported.
  Window frame = 0;
  POINT frameOrigin{};
  unsigned long placementSerial = 0;  // configure events older than this are our own, stale
  unsigned long mapSerial = 0;        // the same for map and unmap
  bool focusWhenMapped = false;
  bool mapped = false;
  TWindowImage pixels;
};

// The calling thread's connection, opened on first use; null when the server
// cannot be reached.
TConnection* Connection();
// The calling thread's connection if it has one already.
TConnection* ExistingConnection();
// The display name the backend was created for.
const std::string& DisplayName();

inline Window XidOf(HWND hwnd) { return static_cast<Window>(reinterpret_cast<uintptr_t>(hwnd)); }
inline HWND HwndOf(Window id) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(id)); }
inline TNativeWindow& NativeOf(TWindow& window) { return *static_cast<TNativeWindow*>(window.native); }
// A window that is never activated wants nothing of a window manager, which
// would frame it, list it, focus it, keep it above its owner and place it as
// it likes; override-redirect keeps it where and as we put it.
inline bool IsUnmanaged(const TWindow& window) { return (window.exStyle & WS_EX_NOACTIVATE) != 0; }

// Reads one property of 32-bit items (CARD32, ATOM, WINDOW); empty when absent.
std::vector<unsigned long> ReadLongs(TConnection& c, Window window, Atom property, Atom type);
bool WindowManagerSupports(TConnection& c, Atom feature);
// Sends a _NET_* client message about window to the root window.
void SendRootMessage(TConnection& c, Window window, Atom type, long d0, long d1, long d2, long d3, long d4);

// WM_CLASS, the window type, Motif decorations, owner, protocols and pid of
// an X window that shows window (window_x11_backend.cpp).
void DescribeToManager(TConnection& c, TWindow& window, Window id);
// The rows of the window's region as runs (the hole splits a row in two).
std::vector<XRectangle> RegionRows(const TRoundRegion& region, int width, int height);

// Ring-shaped windows (window_x11_ring.cpp). SyncRing makes, places and
// shapes the edge windows while the window's region is a ring with a hole
// (and removes them when it stops being one). A ring owned by a managed
// window (the shadow) shows only while its owner shows on the screen, and
// directly below the owner's frame: no window manager does that for a
// window it does not manage. ShowRing records whether the window itself is
// shown; FollowOwner puts the edges in step with it and the owner, and
// FollowOwners does so for every ring of the thread.
void SyncRing(TConnection& c, TWindow& window);
void ShowRing(TConnection& c, TWindow& window, bool show);
void FollowOwner(TConnection& c, TWindow& window);
void FollowOwners(TConnection& c);
void DestroyRing(TConnection& c, TNativeWindow& native);
// Our window that X window id shows: itself, or the ring its edge belongs to.
HWND HwndOfEventWindow(Window id);

// Presentation (window_x11_present.cpp). Opaque: rect of bitmap, alpha made
// opaque. Layered: dirty of bitmap scaled by opacity, kept for exposes, the
// input shape following alpha (fully transparent pixels let the pointer
// through, as on Windows).
bool PresentOpaque(TConnection& c, TWindow& window, const TBitmapView& bitmap, const RECT& rect);
bool PresentLayeredFrame(TConnection& c, TWindow& window, const TBitmapView& bitmap, BYTE opacity,
                         const RECT& dirty);
// Puts area of the layered frame the window holds back on the screen; false
// when it holds none (the window is then repainted as an opaque one is).
bool PutBackLayered(TConnection& c, TNativeWindow& native, const RECT& area);
// Forgets the layered frame (the window stopped being layered).
void DropLayeredFrame(TConnection& c, TNativeWindow& native);
// Frees the window's image before the window goes.
void ReleaseImage(TConnection& c, TNativeWindow& native);

// Reports the native events that are ready (window_x11_events.cpp).
void PumpEvents(TConnection& c);

// Whether a compositing manager owns _NET_WM_CM_S<screen> now.
bool CompositorRuns(TConnection& c);
// The child of the root that holds window: its window manager's frame, or
// itself when it has none.
Window TopLevelOf(TConnection& c, Window window);
// The frame of one of our windows, asked once after each reparent.
Window FrameOf(TConnection& c, TNativeWindow& native);
// Whether the window manager shows the window now: viewable, neither
// minimised (WM_STATE, _NET_WM_STATE_HIDDEN) nor shaded, and on the current
// workspace or on all of them.
bool ManagerShows(TConnection& c, Window window);

// The monitors with their work areas (window_x11_monitors.cpp).
std::vector<IWindowBackend::TMonitorInfo> Monitors(TConnection& c);
// Desktop facts and windows of other processes (window_x11_desktop.cpp).
// Xft.dpi of the root's RESOURCE_MANAGER property as it is now; 96 without one.
UINT ReadXftDpi(TConnection& c);
// RESOURCE_MANAGER changed: a new Xft.dpi is recorded and sent to the
// calling thread's windows as WM_DPICHANGED.
void OnResourcesChanged(TConnection& c);
HWND FindForeignWindow(TConnection& c, const std::string& className);
bool ForeignExists(TConnection& c, Window window);
bool ForeignViewableOrIconic(TConnection& c, Window window);
bool ForeignIconic(TConnection& c, Window window);
bool ForeignMaximized(TConnection& c, Window window);
bool ForeignShow(TConnection& c, Window window, int command);
// EWMH source indications of _NET_ACTIVE_WINDOW: an application's own
// request, or one made on a user's direct action.
constexpr long kActivationByApplication = 1;
constexpr long kActivationByUser = 2;
// Asks the window manager to activate window (it decides); without one,
// raises it and gives it the focus, as nobody else would.
bool ActivateWindow(TConnection& c, Window window, long source);
// Whether a window manager runs that takes _NET_ACTIVE_WINDOW requests: it
// then decides which window has the keyboard focus.
bool WindowManagerActivates(TConnection& c);
// The time of the user's last action known to this process: the last press
// on our windows, else the launch time that start-up notification passed
// (DESKTOP_STARTUP_ID's "_TIME<n>"); CurrentTime when neither is known.
Time UserTime(TConnection& c);
// DESKTOP_STARTUP_ID as this process was started with; empty without.
const std::string& StartupId();
// Ends the launch that start-up notification announced (once per process;
// nothing without one): the launcher stops showing it as starting. window
// is one of ours, naming the message.
void CompleteStartup(TConnection& c, Window window);

// Key translation (window_x11_events.cpp): the virtual key of a keysym.
int VirtualKeyOf(unsigned long keysym);
unsigned long KeysymOf(int virtualKey);

}  // namespace platform::posix::x11
