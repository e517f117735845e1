// Timers of a paint manager: the control timers (kept by CUIControlTimers)
// and the layered repaint tick, which uses 0x2000 and runs only while a
// layered dirty rectangle waits to be presented.
#include <utility>

#include "platform/window/window_system.h"
#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"

namespace SkinUI {

bool CUIPaintManager::SetTimer(CControlUI* control, uint32_t timerId, uint32_t elapse) {
  return m_timers.Set(control, timerId, elapse);
}

bool CUIPaintManager::KillTimer(CControlUI* control, uint32_t timerId) {
  return m_timers.Kill(control, timerId);
}

void CUIPaintManager::KillTimer(CControlUI* control) { m_timers.KillAll(control); }

void CUIPaintManager::OnLayeredTick() {
  // Minimised: nothing can be shown, and the restore invalidates it all again.
  const TUIRect& dirty = m_layeredUpdate.Rect();
  if (dirty.IsEmpty() || platform::IsIconic(m_hWndPaint)) {
    m_layeredUpdate.StopTick();
    return;
  }
  // A hidden window gets no paint message; its pixels are made ready for when
  // it is shown (a window shown by SetWindowPos hears nothing of it).
  if (!platform::IsWindowVisible(m_hWndPaint)) {
    PaintHiddenLayered();
    return;
  }
  // The paint takes the dirty rectangle and stops the tick.
  const platform::RECT rc{dirty.left, dirty.top, dirty.right, dirty.bottom};
  platform::InvalidateRect(m_hWndPaint, &rc, false);
}

void CUIPaintManager::OnTimer(uintptr_t wParam, intptr_t lParam) {
  if (wParam == CUILayeredUpdate::kTimerId && m_bLayered) {
    OnLayeredTick();
    return;
  }
  CControlUI* control = nullptr;
  uint32_t id = 0;
  if (m_timers.Find(wParam, control, id)) FireEvent(control, kEventTimer, id, lParam);
}

}  // namespace SkinUI
