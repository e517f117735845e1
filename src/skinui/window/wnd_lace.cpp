#include "skinui/window/wnd_lace.h"

#include <algorithm>

#include "platform/window/window_messages.h"
#include "skinui/layout/container.h"

using namespace platform;

namespace {

constexpr char16_t kLaceClassName[] = u"SkinUIWndLace";

}  // namespace

BOOL CWndLace::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                    DWORD mapId) {
  if (mapId != 0) return false;
  if (uMsg == WM_DPICHANGED) {
    // The owner decides the scale (it may fall back to a smaller step to fit
    // the screen) and places the shadow around itself (PlaceLace).
    lResult = 0;
    return true;
  }
  if (CSkinWndBaseImpl<CWndLace>::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, mapId)) {
    return true;
  }
  if (uMsg == WM_SIZE) ApplyRing();
  if (uMsg != WM_CREATE) return false;
  SkinUI::CControlUI* root = m_pm.GetRoot();
  auto* container =
      root != nullptr ? static_cast<SkinUI::CContainerUI*>(root->GetInterface(u"Container")) : nullptr;
  if (container == nullptr) {
    lResult = -1;
    return true;
  }
  m_rcMargin = container->GetInset();
  lResult = 0;
  return true;
}

void CWndLace::ApplyRing() {
  RECT client;
  if (!GetClientRect(m_hWnd, &client)) return;
  const int width = client.right, height = client.bottom;
  const SkinUI::TUIRect& m = m_rcMargin;
  const RECT hole{m.left, m.top, std::max(m.left, width - m.right), std::max(m.top, height - m.bottom)};
  (void)SetWindowFrameRgn(m_hWnd, {0, 0, width, height}, hole, true);
}

namespace wnd_lace {
namespace {

// Draws the shadow at scale; its margins are the root's inset at that scale.
void FollowScale(CWndLace* lace, int scale) {
  SkinUI::CControlUI* root = lace->m_pm.GetRoot();
  if (lace->m_pm.GetDPIScale() == scale || root == nullptr) return;
  lace->m_pm.SetDPIScale(scale);
  if (auto* container = static_cast<SkinUI::CContainerUI*>(root->GetInterface(u"Container"))) {
    lace->m_rcMargin = container->GetInset();
  }
}

}  // namespace

bool CreateLace(CWndLace* lace, HWND owner) {
  // Never activated, never listed, and clicks go to what lies below. Layered
  // from the start: a display may give per-pixel alpha only to windows made so.
  const DWORD exStyle = WS_EX_LAYERED | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW;
  const HWND hWnd =
      lace->Create(kLaceClassName, 0, owner, u"", WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_DLGFRAME, exStyle);
  if (hWnd == nullptr) return false;
  EnableWindow(hWnd, false);
  const LONG_PTR style = GetWindowLongPtr(hWnd, GWL_STYLE);
  const LONG_PTR frameless = style & ~static_cast<LONG_PTR>(WS_CAPTION | WS_SYSMENU | WS_THICKFRAME);
  if (frameless != style) SetWindowLongPtr(hWnd, GWL_STYLE, frameless);
  return true;
}

void PlaceLace(CWndLace* lace, HWND owner, bool show, int ownerScale) {
  const HWND shadow = lace->m_hWnd;
  if (!IsWindow(owner) || shadow == nullptr || !IsWindow(shadow)) return;
  FollowScale(lace, ownerScale);
  if (IsIconic(owner) || IsZoomed(owner) || !IsWindowVisible(owner)) {
    ShowWindow(shadow, SW_HIDE);
    return;
  }
  RECT r;
  if (!GetWindowRect(owner, &r)) return;
  const SkinUI::TUIRect& m = lace->m_rcMargin;
  const int x = r.left - m.left, y = r.top - m.top;
  const int width = (r.right - r.left) + m.left + m.right, height = (r.bottom - r.top) + m.top + m.bottom;
  if (!IsCompositionEnabled()) {
    SetWindowPos(shadow, nullptr, x, y, width, height, SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (show) {
    SetWindowPos(shadow, owner, x, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  } else {
    MoveWindow(shadow, x, y, width, height, true);
  }
}

}  // namespace wnd_lace
