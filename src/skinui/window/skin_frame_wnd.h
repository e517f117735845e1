// CSkinFrameWndImpl<T>: a skinned window without a native frame. The whole
// window is client area; the skin's caption rectangle drags it (except over
// buttons, options and check boxes), its sizebox resizes it, its roundcorner
// rounds it, and maximising fills the monitor's work area.
#pragma once

#include "skinui/window/skin_wnd_base.h"

namespace frame_wnd {

// WM_SIZE: installs the skin's round-rectangle region (none when it has no
// round corners or the window is minimised).
void ApplyRoundRegion(platform::HWND hWnd, const SkinUI::CUIPaintManager& pm);
// WM_NCCALCSIZE's result: 0 (all client) unless maximised with a size of its
// own, then the proposed rectangle is cut to the work area's size and
// WVR_REDRAW returned.
platform::LRESULT CalcClientSize(platform::HWND hWnd, const SkinUI::CUIPaintManager& pm,
                                 platform::WPARAM wParam, platform::LPARAM lParam);
// WM_NCHITTEST's hit-test code for the point in lParam (screen coordinates).
platform::LRESULT HitTest(platform::HWND hWnd, const SkinUI::CUIPaintManager& pm, platform::LPARAM lParam);
// WM_GETMINMAXINFO: the maximised place and size from the work area (or the
// skin's maxinfo), the minimum tracking size from the skin's mininfo. A
// window of FixedSize has it as its every size, maximised too.
void FillMinMaxInfo(platform::HWND hWnd, const SkinUI::CUIPaintManager& pm, platform::LPARAM lParam);
// The size of a window that can be neither resized nor maximised (no sizing
// frame, no maximise box, no resize border in the skin): the skin's size at
// its scale, so that its layout always has the room it was made for. 0 x 0
// for other windows and skins without a size.
SkinUI::TUISize FixedSize(platform::HWND hWnd, const SkinUI::CUIPaintManager& pm);

}  // namespace frame_wnd

template <class T>
class CSkinFrameWndImpl : public CSkinWndBaseImpl<T> {
 public:
  platform::BOOL ProcessWindowMessage(platform::HWND hWnd, platform::UINT uMsg, platform::WPARAM wParam,
                                      platform::LPARAM lParam, platform::LRESULT& lResult,
                                      platform::DWORD mapId) override {
    if (mapId != 0) return 0;
    switch (uMsg) {
      case WM_SIZE:
        frame_wnd::ApplyRoundRegion(hWnd, this->m_pm);
        break;
      case WM_NCACTIVATE:
        // No native frame to paint active or inactive.
        lResult = wParam == 0 ? 1 : 0;
        if (!platform::IsIconic(hWnd)) return 1;
        break;
      case WM_NCCALCSIZE:
        lResult = frame_wnd::CalcClientSize(hWnd, this->m_pm, wParam, lParam);
        return 1;
      case WM_NCHITTEST:
        lResult = frame_wnd::HitTest(hWnd, this->m_pm, lParam);
        return 1;
      case WM_GETMINMAXINFO:
        frame_wnd::FillMinMaxInfo(hWnd, this->m_pm, lParam);
        break;
      default:
        break;
    }
    return CSkinWndBaseImpl<T>::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, mapId);
  }
};
