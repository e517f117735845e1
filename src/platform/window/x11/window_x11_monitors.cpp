// X11 window backend: the monitors and their work areas. Monitors come from
// RandR 1.5 (the active ones, the primary first), else Xinerama, else the
// whole screen. A monitor's work area is the monitor less what the desktop
// keeps for itself: _NET_WORKAREA of the current desktop, and the struts
// (_NET_WM_STRUT_PARTIAL, _NET_WM_STRUT) of the root's mapped children, which
// tell which monitor a panel sits on where the single _NET_WORKAREA cannot.
// Other clients set these values; none is trusted: a desktop index out of
// range means no work area, a work area counts only where it lies on the
// monitor, and the monitor itself stands when nothing of it is left.
//
// Reading the list costs half a dozen round trips and one or two for each
// child of the root, while MonitorFromPoint and its kin are asked several
// times at every placement (window_bench: BM_MonitorQuery against one round
// trip, BM_PointerQuery). So it is read once and kept in the connection
// until a RandR event or a change of the root's _NET_WORKAREA or
// _NET_CURRENT_DESKTOP (the root's PropertyChangeMask delivers them) reads
// it anew. A dock that changes its struts is seen through the work area its
// window manager sets anew. Either may show that the monitors changed: a
// read at a RandR event of a burst (xrandr sets the screen, CRTCs and the
// primary output one request at a time) may see a state between two, with
// no event after the last step, while window managers set the work area
// once they have followed the whole change.
#include "platform/window/x11/window_x11_monitors.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdint>

namespace platform::posix::x11 {
namespace {

// 64-bit edges: values of other clients may lie far beyond X's 16-bit
// coordinates, and adding a width to them must not overflow.
struct TArea {
  int64_t left = 0, top = 0, right = 0, bottom = 0;
};

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// The part of area on rect; empty when none.
RECT Clip(const TArea& area, const RECT& rect) {
  RECT clipped{static_cast<int>(std::max<int64_t>(area.left, rect.left)),
               static_cast<int>(std::max<int64_t>(area.top, rect.top)),
               static_cast<int>(std::min<int64_t>(area.right, rect.right)),
               static_cast<int>(std::min<int64_t>(area.bottom, rect.bottom))};
  return IsEmpty(clipped) ? RECT{} : clipped;
}

// A CARDINAL of another client's property as the 32 bits it was (Xlib hands
// them out as longs, sign-extended).
int64_t Card(unsigned long value) { return static_cast<uint32_t>(value); }
int64_t Signed(unsigned long value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

void Watch(TConnection& c) {
  c.randrVersion = 0;
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(c.display, &eventBase, &errorBase) || !XRRQueryVersion(c.display, &major, &minor))
    return;
  c.randrVersion = major * 100 + minor;
  c.randrEventBase = eventBase;
  XRRSelectInput(c.display, c.root,
                 RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
}

RECT Screen(TConnection& c) {
  Window root;
  int x, y;
  unsigned width, height, border, depth;
  if (XGetGeometry(c.display, c.root, &root, &x, &y, &width, &height, &border, &depth))
    return {0, 0, static_cast<int>(width), static_cast<int>(height)};
  return {0, 0, DisplayWidth(c.display, c.screen), DisplayHeight(c.display, c.screen)};
}

void AddMonitor(std::vector<RECT>& rects, const RECT& rect, bool first) {
  if (IsEmpty(rect) || std::find(rects.begin(), rects.end(), rect) != rects.end()) return;
  rects.insert(first ? rects.begin() : rects.end(), rect);
}

std::vector<RECT> MonitorRects(TConnection& c, const RECT& screen) {
  std::vector<RECT> rects;
  if (c.randrVersion >= 105) {
    int count = 0;
    if (XRRMonitorInfo* list = XRRGetMonitors(c.display, c.root, True, &count)) {
      for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& m = list[i];
        AddMonitor(rects, {m.x, m.y, m.x + m.width, m.y + m.height}, m.primary);
      }
      XRRFreeMonitors(list);
    }
  }
  if (rects.empty() && XineramaIsActive(c.display)) {
    int count = 0;
    if (XineramaScreenInfo* list = XineramaQueryScreens(c.display, &count)) {
      for (int i = 0; i < count; ++i)
        AddMonitor(
            rects,
            {list[i].x_org, list[i].y_org, list[i].x_org + list[i].width, list[i].y_org + list[i].height},
            false);
      XFree(list);
    }
  }
  if (rects.empty()) rects.push_back(screen);
  return rects;
}

// _NET_WORKAREA of the current desktop; false when there is none for it.
bool DesktopWorkArea(TConnection& c, TArea* area) {
  const auto areas = ReadLongs(c, c.root, c.atoms.netWorkArea, XA_CARDINAL);
  const auto desktop = ReadLongs(c, c.root, c.atoms.netCurrentDesktop, XA_CARDINAL);
  const uint64_t index = desktop.empty() ? 0 : Card(desktop[0]);
  if (index >= areas.size() / 4) return false;
  const unsigned long* a = &areas[index * 4];
  const int64_t width = Signed(a[2]), height = Signed(a[3]);
  if (width <= 0 || height <= 0) return false;
  *area = {Signed(a[0]), Signed(a[1]), Signed(a[0]) + width, Signed(a[1]) + height};
  return true;
}

// What one dock keeps of the screen: at most a band along each edge.
struct TStrut {
  TArea left, right, top, bottom;
};

std::vector<TStrut> Struts(TConnection& c, const RECT& screen) {
  std::vector<TStrut> struts;
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(c.display, c.root, &root, &parent, &children, &count)) return struts;
  const int64_t w = screen.right, h = screen.bottom;
  for (unsigned i = 0; i < count; ++i) {
    auto v = ReadLongs(c, children[i], c.atoms.netWmStrutPartial, XA_CARDINAL);
    if (v.size() < 12) {
      v = ReadLongs(c, children[i], c.atoms.netWmStrut, XA_CARDINAL);
      if (v.size() < 4) continue;
      v.resize(4);  // the whole length of each edge
      v.insert(v.end(), {0, static_cast<unsigned long>(h - 1), 0, static_cast<unsigned long>(h - 1), 0,
                         static_cast<unsigned long>(w - 1), 0, static_cast<unsigned long>(w - 1)});
    }
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(c.display, children[i], &attributes) || attributes.map_state != IsViewable)
      continue;
    // left, right, top, bottom, then start and end of each along its edge.
    struts.push_back({{0, Card(v[4]), Card(v[0]), Card(v[5]) + 1},
                      {w - Card(v[1]), Card(v[6]), w, Card(v[7]) + 1},
                      {Card(v[8]), 0, Card(v[9]) + 1, Card(v[2])},
                      {Card(v[10]), h - Card(v[3]), Card(v[11]) + 1, h}});
  }
  if (children) XFree(children);
  return struts;
}

