// X11 window backend: the desktop and the windows of other processes. The
// monitors and their work areas are window_x11_monitors.cpp's; their DPI
// comes from the Xft.dpi resource (else 96), followed when the root's
// RESOURCE_MANAGER changes; the desktop blends translucent windows while a
// compositing manager owns _NET_WM_CM_S<screen>. Windows of other
// processes are found by WM_CLASS and brought forward with _NET_ACTIVE_WINDOW
// (or raised and focused directly when no window manager answers).
#include <X11/Xatom.h>
#include <X11/Xresource.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/window/x11/window_x11.h"
#include "platform/window/window_messages.h"

namespace platform::posix::x11 {
namespace {

// The root's RESOURCE_MANAGER as it is now (XResourceManagerString keeps the
// text of when the connection was opened).
std::string ResourceManagerText(TConnection& c) {
  Atom type;
  int format;
  unsigned long count = 0, after;
  unsigned char* data = nullptr;
  std::string text;
  constexpr long kMaxLongs = 1 << 20;  // 4 MiB of resources is more than any desktop sets
  if (XGetWindowProperty(c.display, c.root, XA_RESOURCE_MANAGER, 0, kMaxLongs, False, XA_STRING, &type,
                         &format, &count, &after, &data) == Success &&
      data && format == 8)
    text.assign(reinterpret_cast<char*>(data), count);
  if (data) XFree(data);
  return text;
}

bool HasClass(TConnection& c, Window window, const std::string& className) {
  XClassHint hint{};
  if (!XGetClassHint(c.display, window, &hint)) return false;
  bool match =
      (hint.res_class && className == hint.res_class) || (hint.res_name && className == hint.res_name);
  if (hint.res_name) XFree(hint.res_name);
  if (hint.res_class) XFree(hint.res_class);
  return match;
}

// Depth-first, topmost first; window managers put clients inside frames.
Window Search(TConnection& c, Window parent, const std::string& className, int depth) {
  Window root, parentReturn, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(c.display, parent, &root, &parentReturn, &children, &count)) return 0;
  Window found = 0;
  for (unsigned i = count; i-- > 0 && !found;) {
    Window child = children[i];
    if (!FindWindowRecord(HwndOf(child)) && HasClass(c, child, className))
      found = child;
    else if (depth > 0)
      found = Search(c, child, className, depth - 1);
  }
  if (children) XFree(children);
  return found;
}

bool HasState(TConnection& c, Window window, Atom state) {
  for (unsigned long atom : ReadLongs(c, window, c.atoms.netWmState, XA_ATOM))
    if (atom == state) return true;
  return false;
}

}  // namespace

std::vector<unsigned long> ReadLongs(TConnection& c, Window window, Atom property, Atom type) {
  Atom actualType;
  int format;
  unsigned long count = 0, after;
  unsigned char* data = nullptr;
  std::vector<unsigned long> values;
  if (XGetWindowProperty(c.display, window, property, 0, 1024, False, type, &actualType, &format, &count,
                         &after, &data) == Success &&
      data && format == 32) {
    auto* longs = reinterpret_cast<unsigned long*>(data);  // Xlib hands 32-bit items out as longs
    values.assign(longs, longs + count);
  }
  if (data) XFree(data);
  return values;
}

bool WindowManagerSupports(TConnection& c, Atom feature) {
  for (unsigned long atom : ReadLongs(c, c.root, c.atoms.netSupported, XA_ATOM))
    if (atom == feature) return true;
  return false;
}

void SendRootMessage(TConnection& c, Window window, Atom type, long d0, long d1, long d2, long d3, long d4) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  long data[5] = {d0, d1, d2, d3, d4};
  std::memcpy(event.xclient.data.l, data, sizeof data);
  XSendEvent(c.display, c.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XFlush(c.display);
}

bool CompositorRuns(TConnection& c) { return XGetSelectionOwner(c.display, c.atoms.netWmCmScreen) != None; }

Window TopLevelOf(TConnection& c, Window window) {
  for (int depth = 0; depth < 8; ++depth) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(c.display, window, &root, &parent, &children, &count)) return window;
    if (children) XFree(children);
    if (parent == root || parent == None) return window;
    window = parent;
  }
  return window;
}

Window FrameOf(TConnection& c, TNativeWindow& native) {
  if (!native.frame) native.frame = TopLevelOf(c, native.id);
  return native.frame;
}

bool ManagerShows(TConnection& c, Window window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(c.display, window, &attributes) || attributes.map_state != IsViewable)
    return false;
  if (ForeignIconic(c, window) || HasState(c, window, c.atoms.netWmStateShaded)) return false;
  constexpr unsigned long kAllDesktops = 0xFFFFFFFF;
  const auto desktop = ReadLongs(c, window, c.atoms.netWmDesktop, XA_CARDINAL);
  if (desktop.empty() || (desktop[0] & 0xFFFFFFFF) == kAllDesktops) return true;
  const auto current = ReadLongs(c, c.root, c.atoms.netCurrentDesktop, XA_CARDINAL);
  return current.empty() || current[0] == desktop[0];
}

UINT ReadXftDpi(TConnection& c) {
  const std::string resources = ResourceManagerText(c);
  if (resources.empty()) return 96;
  static const bool initialised = (XrmInitialize(), true);
  (void)initialised;
  XrmDatabase database = XrmGetStringDatabase(resources.c_str());
  char* type = nullptr;
  XrmValue value{};
  UINT dpi = 96;
  if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
    // Any client may write the resource: only a number in the sane range is
    // rounded (NaN fails both tests), anything else means 96.
    const double parsed = std::strtod(value.addr, nullptr);
    if (parsed >= kMinDpi - 0.5 && parsed < kMaxDpi + 0.5) dpi = static_cast<UINT>(std::lround(parsed));
  }
  XrmDestroyDatabase(database);
  return dpi;
}

