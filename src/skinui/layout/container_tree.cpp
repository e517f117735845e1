// Finding and painting through a container's children.
#include "skinui/layout/container.h"

namespace SkinUI {
namespace {

CControlUI* FindInChildren(const std::vector<CControlUI*>& items, FindControlProc proc, void* data,
                           uint32_t flags, const TUIRect& client) {
  bool hitTest = (flags & kFindHitTest) != 0;
  auto accept = [&](CControlUI* item) -> CControlUI* {
    CControlUI* found = item->FindControl(proc, data, flags);
    if (!found) return nullptr;
    // A non-floating result must lie in the client area (not in the inset).
    if (!hitTest || found->IsFloat() || client.Contains(*static_cast<const TUIPoint*>(data))) return found;
    return nullptr;
  };
  if (flags & kFindTopFirst) {
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
      if (CControlUI* found = accept(*it)) return found;
    }
  } else {
    for (CControlUI* item : items) {
      if (CControlUI* found = accept(item)) return found;
    }
  }
  return nullptr;
}

}  // namespace

CControlUI* CContainerUI::FindControl(FindControlProc proc, void* data, uint32_t flags) {
  if ((flags & kFindVisible) && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) && !IsEnabled()) return nullptr;
  bool hitTest = (flags & kFindHitTest) != 0;
  if (hitTest && !GetPos().Contains(*static_cast<const TUIPoint*>(data))) return nullptr;
  bool offerSelf = !hitTest || IsMouseEnabled();
  if ((flags & kFindMeFirst) && offerSelf) {
    if (CControlUI* found = proc(this, data)) return found;
  }
  if (!hitTest || m_bMouseChildEnabled) {
    if (CControlUI* found = FindInChildren(m_items, proc, data, flags, GetClientRect())) return found;
  }
  if (!(flags & kFindMeFirst) && offerSelf) return proc(this, data);
  return nullptr;
}

void CContainerUI::DoPaint(CUICanvas& dc, const TUIRect& paint) {
  TUIRect outer = Intersect(paint, GetPos());
  if (outer.IsEmpty()) return;
  CClipGuard outerClip(dc, outer);
  CControlUI::DoPaint(dc, paint);
  if (m_items.empty()) return;
  TUIRect client = GetClientRect();
  TUIRect inner = Intersect(paint, client);
  for (CControlUI* item : m_items) {
    if (!item->IsVisible() || !Meets(paint, item->GetPos())) continue;
    if (item->IsFloat()) {
      // A floating child may overflow the inset: it is clipped by the item only.
      if (Meets(GetPos(), item->GetPos())) item->DoPaint(dc, paint);
    } else if (!inner.IsEmpty() && Meets(client, item->GetPos())) {
      CClipGuard innerClip(dc, inner);
      item->DoPaint(dc, paint);
    }
  }
}

}  // namespace SkinUI
