// Keyboard focus of a paint manager: moving it and telling the controls.
#include "platform/window/window_system.h"
#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"

namespace SkinUI {

void CUIPaintManager::SetFocus(CControlUI* control) {
  if (control && m_hWndPaint && platform::GetFocus() != m_hWndPaint) {
    platform::SetFocus(m_hWndPaint);
  }
  if (control == m_focus.Get()) return;
  if (CControlUI* old = m_focus.Take()) {
    FireEvent(old, kEventKillFocus);
    SendNotify(old, u"killfocus");
  }
  if (!control || control->GetManager() != this || !control->IsVisible() || !control->IsEnabled()) {
    return;
  }
  m_focus.Set(control);
  FireEvent(control, kEventSetFocus);
  SendNotify(control, u"setfocus");
  AnnounceAccessible(control, platform::EAccessibleEvent::kFocus);
}

void CUIPaintManager::SetFocusNeeded(CControlUI* control) {
  m_focus.AskFor(control);
  Invalidate();
}

void CUIPaintManager::TakeNeededFocus() {
  CControlUI* wanted = m_focus.TakeWanted();
  if (wanted && wanted->GetManager() == this && wanted->IsVisible() && wanted->IsEnabled()) {
    m_focus.Answered();
    SetFocus(wanted);
    return;
  }
  if (CControlUI* main = CUIFocusKeeper::FindDefault(m_pRoot)) {
    m_focus.Answered();
    SetFocus(main);
    return;
  }
  SetNextTabControl(true);
}

bool CUIPaintManager::SetNextTabControl(bool forward) {
  // Before the first layout the order on screen is not known yet.
  if (forward && m_bUpdateNeeded) {
    m_focus.Ask();
    Invalidate();
    return true;
  }
  m_focus.Answered();
  if (!m_pRoot) return false;
  CControlUI* next = m_focus.NextTabStop(m_pRoot, forward);
  if (!next) return false;
  SetFocus(next);
  return true;
}

}  // namespace SkinUI
