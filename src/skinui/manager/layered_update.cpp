// The dirty rectangle of a layered window and its repaint tick.
#include "skinui/manager/layered_update.h"

#include <utility>

#include "skinui/render/ui_types.h"

namespace SkinUI {

void CUILayeredUpdate::Add(const TUIRect& rect) {
  m_rect = Union(m_rect, rect);
  if (m_tickOn) return;
  m_tickOn = platform::SetTimer(m_hWnd, kTimerId, kElapse) != 0;
}

TUIRect CUILayeredUpdate::Take() {
  StopTick();
  return std::exchange(m_rect, TUIRect{});
}

void CUILayeredUpdate::StopTick() {
  if (!std::exchange(m_tickOn, false)) return;
  platform::KillTimer(m_hWnd, kTimerId);
}

}  // namespace SkinUI
