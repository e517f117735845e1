#include "skinui/window/skin_frame_wnd.h"

#include <cstdint>

#include "common/text.h"
#include "skinui/control/control.h"

using namespace platform;

namespace frame_wnd {
namespace {

bool WorkAreaOf(HWND hWnd, MONITORINFO* info) {
  return GetMonitorInfo(MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), info);
}

// The resize border a point falls on, or HTNOWHERE.
LRESULT BorderHit(const RECT& rc, const SkinUI::TUIRect& sb, POINT pt) {
  const bool left = pt.x<rc.left + sb.left, right = pt.x> rc.right - sb.right;
  if (pt.y < rc.top + sb.top) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
  if (pt.y > rc.bottom - sb.bottom) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
  return left ? HTLEFT : right ? HTRIGHT : HTNOWHERE;
}

// Controls that take clicks themselves inside the caption.
bool IsClickable(const SkinUI::CControlUI& control) {
  const std::u16string_view name = control.GetClass();
  return EqualsIgnoreAsciiCase(name, u"Button") || EqualsIgnoreAsciiCase(name, u"Option") ||
         EqualsIgnoreAsciiCase(name, u"CheckBox");
}

}  // namespace

void ApplyRoundRegion(HWND hWnd, const SkinUI::CUIPaintManager& pm) {
  const SkinUI::TUISize corner = pm.GetScaledWindowAttributes().roundCorner;
  RECT rc;
  if (IsIconic(hWnd) || (corner.cx == 0 && corner.cy == 0) || !GetWindowRect(hWnd, &rc)) return;
  // Windows leaves the region's last row and column out: one more of each.
  const RECT region{0, 0, rc.right - rc.left + 1, rc.bottom - rc.top + 1};
  SetWindowRoundRgn(hWnd, region, corner.cx, corner.cy, true);
}

LRESULT CalcClientSize(HWND hWnd, const SkinUI::CUIPaintManager& pm, WPARAM wParam, LPARAM lParam) {
  MONITORINFO info;
  if (!IsZoomed(hWnd) || wParam == 0 || FixedSize(hWnd, pm).cx > 0 || !WorkAreaOf(hWnd, &info)) return 0;
  RECT& proposed = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0];
  proposed.right = proposed.left + (info.rcWork.right - info.rcWork.left);
  proposed.bottom = proposed.top + (info.rcWork.bottom - info.rcWork.top);
  return WVR_REDRAW;
}

LRESULT HitTest(HWND hWnd, const SkinUI::CUIPaintManager& pm, LPARAM lParam) {
  POINT pt{XFromLParam(lParam), YFromLParam(lParam)};
  ScreenToClient(hWnd, &pt);
  RECT rc;
  GetClientRect(hWnd, &rc);
  const SkinUI::TUIWindowAttributes window = pm.GetScaledWindowAttributes();
  if (!IsZoomed(hWnd)) {
    const LRESULT border = BorderHit(rc, window.sizeBox, pt);
    if (border != HTNOWHERE) return border;
  }
  const SkinUI::TUIRect& caption = window.caption;
  if (pt.x >= caption.left && pt.x < caption.right && pt.y >= caption.top && pt.y < caption.bottom) {
    const SkinUI::CControlUI* control = pm.FindControl(SkinUI::TUIPoint{pt.x, pt.y});
    if (control != nullptr && !IsClickable(*control)) return HTCAPTION;
  }
  return HTCLIENT;
}

void FillMinMaxInfo(HWND hWnd, const SkinUI::CUIPaintManager& pm, LPARAM lParam) {
  auto* mmi = reinterpret_cast<MINMAXINFO*>(lParam);
  const SkinUI::TUIWindowAttributes window = pm.GetScaledWindowAttributes();
  MONITORINFO info;
  if (!IsZoomed(hWnd) && WorkAreaOf(hWnd, &info)) {
    const RECT& work = info.rcWork;
    const RECT& monitor = info.rcMonitor;
    mmi->ptMaxPosition = {work.left - monitor.left, work.top - monitor.top};
    const SkinUI::TUISize max = window.maxSize;
    mmi->ptMaxSize = (max.cx != 0 || max.cy != 0) ? POINT{max.cx, max.cy}
                                                  : POINT{work.right - work.left, work.bottom - work.top};
  }
  const SkinUI::TUISize min = window.minSize;
  mmi->ptMinTrackSize = {min.cx, min.cy};
  const SkinUI::TUISize fixed = FixedSize(hWnd, pm);
  if (fixed.cx > 0) mmi->ptMinTrackSize = mmi->ptMaxTrackSize = mmi->ptMaxSize = {fixed.cx, fixed.cy};
}

SkinUI::TUISize FixedSize(HWND hWnd, const SkinUI::CUIPaintManager& pm) {
  const auto style = static_cast<DWORD>(GetWindowLongPtr(hWnd, GWL_STYLE));
  const SkinUI::TUIWindowAttributes window = pm.GetScaledWindowAttributes();
  const SkinUI::TUIRect& box = window.sizeBox;
  const SkinUI::TUISize size = window.initSize;
  if ((style & (WS_THICKFRAME | WS_MAXIMIZEBOX)) != 0 || box.left != 0 || box.top != 0 || box.right != 0 ||
      box.bottom != 0 || size.cx <= 0 || size.cy <= 0) {
    return {};
  }
  return size;
}

}  // namespace frame_wnd
