#include "skinui/window/skin_wnd_base.h"

#include "platform/window_messages.h"
#include "skinui/control/control.h"

using namespace platform;

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
