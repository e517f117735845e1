// The focus of one window and its tab order.
#include "skinui/manager/focus_keeper.h"

#include <vector>

#include "skinui/control/control.h"

namespace SkinUI {
namespace {

CControlUI* Collect(CControlUI* control, void* data) {
  static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
  return nullptr;
}

bool IsTabStop(const CControlUI* control) { return (control->GetControlFlags() & kControlFlagTabStop) != 0; }

CControlUI* MatchDefault(CControlUI* control, void*) {
  return (control->GetControlFlags() & kControlFlagDefault) != 0 ? control : nullptr;
}

}  // namespace

void CUIFocusKeeper::Forget(const CControlUI* control) {
  if (control == m_focus) m_focus = nullptr;
  if (control == m_wanted) m_wanted = nullptr;
}

CControlUI* CUIFocusKeeper::NextTabStop(CControlUI* root, bool forward) const {
  if (!root) return nullptr;
  std::vector<CControlUI*> order;
  root->FindControl(Collect, &order, kFindVisible | kFindEnabled | kFindMeFirst);
  const int n = static_cast<int>(order.size());
  int at = -1;
  for (int i = 0; i < n; ++i) {
    if (order[i] == m_focus) at = i;
  }
  // Without a focus the walk starts just outside the list, so that it meets
  // the first (last) tab stop first.
  if (at < 0) at = forward ? -1 : n;
  for (int step = 1; step <= n; ++step) {
    int i = ((at + (forward ? step : -step)) % n + n) % n;
    if (IsTabStop(order[i])) return order[i];
  }
  return nullptr;
}

CControlUI* CUIFocusKeeper::FindDefault(CControlUI* root) {
  if (!root) return nullptr;
  return root->FindControl(MatchDefault, nullptr, kFindVisible | kFindEnabled | kFindMeFirst);
}

bool CUIFocusKeeper::ActivateDefault(CControlUI* root) const {
  if (m_focus && IsTabStop(m_focus)) return false;
  CControlUI* main = FindDefault(root);
  return main && main->Activate();
}

}  // namespace SkinUI
