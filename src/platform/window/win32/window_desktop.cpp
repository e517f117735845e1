// Win32 window system: monitors, work areas, DPI and desktop composition.
// The per-monitor DPI query lives in shcore.dll (Windows 8.1 on) and is
// looked up at run time: 96 when the call fails or is missing, the screen's
// logical pixels per inch when the library itself is missing; a DPI outside
// the sane range is 96 too. Composition is asked of dwmapi.dll, also looked
// up at run time.
#include "platform/window/win32/window_win32.h"

namespace platform {
namespace {

::HMONITOR Native(HMONITOR monitor) { return reinterpret_cast<::HMONITOR>(const_cast<TMonitor*>(monitor)); }
HMONITOR Portable(::HMONITOR monitor) { return reinterpret_cast<HMONITOR>(monitor); }

using GetDpiForMonitorFn = HRESULT(WINAPI*)(::HMONITOR, int, ::UINT*, ::UINT*);
using DwmIsCompositionEnabledFn = HRESULT(WINAPI*)(::BOOL*);

}  // namespace

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
  return Portable(::MonitorFromPoint({point.x, point.y}, flags));
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) { return Portable(::MonitorFromWindow(hwnd, flags)); }

HMONITOR MonitorFromRect(const RECT& rect, DWORD flags) {
  const ::RECT native{rect.left, rect.top, rect.right, rect.bottom};
  return Portable(::MonitorFromRect(&native, flags));
}

bool GetMonitorInfo(HMONITOR monitor, MONITORINFO* info) {
  ::MONITORINFO native{};
  native.cbSize = sizeof native;
  if (!info || !GetMonitorInfoW(Native(monitor), &native)) return false;
  info->rcMonitor = {native.rcMonitor.left, native.rcMonitor.top, native.rcMonitor.right,
                     native.rcMonitor.bottom};
  info->rcWork = {native.rcWork.left, native.rcWork.top, native.rcWork.right, native.rcWork.bottom};
  info->dwFlags = native.dwFlags;
  return true;
}

UINT GetDpiForMonitor(HMONITOR monitor) {
  HMODULE shcore = LoadLibraryW(L"shcore.dll");
  if (!shcore) {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? SaneDpi(static_cast<UINT>(dpi)) : 96;
  }
  auto query = reinterpret_cast<GetDpiForMonitorFn>(
      reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
  ::UINT x = 96, y = 96;
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  bool ok = query && query(Native(monitor), kEffectiveDpi, &x, &y) == S_OK;
  FreeLibrary(shcore);
  return ok ? SaneDpi(x) : 96;
}

// Desktop composition is always on from Windows 8; before, the user or a
// basic theme may turn it off; Wine has none (its dwmapi answers false).
bool IsCompositionEnabled() {
  HMODULE dwmapi = LoadLibraryW(L"dwmapi.dll");
  if (!dwmapi) return false;
  auto query = reinterpret_cast<DwmIsCompositionEnabledFn>(
      reinterpret_cast<void*>(GetProcAddress(dwmapi, "DwmIsCompositionEnabled")));
  ::BOOL enabled = FALSE;
  bool ok = query && query(&enabled) == S_OK;
  FreeLibrary(dwmapi);
  return ok && enabled;
}

}  // namespace platform
