// Control timers of a paint manager. Native ids come from a per-window
// counter taken modulo 255; the layered repaint tick uses 0x2000 and runs
// only while a layered dirty rectangle waits to be presented.
#include <utility>

#include "platform/window/window_system.h"
#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"

namespace SkinUI {

bool CUIPaintManager::IsNativeTimerInUse(uint32_t id) const {
  for (const TUITimerInfo& t : m_aTimers) {
    if (t.hWnd == m_hWndPaint && t.uWinTimer == id) return true;
  }
  return false;
}

uint32_t CUIPaintManager::NextNativeTimerId() {
  // 0 is no timer id to the window system, and an id still held by a record
  // (live, or killed and waiting to restart) would merge two timers: both
  // are passed over.
  for (int tries = 0; tries < 255; ++tries) {
    m_uTimerID = (m_uTimerID + 1) % 0xFF;
    if (m_uTimerID != 0 && !IsNativeTimerInUse(m_uTimerID)) return m_uTimerID;
  }
  return 0;
}

bool CUIPaintManager::SetTimer(CControlUI* control, uint32_t timerId, uint32_t elapse) {
  if (!control || !m_hWndPaint) return false;
  for (TUITimerInfo& t : m_aTimers) {
    if (t.pSender != control || t.hWnd != m_hWndPaint || t.nLocalID != timerId) continue;
    if (!t.bKilled) return false;
    if (platform::SetTimer(m_hWndPaint, t.uWinTimer, elapse) == 0) return false;
    t.bKilled = false;
    return true;
  }
  uint32_t native = NextNativeTimerId();
  if (native == 0 || platform::SetTimer(m_hWndPaint, native, elapse) == 0) return false;
  m_aTimers.push_back({control, timerId, m_hWndPaint, native, false});
  return true;
}

bool CUIPaintManager::KillTimer(CControlUI* control, uint32_t timerId) {
  for (TUITimerInfo& t : m_aTimers) {
    if (t.pSender != control || t.hWnd != m_hWndPaint || t.nLocalID != timerId || t.bKilled) {
      continue;
    }
    if (platform::IsWindow(m_hWndPaint)) platform::KillTimer(t.hWnd, t.uWinTimer);
    t.bKilled = true;
    return true;
  }
  return false;
}

void CUIPaintManager::KillTimer(CControlUI* control) {
  std::erase_if(m_aTimers, [&](const TUITimerInfo& t) {
    if (t.pSender != control) return false;
    if (!t.bKilled && platform::IsWindow(t.hWnd)) platform::KillTimer(t.hWnd, t.uWinTimer);
    return true;
  });
}

void CUIPaintManager::RemoveAllTimers() {
  for (const TUITimerInfo& t : m_aTimers) {
    if (!t.bKilled && platform::IsWindow(t.hWnd)) platform::KillTimer(t.hWnd, t.uWinTimer);
  }
  m_aTimers.clear();
}

void CUIPaintManager::StartLayeredTimer() {
  if (m_bLayeredTimerOn) return;
  m_bLayeredTimerOn =
      platform::SetTimer(m_hWndPaint, kLayeredUpdateTimerId, kLayeredUpdateElapse) != 0;
}

void CUIPaintManager::StopLayeredTimer() {
  if (!std::exchange(m_bLayeredTimerOn, false)) return;
  platform::KillTimer(m_hWndPaint, kLayeredUpdateTimerId);
}

void CUIPaintManager::OnLayeredTick() {
  // Minimised: nothing can be shown, and the restore invalidates it all again.
  if (m_rcLayeredUpdate.IsEmpty() || platform::IsIconic(m_hWndPaint)) {
    StopLayeredTimer();
    return;
  }
  // A hidden window gets no paint message; its pixels are made ready for when
  // it is shown (a window shown by SetWindowPos hears nothing of it).
  if (!platform::IsWindowVisible(m_hWndPaint)) {
    PaintHiddenLayered();
    return;
  }
  // The paint takes the dirty rectangle and stops the tick.
  const platform::RECT rc{m_rcLayeredUpdate.left, m_rcLayeredUpdate.top, m_rcLayeredUpdate.right,
                          m_rcLayeredUpdate.bottom};
  platform::InvalidateRect(m_hWndPaint, &rc, false);
}

void CUIPaintManager::OnTimer(uintptr_t wParam, intptr_t lParam) {
  if (wParam == kLayeredUpdateTimerId && m_bLayered) {
    OnLayeredTick();
    return;
  }
  for (const TUITimerInfo& t : m_aTimers) {
    if (t.hWnd != m_hWndPaint || t.uWinTimer != wParam || t.bKilled) continue;
    // The handler may start or stop timers: nothing of the list is used after.
    CControlUI* control = t.pSender;
    FireEvent(control, kEventTimer, t.nLocalID, lParam);
    return;
  }
}

}  // namespace SkinUI
