// The tooltip window of a paint manager's window.
#include "skinui/manager/tooltip.h"

#include <utility>

#include "skinui/control/control.h"

namespace SkinUI {

void CUITooltip::Show(platform::HWND owner, const CControlUI& control, TUIPoint mouse) {
  if (!m_hwnd) m_hwnd = platform::CreateToolTipWindow(owner);
  if (!m_hwnd) return;
  platform::POINT at{mouse.x, mouse.y};
  platform::ClientToScreen(owner, &at);
  m_shown = platform::ShowToolTip(m_hwnd, control.GetToolTip(), at, control.GetToolTipWidth());
}

void CUITooltip::Hide() {
  if (m_hwnd && m_shown) platform::HideToolTip(m_hwnd);
  m_shown = false;
}

void CUITooltip::Destroy() {
  if (platform::HWND hwnd = std::exchange(m_hwnd, nullptr)) platform::DestroyWindow(hwnd);
  m_shown = false;
}

}  // namespace SkinUI
