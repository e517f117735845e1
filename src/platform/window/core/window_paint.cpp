// POSIX window core: update regions and WM_PAINT, presenting pixels (opaque
// and per-pixel alpha), and round-rectangle window regions. The update region
// is kept as its bounding rectangle, which is what BeginPaint hands out.
#include <algorithm>

#include "platform/window/core/window_backend.h"
#include "platform/window/core/window_core.h"
#include "platform/window/window_messages.h"

namespace platform::posix {
namespace {

RECT ClientOf(const TWindow& window) {
  return {0, 0, window.rect.right - window.rect.left, window.rect.bottom - window.rect.top};
}

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  return r.right <= r.left || r.bottom <= r.top ? RECT{} : r;
}

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool Covers(const RECT& outer, const RECT& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
         outer.bottom >= inner.bottom;
}

bool IsLayered(const TWindow& window) { return (window.exStyle & WS_EX_LAYERED) != 0; }

}  // namespace

bool RegionContains(const TRoundRegion& region, int x, int y) {
  if (!region.on) return true;
  const RECT& h = region.hole;
  if (x >= h.left && x < h.right && y >= h.top && y < h.bottom) return false;
  // Like CreateRoundRectRgn, the last column and row of the rectangle are out.
  RECT r{region.rect.left, region.rect.top, region.rect.right - 1, region.rect.bottom - 1};
  if (IsEmpty(r) || x < r.left || x >= r.right || y < r.top || y >= r.bottom) return false;
  long long rx = std::min(region.ellipseWidth / 2, (r.right - r.left) / 2);
  long long ry = std::min(region.ellipseHeight / 2, (r.bottom - r.top) / 2);
  if (rx <= 0 || ry <= 0) return true;
  // Doubled coordinates keep pixel centres in integers.
  long long px = 2LL * x + 1, py = 2LL * y + 1;
  long long cx = std::clamp(px, 2 * (r.left + rx), 2 * (r.right - rx));
  long long cy = std::clamp(py, 2 * (r.top + ry), 2 * (r.bottom - ry));
  long long dx = px - cx, dy = py - cy;
  return dx * dx * ry * ry + dy * dy * rx * rx <= 4 * rx * rx * ry * ry;
}

void OnCompositionChanged() {
  std::vector<HWND> windows = CurrentQueue()->windows;  // a handler may create or destroy one
  for (HWND hwnd : windows) {
    auto window = LocalWindow(hwnd);
    if (window && !window->owner) SendMessage(hwnd, WM_DWMCOMPOSITIONCHANGED, 0, 0);
  }
}

}  // namespace platform::posix

namespace platform {

using posix::LocalWindow;

bool InvalidateRect(HWND hwnd, const RECT* rect, bool) {
  auto window = LocalWindow(hwnd);
  if (!window) return false;
  RECT client = posix::ClientOf(*window);
  RECT area = rect ? posix::Intersect(*rect, client) : client;
  if (posix::IsEmpty(area)) return true;
  if (!window->hasUpdate) {
    window->update = area;
    window->hasUpdate = true;
  } else {
    RECT& u = window->update;
    u = {std::min(u.left, area.left), std::min(u.top, area.top), std::max(u.right, area.right),
         std::max(u.bottom, area.bottom)};
  }
  return true;
}

bool ValidateRect(HWND hwnd, const RECT* rect) {
  auto window = LocalWindow(hwnd);
  if (!window) return false;
  if (!rect || posix::Covers(*rect, window->update)) window->hasUpdate = false;
  return true;
}

bool GetUpdateRect(HWND hwnd, RECT* rect, bool) {
  auto window = LocalWindow(hwnd);
  bool has = window && window->hasUpdate;
  if (rect) *rect = has ? window->update : RECT{};
  return has;
}

bool UpdateWindow(HWND hwnd) {
  auto window = LocalWindow(hwnd);
  if (!window) return false;
  if (window->hasUpdate && window->visible && !window->iconic) SendMessage(hwnd, WM_PAINT, 0, 0);
  return true;
}

bool BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  auto window = LocalWindow(hwnd);
  if (!window || !ps) return false;
  ps->hdc = nullptr;
  ps->fErase = 0;
  ps->rcPaint = window->hasUpdate ? window->update : RECT{};
  window->hasUpdate = false;
  return true;
}

void EndPaint(HWND, const PAINTSTRUCT*) {}

bool PresentPixels(HWND hwnd, const TBitmapView& bitmap, const RECT& rect) {
  auto window = LocalWindow(hwnd);
  if (!window || posix::IsLayered(*window) || !bitmap.pixels) return false;
  RECT area = posix::Intersect(posix::Intersect(rect, posix::ClientOf(*window)),
                               RECT{0, 0, bitmap.width, bitmap.height});
  if (posix::IsEmpty(area)) return true;
  return posix::Backend().Present(*window, bitmap, area);
}

bool UpdateLayeredWindow(HWND hwnd, const POINT* position, const TBitmapView& bitmap, BYTE opacity,
                         const RECT* dirty) {
  auto window = LocalWindow(hwnd);
  if (!window || !posix::IsLayered(*window) || !bitmap.pixels || bitmap.width <= 0 || bitmap.height <= 0)
    return false;
  POINT at = position ? *position : POINT{window->rect.left, window->rect.top};
  RECT target{at.x, at.y, at.x + bitmap.width, at.y + bitmap.height};
  const RECT all{0, 0, bitmap.width, bitmap.height};
  RECT area = dirty ? posix::Intersect(*dirty, all) : all;
  if (!(target == window->rect)) {
    SetWindowPos(hwnd, nullptr, at.x, at.y, bitmap.width, bitmap.height, SWP_NOZORDER | SWP_NOACTIVATE);
    area = all;  // what the window kept has another size
  }
  if (posix::IsEmpty(area)) return true;
  return posix::Backend().PresentLayered(*window, bitmap, opacity, area);
}

bool SetWindowRoundRgn(HWND hwnd, const RECT& rect, int ellipseWidth, int ellipseHeight, bool redraw) {
  auto window = LocalWindow(hwnd);
  if (!window) return false;
  window->region = {true, rect, ellipseWidth, ellipseHeight};
  posix::Backend().ApplyRegion(*window);
  return !redraw || InvalidateRect(hwnd, nullptr, true);
}

bool SetWindowFrameRgn(HWND hwnd, const RECT& outer, const RECT& hole, bool redraw) {
  auto window = LocalWindow(hwnd);
  if (!window) return false;
  // A rectangular region is a round one without corners, one pixel larger as
  // CreateRoundRectRgn counts.
  window->region = {true, {outer.left, outer.top, outer.right + 1, outer.bottom + 1}, 0, 0, hole};
  posix::Backend().ApplyRegion(*window);
  return !redraw || InvalidateRect(hwnd, nullptr, true);
}

bool IsCompositionEnabled() { return posix::Backend().IsComposited(); }

bool ClearWindowRgn(HWND hwnd, bool redraw) {
  auto window = LocalWindow(hwnd);
  if (!window) return false;
  window->region = {};
  posix::Backend().ApplyRegion(*window);
  return !redraw || InvalidateRect(hwnd, nullptr, true);
}

}  // namespace platform
