// A paint manager and screen readers: the request for the window's tree,
// and the events of its controls.
#include "platform/window/accessibility.h"
#include "skinui/manager/ui_accessible_content.h"
#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"

namespace SkinUI {
namespace {

struct TAnnouncement {
  platform::HWND hwnd;
  platform::EAccessibleEvent event;
};

CControlUI* AnnounceDescribed(CControlUI* control, void* data) {
  const auto* announcement = static_cast<const TAnnouncement*>(data);
  TUIAccessibleInfo info;
  if (control->GetAccessibleInfo(info)) {
    platform::NotifyAccessibleEvent(announcement->hwnd, announcement->event, control->GetAccessibleId());
  }
  return nullptr;
}

}  // namespace

bool CUIPaintManager::OnGetObject(uintptr_t wParam, intptr_t lParam, intptr_t& lRes) {
  if (!m_pAccessible) m_pAccessible = std::make_unique<CUIAccessibleContent>(*this);
  platform::LRESULT result = 0;
  if (!platform::AnswerAccessibleObjectRequest(m_hWndPaint, wParam, lParam, m_pAccessible.get(), &result)) {
    return false;
  }
  lRes = result;
  return true;
}

void CUIPaintManager::ReleaseAccessible() {
  if (m_pAccessible && m_hWndPaint) platform::DisconnectAccessibleContent(m_hWndPaint);
  m_pAccessible.reset();
}

void CUIPaintManager::AnnounceAccessible(CControlUI* control, platform::EAccessibleEvent event) {
  if (!m_hWndPaint || !control) return;
  TAnnouncement announcement{m_hWndPaint, event};
  const bool page = event == platform::EAccessibleEvent::kShow || event == platform::EAccessibleEvent::kHide;
  if (page) {
    control->FindControl(AnnounceDescribed, &announcement, 0);
  } else {
    AnnounceDescribed(control, &announcement);
  }
}

}  // namespace SkinUI
