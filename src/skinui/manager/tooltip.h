// The tooltip of a window: one tooltip window, made on first use, showing the
// tooltip of the control the mouse hovers. The paint manager owns one.
#pragma once

#include "platform/window/window_system.h"
#include "skinui/render/ui_types.h"

namespace SkinUI {

class CControlUI;

class CUITooltip {
 public:
  CUITooltip() = default;
  ~CUITooltip() { Destroy(); }
  CUITooltip(const CUITooltip&) = delete;
  CUITooltip& operator=(const CUITooltip&) = delete;

  // Whether the tooltip window was made (the hover delay is the tooltip's then).
  bool Exists() const { return m_hwnd != nullptr; }
  // Shows control's tooltip at mouse (client coordinates of owner).
  void Show(platform::HWND owner, const CControlUI& control, TUIPoint mouse);
  void Hide();
  void Destroy();

 private:
  platform::HWND m_hwnd = nullptr;
  bool m_shown = false;
};

}  // namespace SkinUI
