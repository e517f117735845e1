#include "skinui/window/skin_wnd_base.h"

#include <algorithm>

#include "platform/window_messages.h"
#include "skinui/control/control.h"
#include "skinui/control/ui_scale.h"
#include "skinui/render/window_scale.h"

using namespace platform;

namespace {

// A width x height rectangle centred on the centre of around, moved inside
// work as far as it fits.
RECT CentredInside(const RECT& around, int width, int height, const RECT& work) {
  int left = (around.left + around.right - width) / 2, top = (around.top + around.bottom - height) / 2;
  left = std::max(work.left, std::min(left, work.right - width));
  top = std::max(work.top, std::min(top, work.bottom - height));
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
  if (!GetWindowRect(m_hWnd, &rc) || !GetMonitorInfo(MonitorFromPoint(centre, MONITOR_DEFAULTTONEAREST), &info)) {
    return;
  }
  const int before = m_pm.GetDPIScale(), wanted = SkinUI::ScaleOfDpi(static_cast<int>(dpi));
  const SkinUI::TUISize size96{SkinUI::UnscaleSize(rc.right - rc.left, before),
                               SkinUI::UnscaleSize(rc.bottom - rc.top, before)};
  if (IsZoomed(m_hWnd)) {
    m_pm.SetDPIScale(wanted);  // the maximised place stays the system's
    return;
  }
  const RECT& work = info.rcWork;
  const int scale = SkinUI::FittingScale(wanted, size96, {work.right - work.left, work.bottom - work.top});
  m_pm.SetDPIScale(scale);
  const RECT target = scale == wanted ? suggested
                                      : CentredInside(suggested, SkinUI::ScaleSize(size96.cx, scale),
                                                      SkinUI::ScaleSize(size96.cy, scale), work);
  SetWindowPos(m_hWnd, nullptr, target.left, target.top, target.right - target.left, target.bottom - target.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}
