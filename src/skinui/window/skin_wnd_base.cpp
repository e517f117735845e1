#include "skinui/window/skin_wnd_base.h"

#include <algorithm>

#include "platform/window/window_messages.h"
#include "skinui/control/control.h"
#include "skinui/control/ui_scale.h"
#include "skinui/render/window_scale.h"

using namespace platform;

namespace {

// A width x height rectangle centred on the centre of around.
RECT CentredOn(const RECT& around, int width, int height) {
  const int left = (around.left + around.right - width) / 2, top = (around.top + around.bottom - height) / 2;
  return {left, top, left + width, top + height};
}

// The same, moved inside work as far as it fits.
RECT CentredInside(const RECT& around, int width, int height, const RECT& work) {
  RECT rc = CentredOn(around, width, height);
  const int left = std::max(work.left, std::min(rc.left, work.right - width));
  const int top = std::max(work.top, std::min(rc.top, work.bottom - height));
  return {left, top, left + width, top + height};
}

}  // namespace

BOOL CSkinWndBase::PreTranslateMessage(MSG* msg) {
  // Only top-level windows exist: the window's own messages are all there is.
  if (msg->hwnd != m_hWnd || m_hWnd == nullptr) return false;
  if (m_pm.TranslateAccelerator(*msg)) return true;
  LRESULT result = 0;
  return m_pm.PreMessageHandler(msg->message, msg->wParam, msg->lParam, result) ? true : false;
}

bool CSkinWndBase::BuildSkin(HWND hWnd, const std::u16string& skinFile) {
  m_pm.Init(hWnd);
  SkinUI::CUISkinBuilder builder;
  SkinUI::CControlUI* root = builder.Create(skinFile, {}, this, &m_pm);
  if (root == nullptr) return false;
  m_pm.AttachDialog(root);
  m_pm.AddNotifier(this);
  return true;
}

BOOL CSkinWndBase::RouteToPaintManager(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
  if (uMsg == WM_DESTROY && m_pm.GetRoot() != nullptr) {
    // The tree stays the manager's to free; nothing may reach it any more.
    m_pm.ReapObjects(m_pm.GetRoot());
    lResult = 1;
  }
  return m_pm.MessageHandler(uMsg, wParam, lParam, lResult) ? true : false;
}

void CSkinWndBase::CenterOnWorkArea() {
  RECT window;
  MONITORINFO info;
  if (!GetWindowRect(m_hWnd, &window) ||
      !GetMonitorInfo(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &info)) {
    return;
  }
  const int width = window.right - window.left, height = window.bottom - window.top;
  const RECT& work = info.rcWork;
  const int x = work.left + (work.right - work.left - width) / 2;
  const int y = work.top + (work.bottom - work.top - height) / 2;
  SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSkinWndBase::OnDpiChanged(UINT dpi, const RECT& suggested) {
  RECT rc;
  MONITORINFO info;
  const POINT centre{(suggested.left + suggested.right) / 2, (suggested.top + suggested.bottom) / 2};
  if (!GetWindowRect(m_hWnd, &rc) ||
      !GetMonitorInfo(MonitorFromPoint(centre, MONITOR_DEFAULTTONEAREST), &info)) {
    return;
  }
  const int wanted = SkinUI::ScaleOfDpi(static_cast<int>(dpi));
  if (IsZoomed(m_hWnd)) {
    m_pm.SetDPIScale(wanted);  // the maximised place stays the system's
    return;
  }
  // Always from the skin's own size: the window's present size may have been
  // fitted to a screen, and scaling it on would never give the room back,
  // nor would rounding, change after change, keep it.
  SkinUI::TUISize size96 = m_pm.GetWindowAttributes().initSize;
  if (size96.cx <= 0 || size96.cy <= 0) {
    size96 = {SkinUI::UnscaleSize(rc.right - rc.left, m_pm.GetDPIScale()),
              SkinUI::UnscaleSize(rc.bottom - rc.top, m_pm.GetDPIScale())};
  }
  const RECT& work = info.rcWork;
  const int scale = SkinUI::FittingScale(wanted, size96, {work.right - work.left, work.bottom - work.top});
  m_pm.SetDPIScale(scale);
  const int width = SkinUI::ScaleByDpi(size96.cx, scale), height = SkinUI::ScaleByDpi(size96.cy, scale);
  const RECT target =
      scale == wanted ? CentredOn(suggested, width, height) : CentredInside(suggested, width, height, work);
  SetWindowPos(m_hWnd, nullptr, target.left, target.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
