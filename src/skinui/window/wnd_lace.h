// The soft shadow frame around a skinned window: CWndLace is the shadow
// window itself (built from "dlg_lace.xml", layered with per-pixel alpha),
// CWndWithLace<T> the part of the owner that creates it and keeps it glued
// to the owner, m_rcMargin pixels larger on each side.
//
// What the screen shows matters more than the shadow: the shadow is a ring
// whose middle, where the owner sits, is cut out of its window region; it
// lets every click through and is never activated; and it is shown only
// while the desktop blends translucent windows (without that its soft pixels
// would land on the screen as an opaque dark frame).
#pragma once

#include <string>

#include "skinui/window/skin_wnd_base.h"

class CWndLace : public CSkinWndBaseImpl<CWndLace> {
 public:
  platform::BOOL ProcessWindowMessage(platform::HWND hWnd, platform::UINT uMsg, platform::WPARAM wParam,
                                      platform::LPARAM lParam, platform::LRESULT& lResult,
                                      platform::DWORD mapId) override;
  virtual std::u16string GetSkinFile() { return m_strSkinFile; }
  // A null name empties it.
  virtual void SetSkinFile(const char16_t* name) { m_strSkinFile = name != nullptr ? name : u""; }

  // How far the shadow reaches beyond its owner: the skin root's inset.
  SkinUI::TUIRect m_rcMargin;
  std::u16string m_strSkinFile = u"dlg_lace.xml";

 private:
  // Cuts the owner's place out of the shadow's window region.
  void ApplyRing();
};

namespace wnd_lace {

// Creates lace as a disabled, frameless window owned by owner that is never
// activated and lets input through. False when it could not be created (the
// owner then works without shadow).
bool CreateLace(CWndLace* lace, platform::HWND owner);
// Puts the shadow around owner (by moving it, or showing it directly behind
// the owner), drawn at the owner's DPI scale (percent); hides it while the
// owner is minimised, maximised or hidden, and while the desktop does not
// blend translucent windows.
void PlaceLace(CWndLace* lace, platform::HWND owner, bool show, int ownerScale);

}  // namespace wnd_lace

template <class T>
class CWndWithLace {
 public:
  // Keeps the shadow in step with the owner's messages; never consumes one.
  void ProcessLaceMessage(platform::HWND hWnd, platform::UINT uMsg, platform::WPARAM wParam) {
    switch (uMsg) {
      case WM_CREATE:
        (void)wnd_lace::CreateLace(&m_wndLace, hWnd);
        break;
      case WM_PAINT:
        m_bPainted = true;
        wnd_lace::PlaceLace(&m_wndLace, hWnd, true, OwnerScale());
        break;
      case WM_MOVE:
        wnd_lace::PlaceLace(&m_wndLace, hWnd, false, OwnerScale());
        break;
      case WM_SIZE:
        if (m_bPainted) wnd_lace::PlaceLace(&m_wndLace, hWnd, true, OwnerScale());
        break;
      case WM_SHOWWINDOW:
        if (wParam != 1 && m_wndLace.m_hWnd != nullptr) platform::ShowWindow(m_wndLace.m_hWnd, SW_HIDE);
        break;
      case WM_DWMCOMPOSITIONCHANGED:
        wnd_lace::PlaceLace(&m_wndLace, hWnd, m_bPainted, OwnerScale());
        break;
      default:
        break;
    }
  }

  int OwnerScale() const { return static_cast<const T*>(this)->m_pm.GetDPIScale(); }

  // Set by the owner's first paint; before it, sizing does not show the shadow.
  bool m_bPainted = false;
  CWndLace m_wndLace;
};
