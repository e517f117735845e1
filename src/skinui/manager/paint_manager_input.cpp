// Mouse messages of a paint manager: hover tracking and the tooltip, the
// click control and capture, the wheel; and how events are filled in.
#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"
#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"

namespace SkinUI {
namespace {

// Hover time while a tooltip window exists: the tooltip's initial delay,
// which by default is the double-click time.
constexpr platform::DWORD kTooltipInitialDelay = 500;
constexpr platform::DWORD kDefaultHoverTime = 400;

TUIPoint PointOf(intptr_t lParam) { return {platform::XFromLParam(lParam), platform::YFromLParam(lParam)}; }

intptr_t PackPoint(TUIPoint pt) {
  return static_cast<intptr_t>((static_cast<uint32_t>(static_cast<uint16_t>(pt.y)) << 16) |
                               static_cast<uint16_t>(pt.x));
}

bool IsKeyEvent(int type) { return type > kEventKeyBegin && type < kEventKeyEnd; }

// The kKeyState* bits of the keyboard and buttons now.
uint16_t GetKeyStateBits() {
  uint16_t state = 0;
  if (platform::GetKeyState(VK_RBUTTON) < 0) state |= kKeyStateRButton;
  if (platform::GetKeyState(VK_LBUTTON) < 0) state |= kKeyStateLButton;
  if (platform::GetKeyState(VK_SHIFT) < 0) state |= kKeyStateShift;
  if (platform::GetKeyState(VK_CONTROL) < 0) state |= kKeyStateControl;
  if (platform::GetKeyState(VK_MENU) < 0) state |= kKeyStateAlt;
  return state;
}

}  // namespace

void CUIPaintManager::FireEvent(CControlUI* control, int type, uintptr_t wParam, intptr_t lParam) {
  FireEvent(control, type, wParam, lParam, m_ptLastMousePos);
}

void CUIPaintManager::FireEvent(CControlUI* control, int type, uintptr_t wParam, intptr_t lParam,
                                TUIPoint point) {
  if (!control) return;
  TUIEvent event;
  event.type = type;
  event.sender = control;
  event.timestamp = platform::GetTickCount();
  event.mouse = point;
  event.key = IsKeyEvent(type) ? static_cast<char16_t>(wParam) : 0;
  event.keyState = GetKeyStateBits();
  event.wParam = wParam;
  event.lParam = lParam;
  control->Event(event);
}

bool CUIPaintManager::HandleMouseMessage(uint32_t uMsg, uintptr_t wParam, intptr_t lParam, intptr_t&) {
  switch (uMsg) {
    case WM_MOUSEMOVE:
      OnMouseMove(lParam);
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
      OnButtonDown(uMsg, wParam, lParam);
      return false;
    case WM_LBUTTONUP:
      OnButtonUp(wParam, lParam);
      return false;
    case WM_MOUSEWHEEL:
      OnMouseWheel(wParam, lParam);
      return false;
    case WM_MOUSEHOVER:
      OnMouseHover(wParam, lParam);
      return false;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      return false;
    default:
      return false;
  }
}

void CUIPaintManager::StartMouseTracking() {
  platform::TRACKMOUSEEVENT track;
  track.dwFlags = TME_HOVER | TME_LEAVE;
  track.hwndTrack = m_hWndPaint;
  track.dwHoverTime = m_tooltip.Exists() ? kTooltipInitialDelay : kDefaultHoverTime;
  platform::TrackMouseEvent(&track);
  m_bMouseTracking = true;
}

void CUIPaintManager::OnMouseMove(intptr_t lParam) {
  if (!m_bMouseTracking) StartMouseTracking();
  const TUIPoint pt = PointOf(lParam);
  m_ptLastMousePos = pt;
  CControlUI* control = ControlUnderPoint(pt);
  if (control != m_pEventHover) {
    if (CControlUI* old = std::exchange(m_pEventHover, nullptr)) {
      FireEvent(old, kEventMouseLeave);
      m_tooltip.Hide();
    }
    if (control) {
      m_pEventHover = control;
      FireEvent(control, kEventMouseEnter);
    }
  }
  if (m_pEventClick) {
    FireEvent(m_pEventClick, kEventMouseMove);
  } else if (CControlUI* target = ControlUnderPoint(pt)) {
    FireEvent(target, kEventMouseMove);
  }
}

void CUIPaintManager::OnButtonDown(uint32_t uMsg, uintptr_t wParam, intptr_t lParam) {
  platform::SetFocus(m_hWndPaint);
  const TUIPoint pt = PointOf(lParam);
  m_ptLastMousePos = pt;
  CControlUI* control = ControlUnderPoint(pt);
  if (!control) return;
  m_pEventClick = control;
  if (uMsg != WM_LBUTTONDBLCLK) control->SetFocus();
  SetCapture();
  const int type = uMsg == WM_LBUTTONDOWN   ? kEventButtonDown
                   : uMsg == WM_RBUTTONDOWN ? kEventRButtonDown
                                            : kEventDblClick;
  FireEvent(control, type, wParam, lParam);
}

void CUIPaintManager::OnButtonUp(uintptr_t wParam, intptr_t lParam) {
  m_ptLastMousePos = PointOf(lParam);
  ReleaseCapture();
  if (CControlUI* click = std::exchange(m_pEventClick, nullptr)) {
    FireEvent(click, kEventButtonUp, wParam, lParam);
  }
}

void CUIPaintManager::OnMouseWheel(uintptr_t wParam, intptr_t lParam) {
  platform::POINT screen{PointOf(lParam).x, PointOf(lParam).y};
  platform::ScreenToClient(m_hWndPaint, &screen);
  const TUIPoint pt{screen.x, screen.y};
  const int delta = platform::WheelDeltaFromWParam(wParam);
  if (CControlUI* control = ControlUnderPoint(pt)) {
    FireEvent(control, kEventScrollWheel, delta < 0 ? 1 : 0, lParam, pt);
  }
  // The content may have moved under the mouse: hover follows.
  platform::SendMessage(m_hWndPaint, WM_MOUSEMOVE, 0, PackPoint(m_ptLastMousePos));
}

void CUIPaintManager::OnMouseHover(uintptr_t wParam, intptr_t lParam) {
  m_bMouseTracking = false;
  const TUIPoint pt = PointOf(lParam);
  if (!m_pEventHover) return;
  FireEvent(m_pEventHover, kEventMouseHover, wParam, lParam, pt);
  CControlUI* control = ControlUnderPoint(pt);
  if (control && !control->GetToolTip().empty()) {
    m_tooltip.Show(m_hWndPaint, *control, m_ptLastMousePos);
  }
}

void CUIPaintManager::OnMouseLeave() {
  m_tooltip.Hide();
  // A hover message ends the tracking, yet the mouse can leave after it: the
  // hover control must hear of that too, or it stays hot.
  if (m_bMouseTracking || m_pEventHover) {
    m_bMouseTracking = true;  // the move below must not ask for tracking again
    platform::SendMessage(m_hWndPaint, WM_MOUSEMOVE, 0, PackPoint({-1, -1}));
  }
  m_bMouseTracking = false;
}

void CUIPaintManager::SetCapture() {
  if (m_hWndPaint) platform::SetCapture(m_hWndPaint);
  m_bMouseCapture = true;
}

void CUIPaintManager::ReleaseCapture() {
  if (m_bMouseCapture || platform::GetCapture() == m_hWndPaint) platform::ReleaseCapture();
  m_bMouseCapture = false;
}

void CUIPaintManager::SetCursor(int cursor) {
  platform::SetCursor(platform::LoadCursor(cursor == kCursorHand ? IDC_HAND : IDC_ARROW));
}

}  // namespace SkinUI
