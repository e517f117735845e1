// The message handler of a paint manager: filters, the asynchronous queue,
// and the messages that concern the window as a whole. Mouse and keyboard
// messages are in paint_manager_input.cpp and paint_manager_keys.cpp, paint
// in paint_manager_paint.cpp.
#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"
#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"

namespace SkinUI {
namespace {

// The header every WM_NOTIFY parameter starts with (Windows' NMHDR).
struct TNotifyHeader {
  platform::HWND hwndFrom;
  platform::UINT_PTR idFrom;
  platform::UINT code;
};

// The window a control message names, for reflection; null when none.
platform::HWND ReflectionTarget(uint32_t uMsg, intptr_t lParam) {
  if (lParam == 0) return nullptr;
  if (uMsg == WM_NOTIFY) return reinterpret_cast<const TNotifyHeader*>(lParam)->hwndFrom;
  return reinterpret_cast<platform::HWND>(lParam);
}

}  // namespace

bool CUIPaintManager::MessageHandler(uint32_t uMsg, uintptr_t wParam, intptr_t lParam, intptr_t& lRes) {
  lRes = 0;
  if (!m_hWndPaint) return false;
  SendAsyncNotify();
  for (size_t i = 0; i < m_aMessageFilters.size(); ++i) {
    bool handled = false;
    intptr_t result = m_aMessageFilters[i]->MessageHandler(uMsg, wParam, lParam, handled);
    if (handled) {
      lRes = result;
      return true;
    }
  }
  bool handled = HandleWindowMessage(uMsg, wParam, lParam, lRes) ||
                 HandleMouseMessage(uMsg, wParam, lParam, lRes) ||
                 HandleKeyMessage(uMsg, wParam, lParam, lRes);
  SendAsyncNotify();
  return handled;
}

bool CUIPaintManager::HandleWindowMessage(uint32_t uMsg, uintptr_t wParam, intptr_t lParam, intptr_t& lRes) {
  switch (uMsg) {
    case WM_SIZE:
      OnSize(wParam);
      return false;
    case WM_PAINT:
      OnPaint();
      return true;
    case WM_PRINTCLIENT:
      return OnPrintClient(wParam, lParam);
    case WM_CLOSE:
      OnClose();
      return false;
    case WM_ERASEBKGND:
      lRes = 1;
      return true;
    case WM_SETCURSOR:
      return OnSetCursor(lParam, lRes);
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(lParam);
      return false;
    case WM_NOTIFY:
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      return OnReflect(uMsg, wParam, lParam, lRes);
    case WM_CONTEXTMENU:
      OnContextMenu(lParam);
      return false;
    case WM_DISPLAYCHANGE:
      Invalidate();
      return false;
    case WM_TIMER:
      OnTimer(wParam, lParam);
      return false;
    case kMsgDelayedCleanup:
      OnDelayedCleanup();
      return true;
    case WM_GETOBJECT:
      return OnGetObject(wParam, lParam, lRes);
    default:
      return false;
  }
}

void CUIPaintManager::OnSize(uintptr_t wParam) {
  if (wParam == SIZE_MINIMIZED) return;
  if (CControlUI* focus = m_focus.Get()) FireEvent(focus, kEventWindowSize);
  if (m_pRoot) m_pRoot->NeedUpdate();
  if (m_bLayered) Invalidate();
  // Laid out now, not at the next paint: input queued before that paint (a
  // click just after a resize or a new DPI) must meet the controls where this
  // size puts them. The first layout stays the first paint's.
  if (!m_bFirstLayout) LayoutIfNeeded();
}

void CUIPaintManager::OnClose() {
  // A control in the middle of a hover or a press must not stay in it.
  if (CControlUI* hover = std::exchange(m_pEventHover, nullptr)) {
    FireEvent(hover, kEventMouseLeave);
  }
  if (CControlUI* click = std::exchange(m_pEventClick, nullptr)) {
    FireEvent(click, kEventButtonUp);
  }
  SetFocus(nullptr);
  if (platform::HWND owner = platform::GetWindow(m_hWndPaint, GW_OWNER)) {
    platform::SetFocus(owner);
  }
}

bool CUIPaintManager::OnSetCursor(intptr_t lParam, intptr_t& lRes) {
  if (platform::LoWord(static_cast<uintptr_t>(lParam)) != HTCLIENT) return false;
  if (m_bMouseCapture) {
    lRes = 1;
    return true;
  }
  platform::POINT pt;
  platform::GetCursorPos(&pt);
  platform::ScreenToClient(m_hWndPaint, &pt);
  CControlUI* control = ControlUnderPoint({pt.x, pt.y});
  if (!control || !(control->GetControlFlags() & kControlFlagSetCursor)) return false;
  FireEvent(control, kEventSetCursor, 0, 0, {pt.x, pt.y});
  lRes = 1;
  return true;
}

void CUIPaintManager::OnGetMinMaxInfo(intptr_t lParam) {
  auto* info = reinterpret_cast<platform::MINMAXINFO*>(lParam);
  if (!info) return;
  // The skin's limits at the window's scale: its sizes are 96-DPI units.
  const TUIWindowAttributes window = GetScaledWindowAttributes();
  if (window.minSize.cx > 0) info->ptMinTrackSize.x = window.minSize.cx;
  if (window.minSize.cy > 0) info->ptMinTrackSize.y = window.minSize.cy;
  if (window.maxSize.cx > 0) info->ptMaxTrackSize.x = window.maxSize.cx;
  if (window.maxSize.cy > 0) info->ptMaxTrackSize.y = window.maxSize.cy;
}

bool CUIPaintManager::OnReflect(uint32_t uMsg, uintptr_t wParam, intptr_t lParam, intptr_t& lRes) {
  platform::HWND target = ReflectionTarget(uMsg, lParam);
  if (!target || !platform::IsWindow(target)) return false;
  lRes = platform::SendMessage(target, uMsg + OCM__BASE, wParam, lParam);
  return true;
}

void CUIPaintManager::OnContextMenu(intptr_t lParam) {
  ReleaseCapture();
  platform::POINT pt{platform::XFromLParam(lParam), platform::YFromLParam(lParam)};
  platform::ScreenToClient(m_hWndPaint, &pt);
  CControlUI* control = m_pEventClick ? m_pEventClick : ControlUnderPoint({pt.x, pt.y});
  m_pEventClick = nullptr;
  if (!control) return;
  FireEvent(control, kEventContextMenu, 0, reinterpret_cast<intptr_t>(control), {pt.x, pt.y});
}

bool CUIPaintManager::OnPrintClient(uintptr_t wParam, intptr_t lParam) {
  // Only the program's own request carries a canvas; a native device context
  // is left to the default procedure.
  if (!(lParam & kPrintToCanvas) || wParam == 0) return false;
  PaintClientTo(*reinterpret_cast<CUICanvas*>(wParam));
  return true;
}

}  // namespace SkinUI
