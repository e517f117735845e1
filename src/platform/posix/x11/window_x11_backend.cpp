// X11 window backend (Xlib). Implements: one connection per thread; every
// window on a 32-bit ARGB visual when the server has one (so WS_EX_LAYERED can
// come and go: opaque presentation writes alpha 255); WM_CLASS from the class
// name, WM_NAME and _NET_WM_NAME in UTF-8; Motif hints for undecorated popups;
// owned windows as transients; XShape for round regions and for letting the
// pointer through fully transparent layered pixels; caption dragging through
// _NET_WM_MOVERESIZE when the window manager offers it; pointer grabs for
// capture; waiting on the X connection beside the thread's wake descriptor.
// Does not implement: child windows, window icons, several monitors (the
// screen is one monitor).
#include <X11/Xatom.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "platform/posix/x11/window_x11.h"
#include "platform/window_messages.h"

namespace platform::posix::x11 {
namespace {

std::string g_displayName;

// Requests about windows that vanished meanwhile fail harmlessly; Xlib's
// default handler would end the process.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

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
}

void ChooseVisual(TConnection& c) {
  XVisualInfo info;
  if (XMatchVisualInfo(c.display, c.screen, 32, TrueColor, &info)) {
    c.visual = info.visual;
    c.depth = 32;
    c.argb = true;
    c.colormap = XCreateColormap(c.display, c.root, c.visual, AllocNone);
    return;
  }
  c.visual = DefaultVisual(c.display, c.screen);
  c.depth = DefaultDepth(c.display, c.screen);
  c.colormap = DefaultColormap(c.display, c.screen);
}

std::unique_ptr<TConnection, void (*)(TConnection*)> Open(const char* name) {
  auto close = [](TConnection* c) {
    if (c->display) XCloseDisplay(c->display);
    delete c;
  };
  std::unique_ptr<TConnection, void (*)(TConnection*)> c(new TConnection, close);
  c->display = XOpenDisplay(name);
  if (!c->display) return c;
  c->screen = DefaultScreen(c->display);
  c->root = RootWindow(c->display, c->screen);
  InternAtoms(*c);
  ChooseVisual(*c);
  c->arrow = XCreateFontCursor(c->display, XC_left_ptr);
  c->hand = XCreateFontCursor(c->display, XC_hand2);
  // Xft.dpi lives in the root's RESOURCE_MANAGER: watch it for DPI changes.
  XSelectInput(c->display, c->root, PropertyChangeMask);
  c->dpi = ReadXftDpi(*c);
  return c;
}

thread_local std::unique_ptr<TConnection, void (*)(TConnection*)> t_connection{nullptr, nullptr};

std::string Utf8(std::u16string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

void SetAtomList(TConnection& c, Window w, Atom property, const std::vector<Atom>& atoms) {
  XChangeProperty(c.display, w, property, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
}

bool IsToolTip(const TWindow& window) {
  return (window.exStyle & WS_EX_TOOLWINDOW) && (window.exStyle & WS_EX_NOACTIVATE);
}

// WM_CLASS, the window type, Motif decorations, owner, protocols and pid.
void DescribeToManager(TConnection& c, TWindow& window, Window id) {
  std::string className = Utf8(window.windowClass->name);
  XClassHint hint{className.data(), className.data()};
  XSetClassHint(c.display, id, &hint);
  Atom type = IsToolTip(window) ? c.atoms.netWmWindowTypeTooltip
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
  wm.input = IsToolTip(window) ? False : True;
  XSetWMHints(c.display, id, &wm);
}

// One rectangle per row of the round region (its rows are single runs).
std::vector<XRectangle> RegionRows(const TRoundRegion& region, int width, int height) {
  std::vector<XRectangle> rows;
  for (int y = 0; y < height; ++y) {
    int left = 0;
    while (left < width && !RegionContains(region, left, y)) ++left;
    int right = width;
    while (right > left && !RegionContains(region, right - 1, y)) --right;
    if (right > left)
      rows.push_back({static_cast<short>(left), static_cast<short>(y), static_cast<unsigned short>(right - left), 1});
  }
  return rows;
}

// Runs of pixels with alpha, so that fully transparent ones let the pointer
// through as they do on Windows.
std::vector<XRectangle> OpaqueRuns(const std::vector<uint32_t>& pixels, int width, int height) {
  std::vector<XRectangle> runs;
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = pixels.data() + static_cast<size_t>(y) * width;
    for (int x = 0; x < width;) {
      while (x < width && (row[x] >> 24) == 0) ++x;
      int start = x;
      while (x < width && (row[x] >> 24) != 0) ++x;
      if (x > start)
        runs.push_back({static_cast<short>(start), static_cast<short>(y), static_cast<unsigned short>(x - start), 1});
    }
  }
  return runs;
}

void PutPixels(TConnection& c, TNativeWindow& native, const uint32_t* pixels, int stride, const RECT& rect) {
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  XImage* image = XCreateImage(c.display, c.visual, c.depth, ZPixmap, 0, nullptr, width, height, 32, 0);
  if (!image) return;
  std::vector<uint32_t> copy(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    std::copy_n(pixels + static_cast<size_t>(rect.top + y) * stride + rect.left, width, copy.begin() + y * width);
  image->data = reinterpret_cast<char*>(copy.data());
  XPutImage(c.display, native.id, native.gc, image, 0, 0, rect.left, rect.top, width, height);
  image->data = nullptr;  // the vector owns the pixels
  XDestroyImage(image);
  XFlush(c.display);
}

class CX11Backend final : public IWindowBackend {
 public:
  const char* GetName() const override { return "x11"; }

  HWND CreateNative(TWindow& window) override {
    TConnection* c = Connection();
    if (!c) return nullptr;
    XSetWindowAttributes attributes{};
    attributes.colormap = c->colormap;
    attributes.border_pixel = 0;
    attributes.background_pixel = (window.exStyle & WS_EX_LAYERED) ? 0 : 0xFFFFFFFF;
    attributes.override_redirect = IsToolTip(window) ? True : False;
    attributes.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask |
                            PointerMotionMask | EnterWindowMask | LeaveWindowMask | KeyPressMask |
                            KeyReleaseMask | FocusChangeMask | PropertyChangeMask;
    const RECT& r = window.rect;
    Window id = XCreateWindow(c->display, c->root, r.left, r.top, std::max(1, r.right - r.left),
                              std::max(1, r.bottom - r.top), 0, c->depth, InputOutput, c->visual,
                              CWColormap | CWBorderPixel | CWBackPixel | CWOverrideRedirect | CWEventMask,
                              &attributes);
    if (!id) return nullptr;
    auto* native = new TNativeWindow;
    native->id = id;
    native->gc = XCreateGC(c->display, id, 0, nullptr);
    window.native = native;
    DescribeToManager(*c, window, id);
    window.hwnd = HwndOf(id);
    ApplyTitle(window);
    XFlush(c->display);
    return HwndOf(id);
  }

  void DestroyNative(TWindow& window) override {
    TConnection* c = Connection();
    auto* native = static_cast<TNativeWindow*>(window.native);
    if (!c || !native) return;
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
    if (show && !native.mapped) {
      XMapWindow(c->display, native.id);
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

  void ApplyStacking(TWindow& window, HWND below) override {
    TConnection* c = Connection();
    XWindowChanges changes{};
    unsigned mask = CWStackMode;
    changes.stack_mode = Above;
    if (below) {
      changes.sibling = XidOf(below);
      mask |= CWSibling;
    }
    XReconfigureWMWindow(c->display, NativeOf(window).id, c->screen, mask, &changes);
    XFlush(c->display);
  }

  void ApplyTitle(TWindow& window) override {
    TConnection* c = Connection();
    std::string title = Utf8(window.title);
    auto* bytes = reinterpret_cast<const unsigned char*>(title.data());
    int length = static_cast<int>(title.size());
    Window id = NativeOf(window).id;
    XChangeProperty(c->display, id, c->atoms.netWmName, c->atoms.utf8String, 8, PropModeReplace, bytes, length);
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
    native.layered.clear();
    if (!(window.exStyle & WS_EX_LAYERED)) XShapeCombineMask(c->display, native.id, ShapeInput, 0, 0, None, ShapeSet);
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
      XGrabPointer(c->display, NativeOf(*window).id, True,
                   ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask,
                   GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    }
    XFlush(c->display);
  }

  void ApplyFocus(TWindow& window) override {
    TConnection* c = Connection();
    TNativeWindow& native = NativeOf(window);
    if (!native.mapped) {
      native.focusWhenMapped = true;
      return;
    }
    XWindowAttributes attributes;
    if (XGetWindowAttributes(c->display, native.id, &attributes) && attributes.map_state == IsViewable)
      SetInputFocus(*c, native.id);
    else
      native.focusWhenMapped = true;
    XFlush(c->display);
  }

  bool Present(TWindow& window, const TBitmapView& bitmap, const RECT& rect) override {
    TConnection* c = Connection();
    std::vector<uint32_t> opaque(static_cast<size_t>(bitmap.height) * bitmap.stride);
    for (int y = rect.top; y < rect.bottom; ++y)
      for (int x = rect.left; x < rect.right; ++x)
        opaque[y * bitmap.stride + x] = bitmap.pixels[y * bitmap.stride + x] | 0xFF000000;
    PutPixels(*c, NativeOf(window), opaque.data(), bitmap.stride, rect);
    return true;
  }

  bool PresentLayered(TWindow& window, const TBitmapView& bitmap, BYTE opacity) override {
    TConnection* c = Connection();
    TNativeWindow& native = NativeOf(window);
    int width = bitmap.width, height = bitmap.height;
    native.layered.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint32_t p = bitmap.pixels[y * bitmap.stride + x];
        native.layered[y * width + x] = opacity == 255 ? p : Scale(p, opacity);
      }
    }
    native.layeredWidth = width;
    native.layeredHeight = height;
    auto runs = OpaqueRuns(native.layered, width, height);
    XShapeCombineRectangles(c->display, native.id, ShapeInput, 0, 0, runs.data(), static_cast<int>(runs.size()),
                            ShapeSet, YXBanded);
    PutPixels(*c, native, native.layered.data(), width, {0, 0, width, height});
    return true;
  }

  bool BeginCaptionDrag(TWindow& window, POINT screen) override {
    TConnection* c = Connection();
    if (!WindowManagerSupports(*c, c->atoms.netWmMoveResize)) return false;
    XUngrabPointer(c->display, CurrentTime);
    constexpr long kMove = 8;  // _NET_WM_MOVERESIZE_MOVE
    SendRootMessage(*c, NativeOf(window).id, c->atoms.netWmMoveResize, screen.x, screen.y, kMove, Button1, 1);
    return true;
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
    if (!c || !XQueryPointer(c->display, c->root, &rootReturn, &child, &rootX, &rootY, &x, &y, &mask)) return false;
    *screen = {rootX, rootY};
    return true;
  }

  void Pump() override {
    if (TConnection* c = ExistingConnection()) PumpEvents(*c);
  }

  bool Wait(int wakeFd, int64_t timeoutNs) override {
    TConnection* c = ExistingConnection();
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
    return c ? FindForeignWindow(*c, Utf8(className)) : nullptr;
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
  bool Activate(HWND hwnd) override {
    TConnection* c = Connection();
    return c && ActivateWindow(*c, XidOf(hwnd));
  }

  bool InjectMotion(POINT screen) override { return FakeMotion(*Connection(), screen); }
  bool InjectButton(int button, bool down) override {
    unsigned x = button == VK_LBUTTON ? 1 : button == VK_MBUTTON ? 2 : 3;
    return FakeButton(*Connection(), x, down);
  }
  bool InjectWheel(int delta) override {
    TConnection* c = Connection();
    unsigned button = delta > 0 ? 4 : 5;
    for (int i = 0; i < std::abs(delta); ++i)
      if (!FakeButton(*c, button, true) || !FakeButton(*c, button, false)) return false;
    return true;
  }
  bool InjectKey(int virtualKey, bool down) override { return FakeKey(*Connection(), virtualKey, down); }
  void FlushInjected() override { XSync(Connection()->display, False); }
  bool CaptureScreen(const RECT& rect, std::vector<uint32_t>* pixels) override {
    TConnection* c = Connection();
    return c && CaptureRoot(*c, rect, pixels);
  }

 private:
  static uint32_t Scale(uint32_t p, BYTE opacity) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) out |= ((((p >> shift) & 0xFF) * opacity + 127) / 255) << shift;
    return out;
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
  Display* probe = XOpenDisplay(display);
  if (!probe) return nullptr;
  XCloseDisplay(probe);
  x11::g_displayName = display ? display : "";
  return std::make_unique<x11::CX11Backend>();
}

}  // namespace platform::posix
