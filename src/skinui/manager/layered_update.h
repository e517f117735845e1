// What a layered window waits to present: its dirty rectangle and the 20 ms
// tick that repaints it in one go. The tick runs only while the rectangle is
// not empty, so an idle window costs nothing. The paint manager owns one.
#pragma once

#include <cstdint>

#include "platform/window/window_system.h"
#include "skinui/render/ui_types.h"

namespace SkinUI {

class CUILayeredUpdate {
 public:
  // Native timer id and period of the tick.
  static constexpr uint32_t kTimerId = 0x2000;
  static constexpr uint32_t kElapse = 20;

  // The window the tick runs on.
  void SetWindow(platform::HWND hWnd) { m_hWnd = hWnd; }
  const TUIRect& Rect() const { return m_rect; }
  // Joins rect to the dirty rectangle and starts the tick.
  void Add(const TUIRect& rect);
  // Empties the dirty rectangle and stops the tick; what it held.
  TUIRect Take();
  void StopTick();

 private:
  platform::HWND m_hWnd = nullptr;
  TUIRect m_rect;
  bool m_tickOn = false;
};

}  // namespace SkinUI
