// X11 window backend (Xlib). Implements: one connection per thread; windows
// made with WS_EX_LAYERED on a 32-bit ARGB visual when the server has one,
// all others on the screen's default visual (a window made layered later
// keeps its visual: on the default one its translucent pixels show over
// black); a ring-shaped region as four edge windows around the hole
// (window_x11_ring.cpp); WM_CLASS from the class
// name, WM_NAME and _NET_WM_NAME in UTF-8; Motif hints for undecorated popups;
// owned windows as transients; windows that are never activated
// (WS_EX_NOACTIVATE: tooltips, shadows) override-redirect, out of the window
// manager's hands; window icons as _NET_WM_ICON; XShape for regions, for
// letting the pointer through fully transparent layered pixels and through
// WS_EX_TRANSPARENT windows; XFixes to follow the compositing manager;
// caption dragging through _NET_WM_MOVERESIZE when the window manager offers
// it; pointer grabs for capture; waiting on the X connection beside the
// thread's wake descriptor. Presentation is in window_x11_present.cpp.
// Monitors and work areas: window_x11_monitors.cpp. Does not implement:
// child windows, input on the edges of a ring (they let it through).
#include <X11/Xatom.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "common/text.h"
#include "platform/window/x11/window_x11.h"
#include "platform/window/x11/window_x11_monitors.h"
#include "platform/window/window_messages.h"

