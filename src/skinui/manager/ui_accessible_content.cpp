#include "skinui/manager/ui_accessible_content.h"

#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"

namespace SkinUI {
namespace {

bool IsDescribed(const CControlUI* control) {
  TUIAccessibleInfo info;
  return control->GetAccessibleInfo(info);
}

CControlUI* MatchId(CControlUI* control, void* data) {
  return control->GetAccessibleId() == *static_cast<int32_t*>(data) && IsDescribed(control) ? control
                                                                                            : nullptr;
}

CControlUI* CollectDescribed(CControlUI* control, void* data) {
  if (IsDescribed(control)) static_cast<std::vector<int32_t>*>(data)->push_back(control->GetAccessibleId());
  return nullptr;
}

platform::RECT ToRect(const TUIRect& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }

}  // namespace

CControlUI* CUIAccessibleContent::FindDescribed(int32_t id) const {
  CControlUI* root = m_manager.GetRoot();
  if (id <= 0 || !root) return nullptr;
  return root->FindControl(MatchId, &id, 0);
}

bool CUIAccessibleContent::Describe(int32_t id, platform::TAccessibleElement* element) {
  if (id == platform::kAccessibleSelf) return DescribeWindow(element);
  const CControlUI* control = FindDescribed(id);
  TUIAccessibleInfo info;
  if (!control || !control->GetAccessibleInfo(info)) return false;
  element->role = info.role;
  element->name = std::move(info.name);
  element->value = std::move(info.value);
  element->defaultAction = std::move(info.defaultAction);
  element->state =
      (m_manager.GetFocus() == control ? platform::kAccessibleFocused : 0u) |
      ((control->GetControlFlags() & kControlFlagTabStop) ? platform::kAccessibleFocusable : 0u) |
      (control->IsEnabled() ? 0u : platform::kAccessibleUnavailable) |
      (control->IsVisible() ? 0u : platform::kAccessibleInvisible);
  element->client = ToRect(control->GetPos());
  return true;
}

bool CUIAccessibleContent::HasExisted(int32_t id) {
  // Ids are handed out in order and never reused in the process.
  return id == platform::kAccessibleSelf || (id > 0 && id <= CControlUI::GetLastAccessibleId());
}

bool CUIAccessibleContent::DescribeWindow(platform::TAccessibleElement* element) const {
  const platform::HWND hwnd = m_manager.GetPaintWindow();
  if (!hwnd || !platform::IsWindow(hwnd)) return false;
  element->role = platform::EAccessibleRole::kClient;
  element->name = platform::GetWindowText(hwnd);
  element->state = (platform::IsWindowVisible(hwnd) ? 0u : platform::kAccessibleInvisible) |
                   platform::kAccessibleFocusable |
                   (platform::GetFocus() == hwnd ? platform::kAccessibleFocused : 0u);
  platform::GetClientRect(hwnd, &element->client);
  return true;
}

std::vector<int32_t> CUIAccessibleContent::GetChildren(int32_t id) {
  std::vector<int32_t> children;
  CControlUI* root = m_manager.GetRoot();
  if (id == platform::kAccessibleSelf && root && platform::IsWindow(m_manager.GetPaintWindow())) {
    root->FindControl(CollectDescribed, &children, kFindVisible | kFindMeFirst);
  }
  return children;
}

int32_t CUIAccessibleContent::GetParent(int32_t id) {
  return FindDescribed(id) ? platform::kAccessibleSelf : platform::kAccessibleNone;
}

int32_t CUIAccessibleContent::GetFocus() {
  const CControlUI* focus = m_manager.GetFocus();
  if (focus && IsDescribed(focus)) return focus->GetAccessibleId();
  return platform::GetFocus() == m_manager.GetPaintWindow() ? platform::kAccessibleSelf
                                                            : platform::kAccessibleNone;
}

int32_t CUIAccessibleContent::HitTest(platform::POINT client) {
  platform::RECT rc;
  if (!platform::GetClientRect(m_manager.GetPaintWindow(), &rc) || client.x < rc.left || client.y < rc.top ||
      client.x >= rc.right || client.y >= rc.bottom) {
    return platform::kAccessibleNone;
  }
  // The control under the point, or the nearest ancestor that is read.
  for (CControlUI* c = m_manager.FindControl(TUIPoint{client.x, client.y}); c; c = c->GetParent()) {
    if (IsDescribed(c)) return c->GetAccessibleId();
  }
  return platform::kAccessibleSelf;
}

bool CUIAccessibleContent::DoDefaultAction(int32_t id) {
  CControlUI* control = FindDescribed(id);
  TUIAccessibleInfo info;
  if (!control || !control->GetAccessibleInfo(info) || info.defaultAction.empty()) return false;
  return control->Activate();
}

bool CUIAccessibleContent::TakeFocus(int32_t id) {
  CControlUI* control = FindDescribed(id);
  if (!control || !(control->GetControlFlags() & kControlFlagTabStop)) return false;
  m_manager.SetFocus(control);
  return m_manager.GetFocus() == control;
}

}  // namespace SkinUI
