// POSIX window core: monitors that came, went or moved. Windows tells its
// top-level windows with WM_DISPLAYCHANGE and brings back those left off the
// screen; the core does the same when a backend reports a change, moving
// each window that is no longer whole on its monitor's work area onto it.
#include "platform/window/core/window_backend.h"
#include "platform/window/core/window_core.h"
#include "platform/window/window_activation.h"
#include "platform/window/window_messages.h"

namespace platform::posix {

void OnMonitorsChanged(bool changed) {
  const auto monitors = Backend().GetMonitors();
  if (monitors.empty()) return;
  const RECT& m = monitors.front().monitor;  // the primary's size, as Windows gives it
  const LPARAM size = MakeLParam(m.right - m.left, m.bottom - m.top);
  constexpr WPARAM kBitsPerPixel = 32;
  // A handler may create or destroy windows: walk a copy.
  const std::vector<HWND> windows = CurrentQueue()->windows;
  if (changed) {
    for (HWND hwnd : windows)
      if (LocalWindow(hwnd)) SendMessage(hwnd, WM_DISPLAYCHANGE, kBitsPerPixel, size);
  }
  for (HWND hwnd : windows) {
    auto window = LocalWindow(hwnd);
    if (window && !window->owner && window->visible && !window->iconic) BringOntoWorkArea(hwnd);
  }
}

}  // namespace platform::posix