void OnResourcesChanged(TConnection& c) {
  const UINT before = c.dpi;
  c.dpi = ReadXftDpi(c);
  OnMonitorDpiChanged(before, c.dpi);
}

HWND FindForeignWindow(TConnection& c, const std::string& className) {
  return HwndOf(Search(c, c.root, className, 2));
}

bool ForeignExists(TConnection& c, Window window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(c.display, window, &attributes) != 0;
}

bool ForeignIconic(TConnection& c, Window window) {
  auto state = ReadLongs(c, window, c.atoms.wmState, c.atoms.wmState);
  return (!state.empty() && state[0] == IconicState) || HasState(c, window, c.atoms.netWmStateHidden);
}

bool ForeignViewableOrIconic(TConnection& c, Window window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(c.display, window, &attributes)) return false;
  return attributes.map_state != IsUnmapped || ForeignIconic(c, window);
}

bool ForeignMaximized(TConnection& c, Window window) {
  return HasState(c, window, c.atoms.netWmStateMaxVert) && HasState(c, window, c.atoms.netWmStateMaxHorz);
}

bool ForeignShow(TConnection& c, Window window, int command) {
  if (!ForeignExists(c, window)) return false;
  bool wasVisible = ForeignViewableOrIconic(c, window);
  if (command == SW_HIDE) {
    XWithdrawWindow(c.display, window, c.screen);
  } else if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED || command == SW_SHOWMINNOACTIVE) {
    XIconifyWindow(c.display, window, c.screen);
  } else {
    constexpr long kRemove = 0;
    if (command != SW_MAXIMIZE && ForeignMaximized(c, window))
      SendRootMessage(c, window, c.atoms.netWmState, kRemove, static_cast<long>(c.atoms.netWmStateMaxVert),
                      static_cast<long>(c.atoms.netWmStateMaxHorz), 1, 0);
    XMapRaised(c.display, window);
  }
  XFlush(c.display);
  return wasVisible;
}

bool WindowManagerActivates(TConnection& c) { return WindowManagerSupports(c, c.atoms.netActiveWindow); }

const std::string& StartupId() {
  static const std::string id = [] {
    const char* value = std::getenv("DESKTOP_STARTUP_ID");
    return std::string(value ? value : "");
  }();
  return id;
}

Time UserTime(TConnection& c) {
  if (c.userTime != CurrentTime) return c.userTime;
  // The launcher's event time ends the identifier: "..._TIME<n>".
  const std::string& id = StartupId();
  const size_t at = id.rfind("_TIME");
  if (at == std::string::npos) return CurrentTime;
  const char* digits = id.c_str() + at + 5;
  char* end = nullptr;
  const unsigned long long time = std::strtoull(digits, &end, 10);
  const bool whole = end != digits && *end == '\0' && time <= 0xFFFFFFFFull;
  return whole ? static_cast<Time>(time) : CurrentTime;
}

void CompleteStartup(TConnection& c, Window window) {
  static std::atomic<bool> completed{false};
  if (StartupId().empty() || completed.exchange(true)) return;
  // "remove: ID=<id>", the value quoted when it holds a space, quote or
  // backslash, ended by a NUL; sent to the root in pieces of 20 bytes.
  std::string id = StartupId();
  if (id.find_first_of(" \"\\") != std::string::npos) {
    std::string quoted = "\"";
    for (char ch : id) {
      if (ch == '"' || ch == '\\') quoted += '\\';
      quoted += ch;
    }
    id = quoted + "\"";
  }
  const std::string message = "remove: ID=" + id + std::string(1, '\0');
  const Atom begin = XInternAtom(c.display, "_NET_STARTUP_INFO_BEGIN", False);
  const Atom more = XInternAtom(c.display, "_NET_STARTUP_INFO", False);
  constexpr size_t kPiece = sizeof(XClientMessageEvent{}.data.b);
  for (size_t at = 0; at < message.size(); at += kPiece) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = at == 0 ? begin : more;
    event.xclient.format = 8;
    std::memcpy(event.xclient.data.b, message.data() + at, std::min(kPiece, message.size() - at));
    XSendEvent(c.display, c.root, False, PropertyChangeMask, &event);
  }
  XFlush(c.display);
}

bool ActivateWindow(TConnection& c, Window window, long source) {
  if (!ForeignExists(c, window)) return false;
  if (WindowManagerActivates(c)) {
    // The window that has the focus now, for the window manager to weigh.
    auto active = ReadLongs(c, c.root, c.atoms.netActiveWindow, XA_WINDOW);
    SendRootMessage(c, window, c.atoms.netActiveWindow, source, static_cast<long>(UserTime(c)),
                    active.empty() ? 0 : static_cast<long>(active[0]), 0, 0);
    return true;
  }
  // No window manager: raise it and give it the focus ourselves.
  XRaiseWindow(c.display, window);
  XWindowAttributes attributes;
  if (XGetWindowAttributes(c.display, window, &attributes) && attributes.map_state == IsViewable)
    XSetInputFocus(c.display, window, RevertToParent, CurrentTime);
  XFlush(c.display);
  return true;
}

}  // namespace platform::posix::x11
