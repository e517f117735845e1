// X11 window backend: ring-shaped windows. A window whose region has a hole
// (the shadow around its owner) is shown as up to four edge windows around
// the hole, each showing its part of the window's frame, and its own X window
// stays unmapped. The edges overlap nothing: no translucent window lies over
// the dialog's rectangle, so nothing is blended over it and the screen read
// back there (GetImage, screenshot tools, which get a 32-bit window's raw
// pixels) is exactly the dialog. The edges let all input through. Only
// windows out of the window manager's hands (override-redirect) become
// rings: a managed window must stay one. So the edges do themselves what a
// window manager does for the windows it manages: they show only while
// their owner shows (not while it is minimised, shaded or on another
// workspace, which some window managers leave mapped), directly below the
// owner's frame whenever the stacking changes.
#include <X11/extensions/shape.h>

#include <algorithm>

#include "platform/window/x11/window_x11.h"
#include "platform/window/window_messages.h"

namespace platform::posix::x11 {
namespace {

// The strips around the hole, in window coordinates: top and bottom the
// whole width, left and right between them. None without a hole inside.
// A hole that reaches past the window (the window shrank before its new
// region came) is clipped to it: the window stays a ring meanwhile.
std::vector<RECT> EdgeAreas(const TWindow& window) {
  const int width = window.rect.right - window.rect.left, height = window.rect.bottom - window.rect.top;
  const RECT hole{std::max(0, static_cast<int>(window.region.hole.left)),
                  std::max(0, static_cast<int>(window.region.hole.top)),
                  std::min(width, static_cast<int>(window.region.hole.right)),
                  std::min(height, static_cast<int>(window.region.hole.bottom))};
  if (!window.region.on || !IsUnmanaged(window) || hole.right <= hole.left || hole.bottom <= hole.top)
    return {};
  std::vector<RECT> areas;
  for (const RECT& area :
       {RECT{0, 0, width, hole.top}, RECT{0, hole.bottom, width, height},
        RECT{0, hole.top, hole.left, hole.bottom}, RECT{hole.right, hole.top, width, hole.bottom}})
    if (area.right > area.left && area.bottom > area.top) areas.push_back(area);
  return areas;
}

Window CreateEdge(TConnection& c, TWindow& window) {
  TNativeWindow& native = NativeOf(window);
  XSetWindowAttributes attributes{};
  attributes.colormap = native.visual == c.argbVisual ? c.argbColormap : c.colormap;
  attributes.border_pixel = 0;
  attributes.background_pixel = 0;
  attributes.override_redirect = True;
  attributes.event_mask = ExposureMask;
  Window id =
      XCreateWindow(c.display, c.root, 0, 0, 1, 1, 0, native.depth, InputOutput, native.visual,
                    CWColormap | CWBorderPixel | CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
  if (!id) return 0;
  // Desktop tools see the edges as the window they belong to.
  DescribeToManager(c, window, id);
  XShapeCombineRectangles(c.display, id, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
  return id;
}

// The window's region rows that fall on area, relative to area.
std::vector<XRectangle> RowsOn(const std::vector<XRectangle>& rows, const RECT& area) {
  std::vector<XRectangle> on;
  for (const XRectangle& row : rows) {
    const int left = std::max<int>(row.x, area.left), right = std::min<int>(row.x + row.width, area.right);
    if (row.y < area.top || row.y >= area.bottom || right <= left) continue;
    on.push_back({static_cast<short>(left - area.left), static_cast<short>(row.y - area.top),
                  static_cast<unsigned short>(right - left), 1});
  }
  return on;
}

// Puts the edges directly below sibling (the first edge lowest), unless
// they lie there already: restacking them would tell every client watching
// the root of a change, and this one would look again. Returns the
// rectangles (root coordinates) of the windows shown above sibling.
std::vector<RECT> StackBelow(TConnection& c, TNativeWindow& native, Window sibling) {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(c.display, c.root, &root, &parent, &children, &count)) return {};
  const size_t n = native.edges.size();
  unsigned at = count;
  for (unsigned i = 0; i < count && at == count; ++i)
    if (children[i] == sibling) at = i;
  bool inPlace = at < count && at >= n;
  for (size_t k = 0; k < n && inPlace; ++k) inPlace = children[at - n + k] == native.edges[k].id;
  std::vector<RECT> above;
  for (unsigned i = at + 1; i < count; ++i) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(c.display, children[i], &a) || a.map_state != IsViewable ||
        a.c_class != InputOutput)
      continue;
    const int border = 2 * a.border_width;
    above.push_back({a.x, a.y, a.x + a.width + border, a.y + a.height + border});
  }
  if (children) XFree(children);
  if (!inPlace && at < count) {
    for (const TRingEdge& edge : native.edges) {
      XWindowChanges changes{};
      changes.sibling = sibling;
      changes.stack_mode = Below;
      XConfigureWindow(c.display, edge.id, CWSibling | CWStackMode, &changes);
    }
  }
  return above;
}

// Shapes each edge to its part of the window's region, less what windows
// above the owner cover there: some compositors (mutter) draw every
// override-redirect window above all managed ones, whatever the stacking.
void ShapeEdges(TConnection& c, TWindow& window, const std::vector<RECT>& covered) {
  TNativeWindow& native = NativeOf(window);
  const auto rows =
      RegionRows(window.region, window.rect.right - window.rect.left, window.rect.bottom - window.rect.top);
  for (const TRingEdge& edge : native.edges) {
    auto on = RowsOn(rows, edge.area);
    XShapeCombineRectangles(c.display, edge.id, ShapeBounding, 0, 0, on.data(), static_cast<int>(on.size()),
                            ShapeSet, YXBanded);
    std::vector<XRectangle> cut;
    const int left = window.rect.left + edge.area.left, top = window.rect.top + edge.area.top;
    for (const RECT& r : covered) {
      const RECT part{std::max<int>(r.left, left), std::max<int>(r.top, top),
                      std::min<int>(r.right, left + edge.area.right - edge.area.left),
                      std::min<int>(r.bottom, top + edge.area.bottom - edge.area.top)};
      if (part.right > part.left && part.bottom > part.top)
        cut.push_back({static_cast<short>(part.left - left), static_cast<short>(part.top - top),
                       static_cast<unsigned short>(part.right - part.left),
                       static_cast<unsigned short>(part.bottom - part.top)});
    }
    if (!cut.empty())
      XShapeCombineRectangles(c.display, edge.id, ShapeBounding, 0, 0, cut.data(),
                              static_cast<int>(cut.size()), ShapeSubtract, Unsorted);
  }
  native.covered = covered;
  native.edgeShapesStale = false;
}

}  // namespace

