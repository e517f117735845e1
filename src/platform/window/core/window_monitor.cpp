// POSIX window core: monitors (from the backend), the window's monitor, work
// areas and DPI, WM_DPICHANGED when a backend reports a new DPI, and the
// choice of the display backend.
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/window/core/window_backend.h"
#include "platform/window/core/window_core.h"
#include "platform/window/window_messages.h"

namespace platform::posix {
namespace {

HMONITOR HandleOf(size_t index) { return reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(index + 1)); }

bool IndexOf(HMONITOR monitor, size_t count, size_t* index) {
  auto value = reinterpret_cast<uintptr_t>(monitor);
  if (value == 0 || value > count) return false;
  *index = value - 1;
  return true;
}

// In 64 bits: a rectangle another client gave may span all of int.
long long DistanceSquared(const RECT& r, POINT p) {
  long long dx = p.x < r.left ? 0LL + r.left - p.x : p.x >= r.right ? 1LL + p.x - r.right : 0;
  long long dy = p.y < r.top ? 0LL + r.top - p.y : p.y >= r.bottom ? 1LL + p.y - r.bottom : 0;
  return dx * dx + dy * dy;
}

long long Overlap(const RECT& a, const RECT& b) {
  long long w = 0LL + std::min(a.right, b.right) - std::max(a.left, b.left);
  long long h = 0LL + std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

// The squared distance between two rectangles (0 when they touch or overlap).
long long DistanceSquared(const RECT& a, const RECT& b) {
  auto gap = [](int lowEnd, int highStart) { return std::max(0LL, 0LL + highStart - lowEnd); };
  long long dx = std::max(gap(a.right, b.left), gap(b.right, a.left));
  long long dy = std::max(gap(a.bottom, b.top), gap(b.bottom, a.top));
  return dx * dx + dy * dy;
}

struct TChosenBackend {
  std::unique_ptr<IWindowBackend> backend;
  bool seen = true;  // false for the headless stand-in of a missing display
};

TChosenBackend ChooseBackend() {
  const char* forced = std::getenv("ORV_WINDOW_BACKEND");
  if (forced && std::strcmp(forced, "headless") == 0) return {CreateHeadlessBackend(), true};
  const char* display = std::getenv("DISPLAY");
  if (display && *display) {
    if (auto x11 = CreateX11Backend(display)) return {std::move(x11), true};
  }
  return {CreateHeadlessBackend(), false};
}

const TChosenBackend& Chosen() {
  static const TChosenBackend chosen = ChooseBackend();
  return chosen;
}

// rect scaled by num / den around its centre.
RECT ScaledAroundCentre(const RECT& rect, UINT num, UINT den) {
  auto scaled = [&](int v) { return static_cast<int>((static_cast<long long>(v) * num + den / 2) / den); };
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const int newWidth = scaled(width), newHeight = scaled(height);
  const int left = rect.left + (width - newWidth) / 2, top = rect.top + (height - newHeight) / 2;
  return {left, top, left + newWidth, top + newHeight};
}

}  // namespace

IWindowBackend& Backend() { return *Chosen().backend; }

void OnMonitorDpiChanged(UINT oldDpi, UINT newDpi) {
  // Windows were drawn at the sane value of the old DPI; an insane one
  // before must not keep them from following a sane one now.
  oldDpi = SaneDpi(oldDpi);
  newDpi = SaneDpi(newDpi);
  if (oldDpi == newDpi) return;
  // A handler may create or destroy windows: walk a copy.
  const std::vector<HWND> windows = CurrentQueue()->windows;
  for (HWND hwnd : windows) {
    RECT rect;
    if (!LocalWindow(hwnd) || !GetWindowRect(hwnd, &rect)) continue;
    RECT suggested = ScaledAroundCentre(rect, newDpi, oldDpi);
    // Both halves of wParam carry the DPI (horizontal and vertical).
    SendMessage(hwnd, WM_DPICHANGED, static_cast<WPARAM>((newDpi & 0xFFFF) << 16 | (newDpi & 0xFFFF)),
                reinterpret_cast<LPARAM>(&suggested));
  }
}

}  // namespace platform::posix

namespace platform {

bool HasUserDisplay() { return posix::Chosen().seen; }

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
  auto monitors = posix::Backend().GetMonitors();
  size_t nearest = 0;
  long long best = std::numeric_limits<long long>::max();
  for (size_t i = 0; i < monitors.size(); ++i) {
    long long distance = posix::DistanceSquared(monitors[i].monitor, point);
    if (distance == 0) return posix::HandleOf(i);
    if (distance < best) best = distance, nearest = i;
  }
  if (monitors.empty() || flags == MONITOR_DEFAULTTONULL) return nullptr;
  return posix::HandleOf(flags == MONITOR_DEFAULTTONEAREST ? nearest : 0);
}

HMONITOR MonitorFromRect(const RECT& rect, DWORD flags) {
  auto monitors = posix::Backend().GetMonitors();
  size_t most = 0, nearest = 0;
  long long best = 0, closest = std::numeric_limits<long long>::max();
  for (size_t i = 0; i < monitors.size(); ++i) {
    long long overlap = posix::Overlap(monitors[i].monitor, rect);
    if (overlap > best) best = overlap, most = i;
    long long distance = posix::DistanceSquared(monitors[i].monitor, rect);
    if (distance < closest) closest = distance, nearest = i;
  }
  if (best > 0) return posix::HandleOf(most);
  if (monitors.empty() || flags == MONITOR_DEFAULTTONULL) return nullptr;
  return posix::HandleOf(flags == MONITOR_DEFAULTTONEAREST ? nearest : 0);
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
  RECT rect;
  if (!GetWindowRect(hwnd, &rect))
    return flags == MONITOR_DEFAULTTONULL ? nullptr : MonitorFromPoint({0, 0}, flags);
  return MonitorFromRect(rect, flags);
}

bool GetMonitorInfo(HMONITOR monitor, MONITORINFO* info) {
  auto monitors = posix::Backend().GetMonitors();
  size_t index;
  if (!info || !posix::IndexOf(monitor, monitors.size(), &index)) return false;
  info->rcMonitor = monitors[index].monitor;
  info->rcWork = monitors[index].work;
  info->dwFlags = index == 0 ? MONITORINFOF_PRIMARY : 0;
  return true;
}

UINT GetDpiForMonitor(HMONITOR monitor) {
  auto monitors = posix::Backend().GetMonitors();
  size_t index;
  return posix::IndexOf(monitor, monitors.size(), &index) ? SaneDpi(monitors[index].dpi) : 96;
}

}  // namespace platform
