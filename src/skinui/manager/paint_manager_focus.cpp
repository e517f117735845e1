// Keyboard focus of a paint manager and the tab order.
#include <vector>

#include "platform/window/window_system.h"
#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"

namespace SkinUI {
namespace {

CControlUI* Collect(CControlUI* control, void* data) {
  static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
  return nullptr;
}

bool IsTabStop(const CControlUI* control) {
  return (control->GetControlFlags() & kControlFlagTabStop) != 0;
}

CControlUI* MatchDefault(CControlUI* control, void*) {
  return (control->GetControlFlags() & kControlFlagDefault) != 0 ? control : nullptr;
}

}  // namespace

void CUIPaintManager::SetFocus(CControlUI* control) {
  if (control && m_hWndPaint && platform::GetFocus() != m_hWndPaint) {
    platform::SetFocus(m_hWndPaint);
  }
  if (control == m_pFocus) return;
  if (CControlUI* old = std::exchange(m_pFocus, nullptr)) {
    FireEvent(old, kEventKillFocus);
    SendNotify(old, u"killfocus");
  }
  if (!control || control->GetManager() != this || !control->IsVisible() ||
      !control->IsEnabled()) {
    return;
  }
  m_pFocus = control;
  FireEvent(control, kEventSetFocus);
  SendNotify(control, u"setfocus");
  AnnounceAccessible(control, platform::EAccessibleEvent::kFocus);
}

void CUIPaintManager::SetFocusNeeded(CControlUI* control) {
  m_pFocusNeeded = control;
  m_bFocusNeeded = true;
  Invalidate();
}

void CUIPaintManager::TakeNeededFocus() {
  CControlUI* wanted = std::exchange(m_pFocusNeeded, nullptr);
  if (wanted && wanted->GetManager() == this && wanted->IsVisible() && wanted->IsEnabled()) {
    m_bFocusNeeded = false;
    SetFocus(wanted);
    return;
  }
  if (CControlUI* main = FindDefaultControl()) {
    m_bFocusNeeded = false;
    SetFocus(main);
    return;
  }
  SetNextTabControl(true);
}

CControlUI* CUIPaintManager::FindDefaultControl() const {
  if (!m_pRoot) return nullptr;
  return m_pRoot->FindControl(MatchDefault, nullptr, kFindVisible | kFindEnabled | kFindMeFirst);
}

bool CUIPaintManager::SetNextTabControl(bool forward) {
  // Before the first layout the order on screen is not known yet.
  if (forward && m_bUpdateNeeded) {
    m_bFocusNeeded = true;
    Invalidate();
    return true;
  }
  m_bFocusNeeded = false;
  if (!m_pRoot) return false;
  std::vector<CControlUI*> order;
  m_pRoot->FindControl(Collect, &order, kFindVisible | kFindEnabled | kFindMeFirst);
  const int n = static_cast<int>(order.size());
  int at = -1;
  for (int i = 0; i < n; ++i) {
    if (order[i] == m_pFocus) at = i;
  }
  // Without a focus the walk starts just outside the list, so that it meets
  // the first (last) tab stop first.
  if (at < 0) at = forward ? -1 : n;
  for (int step = 1; step <= n; ++step) {
    int i = ((at + (forward ? step : -step)) % n + n) % n;
    if (IsTabStop(order[i])) {
      SetFocus(order[i]);
      return true;
    }
  }
  return false;
}

}  // namespace SkinUI