void SyncRing(TConnection& c, TWindow& window) {
  TNativeWindow& native = NativeOf(window);
  const std::vector<RECT> areas = EdgeAreas(window);
  if (areas.empty()) {
    if (native.edges.empty()) return;
    const bool shown = native.mapped;
    DestroyRing(c, native);
    native.mapSerial = NextRequest(c.display);
    if (shown) XMapWindow(c.display, native.id);
    return;
  }
  const bool wasRing = !native.edges.empty();
  while (native.edges.size() > areas.size()) {
    XDestroyWindow(c.display, native.edges.back().id);
    native.edges.pop_back();
  }
  while (native.edges.size() < areas.size()) {
    Window id = CreateEdge(c, window);
    if (!id) break;
    native.edges.push_back({id, {}});
    native.edgesShown = false;  // a new edge is still to be mapped
  }
  for (size_t i = 0; i < native.edges.size(); ++i) {
    TRingEdge& edge = native.edges[i];
    edge.area = areas[i];
    XMoveResizeWindow(c.display, edge.id, window.rect.left + edge.area.left, window.rect.top + edge.area.top,
                      edge.area.right - edge.area.left, edge.area.bottom - edge.area.top);
  }
  native.edgeShapesStale = true;
  if (!wasRing) {
    // Its own X window makes way for the edges; the unmap is ours, not news.
    native.edgesShown = false;
    native.mapSerial = NextRequest(c.display);
    if (native.mapped) XUnmapWindow(c.display, native.id);
  }
  FollowOwner(c, window);
}

void ShowRing(TConnection& c, TWindow& window, bool show) {
  NativeOf(window).mapped = show;
  FollowOwner(c, window);
}

void FollowOwner(TConnection& c, TWindow& window) {
  TNativeWindow& native = NativeOf(window);
  if (native.edges.empty()) return;
  auto owner = window.owner ? LocalWindow(window.owner) : nullptr;
  const bool managedOwner = owner && owner->native && !IsUnmanaged(*owner);
  const bool ownerShows =
      !owner || (owner->visible && !owner->iconic && (!managedOwner || ManagerShows(c, XidOf(owner->hwnd))));
  const bool show = native.mapped && ownerShows;
  if (show) {
    const Window below = !owner         ? native.id
                         : managedOwner ? FrameOf(c, NativeOf(*owner))
                                        : XidOf(owner->hwnd);
    const std::vector<RECT> covered = StackBelow(c, native, below);
    if (native.edgeShapesStale || covered != native.covered) ShapeEdges(c, window, covered);
  }
  if (show != native.edgesShown) {
    for (const TRingEdge& edge : native.edges) {
      if (show)
        XMapWindow(c.display, edge.id);
      else
        XUnmapWindow(c.display, edge.id);
    }
    native.edgesShown = show;
  }
}

void FollowOwners(TConnection& c) {
  for (HWND hwnd : CurrentQueue()->windows) {
    TWindow* window = LocalWindow(hwnd).get();
    if (window && window->native && !NativeOf(*window).edges.empty()) FollowOwner(c, *window);
  }
}

void DestroyRing(TConnection& c, TNativeWindow& native) {
  for (const TRingEdge& edge : native.edges) XDestroyWindow(c.display, edge.id);
  native.edges.clear();
  native.edgesShown = false;
}

HWND HwndOfEventWindow(Window id) {
  if (FindWindowRecord(HwndOf(id))) return HwndOf(id);
  for (HWND hwnd : CurrentQueue()->windows) {
    TWindow* window = LocalWindow(hwnd).get();
    if (!window || !window->native) continue;
    for (const TRingEdge& edge : NativeOf(*window).edges)
      if (edge.id == id) return hwnd;
  }
  return HwndOf(id);
}

}  // namespace platform::posix::x11