// Takes a dock's bands off the work area where they lie on the monitor
// without reaching across it (EWMH struts count from the screen's edges: a
// panel on the right monitor's left edge spans the whole left monitor too).
// A cut that would leave nothing is not made.
void CutStrut(const TStrut& strut, const RECT& m, RECT* work) {
  auto keep = [&](const RECT& shorter) {
    if (!IsEmpty(shorter)) *work = shorter;
  };
  const RECT& w = *work;
  RECT on = Clip(strut.left, m);
  if (!IsEmpty(on) && on.right < m.right) keep({std::max(w.left, on.right), w.top, w.right, w.bottom});
  on = Clip(strut.right, m);
  if (!IsEmpty(on) && on.left > m.left) keep({w.left, w.top, std::min(w.right, on.left), w.bottom});
  on = Clip(strut.top, m);
  if (!IsEmpty(on) && on.bottom < m.bottom) keep({w.left, std::max(w.top, on.bottom), w.right, w.bottom});
  on = Clip(strut.bottom, m);
  if (!IsEmpty(on) && on.top > m.top) keep({w.left, w.top, w.right, std::min(w.bottom, on.top)});
}

void Read(TConnection& c) {
  if (c.randrVersion < 0) Watch(c);
  const RECT screen = Screen(c);
  TArea desktop;
  const bool hasDesktop = DesktopWorkArea(c, &desktop);
  const auto struts = Struts(c, screen);
  c.monitors.clear();
  for (const RECT& monitor : MonitorRects(c, screen)) {
    RECT work = monitor;
    if (hasDesktop) {
      RECT on = Clip(desktop, monitor);
      if (!IsEmpty(on)) work = on;
    }
    for (const TStrut& strut : struts) CutStrut(strut, monitor, &work);
    c.monitors.push_back({monitor, work, c.dpi});
  }
  c.monitorsStale = false;
}

bool SameMonitors(const std::vector<IWindowBackend::TMonitorInfo>& a,
                  const std::vector<IWindowBackend::TMonitorInfo>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const auto& x, const auto& y) { return x.monitor == y.monitor; });
}

}  // namespace

std::vector<IWindowBackend::TMonitorInfo> Monitors(TConnection& c) {
  if (c.monitorsStale) Read(c);
  auto monitors = c.monitors;
  for (auto& monitor : monitors) monitor.dpi = c.dpi;  // followed apart, with RESOURCE_MANAGER
  return monitors;
}

bool OnMonitorEvent(TConnection& c, XEvent& event) {
  if (event.type == PropertyNotify) {
    const XPropertyEvent& p = event.xproperty;
    if (p.window != c.root || (p.atom != c.atoms.netWorkArea && p.atom != c.atoms.netCurrentDesktop))
      return false;
  } else if (c.randrVersion <= 0 || (event.type != c.randrEventBase + RRScreenChangeNotify &&
                                     event.type != c.randrEventBase + RRNotify)) {
    return false;
  } else {
    XRRUpdateConfiguration(&event);  // Xlib's idea of the screen's size
  }
  // Events come in bursts for one change: the first reads the new state, the
  // others find nothing new, yet each may find a window that is not whole on
  // its work area (moved meanwhile, or judged by a list read half made). A
  // list never read has nothing to compare with.
  const bool known = !c.monitorsStale;
  const auto before = c.monitors;
  Read(c);
  OnMonitorsChanged(known && !SameMonitors(before, c.monitors));
  return true;
}

bool ForeignRect(TConnection& c, Window window, RECT* rect) {
  XWindowAttributes attributes;
  int x = 0, y = 0;
  Window child;
  if (!XGetWindowAttributes(c.display, window, &attributes) ||
      !XTranslateCoordinates(c.display, window, c.root, 0, 0, &x, &y, &child))
    return false;
  *rect = {x, y, x + attributes.width, y + attributes.height};
  return true;
}

bool ForeignPlace(TConnection& c, Window window, const RECT& rect) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(c.display, window, &attributes)) return false;
  XMoveResizeWindow(c.display, window, rect.left, rect.top, std::max(1, rect.right - rect.left),
                    std::max(1, rect.bottom - rect.top));
  XFlush(c.display);
  return true;
}

}  // namespace platform::posix::x11
