// X11 window backend: ring-shaped windows. A window whose region has a hole
// (the shadow around its owner) is shown as up to four edge windows around
// the hole, each showing its part of the window's frame, and its own X window
// stays unmapped. The edges overlap nothing: no translucent window lies over
// the dialog's rectangle, so nothing is blended over it and the screen read
// back there (GetImage, screenshot tools, which get a 32-bit window's raw
// pixels) is exactly the dialog. The edges let all input through. Only windows out of the window manager's
// hands (override-redirect) become rings: a managed window must stay one.
#include <X11/extensions/shape.h>

#include <algorithm>

#include "platform/posix/window/x11/window_x11.h"
#include "platform/window_messages.h"

namespace platform::posix::x11 {
namespace {

// The strips around the hole, in window coordinates: top and bottom the
// whole width, left and right between them. None without a hole inside.
std::vector<RECT> EdgeAreas(const TWindow& window) {
  const int width = window.rect.right - window.rect.left, height = window.rect.bottom - window.rect.top;
  const RECT& hole = window.region.hole;
  if (!window.region.on || !IsUnmanaged(window) || hole.right <= hole.left ||
      hole.bottom <= hole.top || hole.left < 0 || hole.top < 0 || hole.right > width || hole.bottom > height)
    return {};
  std::vector<RECT> areas;
  for (const RECT& area : {RECT{0, 0, width, hole.top}, RECT{0, hole.bottom, width, height},
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
  Window id = XCreateWindow(c.display, c.root, 0, 0, 1, 1, 0, native.depth, InputOutput, native.visual,
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

}  // namespace

void SyncRing(TConnection& c, TWindow& window) {
  TNativeWindow& native = NativeOf(window);
  const std::vector<RECT> areas = EdgeAreas(window);
  if (areas.empty()) {
    if (native.edges.empty()) return;
    const bool shown = native.mapped;
    DestroyRing(c, native);
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
  }
  const auto rows = RegionRows(window.region, window.rect.right - window.rect.left,
                               window.rect.bottom - window.rect.top);
  for (size_t i = 0; i < native.edges.size(); ++i) {
    TRingEdge& edge = native.edges[i];
    edge.area = areas[i];
    XMoveResizeWindow(c.display, edge.id, window.rect.left + edge.area.left, window.rect.top + edge.area.top,
                      edge.area.right - edge.area.left, edge.area.bottom - edge.area.top);
    auto on = RowsOn(rows, edge.area);
    XShapeCombineRectangles(c.display, edge.id, ShapeBounding, 0, 0, on.data(), static_cast<int>(on.size()),
                            ShapeSet, YXBanded);
  }
  StackRing(c, native);
  if (native.mapped) {
    if (!wasRing) XUnmapWindow(c.display, native.id);
    ShowRing(c, native, true);
  }
}

void ShowRing(TConnection& c, TNativeWindow& native, bool show) {
  for (const TRingEdge& edge : native.edges) {
    if (show) XMapWindow(c.display, edge.id);
    else XUnmapWindow(c.display, edge.id);
  }
  native.mapped = show;
}

// The edges sit where the window's own X window sits in the stack.
void StackRing(TConnection& c, TNativeWindow& native) {
  for (const TRingEdge& edge : native.edges) {
    XWindowChanges changes{};
    changes.sibling = native.id;
    changes.stack_mode = Below;
    XConfigureWindow(c.display, edge.id, CWSibling | CWStackMode, &changes);
  }
}

void DestroyRing(TConnection& c, TNativeWindow& native) {
  for (const TRingEdge& edge : native.edges) XDestroyWindow(c.display, edge.id);
  native.edges.clear();
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