namespace platform::posix::x11 {
namespace {

std::string g_displayName;

// Requests about windows that vanished meanwhile fail harmlessly; Xlib's
// default handler would end the process.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

// A broken connection (the server ended or was killed) must not end the
// process as Xlib's default does: the windows on it are closed like a close
// by the user, and the program ends as it always does. Xlib calls the exit
// handler after the I/O error handler; when it returns, the display stays
// unusable and further calls on it return at once.
int QuietIOError(Display*) { return 0; }
void OnConnectionLost(Display*, void* connection) { static_cast<TConnection*>(connection)->lost = true; }

Atom Intern(Display* d, const char* name) { return XInternAtom(d, name, False); }

void InternAtoms(TConnection& c) {
  Display* d = c.display;
  TAtoms& a = c.atoms;
  a.wmProtocols = Intern(d, "WM_PROTOCOLS");
  a.wmDeleteWindow = Intern(d, "WM_DELETE_WINDOW");
  a.wmState = Intern(d, "WM_STATE");
  a.netWmName = Intern(d, "_NET_WM_NAME");
  a.utf8String = Intern(d, "UTF8_STRING");
  a.netWmState = Intern(d, "_NET_WM_STATE");
  a.netWmStateHidden = Intern(d, "_NET_WM_STATE_HIDDEN");
  a.netWmStateMaxVert = Intern(d, "_NET_WM_STATE_MAXIMIZED_VERT");
  a.netWmStateMaxHorz = Intern(d, "_NET_WM_STATE_MAXIMIZED_HORZ");
  a.netWmStateSkipTaskbar = Intern(d, "_NET_WM_STATE_SKIP_TASKBAR");
  a.netWmStateAbove = Intern(d, "_NET_WM_STATE_ABOVE");
  a.netActiveWindow = Intern(d, "_NET_ACTIVE_WINDOW");
  a.netWmMoveResize = Intern(d, "_NET_WM_MOVERESIZE");
  a.netWorkArea = Intern(d, "_NET_WORKAREA");
  a.netCurrentDesktop = Intern(d, "_NET_CURRENT_DESKTOP");
  a.netSupported = Intern(d, "_NET_SUPPORTED");
  a.netWmWindowType = Intern(d, "_NET_WM_WINDOW_TYPE");
  a.netWmWindowTypeNormal = Intern(d, "_NET_WM_WINDOW_TYPE_NORMAL");
  a.netWmWindowTypeTooltip = Intern(d, "_NET_WM_WINDOW_TYPE_TOOLTIP");
  a.netWmWindowTypeUtility = Intern(d, "_NET_WM_WINDOW_TYPE_UTILITY");
  a.netWmPid = Intern(d, "_NET_WM_PID");
  a.netWmIcon = Intern(d, "_NET_WM_ICON");
  a.motifWmHints = Intern(d, "_MOTIF_WM_HINTS");
  a.netWmStrutPartial = Intern(d, "_NET_WM_STRUT_PARTIAL");
  a.netWmStrut = Intern(d, "_NET_WM_STRUT");
  a.netWmStateShaded = Intern(d, "_NET_WM_STATE_SHADED");
  a.netWmDesktop = Intern(d, "_NET_WM_DESKTOP");
  a.netWmUserTime = Intern(d, "_NET_WM_USER_TIME");
  a.netStartupId = Intern(d, "_NET_STARTUP_ID");
  std::string compositor = "_NET_WM_CM_S" + std::to_string(c.screen);
  a.netWmCmScreen = Intern(d, compositor.c_str());
}

// Asks XFixes for an event whenever the compositing manager's selection
// changes hands (a compositor starts, stops or dies).
void FollowCompositor(TConnection& c) {
  int errorBase = 0;
  if (!XFixesQueryExtension(c.display, &c.fixesEventBase, &errorBase)) {
    c.fixesEventBase = -1;
  } else {
    XFixesSelectSelectionInput(c.display, c.root, c.atoms.netWmCmScreen,
                               XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
  }
  c.composited = CompositorRuns(c);
}

void ChooseVisuals(TConnection& c) {
  c.visual = DefaultVisual(c.display, c.screen);
  c.depth = DefaultDepth(c.display, c.screen);
  c.colormap = DefaultColormap(c.display, c.screen);
  XVisualInfo info;
  c.argb = XMatchVisualInfo(c.display, c.screen, 32, TrueColor, &info) != 0;
  c.argbVisual = c.argb ? info.visual : c.visual;
  c.argbDepth = c.argb ? 32 : c.depth;
  c.argbColormap = c.argb ? XCreateColormap(c.display, c.root, c.argbVisual, AllocNone) : c.colormap;
}

std::unique_ptr<TConnection, void (*)(TConnection*)> Open(const char* name) {
  auto close = [](TConnection* c) {
    if (c->display) XCloseDisplay(c->display);
    delete c;
  };
  std::unique_ptr<TConnection, void (*)(TConnection*)> c(new TConnection, close);
  c->display = XOpenDisplay(name);
  if (!c->display) return c;
  XSetIOErrorExitHandler(c->display, OnConnectionLost, c.get());
  c->screen = DefaultScreen(c->display);
  c->root = RootWindow(c->display, c->screen);
  InternAtoms(*c);
  ChooseVisuals(*c);
  FollowCompositor(*c);
  c->arrow = XCreateFontCursor(c->display, XC_left_ptr);
  c->hand = XCreateFontCursor(c->display, XC_hand2);
  // Xft.dpi lives in the root's RESOURCE_MANAGER: watch it for DPI changes.
  // The root's children (window managers' frames) restack and move: rings
  // follow their owners' frames.
  XSelectInput(c->display, c->root, PropertyChangeMask | SubstructureNotifyMask);
  c->dpi = ReadXftDpi(*c);
  return c;
}

thread_local std::unique_ptr<TConnection, void (*)(TConnection*)> t_connection{nullptr, nullptr};

// How long a server may take to answer a new connection. XOpenDisplay has no
// deadline of its own: on a stopped server it waits for ever.
constexpr auto kConnectDeadline = std::chrono::seconds(5);

// Whether the server at name answers a connection within the deadline. The
// attempt runs on a thread of its own; one that never ends is left behind
// and closes its connection should the server ever answer. Without a thread
// there is no deadline to keep: the server counts as silent.
bool ServerAnswers(const std::string& name) {
  struct TAttempt {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    bool answered = false;
  };
  auto attempt = std::make_shared<TAttempt>();
  try {
    std::thread([attempt, name] {
      Display* probe = XOpenDisplay(name.c_str());
      if (probe) XCloseDisplay(probe);
      std::lock_guard<std::mutex> hold(attempt->lock);
      attempt->finished = true;
      attempt->answered = probe != nullptr;
      attempt->done.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return false;
  }
  std::unique_lock<std::mutex> hold(attempt->lock);
  return attempt->done.wait_for(hold, kConnectDeadline, [&] { return attempt->finished; }) &&
         attempt->answered;
}

void SetAtomList(TConnection& c, Window w, Atom property, const std::vector<Atom>& atoms) {
  XChangeProperty(c.display, w, property, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
}

bool IsToolTip(const TWindow& window) {
  return (window.exStyle & WS_EX_TOOLWINDOW) && (window.exStyle & WS_EX_NOACTIVATE);
}

}  // namespace

void DescribeToManager(TConnection& c, TWindow& window, Window id) {
  std::string className = Utf16ToUtf8(window.windowClass->name);
  XClassHint hint{className.data(), className.data()};
  XSetClassHint(c.display, id, &hint);
  Atom type = IsToolTip(window)                     ? c.atoms.netWmWindowTypeTooltip
              : (window.exStyle & WS_EX_TOOLWINDOW) ? c.atoms.netWmWindowTypeUtility
                                                    : c.atoms.netWmWindowTypeNormal;
  SetAtomList(c, id, c.atoms.netWmWindowType, {type});
  if (!(window.style & WS_CAPTION)) {
    long motif[5] = {2, 0, 0, 0, 0};  // flags: decorations given; decorations: none
    XChangeProperty(c.display, id, c.atoms.motifWmHints, c.atoms.motifWmHints, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(motif), 5);
  }
  if (window.owner) XSetTransientForHint(c.display, id, XidOf(window.owner));
  std::vector<Atom> states;
  if (window.owner && !(window.exStyle & WS_EX_APPWINDOW)) states.push_back(c.atoms.netWmStateSkipTaskbar);
  if (window.exStyle & WS_EX_TOPMOST) states.push_back(c.atoms.netWmStateAbove);
  SetAtomList(c, id, c.atoms.netWmState, states);
  XSetWMProtocols(c.display, id, &c.atoms.wmDeleteWindow, 1);
  long pid = getpid();
  XChangeProperty(c.display, id, c.atoms.netWmPid, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  XSizeHints size{};
  size.flags = USPosition | USSize;
  XSetWMNormalHints(c.display, id, &size);
  XWMHints wm{};
  wm.flags = InputHint;
  wm.input = IsUnmanaged(window) ? False : True;
  XSetWMHints(c.display, id, &wm);
  // Ties the window to the launch that start-up notification announced.
  const std::string& startup = StartupId();
  if (!startup.empty() && !IsUnmanaged(window))
    XChangeProperty(c.display, id, c.atoms.netStartupId, c.atoms.utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(startup.data()), static_cast<int>(startup.size()));
}

namespace {
void AddRun(std::vector<XRectangle>& runs, int left, int right, int y) {
  if (right > left)
    runs.push_back(
        {static_cast<short>(left), static_cast<short>(y), static_cast<unsigned short>(right - left), 1});
}

}  // namespace

// The runs of each row of the region: the round rectangle's row is one run,
// which a hole may split in two.
std::vector<XRectangle> RegionRows(const TRoundRegion& region, int width, int height) {
  TRoundRegion outline = region;
  outline.hole = {};
  const RECT& hole = region.hole;
  std::vector<XRectangle> rows;
  for (int y = 0; y < height; ++y) {
    int left = 0;
    while (left < width && !RegionContains(outline, left, y)) ++left;
    int right = width;
    while (right > left && !RegionContains(outline, right - 1, y)) --right;
    if (y < hole.top || y >= hole.bottom || hole.right <= left || hole.left >= right) {
      AddRun(rows, left, right, y);
    } else {
      AddRun(rows, left, std::max(left, static_cast<int>(hole.left)), y);
      AddRun(rows, std::min(right, static_cast<int>(hole.right)), right, y);
    }
  }
  return rows;
}

namespace {

// _NET_WM_USER_TIME before a window maps: the time of the user's action
// that made it appear, when known, lets the window manager weigh it against
// what the user did since (no property: it applies its own rules); 0 asks
// it not to focus the window, for a window shown without activation.
void SetUserTimeForMap(TConnection& c, Window id, bool activate) {
  const unsigned long time = activate ? UserTime(c) : 0;
  if (activate && time == CurrentTime) {
    XDeleteProperty(c.display, id, c.atoms.netWmUserTime);
    return;
  }
  XChangeProperty(c.display, id, c.atoms.netWmUserTime, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&time), 1);
}

// Input passes through a WS_EX_TRANSPARENT window: its input shape is empty.
void ApplyInputTransparency(TConnection& c, const TWindow& window, Window id) {
  if (window.exStyle & WS_EX_TRANSPARENT)
    XShapeCombineRectangles(c.display, id, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
}

class CX11Backend final : public IWindowBackend {
 public:
  const char* GetName() const override { return "x11"; }

  HWND CreateNative(TWindow& window) override {
    TConnection* c = Connection();
    if (!c) return nullptr;
    // Only a window made layered needs per-pixel alpha.
    const bool argb = (window.exStyle & WS_EX_LAYERED) != 0;
    XSetWindowAttributes attributes{};
    attributes.colormap = argb ? c->argbColormap : c->colormap;
    attributes.border_pixel = 0;
    attributes.background_pixel = (window.exStyle & WS_EX_LAYERED) ? 0 : 0xFFFFFFFF;
    attributes.override_redirect = IsUnmanaged(window) ? True : False;
    attributes.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask |
                            PointerMotionMask | EnterWindowMask | LeaveWindowMask | KeyPressMask |
                            KeyReleaseMask | FocusChangeMask | PropertyChangeMask;
    const RECT& r = window.rect;
    Window id = XCreateWindow(
        c->display, c->root, r.left, r.top, std::max(1, r.right - r.left), std::max(1, r.bottom - r.top), 0,
        argb ? c->argbDepth : c->depth, InputOutput, argb ? c->argbVisual : c->visual,
        CWColormap | CWBorderPixel | CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
    if (!id) return nullptr;
    auto* native = new TNativeWindow;
    native->id = id;
    native->visual = argb ? c->argbVisual : c->visual;
    native->depth = argb ? c->argbDepth : c->depth;
    native->gc = XCreateGC(c->display, id, 0, nullptr);
    window.native = native;
    DescribeToManager(*c, window, id);
    ApplyInputTransparency(*c, window, id);
    window.hwnd = HwndOf(id);
    ApplyTitle(window);
    XFlush(c->display);
    return HwndOf(id);
  }

  void DestroyNative(TWindow& window) override {
    TConnection* c = Connection();
    auto* native = static_cast<TNativeWindow*>(window.native);
    if (!c || !native) return;
    ReleaseImage(*c, *native);
    DestroyRing(*c, *native);
    XFreeGC(c->display, native->gc);
    XDestroyWindow(c->display, native->id);
    XFlush(c->display);
    delete native;
    window.native = nullptr;
  }

  void ApplyVisibility(TWindow& window, bool activate) override {
    TConnection* c = Connection();
    TNativeWindow& native = NativeOf(window);
    native.mapSerial = NextRequest(c->display);
    bool show = window.visible && !window.iconic;
    if (!native.edges.empty()) {
      ShowRing(*c, window, show);
    } else if (show && !native.mapped) {
      if (!IsUnmanaged(window)) SetUserTimeForMap(*c, native.id, activate);
      XMapWindow(c->display, native.id);
      if (!IsUnmanaged(window)) CompleteStartup(*c, native.id);
      native.focusWhenMapped = activate;
    } else if (!show && native.mapped) {
      if (window.iconic && WindowManagerSupports(*c, c->atoms.netActiveWindow))
        XIconifyWindow(c->display, native.id, c->screen);
      else
        XWithdrawWindow(c->display, native.id, c->screen);
    } else if (show && activate) {
      ApplyFocus(window);
    }
    native.mapped = show;
    XFlush(c->display);
  }

  void ApplyPlacement(TWindow& window) override {
    TConnection* c = Connection();
    TNativeWindow& native = NativeOf(window);
    native.placementSerial = NextRequest(c->display);
    const RECT& r = window.rect;
    XMoveResizeWindow(c->display, native.id, r.left, r.top, std::max(1, r.right - r.left),
                      std::max(1, r.bottom - r.top));
    if (window.region.on) ApplyRegion(window);
    XFlush(c->display);
  }

  // Minimum and maximum size hints of one size: window managers neither
  // resize nor maximise the window (and offer no such action).
  void ApplySizeLimits(TWindow& window) override {
    TConnection* c = Connection();
    XSizeHints size{};
    size.flags = USPosition | USSize;
    if (window.fixedSize.cx > 0 && window.fixedSize.cy > 0) {
      size.flags |= PMinSize | PMaxSize;
      size.min_width = size.max_width = window.fixedSize.cx;
      size.min_height = size.max_height = window.fixedSize.cy;
    }
    XSetWMNormalHints(c->display, NativeOf(window).id, &size);
  }

  // A window manager keeps managed windows inside frames: stacking is
  // relative to the frame that holds `below`. A see-through window that the
  // core puts directly above its owner (a shadow) goes directly below it
  // instead: compositors draw a window's whole rectangle, and those without
  // GL ignore its shape when blending, so above its owner it would hide it.
  void ApplyStacking(TWindow& window, HWND below) override {
    TConnection* c = Connection();
    XWindowChanges changes{};
    unsigned mask = CWStackMode;
    changes.stack_mode =
        below && below == window.owner && (window.exStyle & WS_EX_TRANSPARENT) ? Below : Above;
    if (below) {
      changes.sibling = TopLevelOf(*c, XidOf(below));
      mask |= CWSibling;
    }
    XReconfigureWMWindow(c->display, NativeOf(window).id, c->screen, mask, &changes);
    FollowOwner(*c, window);
    XFlush(c->display);
  }

  void ApplyTitle(TWindow& window) override {
    TConnection* c = Connection();
    std::string title = Utf16ToUtf8(window.title);
    auto* bytes = reinterpret_cast<const unsigned char*>(title.data());
    int length = static_cast<int>(title.size());
    Window id = NativeOf(window).id;
    XChangeProperty(c->display, id, c->atoms.netWmName, c->atoms.utf8String, 8, PropModeReplace, bytes,
                    length);
    XChangeProperty(c->display, id, XA_WM_NAME, c->atoms.utf8String, 8, PropModeReplace, bytes, length);
    XFlush(c->display);
  }

  // _NET_WM_ICON: for each icon its width, height and pixels, as 32-bit
  // values that Xlib takes in longs.
  void ApplyIcons(TWindow& window) override {
    TConnection* c = Connection();
    std::vector<unsigned long> data;
    for (HICON icon : {window.bigIcon, window.smallIcon}) {
      if (icon == nullptr) continue;
      data.push_back(static_cast<unsigned long>(icon->width));
      data.push_back(static_cast<unsigned long>(icon->height));
      data.insert(data.end(), icon->argb.begin(), icon->argb.end());
    }
    Window id = NativeOf(window).id;
    if (data.empty()) {
      XDeleteProperty(c->display, id, c->atoms.netWmIcon);
    } else {
      XChangeProperty(c->display, id, c->atoms.netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
    }
    XFlush(c->display);
  }

  void ApplyLayered(TWindow& window) override {
    TConnection* c = Connection();
    TNativeWindow& native = NativeOf(window);
    DropLayeredFrame(*c, native);
    ApplyInputTransparency(*c, window, native.id);
  }

  void ApplyRegion(TWindow& window) override {
    TConnection* c = Connection();
    Window id = NativeOf(window).id;
    if (!window.region.on) {
      XShapeCombineMask(c->display, id, ShapeBounding, 0, 0, None, ShapeSet);
    } else {
      auto rows = RegionRows(window.region, window.rect.right - window.rect.left,
                             window.rect.bottom - window.rect.top);
      XShapeCombineRectangles(c->display, id, ShapeBounding, 0, 0, rows.data(), static_cast<int>(rows.size()),
                              ShapeSet, YXBanded);
    }
    SyncRing(*c, window);
    XFlush(c->display);
  }

  void ApplyCursor(TWindow& window, HCURSOR cursor) override {
    TConnection* c = Connection();
    XDefineCursor(c->display, NativeOf(window).id, cursor == LoadCursor(IDC_HAND) ? c->hand : c->arrow);
    XFlush(c->display);
  }

  void ApplyCapture(TWindow* window) override {
    TConnection* c = Connection();
    if (!window) {
      XUngrabPointer(c->display, CurrentTime);
    } else {
      XGrabPointer(
          c->display, NativeOf(*window).id, True,
          ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask,
          GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    }
    XFlush(c->display);
  }

  // The keyboard focus moves between our own windows while one of them has
  // it. From another application only the window manager moves it, asked
  // through _NET_ACTIVE_WINDOW (Activate) or by its own rules for a window
  // that maps; without a window manager nobody else would, so it is set here.
  void ApplyFocus(TWindow& window) override {
    TConnection* c = Connection();
    TNativeWindow& native = NativeOf(window);
    XWindowAttributes attributes;
    if (!native.mapped || !XGetWindowAttributes(c->display, native.id, &attributes) ||
        attributes.map_state != IsViewable) {
      native.focusWhenMapped = true;
      return;
    }
    Window focus = None;
    int revert = 0;
    XGetInputFocus(c->display, &focus, &revert);
    if (focus == native.id) return;
    if (FindWindowRecord(HwndOf(focus)) || !WindowManagerActivates(*c)) SetInputFocus(*c, native.id);
    XFlush(c->display);
  }

  bool Present(TWindow& window, const TBitmapView& bitmap, const RECT& rect) override {
    return PresentOpaque(*Connection(), window, bitmap, rect);
  }

  bool PresentLayered(TWindow& window, const TBitmapView& bitmap, BYTE opacity, const RECT& dirty) override {
    return PresentLayeredFrame(*Connection(), window, bitmap, opacity, dirty);
  }

  bool BeginCaptionDrag(TWindow& window, POINT screen) override {
    TConnection* c = Connection();
    if (!WindowManagerSupports(*c, c->atoms.netWmMoveResize)) return false;
    XUngrabPointer(c->display, CurrentTime);
    constexpr long kMove = 8;  // _NET_WM_MOVERESIZE_MOVE
    SendRootMessage(*c, NativeOf(window).id, c->atoms.netWmMoveResize, screen.x, screen.y, kMove, Button1, 1);
    return true;
  }

  bool IsComposited() override {
    TConnection* c = Connection();
    if (!c) return false;
    return c->fixesEventBase < 0 ? CompositorRuns(*c) : c->composited;
  }

  std::vector<TMonitorInfo> GetMonitors() override {
    TConnection* c = Connection();
    return c ? Monitors(*c) : std::vector<TMonitorInfo>{};
  }

  bool GetPointer(POINT* screen) override {
    TConnection* c = Connection();
    Window rootReturn, child;
    int rootX, rootY, x, y;
    unsigned mask;
    if (!c || !XQueryPointer(c->display, c->root, &rootReturn, &child, &rootX, &rootY, &x, &y, &mask))
      return false;
    *screen = {rootX, rootY};
    return true;
  }

  void Pump() override {
    if (TConnection* c = ExistingConnection()) PumpEvents(*c);
  }

  bool Wait(int wakeFd, int64_t timeoutNs) override {
    TConnection* c = ExistingConnection();
    if (c && c->lost) {
      if (!c->lostReported) {
        c->lostReported = true;
        OnDisplayLost();
        return true;
      }
      c = nullptr;  // its socket stays readable (at its end) for ever
    }
    if (c) {
      XFlush(c->display);
      if (XEventsQueued(c->display, QueuedAlready) > 0) return false;
    }
    pollfd fds[2] = {{wakeFd, POLLIN, 0}, {c ? ConnectionNumber(c->display) : -1, POLLIN, 0}};
    if (PollFor(fds, c ? 2 : 1, timeoutNs) <= 0) return false;
    if (c && (fds[1].revents & POLLIN)) c->socketReadable = true;
    return (fds[0].revents & POLLIN) != 0;
  }

  HWND FindForeign(std::u16string_view className) override {
    TConnection* c = Connection();
    return c ? FindForeignWindow(*c, Utf16ToUtf8(className)) : nullptr;
  }
  bool IsForeign(HWND hwnd) override {
    TConnection* c = Connection();
    return c && hwnd && !FindWindowRecord(hwnd) && ForeignExists(*c, XidOf(hwnd));
  }
  bool ForeignIsVisible(HWND hwnd) override { return ForeignViewableOrIconic(*Connection(), XidOf(hwnd)); }
  bool ForeignIsZoomed(HWND hwnd) override { return ForeignMaximized(*Connection(), XidOf(hwnd)); }
  bool ForeignIsIconic(HWND hwnd) override { return ForeignIconic(*Connection(), XidOf(hwnd)); }
  bool ForeignShow(HWND hwnd, int command) override {
    return x11::ForeignShow(*Connection(), XidOf(hwnd), command);
  }
  // Another process's window is brought forward only for a user who started
  // the program again: a user's action.
  bool Activate(HWND hwnd) override {
    TConnection* c = Connection();
    const long source = FindWindowRecord(hwnd) ? kActivationByApplication : kActivationByUser;
    return c && ActivateWindow(*c, XidOf(hwnd), source);
  }
  bool ForeignRect(HWND hwnd, RECT* rect) override {
    return x11::ForeignRect(*Connection(), XidOf(hwnd), rect);
  }
  bool ForeignPlace(HWND hwnd, const RECT& rect) override {
    return x11::ForeignPlace(*Connection(), XidOf(hwnd), rect);
  }
};

}  // namespace

TConnection* Connection() {
  if (!t_connection) {
    auto opened = Open(g_displayName.c_str());
    if (!opened->display) return nullptr;
    t_connection = std::move(opened);
  }
  return t_connection.get();
}

TConnection* ExistingConnection() { return t_connection.get(); }

void SetInputFocus(TConnection& c, Window window) {
  c.focusSerial = NextRequest(c.display);
  XSetInputFocus(c.display, window, RevertToParent, CurrentTime);
}

const std::string& DisplayName() { return g_displayName; }

}  // namespace platform::posix::x11

namespace platform::posix {

std::unique_ptr<IWindowBackend> CreateX11Backend(const char* display) {
  XInitThreads();
  XSetErrorHandler(x11::IgnoreErrors);
  XSetIOErrorHandler(x11::QuietIOError);
  if (!x11::ServerAnswers(display ? display : "")) return nullptr;
  x11::g_displayName = display ? display : "";
  return std::make_unique<x11::CX11Backend>();
}

}  // namespace platform::posix
